#include "db.h"

#include "namecollation.h"
#include "platform/log.h"
#include "sqlbuild.h"

#include <QDebug>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>

namespace {

const char* const kCourseTableSql =
    "create table if not exists %1(appId int, PRIMARY KEY(appId), FOREIGN KEY "
    "(appId) references AppTbl(appId) ON DELETE CASCADE)";
const char* const kConnectOptions = "QSQLITE_BUSY_TIMEOUT=15000";

QString errorText(const QSqlQuery& q) {
    return q.lastError().text();
}

// The open batches of this thread, per catalogue: the signals held back and
// the statements prepared once for the whole batch.
struct Batch {
    QList<std::function<void()>> held;
    QHash<QString, QSqlQuery> statements;
};
thread_local QHash<const void*, Batch> t_batches;

void bindAll(QSqlQuery& q, const QVector<QPair<QString, QVariant>>& binds) {
    for (const auto& b : binds)
        q.bindValue(b.first, b.second);
}

QString dateText(const QDate& d) {
    return d.toString(Qt::TextDate);
}
QDate textDate(const QVariant& v) {
    return QDate::fromString(v.toString(), Qt::TextDate);
}

} // namespace

DB::DB(const QString& path, const QString& connectionName, QObject* parent)
    : QObject(parent), m_path(path), m_connName(connectionName), m_dayMapper(clockFortnight()),
      m_connections(connectionName, path, kConnectOptions, [](QSqlDatabase& db) {
          // A clone gets the owner's rules: the cascade into the course tables needs them.
          if (!db.open())
              return false;
          installNameCollation(db);
          QSqlQuery q(db);
          if (!q.exec("PRAGMA foreign_keys = ON"))
              TLOG_ERROR("set foreign_keys failed");
          return true;
      }) {
    // Changes made on job threads reach interface receivers queued.
    registerRecordMetaTypes();
    QSqlDatabase db = QSqlDatabase::contains(m_connName) ? QSqlDatabase::database(m_connName, false)
                                                         : QSqlDatabase::addDatabase("QSQLITE", m_connName);
    db.setDatabaseName(m_path);
    db.setConnectOptions(kConnectOptions);
}

DB::~DB() {
    if (isOpen())
        close();
}

void DB::setDayMapper(DayToDate mapper) {
    m_dayMapper = std::move(mapper);
}

QDate DB::dateOfDay(int day) const {
    return m_dayMapper ? m_dayMapper(day) : QDate();
}

QString DB::courseTableName(int day) const {
    return "courseTbl_" + dateOfDay(day).toString("yyyyMMdd");
}

bool DB::open() {
    QSqlDatabase db = QSqlDatabase::database(m_connName, false);
    if (!db.open()) {
        TLOG_ERROR("open db failed:" << db.lastError().text());
        return false;
    }
    installNameCollation(db);
    {
        QSqlQuery q(db);
        if (!q.exec("PRAGMA foreign_keys = ON"))
            TLOG_ERROR("set foreign_keys failed");
        // Write-ahead logging lets job threads write while the interface reads.
        if (!q.exec("PRAGMA journal_mode=WAL"))
            TLOG_ERROR("set journal_mode failed:" << errorText(q));
    }
    m_opened.storeRelease(1);
    for (int day = 1; day <= 14; ++day)
        ensureCourseTableExists(dateOfDay(day));
    return true;
}

void DB::close() {
    m_opened.storeRelease(0);
    t_batches.remove(this);
    m_connections.dropClones();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connName);
}

bool DB::beginBatch() {
    if (!isOpen() || t_batches.contains(this))
        return false;
    QSqlDatabase db = connection();
    if (!db.transaction()) {
        TLOG_ERROR("begin batch failed:" << db.lastError().text());
        return false;
    }
    t_batches.insert(this, {});
    return true;
}

bool DB::endBatch() {
    if (!t_batches.contains(this))
        return false;
    const QList<std::function<void()>> held = t_batches.take(this).held;
    QSqlDatabase db = connection();
    if (!db.commit()) {
        TLOG_ERROR("commit batch failed:" << db.lastError().text());
        db.rollback();
        return false;
    }
    for (const auto& emitter : held)
        emitter();
    return true;
}

