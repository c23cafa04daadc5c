// The region cache on real SQLite files (the shipped offline.db among them),
// its rebuild job and the per-city school refresh against a recording HTTP
// server on 127.0.0.1, and its use from a second thread.

#include "online/cacheworker.h"
#include "online/netclient.h"
#include "online/offlinedb.h"
#include "online/regioncache.h"
#include "online/schoollist.h"
#include "platform/log.h"
#include "support/httpserver.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using testsupport::HttpServer;
using testsupport::readFile;
using testsupport::waitFor;

namespace {

const QString kShippedCache = QString(TAVI_CLIENT_BUILD_DIR) + "/offline.db";

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::setupClientLogging(dir.path());
        path = dir.path() + "/offline.db";
    }
    void TearDown() override { cache.reset(); }
    QString log() const { return readFile(dir.path() + "/debug/taviassistant.log"); }

    // An empty cache file (a zero-length file is an empty SQLite database).
    void openEmpty() {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        cache = std::make_unique<OfflineDB>(path, "offline");
        ASSERT_TRUE(cache->open());
    }
    void openShipped() {
        ASSERT_TRUE(QFile::copy(kShippedCache, path)) << kShippedCache.toStdString();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        cache = std::make_unique<OfflineDB>(path, "offline");
        ASSERT_TRUE(cache->open());
    }
    void addSchool(int id, const QString& name, int city) {
        _SchoolInfo s;
        s.id = id;
        s.name = name;
        s.cityId = city;
        ASSERT_TRUE(cache->addSchool(&s));
    }
    QStringList schoolNames(int city) {
        DataSet<_SchoolInfo> schools;
        EXPECT_TRUE(cache->getSchools(city, &schools));
        QStringList names;
        for (const auto& s : schools)
            names << s->name;
        return names;
    }
    int count(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database("offline"));
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<OfflineDB> cache;
};

} // namespace

TEST_F(CacheTest, OpeningTwiceGivesTrueThenFalseAndOneConnection) {
    openEmpty();
    EXPECT_FALSE(cache->open());
    EXPECT_EQ(QSqlDatabase::connectionNames().count("offline"), 1);
    EXPECT_EQ(
        count("select count(*) from sqlite_master where type='table' and name in ('ProCityTbl','SchoolTbl')"),
        2);
    EXPECT_TRUE(cache->close());
    EXPECT_FALSE(QSqlDatabase::contains("offline"));
    EXPECT_TRUE(cache->close()) << "closing a closed cache is fine";
}

