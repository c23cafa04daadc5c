#pragma once
// One SQLite file as the client uses it from several threads: the named
// connection of the thread that opened it and a clone for every other thread
// (Qt binds a connection to its thread), opening and closing them all,
// batches (one transaction of the calling thread, its statements prepared
// once, and the work that must wait for the commit), and the one way the
// catalogue and the region cache run a statement.

#include "platform/log.h"
#include "threadconnections.h"

#include <QAtomicInt>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

class SqliteFile {
public:
    using Binds = QVector<QPair<QString, QVariant>>;
    // Each new connection: opened, then set up (its pragmas); true on success.
    using Prepare = std::function<bool(QSqlDatabase&)>;

    // Reuses the named connection if Qt already has one; does not open.
    SqliteFile(const QString& path, const QString& connectionName, const QString& connectOptions,
               Prepare prepare);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    QString path() const { return m_path; }
    QString connectionName() const { return m_name; }
    bool isOpen() const { return m_opened.loadAcquire() != 0; }
    // Opens the named connection and sets it up ("open db failed:" and the
    // driver's text when it fails); the file counts as open once markOpen().
    bool openConnection();
    void markOpen() { m_opened.storeRelease(1); }
    // Closes every thread's connection and forgets the calling thread's batch.
    void close();
    // The calling thread's connection (opened on its first use there).
    QSqlDatabase connection() { return m_connections.connection(); }

    // Changes of the calling thread between these as one transaction. Batches
    // nest: only the outermost one commits. endBatch returns false, running
    // nothing that waited, when the commit failed and all was rolled back.
    bool beginBatch();
    bool endBatch();
    // Rolls the calling thread's batch back (the outermost one, whatever the depth).
    void cancelBatch();
    bool inBatch() const;
    // Runs work now, or after the calling thread's batch is committed (never
    // when it is rolled back).
    void afterCommit(std::function<void()> work);

    // Prepares sql (once per batch), binds, runs. On failure logs failure and
    // the driver's text at the caller's place and returns false. The query,
    // positioned before its first row, goes to result when given.
    bool exec(const QString& sql, const Binds& binds, const char* failure, QSqlQuery* result = nullptr,
              const tavi::LogSite& site = tavi::LogSite::here());
    // A statement whose first value is a count.
    bool count(const QString& sql, const Binds& binds, const char* failure, unsigned& count,
               const tavi::LogSite& site = tavi::LogSite::here());

private:
    QSqlQuery prepared(const QString& sql, bool keep);

    QString m_path;
    QString m_name;
    QString m_options;
    Prepare m_prepare;
    QAtomicInt m_opened{0};
    ThreadConnections m_connections;
};