void DB::announce(std::function<void()> emitter) {
    auto it = t_batches.find(this);
    if (it == t_batches.end())
        emitter();
    else
        it->held.append(std::move(emitter));
}

QSqlQuery DB::prepared(const QString& sql) {
    auto it = t_batches.find(this);
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

bool DB::setup() {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(
            "create table if not exists DailySceneTbl(id INTEGER PRIMARY KEY AUTOINCREMENT,name varchr(50) "
            "unique,icon varchar(255),playlist varchar(255),isCustom int)"))
        TLOG_ERROR("create DailyTbl failed");
    if (!q.exec("create table if not exists UserTbl(userId INTEGER PRIMARY KEY,name varchar(50),avatar "
                "varchar(255),qq varchar(20),mobile varchar(20),province int,city int,school int,otherSchool "
                "varchar(50),flag varchar(20),registered int,userRole int)"))
        TLOG_ERROR("create UserTbl failed");
    if (!q.exec("create table if not exists PackTbl(packId varchar(50) PRIMARY KEY,name varchar(50),icon "
                "varchar(255),installDate TIMESTAMP,isCustom int)"))
        TLOG_ERROR("create PackTbl failed");
    if (!q.exec(
            "create table if not exists AppTbl(appId INTEGER PRIMARY KEY AUTOINCREMENT,isUserFile "
            "int,isExternal int,productId INTEGER UNIQUE,name varchar(50),packId varchar(50),price "
            "int,starLevel int,size int,versionCode int,proType varchar(10),catena varchar(50),version "
            "varchar(50),firstDate varchar(50),editionReleaseDate varchar(50),keyword varchar(50),copyright "
            "varchar(100),packageName varchar(100),path varchar(255),downloadId varchar(255),downloadDate "
            "TIMESTAMP,accessDate TIMESTAMP,fileName varchar(255),icon varchar(255),favor int,favorDate "
            "TIMESTAMP)"))
        TLOG_ERROR("create AppTbl failed");
    // Indexes for the paged lists (favourites, per-pack lists, name order) and
    // for removal's question whether another row still names a file or an
    // icon; the tables themselves stay exactly as above.
    q.exec("create index if not exists AppTbl_favor on AppTbl(favor, favorDate)");
    q.exec("create index if not exists AppTbl_pack on AppTbl(packId)");
    q.exec("create index if not exists AppTbl_name on AppTbl(name)");
    q.exec("create index if not exists AppTbl_icon on AppTbl(icon)");
    q.exec("create index if not exists AppTbl_path on AppTbl(path)");
    return true;
}

// ---- user -------------------------------------------------------------------

bool DB::getUser(TaviUser* user) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec("select * from UserTbl where flag='local'")) {
        TLOG_ERROR("query user failed:" << errorText(q));
        return false;
    }
    if (q.next()) {
        const QSqlRecord r = q.record();
        user->userId = r.value("userId").toInt();
        user->name = r.value("name").toString();
        user->avatar = r.value("avatar").toString();
        user->qq = r.value("qq").toString();
        user->province = r.value("province").toInt();
        user->city = r.value("city").toInt();
        user->school = r.value("school").toInt();
        user->mobile = r.value("mobile").toString();
        user->otherSchool = r.value("otherSchool").toString();
        user->registered = r.value("registered").toInt() != 0;
        user->userRole = r.value("userRole").toInt();
    }
    return true;
}

