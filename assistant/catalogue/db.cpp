#include "db.h"

#include "namecollation.h"
#include "platform/log.h"
#include "sqlbuild.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <sqlite3.h>

namespace {

const char* const kCourseTableSql =
    "create table if not exists %1(appId int, PRIMARY KEY(appId), FOREIGN KEY "
    "(appId) references AppTbl(appId) ON DELETE CASCADE)";
const char* const kConnectOptions = "QSQLITE_BUSY_TIMEOUT=15000";

QString dateText(const QDate& d) {
    return d.toString(Qt::TextDate);
}
QDate textDate(const QVariant& v) {
    return QDate::fromString(v.toString(), Qt::TextDate);
}

// Every connection, the owner's and each thread's clone, gets the same rules:
// the cascade into the course tables needs the foreign keys, the name order
// its collation.
bool prepareConnection(QSqlDatabase& db) {
    if (!db.open())
        return false;
    installNameCollation(db);
    QSqlQuery q(db);
    if (!q.exec("PRAGMA foreign_keys = ON"))
        TLOG_ERROR("set foreign_keys failed");
    return true;
}

} // namespace

DB::DB(const QString& path, const QString& connectionName, QObject* parent)
    : QObject(parent), m_dayMapper(clockFortnight()),
      m_file(path, connectionName, kConnectOptions, prepareConnection) {
    // Changes made on job threads reach interface receivers queued.
    registerRecordMetaTypes();
}

DB::~DB() {
    if (isOpen())
        close();
}

QString DB::courseTableName(int day) const {
    return "courseTbl_" + dateOfDay(day).toString("yyyyMMdd");
}

bool DB::open() {
    if (!m_file.openConnection())
        return false;
    {
        // Write-ahead logging lets job threads write while the interface reads.
        QSqlQuery q(m_file.connection());
        if (!q.exec("PRAGMA journal_mode=WAL"))
            TLOG_ERROR("set journal_mode failed:" << q.lastError().text());
    }
    m_file.markOpen();
    for (int day = kFirstDay; day <= kLastDay; ++day)
        ensureCourseTableExists(dateOfDay(day));
    return true;
}

void DB::close() {
    m_search.forget();
    m_file.close();
}

bool DB::execAnnounce(const QString& sql, const SqliteFile::Binds& binds, const char* failure,
                      std::function<void()> emitter, const tavi::LogSite& site) {
    if (!m_file.exec(sql, binds, failure, nullptr, site))
        return false;
    announce(std::move(emitter));
    return true;
}

void DB::create(const QString& path) {
    DB db(path, "default");
    db.open();
    db.setup();
    db.close();
}

bool DB::setup() {
    if (!isOpen())
        return false;
    QSqlQuery q(m_file.connection());
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
    // The marks of library changes in progress (the tables above stay as they are).
    if (!q.exec("create table if not exists LibraryChangeTbl(id varchar(50) PRIMARY KEY,what varchar(255))"))
        TLOG_ERROR("create LibraryChangeTbl failed");
    // Indexes for the paged lists (favourites, per-pack lists, name order) and
    // for removal's question whether another row still names a file or an
    // icon; the tables themselves stay exactly as above.
    q.exec("create index if not exists AppTbl_favor on AppTbl(favor, favorDate)");
    q.exec("create index if not exists AppTbl_pack on AppTbl(packId)");
    q.exec("create index if not exists AppTbl_name on AppTbl(name)");
    q.exec("create index if not exists AppTbl_icon on AppTbl(icon)");
    q.exec("create index if not exists AppTbl_path on AppTbl(path)");
    // What search needs beside AppTbl, mended for whatever an older client or
    // a tool wrote since (see SearchIndex); without it searches still work, slowly.
    m_search.sync();
    return true;
}

void DB::setSearchIndexKept(bool kept) {
    if (!kept)
        m_search.forget();
    else if (isOpen() && !m_search.ready())
        m_search.sync();
}

