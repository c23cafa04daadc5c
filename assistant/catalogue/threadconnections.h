#pragma once
// One SQLite file used from several threads. Qt lets a connection be used only
// on the thread that made it: the thread that made the owner keeps the named
// connection, every other thread gets a clone of its own (named after the
// base name, the owner and the thread), opened on first use and closed when
// that thread ends or the owner lets go of its clones.

#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

class QThread;

class ThreadConnections {
public:
    // Opens a fresh clone (and sets it up, e.g. its pragmas); true on success.
    using Prepare = std::function<bool(QSqlDatabase&)>;

    ThreadConnections(const QString& name, const QString& path, const QString& connectOptions,
                      Prepare prepare);

    // The calling thread's connection.
    QSqlDatabase connection();
    // Closes and removes the clones other threads opened.
    void dropClones();

private:
    QString m_name;
    QString m_path;
    QString m_options;
    Prepare m_prepare;
    QThread* m_owner = nullptr;
    int m_serial = 0;
    QMutex m_mutex;
    QStringList m_clones;
};
