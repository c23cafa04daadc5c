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
    // Columns are looked up by name once; a pack may hold thousands of rows.
    const QSqlRecord r = q.record();
    auto column = [&r](const char* name) { return r.indexOf(name); };
    const int appId = column("appId"), price = column("price"), starLevel = column("starLevel"),
              size = column("size"), versionCode = column("versionCode"), proType = column("proType"),
              name = column("name"), catena = column("catena"), version = column("version"),
              copyright = column("copyright"), keyword = column("keyword"),
              packageName = column("packageName"), icon = column("icon"), path = column("path"),
              downloadId = column("downloadId"), fileName = column("fileName"),
              firstDate = column("firstDate"), editionReleaseDate = column("editionReleaseDate");
    // A missing column reads as empty, as a lookup by name would.
    auto value = [&q](int index) { return index < 0 ? QVariant() : q.value(index); };
    while (q.next()) {
        auto* app = new _TaviApp;
        app->productId = value(appId).toInt();
        app->price = value(price).toInt();
        app->starLevel = value(starLevel).toInt();
        app->size = value(size).toInt();
        app->versionCode = value(versionCode).toInt();
        app->proType = value(proType).toString();
        app->name = value(name).toString();
        app->catena = value(catena).toString();
        app->version = value(version).toString();
        app->copyright = value(copyright).toString();
        app->keyword = value(keyword).toString();
        app->packageName = value(packageName).toString();
        app->icon = value(icon).toString();
        app->path = value(path).toString();
        app->downloadId = value(downloadId).toString();
        app->fileName = value(fileName).toString();
        app->firstDate = textDate(value(firstDate));
        app->editionReleaseDate = textDate(value(editionReleaseDate));
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
