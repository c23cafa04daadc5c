#include "sqlitefile.h"

#include "sharedinstall.h"

#include <QFile>
#include <QFileInfo>

#include <QHash>
#include <QList>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace {

// The open batches of this thread, per file: how deep they nest, the work
// held back for the commit and the statements prepared once for the batch.
struct Batch {
    int depth = 0;
    QList<std::function<void()>> held;
    QHash<QString, QSqlQuery> statements;
    QHash<QByteArray, sqlite3_stmt*> own; // SQLite's own statements (SqliteStatement)
};
thread_local QHash<const SqliteFile*, Batch> t_batches;

// A batch's own statements go before its end: a statement still open would
// hold the transaction, and one left over would keep the connection from closing.
Batch takeBatch(const SqliteFile* file) {
    Batch batch = t_batches.take(file);
    for (sqlite3_stmt* stmt : qAsConst(batch.own))
        sqlite3_finalize(stmt);
    batch.own.clear();
    return batch;
}

} // namespace

SqliteFile::SqliteFile(const QString& path, const QString& connectionName, const QString& connectOptions,
                       Prepare prepare)
    : m_path(path), m_name(connectionName), m_options(connectOptions), m_prepare(prepare),
      m_connections(connectionName, path, connectOptions, prepare) {
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : QSqlDatabase::addDatabase("QSQLITE", m_name);
    db.setDatabaseName(m_path);
    db.setConnectOptions(m_options);
}

SqliteFile::~SqliteFile() {
    if (isOpen())
        close();
}

bool SqliteFile::openConnection() {
    if (!QSqlDatabase::contains(m_name)) {
        QSqlDatabase added = QSqlDatabase::addDatabase("QSQLITE", m_name);
        added.setDatabaseName(m_path);
        added.setConnectOptions(m_options);
    }
    // SQLite makes a new file readable by its owner's group only, and its
    // journals take the file's modes: made here, the file gets the modes
    // of everything else this client makes (group-writable where the
    // installation is shared).
    if (!m_path.isEmpty() && !m_path.startsWith(':') && !QFileInfo::exists(m_path)) {
        QFile made(m_path);
        made.open(QIODevice::WriteOnly);
    }
    if (sharedinstall::isShared() && QFileInfo::exists(m_path))
        sharedinstall::shareTree(QFile::encodeName(m_path).toStdString());
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (m_prepare ? !m_prepare(db) : !db.open()) {
        TLOG_ERROR("open db failed:" << db.lastError().text());
        return false;
    }
    return true;
}

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

void SqliteFile::close() {
    m_opened.storeRelease(0);
    takeBatch(this);
    m_connections.dropClones();
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

bool SqliteFile::beginBatch() {
    if (!isOpen())
        return false;
    auto it = t_batches.find(this);
    if (it != t_batches.end()) {
        ++it->depth;
        return true;
    }
    QSqlDatabase db = connection();
    if (!db.transaction()) {
        TLOG_ERROR("begin batch failed:" << db.lastError().text());
        return false;
    }
    t_batches.insert(this, Batch{1, {}, {}, {}});
    return true;
}

bool SqliteFile::endBatch() {
    auto it = t_batches.find(this);
    if (it == t_batches.end())
        return false;
    if (--it->depth > 0)
        return true;
    const QList<std::function<void()>> held = takeBatch(this).held;
    QSqlDatabase db = connection();
    if (!db.commit()) {
        TLOG_ERROR("commit batch failed:" << db.lastError().text());
        db.rollback();
        return false;
    }
    for (const auto& work : held)
        work();
    return true;
}

void SqliteFile::cancelBatch() {
    if (!t_batches.contains(this))
        return;
    takeBatch(this);
    connection().rollback();
}

bool SqliteFile::inBatch() const {
    return t_batches.contains(this);
}

void SqliteFile::afterCommit(std::function<void()> work) {
    auto it = t_batches.find(this);
    if (it == t_batches.end())
        work();
    else
        it->held.append(std::move(work));
}

sqlite3_stmt* SqliteFile::batchStatement(const char* sql) {
    auto it = t_batches.find(this);
    if (it == t_batches.end())
        return nullptr;
    const QByteArray key = QByteArray::fromRawData(sql, int(qstrlen(sql)));
    auto cached = it->own.constFind(key);
    if (cached != it->own.constEnd())
        return cached.value();
    sqlite3_stmt* stmt = nullptr;
    sqlite3* db = handle();
    if (!db || sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        return nullptr;
    it->own.insert(QByteArray(sql), stmt);
    return stmt;
}

QSqlQuery SqliteFile::prepared(const QString& sql, bool keep) {
    auto it = keep ? t_batches.find(this) : t_batches.end();
    if (it != t_batches.end()) {
        auto cached = it->statements.constFind(sql);
        if (cached != it->statements.constEnd())
            return cached.value();
    }
    QSqlQuery q(connection());
    q.prepare(sql);
    if (it != t_batches.end())
        it->statements.insert(sql, q);
    return q;
}

bool SqliteFile::exec(const QString& sql, const Binds& binds, const char* failure, QSqlQuery* result,
                      const tavi::LogSite& site) {
    if (!isOpen())
        return false;
    // Statements with bound values are the ones a batch runs again and again;
    // one with its values written in is prepared for this run only.
    QSqlQuery q = prepared(sql, !binds.isEmpty());
    for (const auto& b : binds)
        q.bindValue(b.first, b.second);
    if (!q.exec()) {
        tavi::logErrorAt(site, std::string(failure) + q.lastError().text().toStdString());
        return false;
    }
    if (result)
        *result = q;
    else
        q.finish();
    return true;
}

bool SqliteFile::count(const QString& sql, const Binds& binds, const char* failure, unsigned& count,
                       const tavi::LogSite& site) {
    QSqlQuery q;
    if (!exec(sql, binds, failure, &q, site))
        return false;
    if (!q.next()) {
        tavi::logErrorAt(site, std::string(failure) + q.lastError().text().toStdString());
        return false;
    }
    count = q.value(0).toUInt();
    q.finish();
    return true;
}

SqliteStatement::SqliteStatement(SqliteFile& file, const char* sql, const char* failure)
    : m_db(file.handle()), m_failure(failure) {
    if (!m_db) {
        TLOG_ERROR(failure << "no open connection");
        m_failed = true;
        return;
    }
    m_stmt = file.batchStatement(sql);
    if (!m_stmt) {
        m_owned = true;
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            fail();
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
        }
    }
}

SqliteStatement::~SqliteStatement() {
    if (!m_stmt)
        return;
    if (m_owned) {
        sqlite3_finalize(m_stmt);
    } else {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

void SqliteStatement::fail() {
    m_failed = true;
    TLOG_ERROR(m_failure << sqlite3_errmsg(m_db));
}

void SqliteStatement::bind(int index, qint64 value) {
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::bindBlob(int index, const QByteArray& bytes) {
    if (m_stmt)
        sqlite3_bind_blob(m_stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
}

void SqliteStatement::bindText(int index, const QString& text) {
    if (!m_stmt)
        return;
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

bool SqliteStatement::next() {
    if (!m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail();
    return false;
}

bool SqliteStatement::run() {
    if (!m_stmt)
        return false;
    m_failed = false;
    while (next()) {
    }
    const bool ok = !m_failed;
    reset();
    return ok;
}

void SqliteStatement::reset() {
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

qint64 SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray SqliteStatement::bytes(int column) const {
    const void* data = sqlite3_column_blob(m_stmt, column);
    return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, column));
}

QString SqliteStatement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}
