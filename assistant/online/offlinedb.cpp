#include "offlinedb.h"

#include "platform/log.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

const char* const kConnectOptions = "QSQLITE_BUSY_TIMEOUT=5000";

// The rows of a list query as records of id and name.
template <typename Info>
bool readList(SqliteFile& file, const QString& sql, const char* failure, DataSet<Info>* result,
              const tavi::LogSite& site = tavi::LogSite::here()) {
    if (!file.isOpen() || !result)
        return false;
    result->clear();
    QSqlQuery q;
    if (!file.exec(sql, {}, failure, &q, site))
        return false;
    const QSqlRecord r = q.record();
    const int id = r.indexOf("id");
    const int name = r.indexOf("name");
    while (q.next()) {
        auto* info = new Info;
        info->id = q.value(id).toInt();
        info->name = q.value(name).toString();
        result->append(info);
    }
    return true;
}

} // namespace

OfflineDB::OfflineDB(const QString& path, const QString& connectionName)
    : m_file(path, connectionName, kConnectOptions, {}) {}

OfflineDB::~OfflineDB() {
    if (isOpen())
        close();
}

bool OfflineDB::open() {
    if (isOpen())
        return false;
    // SQLite would make an empty file; a cache that is not there stays closed.
    if (!QFileInfo(path()).isFile()) {
        TLOG_ERROR("open db failed:" << path() << " does not exist");
        return false;
    }
    if (!m_file.openConnection())
        return false;
    QSqlQuery q(m_file.connection());
    if (!q.exec("create table if not exists ProCityTbl(id int PRIMARY KEY,name varchar(50),parentId int)"))
        TLOG_ERROR("create ProCityTbl failed");
    if (!q.exec("create table if not exists SchoolTbl(id int PRIMARY KEY,name varchar(50),cityId int)"))
        TLOG_ERROR("create SchoolTbl failed");
    // The lists look rows up by their parent; the tables stay as created above.
    if (!q.exec("create index if not exists ProCityTbl_parentId on ProCityTbl(parentId)") ||
        !q.exec("create index if not exists SchoolTbl_cityId on SchoolTbl(cityId)"))
        TLOG_ERROR("create cache index failed:" << q.lastError().text());
    m_file.markOpen();
    return true;
}

bool OfflineDB::addProvinceCity(_ProvCityInfo* info) {
    if (!info)
        return false;
    return m_file.exec("INSERT INTO ProCityTbl(id,name,parentId)VALUES(:id,:name,:parentId)",
                       {{":id", info->id}, {":name", info->name}, {":parentId", info->parentId}},
                       "add addProvinceCity failed:");
}

bool OfflineDB::clearProvinceCity() {
    return m_file.exec("delete from ProCityTbl", {}, "clearProvinceCity failed:");
}

bool OfflineDB::getProvinceCity(int parentId, DataSet<_ProvCityInfo>* result) {
    return readList(m_file, QString("select * from ProCityTbl where parentId = %1").arg(parentId),
                    "getProvinceCity failed:", result);
}

bool OfflineDB::getProvinceCityDetail(_ProvCityInfo* info) {
    if (!info)
        return false;
    QSqlQuery q;
    if (!m_file.exec(QString("select * from ProCityTbl where id=%1").arg(info->id), {},
                     "query city failed:", &q))
        return false;
    if (q.next()) {
        info->name = q.value("name").toString();
        info->parentId = q.value("parentId").toInt();
    }
    return true;
}

bool OfflineDB::addSchool(_SchoolInfo* info) {
    if (!info)
        return false;
    return m_file.exec("INSERT OR REPLACE INTO SchoolTbl(id,name,cityId)VALUES(:id,:name,:cityId)",
                       {{":id", info->id}, {":name", info->name}, {":cityId", info->cityId}},
                       "add school failed:");
}

bool OfflineDB::clearSchool() {
    return m_file.exec("delete from SchoolTbl", {}, "clearSchool failed:");
}

bool OfflineDB::clearSchool(int cityId) {
    return m_file.exec(QString("delete from SchoolTbl where cityId=%1").arg(cityId), {},
                       "clearSchool failed:");
}

bool OfflineDB::getSchools(int cityId, DataSet<_SchoolInfo>* result) {
    return readList(m_file, QString("select * from SchoolTbl where cityId = %1").arg(cityId),
                    "getSchools failed:", result);
}

bool OfflineDB::getSchoolDetail(_SchoolInfo* info) {
    if (!info)
        return false;
    QSqlQuery q;
    if (!m_file.exec(QString("select * from SchoolTbl where id=%1").arg(info->id), {},
                     "query school failed:", &q))
        return false;
    if (q.next()) {
        info->name = q.value("name").toString();
        info->cityId = q.value("cityId").toInt();
    }
    return true;
}
