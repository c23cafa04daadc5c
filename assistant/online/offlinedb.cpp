#include "offlinedb.h"

#include "platform/log.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>

namespace {

const char* const kConnectOptions = "QSQLITE_BUSY_TIMEOUT=5000";

QString errorText(const QSqlQuery& q) {
    return q.lastError().text();
}

} // namespace

OfflineDB::OfflineDB(const QString& path, const QString& connectionName)
    : m_path(path), m_connName(connectionName), m_connections(connectionName, path, kConnectOptions, {}) {
    QSqlDatabase db = QSqlDatabase::contains(m_connName) ? QSqlDatabase::database(m_connName, false)
                                                         : QSqlDatabase::addDatabase("QSQLITE", m_connName);
    db.setDatabaseName(m_path);
    db.setConnectOptions(kConnectOptions);
}

OfflineDB::~OfflineDB() {
    if (isOpen())
        close();
}

bool OfflineDB::open() {
    if (isOpen())
        return false;
    if (!QSqlDatabase::contains(m_connName)) {
        QSqlDatabase added = QSqlDatabase::addDatabase("QSQLITE", m_connName);
        added.setDatabaseName(m_path);
        added.setConnectOptions(kConnectOptions);
    }
    QSqlDatabase db = QSqlDatabase::database(m_connName, false);
    // SQLite would make an empty file; a cache that is not there stays closed.
    if (!QFileInfo(m_path).isFile()) {
        TLOG_ERROR("open db failed:" << m_path << " does not exist");
        return false;
    }
    if (!db.open()) {
        TLOG_ERROR("open db failed:" << db.lastError().text());
        return false;
    }
    QSqlQuery q(db);
    if (!q.exec("create table if not exists ProCityTbl(id int PRIMARY KEY,name varchar(50),parentId int)"))
        TLOG_ERROR("create ProCityTbl failed");
    if (!q.exec("create table if not exists SchoolTbl(id int PRIMARY KEY,name varchar(50),cityId int)"))
        TLOG_ERROR("create SchoolTbl failed");
    // The lists look rows up by their parent; the tables stay as created above.
    if (!q.exec("create index if not exists ProCityTbl_parentId on ProCityTbl(parentId)") ||
        !q.exec("create index if not exists SchoolTbl_cityId on SchoolTbl(cityId)"))
        TLOG_ERROR("create cache index failed:" << errorText(q));
    m_opened.storeRelease(1);
    return true;
}

bool OfflineDB::close() {
    m_opened.storeRelease(0);
    m_connections.dropClones();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connName, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connName))
        QSqlDatabase::removeDatabase(m_connName);
    return true;
}

bool OfflineDB::beginBatch() {
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction()) {
        TLOG_ERROR("begin cache batch failed:" << db.lastError().text());
        return false;
    }
    return true;
}

bool OfflineDB::endBatch() {
    if (!isOpen())
        return false;
    QSqlDatabase db = connection();
    if (!db.commit()) {
        TLOG_ERROR("commit cache batch failed:" << db.lastError().text());
        db.rollback();
        return false;
    }
    return true;
}

void OfflineDB::cancelBatch() {
    if (isOpen())
        connection().rollback();
}

bool OfflineDB::addProvinceCity(_ProvCityInfo* info) {
    if (!isOpen() || !info)
        return false;
    QSqlQuery q(connection());
    q.prepare("INSERT INTO ProCityTbl(id,name,parentId)VALUES(:id,:name,:parentId)");
    q.bindValue(":id", info->id);
    q.bindValue(":name", info->name);
    q.bindValue(":parentId", info->parentId);
    if (!q.exec()) {
        TLOG_ERROR("add addProvinceCity failed:" << errorText(q));
        return false;
    }
    return true;
}

bool OfflineDB::clearProvinceCity() {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec("delete from ProCityTbl")) {
        TLOG_ERROR("clearProvinceCity failed:" << errorText(q));
        return false;
    }
    return true;
}

bool OfflineDB::getProvinceCity(int parentId, DataSet<_ProvCityInfo>* result) {
    if (!isOpen() || !result)
        return false;
    result->clear();
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.exec(QString("select * from ProCityTbl where parentId = %1").arg(parentId))) {
        TLOG_ERROR("getProvinceCity failed:" << errorText(q));
        return false;
    }
    const QSqlRecord r = q.record();
    const int id = r.indexOf("id");
    const int name = r.indexOf("name");
    while (q.next()) {
        auto* info = new _ProvCityInfo;
        info->id = q.value(id).toInt();
        info->name = q.value(name).toString();
        result->append(info);
    }
    return true;
}

bool OfflineDB::getProvinceCityDetail(_ProvCityInfo* info) {
    if (!isOpen() || !info)
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("select * from ProCityTbl where id=%1").arg(info->id))) {
        TLOG_ERROR("query city failed:" << errorText(q));
        return false;
    }
    if (q.next()) {
        info->name = q.value("name").toString();
        info->parentId = q.value("parentId").toInt();
    }
    return true;
}

bool OfflineDB::addSchool(_SchoolInfo* info) {
    if (!isOpen() || !info)
        return false;
    QSqlQuery q(connection());
    q.prepare("INSERT OR REPLACE INTO SchoolTbl(id,name,cityId)VALUES(:id,:name,:cityId)");
    q.bindValue(":id", info->id);
    q.bindValue(":name", info->name);
    q.bindValue(":cityId", info->cityId);
    if (!q.exec()) {
        TLOG_ERROR("add school failed:" << errorText(q));
        return false;
    }
    return true;
}

bool OfflineDB::clearSchool() {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec("delete from SchoolTbl")) {
        TLOG_ERROR("clearSchool failed:" << errorText(q));
        return false;
    }
    return true;
}

bool OfflineDB::clearSchool(int cityId) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("delete from SchoolTbl where cityId=%1").arg(cityId))) {
        TLOG_ERROR("clearSchool failed:" << errorText(q));
        return false;
    }
    return true;
}

bool OfflineDB::getSchools(int cityId, DataSet<_SchoolInfo>* result) {
    if (!isOpen() || !result)
        return false;
    result->clear();
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.exec(QString("select * from SchoolTbl where cityId = %1").arg(cityId))) {
        TLOG_ERROR("getSchools failed:" << errorText(q));
        return false;
    }
    const QSqlRecord r = q.record();
    const int id = r.indexOf("id");
    const int name = r.indexOf("name");
    while (q.next()) {
        auto* info = new _SchoolInfo;
        info->id = q.value(id).toInt();
        info->name = q.value(name).toString();
        result->append(info);
    }
    return true;
}

bool OfflineDB::getSchoolDetail(_SchoolInfo* info) {
    if (!isOpen() || !info)
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("select * from SchoolTbl where id=%1").arg(info->id))) {
        TLOG_ERROR("query school failed:" << errorText(q));
        return false;
    }
    if (q.next()) {
        info->name = q.value("name").toString();
        info->cityId = q.value("cityId").toInt();
    }
    return true;
}