bool DB::updateUser(TaviUser* user) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(
        "INSERT OR REPLACE INTO "
        "UserTbl(userId,name,avatar,qq,mobile,province,city,school,otherSchool,userRole,flag,registered)"
        "VALUES(:userId,:name,:avatar,:qq,:mobile,:province,:city,:school,:otherSchool,:userRole,'local',1)");
    q.bindValue(":userId", user->userId);
    q.bindValue(":name", user->name);
    q.bindValue(":avatar", user->avatar);
    q.bindValue(":qq", user->qq);
    q.bindValue(":mobile", user->mobile);
    q.bindValue(":province", user->province);
    q.bindValue(":city", user->city);
    q.bindValue(":school", user->school);
    q.bindValue(":otherSchool", user->otherSchool);
    q.bindValue(":userRole", user->userRole);
    if (!q.exec()) {
        TLOG_ERROR("update user failed:" << errorText(q));
        return false;
    }
    return true;
}

// ---- daily scenes -------------------------------------------------------------

bool DB::countQuery(const QString& sql, const QVector<QPair<QString, QVariant>>& binds, unsigned& count,
                    const char* failure) {
    QSqlQuery q(connection());
    q.prepare(sql);
    bindAll(q, binds);
    if (!q.exec() || !q.next()) {
        TLOG_ERROR(failure << errorText(q));
        return false;
    }
    count = q.value(0).toUInt();
    return true;
}

bool DB::searchDailyScene(_DailySceneSearchPara* para, unsigned& count, DataSet<DailyScene>* result) {
    if (!isOpen())
        return false;
    result->clear();
    const PagedQuery pq = buildDailySceneSearch(*para);
    if (!countQuery(pq.countSql, pq.binds, count, "query daily scene count failed:"))
        return false;
    QSqlQuery q(connection());
    q.prepare(pq.selectSql);
    bindAll(q, pq.binds);
    if (!q.exec()) {
        TLOG_ERROR("search daily scene failed:" << errorText(q));
        return false;
    }
    while (q.next()) {
        const QSqlRecord r = q.record();
        auto* s = new _DailyScene;
        s->id = r.value("id").toInt();
        s->name = r.value("name").toString();
        s->icon = r.value("icon").toString();
        s->playlist = r.value("playlist").toString();
        s->isCustom = r.value("isCustom").toInt() != 0;
        result->append(s);
    }
    return true;
}

bool DB::addDailyScene(_DailyScene* scene) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(
        "INSERT INTO DailySceneTbl(name,icon,playlist,isCustom)VALUES(:name,:icon,:playlist,:isCustom)");
    q.bindValue(":name", scene->name);
    q.bindValue(":icon", scene->icon);
    q.bindValue(":playlist", scene->playlist);
    q.bindValue(":isCustom", scene->isCustom ? 1 : 0);
    if (!q.exec()) {
        TLOG_ERROR("add daily scene failed:" << errorText(q));
        return false;
    }
    emit dailySceneAdded(scene);
    return true;
}

bool DB::removeDailyScene(int id) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("delete from DailySceneTbl where id = %1").arg(id))) {
        TLOG_ERROR("remove daily scene failed:" << errorText(q));
        return false;
    }
    emit dailySceneRemoved(id);
    return true;
}

bool DB::removeDailyScene(QString name) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare("select id from DailySceneTbl where name = :name");
    q.bindValue(":name", name);
    if (!q.exec()) {
        TLOG_ERROR("query scene id failed:" << errorText(q));
        return false;
    }
    if (!q.next())
        return true;
    const int id = q.value(0).toInt();
    q.finish();
    return removeDailyScene(id);
}

bool DB::updateDailyScene(_DailyScene* scene) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare("update DailySceneTbl set name = :name,playlist = :playlist where id = :id");
    q.bindValue(":name", scene->name);
    q.bindValue(":playlist", scene->playlist);
    q.bindValue(":id", scene->id);
    if (!q.exec()) {
        TLOG_ERROR("update scene failed:" << errorText(q));
        return false;
    }
    emit dailySceneUpdated(scene);
    return true;
}

// ---- packs --------------------------------------------------------------------

bool DB::getPackCount(unsigned& count) {
    if (!isOpen())
        return false;
    return countQuery("select count(*) from PackTbl", {}, count, "query pack count failed:");
}

bool DB::checkPackExists(QString packId, bool& exists) {
    if (!isOpen())
        return false;
    unsigned count = 0;
    if (!countQuery("SELECT count(*) FROM PackTbl WHERE packId=:packId", {{":packId", packId}}, count,
                    "exec query failed:"))
        return false;
    exists = count != 0;
    return true;
}

