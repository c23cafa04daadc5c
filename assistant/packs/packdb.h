#pragma once
// Reader of a pack's own database ("pack.db"): the pack row and its resources.

#include "catalogue/records.h"

#include <QSqlDatabase>
#include <QString>

class PackDB {
public:
    // The connection gets `connectionName` (the import uses "import").
    PackDB(const QString& path, const QString& connectionName);
    ~PackDB();
    PackDB(const PackDB&) = delete;
    PackDB& operator=(const PackDB&) = delete;

    // Opens the file read-only and checks that it is an SQLite database.
    bool open();
    // The first row of PackTbl. False when it cannot be read or there is none.
    bool getPack(TaviPack* pack);
    // One record per row of AppTbl, the pack's appId becoming productId.
    bool getApps(DataSet<TaviApp>* apps);
    void close();

private:
    QString m_path;
    QString m_connName;
    QSqlDatabase m_db;
};