// ---- rows ---------------------------------------------------------------------

namespace {

const std::pair<const char*, int _TaviApp::*> kAppNumbers[] = {
    {"appId", &_TaviApp::appId}, {"productId", &_TaviApp::productId},
    {"price", &_TaviApp::price}, {"starLevel", &_TaviApp::starLevel},
    {"size", &_TaviApp::size},   {"versionCode", &_TaviApp::versionCode}};
const std::pair<const char*, QString _TaviApp::*> kAppTexts[] = {{"proType", &_TaviApp::proType},
                                                                 {"name", &_TaviApp::name},
                                                                 {"catena", &_TaviApp::catena},
                                                                 {"version", &_TaviApp::version},
                                                                 {"copyright", &_TaviApp::copyright},
                                                                 {"keyword", &_TaviApp::keyword},
                                                                 {"packageName", &_TaviApp::packageName},
                                                                 {"icon", &_TaviApp::icon},
                                                                 {"path", &_TaviApp::path},
                                                                 {"downloadId", &_TaviApp::downloadId},
                                                                 {"fileName", &_TaviApp::fileName}};
const std::pair<const char*, QDate _TaviApp::*> kAppDates[] = {
    {"firstDate", &_TaviApp::firstDate}, {"editionReleaseDate", &_TaviApp::editionReleaseDate}};
const std::pair<const char*, bool _TaviApp::*> kAppFlags[] = {{"favor", &_TaviApp::favor},
                                                              {"isUserFile", &_TaviApp::isUserFile},
                                                              {"isExternal", &_TaviApp::isExternal}};

} // namespace

AppRowReader::AppRowReader(const QSqlRecord& columns) {
    for (const auto& c : kAppNumbers)
        m_columns << columns.indexOf(c.first);
    for (const auto& c : kAppTexts)
        m_columns << columns.indexOf(c.first);
    for (const auto& c : kAppDates)
        m_columns << columns.indexOf(c.first);
    for (const auto& c : kAppFlags)
        m_columns << columns.indexOf(c.first);
}

_TaviApp* AppRowReader::read(const QSqlQuery& row) const {
    auto* a = new _TaviApp;
    int i = 0;
    auto next = [&]() {
        const int column = m_columns[i++];
        return column < 0 ? QVariant() : row.value(column);
    };
    for (const auto& c : kAppNumbers)
        a->*c.second = next().toInt();
    for (const auto& c : kAppTexts)
        a->*c.second = next().toString();
    for (const auto& c : kAppDates)
        a->*c.second = textDate(next());
    for (const auto& c : kAppFlags)
        a->*c.second = next().toInt() != 0;
    return a;
}

TaviPack* DB::packFromRecord(const QSqlRecord& r) {
    auto* p = new TaviPack;
    p->packId = r.value("packId").toString();
    p->name = r.value("name").toString();
    p->icon = r.value("icon").toString();
    p->installDate = r.value("installDate").toDate();
    p->isCustom = r.value("isCustom").toInt() != 0;
    return p;
}

_DailyScene* DB::sceneFromRecord(const QSqlRecord& r) {
    auto* s = new _DailyScene;
    s->id = r.value("id").toInt();
    s->name = r.value("name").toString();
    s->icon = r.value("icon").toString();
    s->playlist = r.value("playlist").toString();
    s->isCustom = r.value("isCustom").toInt() != 0;
    return s;
}

// ---- user -------------------------------------------------------------------