bool DB::searchPacks(_PackSearchPara* para, unsigned& count, DataSet<TaviPack>* result) {
    if (!isOpen())
        return false;
    result->clear();
    const PagedQuery pq = buildPackSearch(*para);
    if (!countQuery(pq.countSql, pq.binds, count, "query pack count failed:"))
        return false;
    QSqlQuery q(connection());
    q.prepare(pq.selectSql);
    bindAll(q, pq.binds);
    if (!q.exec()) {
        TLOG_ERROR("search packs failed:" << errorText(q));
        TLOG_DEBUG(pq.selectSql);
        return false;
    }
    while (q.next()) {
        const QSqlRecord r = q.record();
        auto* p = new TaviPack;
        p->packId = r.value("packId").toString();
        p->name = r.value("name").toString();
        p->icon = r.value("icon").toString();
        p->installDate = r.value("installDate").toDate();
        p->isCustom = r.value("isCustom").toInt() != 0;
        result->append(p);
    }
    return true;
}

bool DB::addPack(TaviPack* pack) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(
        "INSERT OR REPLACE INTO PackTbl(packId,name,icon,installDate,isCustom)VALUES(:packId,:name,:icon,"
        "datetime('now', 'localtime'),:isCustom)");
    q.bindValue(":packId", pack->packId);
    q.bindValue(":name", pack->name);
    q.bindValue(":icon", pack->icon);
    q.bindValue(":isCustom", pack->isCustom ? 1 : 0);
    if (!q.exec()) {
        TLOG_ERROR("add pack failed:" << errorText(q));
        return false;
    }
    announce([this, pack]() { emit packAdded(pack); });
    return true;
}

bool DB::removePack(QString packId) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare("delete from PackTbl where packId = :packId");
    q.bindValue(":packId", packId);
    if (!q.exec()) {
        TLOG_ERROR("remove pack failed:" << errorText(q));
        return false;
    }
    announce([this, packId]() { emit packRemoved(packId); });
    return true;
}

// ---- apps ---------------------------------------------------------------------

bool DB::getAppCount(unsigned& count) {
    if (!isOpen())
        return false;
    return countQuery("select count(*) from AppTbl", {}, count, "query app count failed:");
}

bool DB::addApp(_TaviApp* app) {
    if (!isOpen())
        return false;
    // Within a batch both forms are prepared once: the statement is costly to
    // compile (the course tables' cascades).
    QSqlQuery q;
    if (app->isUserFile) {
        q = prepared(
            "INSERT OR REPLACE INTO AppTbl(name,isUserFile,isExternal,path,accessDate,icon,packId)VALUES(:"
            "name,1,:isExternal,:path,datetime('now', 'localtime'),:icon,:packId)");
        q.bindValue(":name", app->name);
        q.bindValue(":isExternal", app->isExternal ? 1 : 0);
        q.bindValue(":path", app->path);
        q.bindValue(":icon", app->icon);
        q.bindValue(":packId", app->packId);
    } else {
        q = prepared(
            "INSERT OR REPLACE INTO "
            "AppTbl(productId,price,starLevel,size,versionCode,proType,name,catena,version,firstDate,"
            "editionReleaseDate,keyword,copyright,packageName,path,downloadId,downloadDate,accessDate,"
            "fileName,icon,isUserFile,packId)VALUES(:productId,:price,:starLevel,:size,:versionCode,:"
            "proType,:name,:catena,:version,:firstDate,:editionReleaseDate,:keyword,:copyright,:"
            "packageName,:path,:downloadId,datetime('now', 'localtime'),datetime('now', "
            "'localtime'),:fileName,:icon,0,:packId)");
        q.bindValue(":productId", app->productId);
        q.bindValue(":price", app->price);
        q.bindValue(":starLevel", app->starLevel);
        q.bindValue(":size", app->size);
        q.bindValue(":versionCode", app->versionCode);
        q.bindValue(":proType", app->proType);
        q.bindValue(":name", app->name);
        q.bindValue(":catena", app->catena);
        q.bindValue(":version", app->version);
        q.bindValue(":firstDate", dateText(app->firstDate));
        q.bindValue(":editionReleaseDate", dateText(app->editionReleaseDate));
        q.bindValue(":keyword", app->keyword);
        q.bindValue(":copyright", app->copyright);
        q.bindValue(":packageName", app->packageName);
        q.bindValue(":path", app->path);
        q.bindValue(":downloadId", app->downloadId);
        q.bindValue(":fileName", app->fileName);
        q.bindValue(":icon", app->icon);
        q.bindValue(":packId", app->packId);
    }
    if (!q.exec()) {
        TLOG_ERROR("add app failed:" << errorText(q));
        return false;
    }
    announce([this, app]() { emit appAdded(app); });
    return true;
}