TEST_F(CacheTest, AMissingFileLeavesTheCacheClosedAndEveryOperationFalse) {
    cache = std::make_unique<OfflineDB>(path, "offline");
    EXPECT_FALSE(cache->open());
    EXPECT_FALSE(QFileInfo::exists(path)) << "no empty cache is made in its place";
    EXPECT_TRUE(log().contains("ERROR - open db failed:"));

    DataSet<_ProvCityInfo> list;
    list.append(new _ProvCityInfo);
    EXPECT_FALSE(cache->getProvinceCity(0, &list));
    _ProvCityInfo p;
    EXPECT_FALSE(cache->addProvinceCity(&p));
    EXPECT_FALSE(cache->getProvinceCityDetail(&p));
    EXPECT_FALSE(cache->clearProvinceCity());
    _SchoolInfo s;
    EXPECT_FALSE(cache->addSchool(&s));
    EXPECT_FALSE(cache->getSchoolDetail(&s));
    EXPECT_FALSE(cache->clearSchool());
    EXPECT_FALSE(cache->clearSchool(1));
    DataSet<_SchoolInfo> schools;
    EXPECT_FALSE(cache->getSchools(1, &schools));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(CacheTest, AFileThatIsNotADatabaseOpensButAnswersNothing) {
    ASSERT_TRUE(testsupport::writeFile(path, QByteArray(4096, 'x')));
    cache = std::make_unique<OfflineDB>(path, "offline");
    cache->open();
    DataSet<_ProvCityInfo> list;
    EXPECT_FALSE(cache->getProvinceCity(0, &list));
    EXPECT_TRUE(list.isEmpty());
    const QString text = log();
    EXPECT_TRUE(text.contains("ERROR - create ProCityTbl failed"));
    EXPECT_TRUE(text.contains("ERROR - getProvinceCity failed:"));
}

TEST_F(CacheTest, RowsGoInAndComeOutAsTheOperationsSay) {
    openEmpty();
    DataSet<_ProvCityInfo> list;
    list.append(new _ProvCityInfo);
    EXPECT_TRUE(cache->getProvinceCity(0, &list));
    EXPECT_TRUE(list.isEmpty()) << "an empty table gives an empty (cleared) set";

    _ProvCityInfo beijing{110000, QString::fromUtf8("北京市"), 0};
    _ProvCityInfo chaoyang{110105, QString::fromUtf8("朝阳区"), 110000};
    _ProvCityInfo haidian{110108, QString::fromUtf8("海淀区"), 110000};
    ASSERT_TRUE(cache->addProvinceCity(&beijing));
    ASSERT_TRUE(cache->addProvinceCity(&haidian));
    ASSERT_TRUE(cache->addProvinceCity(&chaoyang));
    _ProvCityInfo again{110000, "again", 0};
    EXPECT_FALSE(cache->addProvinceCity(&again)) << "a plain insert";
    EXPECT_TRUE(log().contains("ERROR - add addProvinceCity failed:"));

    ASSERT_TRUE(cache->getProvinceCity(110000, &list));
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0]->id, 110108) << "row order";
    EXPECT_EQ(list[1]->name, QString::fromUtf8("朝阳区"));
    EXPECT_EQ(list[0]->parentId, 0) << "parentId of the results is not filled";

    _ProvCityInfo detail;
    detail.id = 110105;
    ASSERT_TRUE(cache->getProvinceCityDetail(&detail));
    EXPECT_EQ(detail.name, QString::fromUtf8("朝阳区"));
    EXPECT_EQ(detail.parentId, 110000);
    _ProvCityInfo unknown;
    unknown.id = 4242;
    ASSERT_TRUE(cache->getProvinceCityDetail(&unknown));
    EXPECT_TRUE(unknown.name.isEmpty());

    addSchool(1004, "Sun", 110105);
    addSchool(1005, "Moon", 110105);
    addSchool(1004, "Sun & Moon", 110108); // replaces the row of the same id
    EXPECT_EQ(schoolNames(110105), QStringList({"Moon"}));
    EXPECT_EQ(schoolNames(110108), QStringList({"Sun & Moon"}));
    _SchoolInfo school;
    school.id = 1004;
    ASSERT_TRUE(cache->getSchoolDetail(&school));
    EXPECT_EQ(school.name, "Sun & Moon");
    EXPECT_EQ(school.cityId, 110108);
    _SchoolInfo none;
    none.id = 1;
    ASSERT_TRUE(cache->getSchoolDetail(&none));
    EXPECT_TRUE(none.name.isEmpty());

    // A quote in a name is only a character.
    addSchool(7, "O'Brien's", 110105);
    EXPECT_EQ(schoolNames(110105), QStringList({"Moon", "O'Brien's"}));
    ASSERT_TRUE(cache->clearSchool(110105));
    EXPECT_TRUE(schoolNames(110105).isEmpty());
    EXPECT_EQ(schoolNames(110108).size(), 1);
    ASSERT_TRUE(cache->clearSchool());
    EXPECT_TRUE(schoolNames(110108).isEmpty());
    ASSERT_TRUE(cache->clearProvinceCity());
    EXPECT_EQ(count("select count(*) from ProCityTbl"), 0);
}

TEST_F(CacheTest, TheShippedCacheHoldsEveryProvinceAndItsCities) {
    openShipped();
    DataSet<_ProvCityInfo> provinces;
    ASSERT_TRUE(cache->getProvinceCity(0, &provinces));
    EXPECT_EQ(provinces.size(), 34);
    EXPECT_EQ(provinces.first()->name, QString::fromUtf8("北京市"));
    DataSet<_ProvCityInfo> cities;
    ASSERT_TRUE(cache->getProvinceCity(110000, &cities));
    EXPECT_EQ(cities.size(), 16);
    ASSERT_TRUE(cache->getProvinceCity(440000, &cities));
    EXPECT_GT(cities.size(), 15);
    EXPECT_EQ(count("select count(*) from SchoolTbl"), 0) << "schools are fetched city by city";
}