bool DB::getUser(TaviUser* user) {
    QSqlQuery q;
    if (!m_file.exec("select * from UserTbl where flag='local'", {}, "query user failed:", &q))
        return false;
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
    // Exactly one local row, whatever number the service gave this time:
    // a second one would be read first and hide the profile.
    if (!beginBatch())
        return false;
    if (!m_file.exec("DELETE FROM UserTbl WHERE flag='local' AND userId <> :userId",
                     {{":userId", user->userId}}, "update user failed:")) {
        cancelBatch();
        return false;
    }
    const bool ok = m_file.exec(
        "INSERT OR REPLACE INTO "
        "UserTbl(userId,name,avatar,qq,mobile,province,city,school,otherSchool,userRole,flag,registered)"
        "VALUES(:userId,:name,:avatar,:qq,:mobile,:province,:city,:school,:otherSchool,:userRole,'local',1)",
        {{":userId", user->userId},
         {":name", user->name},
         {":avatar", user->avatar},
         {":qq", user->qq},
         {":mobile", user->mobile},
         {":province", user->province},
         {":city", user->city},
         {":school", user->school},
         {":otherSchool", user->otherSchool},
         {":userRole", user->userRole}},
        "update user failed:");
    if (!ok) {
        cancelBatch();
        return false;
    }
    return endBatch();
}

// ---- daily scenes -------------------------------------------------------------

bool DB::searchDailyScene(_DailySceneSearchPara* para, unsigned& count, DataSet<DailyScene>* result) {
    if (!isOpen())
        return false;
    result->clear();
    const PagedQuery pq = buildDailySceneSearch(*para);
    if (!m_file.count(pq.countSql, pq.binds, "query daily scene count failed:", count))
        return false;
    QSqlQuery q;
    if (!m_file.exec(pq.selectSql, pq.binds, "search daily scene failed:", &q))
        return false;
    while (q.next())
        result->append(sceneFromRecord(q.record()));
    return true;
}

bool DB::addDailyScene(_DailyScene* scene) {
    return execAnnounce(
        "INSERT INTO DailySceneTbl(name,icon,playlist,isCustom)VALUES(:name,:icon,:playlist,:isCustom)",
        {{":name", scene->name},
         {":icon", scene->icon},
         {":playlist", scene->playlist},
         {":isCustom", scene->isCustom ? 1 : 0}},
        "add daily scene failed:", [this, scene]() { emit dailySceneAdded(scene); });
}

bool DB::removeDailyScene(int id) {
    return execAnnounce(QString("delete from DailySceneTbl where id = %1").arg(id), {},
                        "remove daily scene failed:", [this, id]() { emit dailySceneRemoved(id); });
}

bool DB::removeDailyScene(QString name) {
    QSqlQuery q;
    if (!m_file.exec("select id from DailySceneTbl where name = :name", {{":name", name}},
                     "query scene id failed:", &q))
        return false;
    if (!q.next())
        return true;
    const int id = q.value(0).toInt();
    q.finish();
    return removeDailyScene(id);
}

bool DB::updateDailyScene(_DailyScene* scene) {
    return execAnnounce("update DailySceneTbl set name = :name,playlist = :playlist where id = :id",
                        {{":name", scene->name}, {":playlist", scene->playlist}, {":id", scene->id}},
                        "update scene failed:", [this, scene]() { emit dailySceneUpdated(scene); });
}

// ---- packs --------------------------------------------------------------------

bool DB::getPackCount(unsigned& count) {
    return m_file.count("select count(*) from PackTbl", {}, "query pack count failed:", count);
}

bool DB::checkPackExists(QString packId, bool& exists) {
    unsigned count = 0;
    if (!m_file.count("SELECT count(*) FROM PackTbl WHERE packId=:packId", {{":packId", packId}},
                      "exec query failed:", count))
        return false;
    exists = count != 0;
    return true;
}

bool DB::searchPacks(_PackSearchPara* para, unsigned& count, DataSet<TaviPack>* result) {
    if (!isOpen())
        return false;
    result->clear();
    const PagedQuery pq = buildPackSearch(*para);
    if (!m_file.count(pq.countSql, pq.binds, "query pack count failed:", count))
        return false;
    QSqlQuery q;
    if (!m_file.exec(pq.selectSql, pq.binds, "search packs failed:", &q)) {
        TLOG_DEBUG(pq.selectSql);
        return false;
    }
    while (q.next())
        result->append(packFromRecord(q.record()));
    return true;
}

