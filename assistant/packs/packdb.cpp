#include "packdb.h"

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
    while (q.next()) {
        const QSqlRecord r = q.record();
        auto* app = new _TaviApp;
        app->productId = r.value("appId").toInt();
        app->price = r.value("price").toInt();
        app->starLevel = r.value("starLevel").toInt();
        app->size = r.value("size").toInt();
        app->versionCode = r.value("versionCode").toInt();
        app->proType = r.value("proType").toString();
        app->name = r.value("name").toString();
        app->catena = r.value("catena").toString();
        app->version = r.value("version").toString();
        app->copyright = r.value("copyright").toString();
        app->keyword = r.value("keyword").toString();
        app->packageName = r.value("packageName").toString();
        app->icon = r.value("icon").toString();
        app->path = r.value("path").toString();
        app->downloadId = r.value("downloadId").toString();
        app->fileName = r.value("fileName").toString();
        app->firstDate = textDate(r.value("firstDate"));
        app->editionReleaseDate = textDate(r.value("editionReleaseDate"));
        app->isUserFile = false;
        app->isExternal = false;
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