TEST_F(CacheTest, TheRebuildSkipsPlaceholdersAndFillsTheParents) {
    openEmpty();
    _ProvCityInfo stale{999, "stale", 0};
    ASSERT_TRUE(cache->addProvinceCity(&stale));
    addSchool(1, "stale school", 999);

    // Each level answered by the number asked for.
    const QMap<QString, QByteArray> regions = {
        {"0", R"([{"id":"-1","name":"none"},{"id":"11","name":"P11"},{"id":"12","name":"P12"}])"},
        {"11", R"([{"id":"-1","name":"none"},{"id":"1101","name":"C1101"},{"id":"1102","name":"C1102"}])"},
        {"12", R"([{"id":"1201","name":"C1201"}])"},
    };
    const QMap<QString, QByteArray> schools = {
        {"1101", R"([{"id":"-1","name":"minus"},{"id":"184","name":"skip"},{"id":"0","name":"zero"},
                     {"id":"501","name":"S501"}])"},
        {"1102", R"([{"id":"502","name":"S502"}])"},
        {"1201", R"([{"id":"184","name":"skip"},{"id":"503","name":"S503"}])"},
    };
    HttpServer server;
    server.setResponder([&](const HttpServer::Request& request, HttpServer::Reply* reply) {
        const auto form = testsupport::decodeForm(request.body);
        if (request.path() == "/api/get_pc")
            reply->body = regions.value(testsupport::formValue(form, "pro_id"), "[]");
        else if (request.path() == "/api/get_nurseries")
            reply->body = schools.value(testsupport::formValue(form, "city_id"), "[]");
        else
            return false;
        reply->status = 200;
        return true;
    });
    NetClient net(server.baseAddress(), "dev", "1", nullptr);
    CacheWorker worker(&net, cache.get());
    QSignalSpy started(&worker, &CacheWorker::started);
    QSignalSpy done(&worker, &CacheWorker::done);
    emit worker.run();
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(done.first().first().toInt(), 0);

    EXPECT_EQ(count("select count(*) from ProCityTbl where id=999"), 0) << "the old content went";
    EXPECT_EQ(count("select count(*) from SchoolTbl where id=1"), 0);
    EXPECT_EQ(count("select count(*) from ProCityTbl where id=-1"), 0);
    EXPECT_EQ(count("select count(*) from ProCityTbl"), 5);
    EXPECT_EQ(count("select parentId from ProCityTbl where id=12"), 0);
    EXPECT_EQ(count("select parentId from ProCityTbl where id=1102"), 11);
    EXPECT_EQ(count("select parentId from ProCityTbl where id=1201"), 12);
    EXPECT_EQ(count("select count(*) from SchoolTbl where id=184"), 0) << "184 is never stored";
    EXPECT_EQ(count("select count(*) from SchoolTbl where id=-1"), 0);
    EXPECT_EQ(count("select cityId from SchoolTbl where id=0"), 1101) << "0 is stored by the rebuild";
    EXPECT_EQ(count("select cityId from SchoolTbl where id=501"), 1101);
    EXPECT_EQ(count("select cityId from SchoolTbl where id=503"), 1201);
    EXPECT_EQ(count("select count(*) from SchoolTbl"), 4);
    // Every stored province was asked for its cities, every stored city for its schools.
    QStringList asked;
    for (const QByteArray& body : server.bodies("/api/get_pc"))
        asked << testsupport::formValue(testsupport::decodeForm(body), "pro_id");
    EXPECT_EQ(asked, QStringList({"0", "11", "12"}));
    QStringList cities;
    for (const QByteArray& body : server.bodies("/api/get_nurseries"))
        cities << testsupport::formValue(testsupport::decodeForm(body), "city_id");
    EXPECT_EQ(cities, QStringList({"1101", "1102", "1201"}));
}