bool DB::addPack(TaviPack* pack) {
    return execAnnounce(
        "INSERT OR REPLACE INTO PackTbl(packId,name,icon,installDate,isCustom)VALUES(:packId,:name,:icon,"
        "datetime('now', 'localtime'),:isCustom)",
        {{":packId", pack->packId},
         {":name", pack->name},
         {":icon", pack->icon},
         {":isCustom", pack->isCustom ? 1 : 0}},
        "add pack failed:", [this, pack]() { emit packAdded(pack); });
}

bool DB::removePack(QString packId) {
    return execAnnounce("delete from PackTbl where packId = :packId", {{":packId", packId}},
                        "remove pack failed:", [this, packId]() { emit packRemoved(packId); });
}

// ---- apps ---------------------------------------------------------------------

bool DB::getAppCount(unsigned& count) {
    return m_file.count("select count(*) from AppTbl", {}, "query app count failed:", count);
}

bool DB::changeApp(const std::function<bool()>& change) {
    const bool inCallersBatch = m_file.inBatch();
    if (!beginBatch())
        return false;
    if (change())
        return endBatch();
    // A batch of the caller's decides about all of its changes; a change on
    // its own is undone whole.
    if (inCallersBatch)
        endBatch();
    else
        cancelBatch();
    return false;
}

bool DB::insertAppRow(const _TaviApp* app) {
    // Within a batch both forms are prepared once: the statement is costly to
    // compile (the course tables' cascades).
    bool ok = false;
    if (app->isUserFile) {
        ok = m_file.exec(
            "INSERT OR REPLACE INTO AppTbl(name,isUserFile,isExternal,path,accessDate,icon,packId)VALUES(:"
            "name,1,:isExternal,:path,datetime('now', 'localtime'),:icon,:packId)",
            {{":name", app->name},
             {":isExternal", app->isExternal ? 1 : 0},
             {":path", app->path},
             {":icon", app->icon},
             {":packId", app->packId}},
            "add app failed:");
    } else {
        ok = m_file.exec(
            "INSERT OR REPLACE INTO "
            "AppTbl(productId,price,starLevel,size,versionCode,proType,name,catena,version,firstDate,"
            "editionReleaseDate,keyword,copyright,packageName,path,downloadId,downloadDate,accessDate,"
            "fileName,icon,isUserFile,packId)VALUES(:productId,:price,:starLevel,:size,:versionCode,:"
            "proType,:name,:catena,:version,:firstDate,:editionReleaseDate,:keyword,:copyright,:"
            "packageName,:path,:downloadId,datetime('now', 'localtime'),datetime('now', "
            "'localtime'),:fileName,:icon,0,:packId)",
            {{":productId", app->productId},
             {":price", app->price},
             {":starLevel", app->starLevel},
             {":size", app->size},
             {":versionCode", app->versionCode},
             {":proType", app->proType},
             {":name", app->name},
             {":catena", app->catena},
             {":version", app->version},
             {":firstDate", dateText(app->firstDate)},
             {":editionReleaseDate", dateText(app->editionReleaseDate)},
             {":keyword", app->keyword},
             {":copyright", app->copyright},
             {":packageName", app->packageName},
             {":path", app->path},
             {":downloadId", app->downloadId},
             {":fileName", app->fileName},
             {":icon", app->icon},
             {":packId", app->packId}},
            "add app failed:");
    }
    return ok;
}