bool DB::updateApp(_TaviApp* app) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(
        "update AppTbl set price = :price,starLevel = :starLevel,versionCode = :versionCode,proType = "
        ":proType,name = :name,version = :version,keyword = :keyword,copyright = :copyright,packageName = "
        ":packageName,path = :path,downloadId = :downloadId,icon = :icon,fileName = :fileName,firstDate = "
        ":firstDate,editionReleaseDate = :editionReleaseDate,size = :size where appId = :appId");
    q.bindValue(":price", app->price);
    q.bindValue(":starLevel", app->starLevel);
    q.bindValue(":versionCode", app->versionCode);
    q.bindValue(":proType", app->proType);
    q.bindValue(":name", app->name);
    q.bindValue(":version", app->version);
    q.bindValue(":keyword", app->keyword);
    q.bindValue(":copyright", app->copyright);
    q.bindValue(":packageName", app->packageName);
    q.bindValue(":path", app->path);
    q.bindValue(":downloadId", app->downloadId);
    q.bindValue(":icon", app->icon);
    q.bindValue(":fileName", app->fileName);
    q.bindValue(":firstDate", dateText(app->firstDate));
    q.bindValue(":editionReleaseDate", dateText(app->editionReleaseDate));
    q.bindValue(":size", QString::number(app->size));
    q.bindValue(":appId", app->appId);
    if (!q.exec()) {
        TLOG_ERROR("update app failed:" << errorText(q));
        return false;
    }
    emit appUpdated(app);
    return true;
}

bool DB::removeApp(int appId, bool notify) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("delete from AppTbl where appId = %1").arg(appId))) {
        TLOG_ERROR("remove app failed:" << errorText(q));
        return false;
    }
    if (notify)
        announce([this, appId]() { emit appRemoved(appId); });
    return true;
}

bool DB::updateAccessDate(int appId) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("update AppTbl set accessDate = datetime('now', 'localtime')") +
                QString(" where appId = %1").arg(appId))) {
        TLOG_ERROR("set accessDate failed:" << errorText(q));
        return false;
    }
    return true;
}

bool DB::setFavorApp(int appId, bool favor) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(
            QString("update AppTbl set favor = %1, favorDate = datetime('now', 'localtime') where appId = %2")
                .arg(favor ? 1 : 0)
                .arg(appId))) {
        TLOG_ERROR("set favor failed:" << errorText(q));
        return false;
    }
    emit favorChanged(appId, favor);
    return true;
}

// ---- course schedule ------------------------------------------------------------

bool DB::checkTableExists(const char* name, bool& exists) {
    if (!isOpen())
        return false;
    unsigned count = 0;
    if (!countQuery("SELECT count(*) FROM sqlite_master WHERE type='table' AND name= :name",
                    {{":name", QString::fromUtf8(name)}}, count, "exec query failed:"))
        return false;
    exists = count != 0;
    return true;
}

bool DB::ensureCourseTableExists(QDate date) {
    if (!isOpen())
        return false;
    const QString table = "courseTbl_" + date.toString("yyyyMMdd");
    QSqlQuery q(connection());
    if (!q.exec(QString(kCourseTableSql).arg(table))) {
        TLOG_ERROR(QString("create table %1 failed").arg(table) << " " << errorText(q));
        return false;
    }
    return true;
}