TEST_F(CacheTest, ARebuildWithoutTheServiceKeepsTheCache) {
    openShipped();
    addSchool(1004, "Sun", 110105);
    quint16 closed = 0;
    {
        HttpServer gone;
        closed = gone.port();
    }
    NetClient net(QString("http://127.0.0.1:%1").arg(closed), "dev", "1", nullptr);
    CacheWorker worker(&net, cache.get());
    QSignalSpy done(&worker, &CacheWorker::done);
    emit worker.run();
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(done.first().first().toInt(), NET_POST_FAILED) << "nothing was rebuilt";
    EXPECT_EQ(count("select count(*) from ProCityTbl where parentId=0"), 34);
    EXPECT_EQ(schoolNames(110105), QStringList({"Sun"}));
}

TEST_F(CacheTest, ACitysRefreshReplacesOnlyThatCityAndSkipsIdZero) {
    openShipped();
    addSchool(1, "old in 110105", 110105);
    addSchool(2, "other city", 110108);
    HttpServer server;
    server.setReply(
        "/api/get_nurseries",
        R"([{"id":"0","name":"zero"},{"id":"184","name":"kept"},{"id":"1004","name":"Sun & Moon"}])");
    NetClient net(server.baseAddress(), "dev", "1", nullptr);
    DataSet<_SchoolInfo> offered;
    fetchCitySchools(&net, cache.get(), 110105, &offered);
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered[0]->id, 184) << "184 is a school like any other here";
    EXPECT_EQ(offered[1]->name, "Sun & Moon");
    EXPECT_EQ(offered[1]->cityId, 110105);
    EXPECT_EQ(schoolNames(110105), QStringList({"kept", "Sun & Moon"}));
    EXPECT_EQ(schoolNames(110108), QStringList({"other city"}));
    EXPECT_EQ(count("select count(*) from SchoolTbl where id=0"), 0);
    EXPECT_EQ(testsupport::formValue(testsupport::decodeForm(server.bodies("/api/get_nurseries").last()),
                                     "city_id"),
              "110105");

    // Nothing from the service (an empty list, a failure): the cached schools, unchanged.
    server.setReply("/api/get_nurseries", "[]");
    fetchCitySchools(&net, cache.get(), 110105, &offered);
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered[0]->name, "kept");
    server.setReply("/api/get_nurseries", "garbage");
    fetchCitySchools(&net, cache.get(), 110105, &offered);
    EXPECT_EQ(offered.size(), 2);
    fetchCitySchools(nullptr, cache.get(), 110108, &offered);
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered[0]->name, "other city");
    fetchCitySchools(&net, nullptr, 110108, &offered);
    EXPECT_TRUE(offered.isEmpty());
}

TEST_F(CacheTest, AnotherThreadGetsItsOwnConnectionAndBothWork) {
    openShipped();
    addSchool(1004, "Sun", 110105);
    std::atomic<int> found{-1};
    QString threadConnection;
    bool sawMainName = false;
    QThread* worker = QThread::create([&] {
        _SchoolInfo school;
        school.id = 1004;
        _ProvCityInfo city;
        city.id = 110105;
        if (cache->getSchoolDetail(&school) && cache->getProvinceCityDetail(&city) && school.name == "Sun" &&
            city.name == QString::fromUtf8("朝阳区"))
            found = 1;
        else
            found = 0;
        // Writes from here while the first thread reads.
        for (int i = 0; i < 200; ++i) {
            _SchoolInfo s;
            s.id = 5000 + i;
            s.name = QString("w%1").arg(i);
            s.cityId = 110108;
            if (!cache->addSchool(&s))
                found = 0;
        }
        for (const QString& name : QSqlDatabase::connectionNames()) {
            if (name.startsWith("offline_"))
                threadConnection = name;
            sawMainName = sawMainName || name == "offline";
        }
    });
    worker->start();
    int reads = 0;
    while (!worker->isFinished()) {
        EXPECT_EQ(schoolNames(110105), QStringList({"Sun"}));
        ++reads;
    }
    worker->wait();
    delete worker;
    EXPECT_EQ(found.load(), 1);
    EXPECT_GT(reads, 0);
    EXPECT_FALSE(threadConnection.isEmpty()) << "the thread used a clone of its own";
    EXPECT_TRUE(sawMainName);
    EXPECT_EQ(schoolNames(110108).size(), 200);
    EXPECT_FALSE(QSqlDatabase::contains(threadConnection)) << "the thread's connection went with the thread";
    EXPECT_FALSE(log().contains("database is locked"));
}