bool DB::addApp(_TaviApp* app) {
    if (!isOpen())
        return false;
    return changeApp([&]() {
        // A publisher resource catalogued already is replaced by a new row;
        // its search rows go with it.
        qint64 replaced = 0;
        if (m_search.ready() && !app->isUserFile) {
            SqliteStatement known(m_file, "SELECT appId FROM AppTbl WHERE productId = ?1", "add app failed:");
            known.bind(1, app->productId);
            if (known.next())
                replaced = known.integer(0);
            if (known.failed())
                return false;
        }
        if (!insertAppRow(app))
            return false;
        if (m_search.ready()) {
            const qint64 added = sqlite3_last_insert_rowid(m_file.handle());
            if ((replaced != 0 && !m_search.remove(replaced)) || !m_search.add(added, app->name))
                return false;
        }
        announce([this, app]() { emit appAdded(app); });
        return true;
    });
}

bool DB::updateAppRow(const _TaviApp* app) {
    return m_file.exec(
        "update AppTbl set price = :price,starLevel = :starLevel,versionCode = :versionCode,proType = "
        ":proType,name = :name,version = :version,keyword = :keyword,copyright = :copyright,packageName "
        "= "
        ":packageName,path = :path,downloadId = :downloadId,icon = :icon,fileName = :fileName,firstDate "
        "= "
        ":firstDate,editionReleaseDate = :editionReleaseDate,size = :size where appId = :appId",
        {{":price", app->price},
         {":starLevel", app->starLevel},
         {":versionCode", app->versionCode},
         {":proType", app->proType},
         {":name", app->name},
         {":version", app->version},
         {":keyword", app->keyword},
         {":copyright", app->copyright},
         {":packageName", app->packageName},
         {":path", app->path},
         {":downloadId", app->downloadId},
         {":icon", app->icon},
         {":fileName", app->fileName},
         {":firstDate", dateText(app->firstDate)},
         {":editionReleaseDate", dateText(app->editionReleaseDate)},
         {":size", QString::number(app->size)},
         {":appId", app->appId}},
        "update app failed:");
}

bool DB::updateApp(_TaviApp* app) {
    if (!isOpen())
        return false;
    return changeApp([&]() {
        if (!updateAppRow(app))
            return false;
        // The name may have changed (and a row that is not there has no search rows).
        if (m_search.ready() && sqlite3_changes(m_file.handle()) > 0 &&
            !(m_search.remove(app->appId) && m_search.add(app->appId, app->name)))
            return false;
        announce([this, app]() { emit appUpdated(app); });
        return true;
    });
}

bool DB::removeApp(int appId, bool notify) {
    if (!isOpen())
        return false;
    return changeApp([&]() {
        if (!m_file.exec(QString("delete from AppTbl where appId = %1").arg(appId), {}, "remove app failed:"))
            return false;
        if (m_search.ready() && !m_search.remove(appId))
            return false;
        if (notify)
            announce([this, appId]() { emit appRemoved(appId); });
        return true;
    });
}

bool DB::updateAccessDate(int appId) {
    return m_file.exec(QString("update AppTbl set accessDate = datetime('now', 'localtime')") +
                           QString(" where appId = %1").arg(appId),
                       {}, "set accessDate failed:");
}

bool DB::setFavorApp(int appId, bool favor) {
    return execAnnounce(
        QString("update AppTbl set favor = %1, favorDate = datetime('now', 'localtime') where appId = %2")
            .arg(favor ? 1 : 0)
            .arg(appId),
        {}, "set favor failed:", [this, appId, favor]() { emit favorChanged(appId, favor); });
}

// ---- course schedule ------------------------------------------------------------

bool DB::checkTableExists(const char* name, bool& exists) {
    unsigned count = 0;
    if (!m_file.count("SELECT count(*) FROM sqlite_master WHERE type='table' AND name= :name",
                      {{":name", QString::fromUtf8(name)}}, "exec query failed:", count))
        return false;
    exists = count != 0;
    return true;
}