bool DB::addCourseApp(int day, int appId) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("INSERT INTO %1(appId)VALUES(%2)").arg(courseTableName(day)).arg(appId))) {
        TLOG_ERROR("add course app failed:" << errorText(q));
        return false;
    }
    emit courseChanged(day);
    return true;
}

bool DB::removeCourseApp(int day, int appId) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    if (!q.exec(QString("delete from %1 where appId=%2").arg(courseTableName(day)).arg(appId))) {
        TLOG_ERROR("remove course app failed:" << errorText(q));
        return false;
    }
    emit courseChanged(day);
    return true;
}

bool DB::checkAppExists(int day, int appId, bool& exists) {
    if (!isOpen())
        return false;
    unsigned count = 0;
    if (!countQuery(QString("SELECT count(*) FROM %1 WHERE appId= %2").arg(courseTableName(day)).arg(appId),
                    {}, count, "exec query failed:"))
        return false;
    exists = count != 0;
    return true;
}

bool DB::getAppCourseDays(int appId, QList<int>& days) {
    if (!isOpen())
        return false;
    for (int day = 1; day <= 14; ++day) {
        bool exists = false;
        if (checkAppExists(day, appId, exists) && exists)
            days.append(day);
    }
    return true;
}

bool DB::getPackMarks(const QString& packId, QHash<int, AppMarks>& marks) {
    marks.clear();
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare("SELECT appId,productId,favor,favorDate FROM AppTbl WHERE packId = :packId AND isUserFile = 0");
    q.bindValue(":packId", packId);
    if (!q.exec()) {
        TLOG_ERROR("get pack marks failed:" << errorText(q));
        return false;
    }
    QHash<int, int> productOf; // appId -> productId
    while (q.next()) {
        const int appId = q.value(0).toInt();
        const int productId = q.value(1).toInt();
        productOf.insert(appId, productId);
        if (q.value(2).toInt() != 0) {
            marks[productId].favor = true;
            marks[productId].favorDate = q.value(3).toString();
        }
    }
    // One look at each day of the fortnight, not fourteen per resource.
    for (int day = 1; day <= 14; ++day) {
        QSqlQuery planned(connection());
        planned.prepare(QString("SELECT appId FROM %1 WHERE appId IN (SELECT appId FROM AppTbl WHERE packId = "
                                ":packId)")
                            .arg(courseTableName(day)));
        planned.bindValue(":packId", packId);
        if (!planned.exec()) {
            TLOG_ERROR("get pack marks failed:" << errorText(planned));
            return false;
        }
        while (planned.next()) {
            const auto product = productOf.constFind(planned.value(0).toInt());
            if (product != productOf.constEnd())
                marks[product.value()].days.append(day);
        }
    }
    return true;
}

bool DB::restoreMarks(int productId, const AppMarks& marks) {
    if (!isOpen())
        return false;
    QSqlQuery find = prepared("SELECT appId FROM AppTbl WHERE productId = :productId AND isUserFile = 0");
    find.bindValue(":productId", productId);
    if (!find.exec() || !find.next()) {
        TLOG_ERROR("restore marks failed: no resource " << productId << " " << errorText(find));
        return false;
    }
    const int appId = find.value(0).toInt();
    find.finish();
    bool ok = true;
    if (marks.favor) {
        QSqlQuery q = prepared("UPDATE AppTbl SET favor = 1, favorDate = :favorDate WHERE appId = :appId");
        q.bindValue(":favorDate", marks.favorDate);
        q.bindValue(":appId", appId);
        if (q.exec())
            announce([this, appId]() { emit favorChanged(appId, true); });
        else {
            TLOG_ERROR("restore favor failed:" << errorText(q));
            ok = false;
        }
    }
    for (int day : marks.days) {
        QSqlQuery q(connection());
        if (q.exec(QString("INSERT INTO %1(appId)VALUES(%2)").arg(courseTableName(day)).arg(appId)))
            announce([this, day]() { emit courseChanged(day); });
        else {
            TLOG_ERROR("restore course day failed:" << errorText(q));
            ok = false;
        }
    }
    return ok;
}

