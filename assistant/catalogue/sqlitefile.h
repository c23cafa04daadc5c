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

struct sqlite3;
struct sqlite3_stmt;

// SQLite's own handle of a Qt connection; null when it is none or not open.
sqlite3* sqliteHandle(const QSqlDatabase& db);

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
    // The same as SQLite's own handle, for work row by row (see SqliteStatement).
    sqlite3* handle() { return sqliteHandle(connection()); }

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

    // Prepares sql (once per batch), binds, runs; false, quietly, while the
    // file is not open. On failure logs failure and the driver's text at the
    // caller's place and returns false. The query, positioned before its
    // first row, goes to result when given.
    bool exec(const QString& sql, const Binds& binds, const char* failure, QSqlQuery* result = nullptr,
              const tavi::LogSite& site = tavi::LogSite::here());
    // A statement whose first value is a count.
    bool count(const QString& sql, const Binds& binds, const char* failure, unsigned& count,
               const tavi::LogSite& site = tavi::LogSite::here());

    // A statement of SQLite's own API on the calling thread's connection, kept
    // for the batch that runs (see SqliteStatement); null outside a batch.
    sqlite3_stmt* batchStatement(const char* sql);

private:
    QSqlQuery prepared(const QString& sql, bool keep);

    QString m_path;
    QString m_name;
    QString m_options;
    Prepare m_prepare;
    QAtomicInt m_opened{0};
    ThreadConnections m_connections;
};

// A statement on SQLite's own API, for loops over many rows or many small
// writes, where Qt's work per value would cost more than the statement.
// Within a batch it is prepared once and kept until the batch ends; otherwise
// it lives as long as this object. Failures are logged with the words given.
class SqliteStatement {
public:
    SqliteStatement(SqliteFile& file, const char* sql, const char* failure);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    // Parameters count from 1; bytes go in as blobs, texts as UTF-8.
    void bind(int index, qint64 value);
    void bindBlob(int index, const QByteArray& bytes);
    void bindText(int index, const QString& text);
    // The next row: true while rows come; false at the end or on a failure
    // (then failed() is true).
    bool next();
    // Runs a statement that returns no rows; true when it ran.
    bool run();
    // Ready to bind and run again (bindings are kept until replaced).
    void reset();
    bool failed() const { return m_failed; }

    qint64 integer(int column) const;
    QByteArray bytes(int column) const;
    QString text(int column) const;

private:
    void fail();

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_owned = false;
    bool m_failed = false;
    const char* m_failure;
};