bool DB::ensureCourseTableExists(QDate date) {
    if (!isOpen())
        return false;
    const QString table = "courseTbl_" + date.toString("yyyyMMdd");
    QSqlQuery q(m_file.connection());
    if (!q.exec(QString(kCourseTableSql).arg(table))) {
        TLOG_ERROR(QString("create table %1 failed").arg(table) << " " << q.lastError().text());
        return false;
    }
    return true;
}

bool DB::addCourseApp(int day, int appId) {
    return execAnnounce(QString("INSERT INTO %1(appId)VALUES(%2)").arg(courseTableName(day)).arg(appId), {},
                        "add course app failed:", [this, day]() { emit courseChanged(day); });
}

bool DB::removeCourseApp(int day, int appId) {
    return execAnnounce(QString("delete from %1 where appId=%2").arg(courseTableName(day)).arg(appId), {},
                        "remove course app failed:", [this, day]() { emit courseChanged(day); });
}

bool DB::checkAppExists(int day, int appId, bool& exists) {
    unsigned count = 0;
    if (!m_file.count(QString("SELECT count(*) FROM %1 WHERE appId= %2").arg(courseTableName(day)).arg(appId),
                      {}, "exec query failed:", count))
        return false;
    exists = count != 0;
    return true;
}

bool DB::getAppCourseDays(int appId, QList<int>& days) {
    if (!isOpen())
        return false;
    for (int day = kFirstDay; day <= kLastDay; ++day) {
        bool exists = false;
        if (checkAppExists(day, appId, exists) && exists)
            days.append(day);
    }
    return true;
}

bool DB::getPackMarks(const QString& packId, QHash<int, AppMarks>& marks) {
    marks.clear();
    QSqlQuery q;
    if (!m_file.exec(
            "SELECT appId,productId,favor,favorDate FROM AppTbl WHERE packId = :packId AND isUserFile = 0",
            {{":packId", packId}}, "get pack marks failed:", &q))
        return false;
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
    q.finish();
    // Every date that has a course table: plans made while the calendar stood
    // a week later, or the week before, are a teacher's plans too. One look
    // at each table, not one per resource.
    QSqlQuery tables;
    if (!m_file.exec(
            "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'courseTbl\\_%' ESCAPE '\\'", {},
            "get pack marks failed:", &tables))
        return false;
    QStringList names;
    while (tables.next())
        names << tables.value(0).toString();
    tables.finish();
    for (const QString& table : names) {
        QSqlQuery planned;
        if (!m_file.exec(
                QString(
                    "SELECT appId FROM %1 WHERE appId IN (SELECT appId FROM AppTbl WHERE packId = :packId)")
                    .arg(table),
                {{":packId", packId}}, "get pack marks failed:", &planned))
            return false;
        while (planned.next()) {
            const auto product = productOf.constFind(planned.value(0).toInt());
            if (product != productOf.constEnd())
                marks[product.value()].courseTables.append(table);
        }
    }
    return true;
}

bool DB::restoreMarks(int productId, const AppMarks& marks) {
    if (!isOpen())
        return false;
    QSqlQuery find;
    if (!m_file.exec("SELECT appId FROM AppTbl WHERE productId = :productId AND isUserFile = 0",
                     {{":productId", productId}}, "restore marks failed:", &find))
        return false;
    if (!find.next()) {
        TLOG_ERROR("restore marks failed: no resource " << productId);
        return false;
    }
    const int appId = find.value(0).toInt();
    find.finish();
    // One transaction for the favourite and the days (the import's, when it runs in one).
    if (!beginBatch())
        return false;
    bool ok = true;
    if (marks.favor) {
        if (m_file.exec("UPDATE AppTbl SET favor = 1, favorDate = :favorDate WHERE appId = :appId",
                        {{":favorDate", marks.favorDate}, {":appId", appId}}, "restore favor failed:"))
            announce([this, appId]() { emit favorChanged(appId, true); });
        else
            ok = false;
    }
    for (const QString& table : marks.courseTables) {
        if (m_file.exec(QString("INSERT INTO %1(appId)VALUES(%2)").arg(table).arg(appId), {},
                        "restore course day failed:")) {
            // Only a day of the fortnight is on a list that could show the change.
            for (int day = kFirstDay; day <= kLastDay; ++day)
                if (courseTableName(day) == table)
                    announce([this, day]() { emit courseChanged(day); });
        } else {
            ok = false;
        }
    }
    return endBatch() && ok;
}

