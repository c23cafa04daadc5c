#include "packdb.h"

#include "catalogue/db.h"
#include "platform/log.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {
QDate textDate(const QVariant& v) {
    return QDate::fromString(v.toString(), Qt::TextDate);
}
} // namespace

PackDB::PackDB(const QString& path, const QString& connectionName)
    : m_path(path), m_connName(connectionName) {}

PackDB::~PackDB() {
    close();
}

bool PackDB::open() {
    close();
    m_db = QSqlDatabase::addDatabase("QSQLITE", m_connName);
    m_db.setDatabaseName(m_path);
    // A pack's database is only read; it never gains journal files.
    m_db.setConnectOptions("QSQLITE_OPEN_READONLY");
    if (!m_db.open()) {
        TLOG_ERROR("open db failed:" << m_db.lastError().text());
        return false;
    }
    // SQLite opens any file lazily; reading the schema tells a database from anything else.
    QSqlQuery q(m_db);
    if (!q.exec("select count(*) from sqlite_master")) {
        TLOG_ERROR("open db failed:" << q.lastError().text());
        return false;
    }
    return true;
}

bool PackDB::getPack(TaviPack* pack) {
    QSqlQuery q(m_db);
    if (!q.exec("select * from PackTbl")) {
        TLOG_ERROR("get pack failed:" << q.lastError().text());
        return false;
    }
    if (!q.next()) {
        TLOG_ERROR("get pack failed:"
                   << "no pack row");
        return false;
    }
    const QSqlRecord r = q.record();
    pack->packId = r.value("packId").toString();
    pack->name = r.value("name").toString();
    pack->icon = r.value("icon").toString();
    pack->installDate = textDate(r.value("installDate"));
    return true;
}

bool PackDB::getApps(DataSet<TaviApp>* apps) {
    apps->clear();
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec("select * from AppTbl")) {
        TLOG_ERROR("get apps failed:" << q.lastError().text());
        return false;
    }
    // A pack's resource is known by its appId there; nothing in it is marked yet.
    const AppRowReader reader(q.record());
    while (q.next()) {
        _TaviApp* app = reader.read(q);
        app->productId = app->appId;
        app->appId = 0;
        app->favor = app->isUserFile = app->isExternal = false;
        apps->append(app);
    }
    return true;
}

void PackDB::close() {
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connName);
}
