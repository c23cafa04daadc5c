#include "sqlitefile.h"

#include "sharedinstall.h"

#include <QFile>
#include <QFileInfo>

#include <QHash>
#include <QList>
#include <QSqlError>

namespace {

// The open batches of this thread, per file: how deep they nest, the work
// held back for the commit and the statements prepared once for the batch.
struct Batch {
    int depth = 0;
    QList<std::function<void()>> held;
    QHash<QString, QSqlQuery> statements;
};
thread_local QHash<const SqliteFile*, Batch> t_batches;

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

void SqliteFile::close() {
    m_opened.storeRelease(0);
    t_batches.remove(this);
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
    t_batches.insert(this, Batch{1, {}, {}});
    return true;
}

bool SqliteFile::endBatch() {
    auto it = t_batches.find(this);
    if (it == t_batches.end())
        return false;
    if (--it->depth > 0)
        return true;
    const QList<std::function<void()>> held = t_batches.take(this).held;
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
    if (t_batches.remove(this) > 0)
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