bool DB::packOfProduct(int productId, QString& packId) {
    packId.clear();
    QSqlQuery q;
    if (!m_file.exec("SELECT packId FROM AppTbl WHERE productId = :productId AND isUserFile = 0",
                     {{":productId", productId}}, "find pack of resource failed:", &q))
        return false;
    if (q.next())
        packId = q.value(0).toString();
    q.finish();
    return true;
}

bool DB::userFileRowCount(const QString& path, bool external, unsigned& count) {
    return m_file.count(
        "SELECT count(*) FROM AppTbl WHERE isUserFile = 1 AND isExternal = :external AND path = :path",
        {{":external", external ? 1 : 0}, {":path", path}}, "count user file rows failed:", count);
}

bool DB::iconRowCount(const QString& icon, unsigned& count) {
    return m_file.count("SELECT count(*) FROM AppTbl WHERE isUserFile = 0 AND icon = :icon",
                        {{":icon", icon}}, "count icon rows failed:", count);
}

bool DB::appFiles(QList<AppFile>& out, const QString& proTypeFilter) {
    out.clear();
    if (!isOpen())
        return false;
    QSqlQuery q;
    const QString sql =
        "SELECT name,path,icon,proType,fileName,isUserFile,isExternal FROM AppTbl" +
        QString(proTypeFilter.isEmpty() ? "" : " WHERE isUserFile = 0 AND proType = :proType");
    if (!m_file.exec(sql,
                     proTypeFilter.isEmpty() ? SqliteFile::Binds()
                                             : SqliteFile::Binds{{":proType", proTypeFilter}},
                     "read resource files failed:", &q))
        return false;
    while (q.next()) {
        AppFile f;
        f.name = q.value(0).toString();
        f.path = q.value(1).toString();
        f.icon = q.value(2).toString();
        f.proType = q.value(3).toString();
        f.fileName = q.value(4).toString();
        f.isUserFile = q.value(5).toInt() != 0;
        f.isExternal = q.value(6).toInt() != 0;
        out.append(f);
    }
    return true;
}

int DB::mendUserRows() {
    if (!isOpen())
        return 0;
    unsigned rows = 0;
    if (!m_file.count("SELECT count(*) FROM UserTbl WHERE flag='local'", {}, "query user failed:", rows) ||
        rows < 2)
        return 0;
    QSqlQuery q;
    if (!m_file.exec("SELECT userId FROM UserTbl WHERE flag='local' ORDER BY (coalesce(name,'') <> '') DESC, "
                     "userId DESC LIMIT 1",
                     {}, "query user failed:", &q) ||
        !q.next())
        return 0;
    const int keep = q.value(0).toInt();
    q.finish();
    if (!m_file.exec("DELETE FROM UserTbl WHERE flag='local' AND userId <> :keep", {{":keep", keep}},
                     "mend user rows failed:"))
        return 0;
    TLOG_INFO("the catalogue held " << rows << " local user rows; the one of user " << keep << " stays");
    return int(rows) - 1;
}

// ---- library changes ------------------------------------------------------------

bool DB::markChange(const QString& id, const QString& what) {
    return m_file.exec("INSERT INTO LibraryChangeTbl(id,what)VALUES(:id,:what)",
                       {{":id", id}, {":what", what}}, "mark library change failed:");
}

bool DB::isChangeMarked(const QString& id, bool& marked) {
    unsigned count = 0;
    if (!m_file.count("SELECT count(*) FROM LibraryChangeTbl WHERE id = :id", {{":id", id}},
                      "query library change failed:", count))
        return false;
    marked = count != 0;
    return true;
}