// The working copy in the data folder, made, mended and brought up to date
// from the shipped one; every outcome leaves a cache the page can read.
TEST_F(CacheTest, TheWorkingCopyIsMadeMendedAndUpdatedFromTheShippedOne) {
    const QString shipped = dir.path() + "/shipped.db";
    auto sql = [](const QString& file, const QString& statement) {
        const testsupport::ProcessResult r = testsupport::run("sqlite3", {file, statement});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return r.out.trimmed();
    };
    auto freshShipped = [&] {
        QFile::remove(shipped);
        ASSERT_TRUE(QFile::copy(kShippedCache, shipped));
        QFile::setPermissions(shipped, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    };
    auto withSchools = [&] {
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(kShippedCache, path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        sql(path,
            "insert into SchoolTbl values(1001,'Sun',110105),(1002,'Moon',110105),(1003,'Star',110108)");
    };
    auto bytes = [](const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    struct Case {
        const char* what;
        std::function<void()> prepareFiles;
        bool usable;
        QString schools; // of the working copy afterwards
        const char* logLine;
        bool setAside = true; // the damaged file kept beside as offline.db.damaged
        std::function<void()> alsoCheck = {};
    };
    const QList<Case> cases = {
        {"missing", [&] { QFile::remove(path); }, true, "0",
         "INFO  - region cache made from the shipped copy", false},
        {"garbage", [&] { ASSERT_TRUE(testsupport::writeFile(path, QByteArray(8192, 'x'))); }, true, "0",
         "not a database"},
        {"without provinces",
         [&] {
             withSchools();
             sql(path, "delete from ProCityTbl");
         },
         true, "3", "no provinces: made again from the shipped copy, 3 schools kept"},
        {"truncated",
         [&] {
             withSchools();
             QFile f(path);
             ASSERT_TRUE(f.resize(f.size() / 2));
         },
         true, "", "made again from the shipped copy"},
        {"usable, and the shipped copy brings a new city",
         [&] {
             withSchools();
             sql(path, "update ProCityTbl set name='Renamed' where id=110105");
             sql(shipped, "insert into ProCityTbl values(110199,'New district',110000)");
         },
         true, "3", "region cache: 1 rows added from the shipped copy", false,
         [&] {
             // What the working copy had stays its own; only what it lacked came in.
             EXPECT_EQ(sql(path, "select name from ProCityTbl where id in (110105,110199) order by id"),
                       "Renamed\nNew district");
         }},
        {"garbage, and no shipped copy",
         [&] {
             ASSERT_TRUE(testsupport::writeFile(path, QByteArray(8192, 'x')));
             QFile::remove(shipped);
         },
         false, "0", "is missing: an empty cache with 0 schools"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshShipped();
        QFile::remove(path + ".damaged");
        c.prepareFiles();
        const QByteArray shippedBefore = bytes(shipped);
        EXPECT_EQ(regioncache::prepare(shipped, path), c.usable);
        EXPECT_TRUE(log().contains(c.logLine)) << log().toStdString();
        EXPECT_EQ(sql(path, "PRAGMA quick_check"), "ok");
        EXPECT_EQ(sql(path, "select count(*) from ProCityTbl").toInt() == 0, !c.usable);
        if (!c.schools.isEmpty())
            EXPECT_EQ(sql(path, "select count(*) from SchoolTbl"), c.schools);
        EXPECT_EQ(bytes(shipped), shippedBefore) << "the shipped copy is never written";
        EXPECT_FALSE(QFileInfo::exists(path + ".new"));
        EXPECT_EQ(QFileInfo::exists(path + ".damaged"), c.setAside);
        if (c.alsoCheck)
            c.alsoCheck();
    }
}