bool DB::packOfProduct(int productId, QString& packId) {
    packId.clear();
    if (!isOpen())
        return false;
    QSqlQuery q = prepared("SELECT packId FROM AppTbl WHERE productId = :productId AND isUserFile = 0");
    q.bindValue(":productId", productId);
    if (!q.exec()) {
        TLOG_ERROR("find pack of resource failed:" << errorText(q));
        return false;
    }
    if (q.next())
        packId = q.value(0).toString();
    q.finish();
    return true;
}

bool DB::userFileRowCount(const QString& path, bool external, unsigned& count) {
    return countQuery("SELECT count(*) FROM AppTbl WHERE isUserFile = 1 AND isExternal = :external AND path = :path",
                      {{":external", external ? 1 : 0}, {":path", path}}, count, "count user file rows failed:");
}

bool DB::iconRowCount(const QString& icon, unsigned& count) {
    return countQuery("SELECT count(*) FROM AppTbl WHERE isUserFile = 0 AND icon = :icon", {{":icon", icon}}, count,
                      "count icon rows failed:");
}

// ---- app lists ------------------------------------------------------------------

bool DB::getApps(QSqlQuery& q, DataSet<TaviApp>* result) {
    result->clear();
    if (!q.exec()) {
        TLOG_ERROR("getApps failed:" << errorText(q));
        TLOG_DEBUG(q.lastQuery());
        return false;
    }
    while (q.next()) {
        const QSqlRecord r = q.record();
        auto* a = new _TaviApp;
        a->appId = r.value("appId").toInt();
        a->productId = r.value("productId").toInt();
        a->price = r.value("price").toInt();
        a->starLevel = r.value("starLevel").toInt();
        a->size = r.value("size").toInt();
        a->versionCode = r.value("versionCode").toInt();
        a->proType = r.value("proType").toString();
        a->name = r.value("name").toString();
        a->catena = r.value("catena").toString();
        a->version = r.value("version").toString();
        a->copyright = r.value("copyright").toString();
        a->keyword = r.value("keyword").toString();
        a->packageName = r.value("packageName").toString();
        a->icon = r.value("icon").toString();
        a->path = r.value("path").toString();
        a->downloadId = r.value("downloadId").toString();
        a->fileName = r.value("fileName").toString();
        a->firstDate = textDate(r.value("firstDate"));
        a->editionReleaseDate = textDate(r.value("editionReleaseDate"));
        a->favor = r.value("favor").toInt() != 0;
        a->isUserFile = r.value("isUserFile").toInt() != 0;
        a->isExternal = r.value("isExternal").toInt() != 0;
        result->append(a);
    }
    return true;
}

bool DB::getApps(QString sql, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    QSqlQuery q(connection());
    q.prepare(sql);
    return getApps(q, result);
}

bool DB::searchApps(_AppSearchPara* para, unsigned& count, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    const PagedQuery pq = buildAppSearch(*para);
    qDebug() << pq.selectSql;
    if (!countQuery(pq.countSql, pq.binds, count, "query app count failed:"))
        return false;
    QSqlQuery q(connection());
    q.prepare(pq.selectSql);
    bindAll(q, pq.binds);
    getApps(q, result);
    return true;
}

bool DB::getCourseApps(_GetCourseAppsPara* para, unsigned& count, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    const PagedQuery pq = buildCourseApps(courseTableName(para->day), *para);
    if (!countQuery(pq.countSql, pq.binds, count, "query app count failed:"))
        return false;
    getApps(pq.selectSql, result);
    return true;
}

bool DB::getFavorApps(_GetFavorAppsPara* para, unsigned& count, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    const PagedQuery pq = buildFavorApps(*para);
    if (!countQuery(pq.countSql, pq.binds, count, "query app count failed:"))
        return false;
    getApps(pq.selectSql, result);
    return true;
}