bool DB::unmarkChange(const QString& id) {
    return m_file.exec("DELETE FROM LibraryChangeTbl WHERE id = :id", {{":id", id}},
                       "unmark library change failed:");
}

bool DB::clearChangeMarks() {
    return m_file.exec("DELETE FROM LibraryChangeTbl", {}, "clear library changes failed:");
}

// ---- app lists ------------------------------------------------------------------

bool DB::getApps(QSqlQuery& q, DataSet<TaviApp>* result) {
    result->clear();
    if (!q.exec()) {
        TLOG_ERROR("getApps failed:" << q.lastError().text());
        TLOG_DEBUG(q.lastQuery());
        return false;
    }
    const AppRowReader reader(q.record());
    while (q.next())
        result->append(reader.read(q));
    return true;
}

bool DB::getApps(QString sql, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    QSqlQuery q(m_file.connection());
    q.prepare(sql);
    return getApps(q, result);
}

bool DB::searchApps(_AppSearchPara* para, unsigned& count, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    _AppSearchPara plain = *para;
    if (!para->name.isEmpty() && m_search.ready()) {
        const SearchText text = searchText(para->name);
        if (!text.literal.isEmpty())
            return searchAppsByName(*para, text, count, result);
        plain.name.clear(); // blanks alone: nothing to match, every resource
    }
    const PagedQuery pq = buildAppSearch(plain, m_search.ready());
    qDebug() << pq.selectSql;
    if (!m_file.count(pq.countSql, pq.binds, "query app count failed:", count))
        return false;
    QSqlQuery q(m_file.connection());
    q.prepare(pq.selectSql);
    for (const auto& b : pq.binds)
        q.bindValue(b.first, b.second);
    getApps(q, result);
    return true;
}

bool DB::searchAppsByName(const _AppSearchPara& para, const SearchText& text, unsigned& count,
                          DataSet<TaviApp>* result) {
    result->clear();
    QVector<qint64> page;
    // The count and the page from one snapshot, though a job may write meanwhile.
    QSqlQuery snapshot(m_file.connection());
    snapshot.exec("SAVEPOINT search");
    const bool found = m_search.search(text, {para.proType, para.packId}, para.limit, para.offset,
                                       para.desc != 0, count, page);
    qDebug() << "search" << para.name << "->" << text.literal << text.initials << text.pinyin << count;
    if (found && !page.isEmpty()) {
        QStringList ids;
        for (qint64 id : qAsConst(page))
            ids << QString::number(id);
        QSqlQuery q(m_file.connection());
        q.prepare("select * from AppTbl where appId in (" + ids.join(',') + ")");
        DataSet<TaviApp> rows;
        getApps(q, &rows); // as the plain search, a failed select leaves the page empty
        QHash<qint64, TaviAppPtr> byId;
        for (const TaviAppPtr& app : qAsConst(rows))
            byId.insert(app->appId, app);
        for (qint64 id : qAsConst(page))
            if (byId.contains(id))
                result->append(byId.value(id));
    }
    snapshot.exec("RELEASE search");
    return found;
}

bool DB::getCourseApps(_GetCourseAppsPara* para, unsigned& count, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    const PagedQuery pq = buildCourseApps(courseTableName(para->day), *para);
    if (!m_file.count(pq.countSql, pq.binds, "query app count failed:", count))
        return false;
    getApps(pq.selectSql, result);
    return true;
}

bool DB::getFavorApps(_GetFavorAppsPara* para, unsigned& count, DataSet<TaviApp>* result) {
    if (!isOpen())
        return false;
    const PagedQuery pq = buildFavorApps(*para);
    if (!m_file.count(pq.countSql, pq.binds, "query app count failed:", count))
        return false;
    getApps(pq.selectSql, result);
    return true;
}
