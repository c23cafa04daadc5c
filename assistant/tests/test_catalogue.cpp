// The catalogue on real SQLite files: statements, paging, ordering, the course
// cascade, signals, failure logging and use from two threads at once.

#include "catalogue/db.h"
#include "catalogue/sqlbuild.h"
#include "platform/log.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using testsupport::readFile;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::setupClientLogging(dir.path());
        db = std::make_unique<DB>(dir.path() + "/main.db", "default");
        // A fixed fortnight so the course tables do not depend on today.
        db->setDayMapper([](int day) { return fortnightDate(QDate(2016, 3, 3), day); });
        ASSERT_TRUE(db->open());
        ASSERT_TRUE(db->setup());
    }
    void TearDown() override { db.reset(); }

    QString log() const { return readFile(dir.path() + "/debug/taviassistant.log"); }

    // The names a search lists, in its order; count gets all matches.
    QStringList found(const QString& typed, unsigned* count = nullptr, unsigned limit = 0,
                      unsigned offset = 0, const QString& packId = QString()) {
        _AppSearchPara para;
        para.name = typed;
        para.packId = packId;
        para.orderBy = 1;
        para.limit = limit;
        para.offset = offset;
        unsigned matches = 0;
        DataSet<TaviApp> page;
        EXPECT_TRUE(db->searchApps(&para, matches, &page));
        if (count)
            *count = matches;
        QStringList names;
        for (const TaviAppPtr& app : page)
            names << app->name;
        return names;
    }
    // How many search rows and keys the catalogue holds for a resource.
    int indexRows(int appId) {
        QSqlQuery q(QSqlDatabase::database("default"));
        int rows = 0;
        for (const char* table : {"AppSearchTbl", "AppSearchKeyTbl"}) {
            EXPECT_TRUE(q.exec(QString("select count(*) from %1 where appId = %2").arg(table).arg(appId)));
            rows += q.next() ? q.value(0).toInt() : 0;
        }
        return rows;
    }

    int addPublisherApp(const QString& name, int productId, const QString& packId = "p1") {
        _TaviApp app;
        app.productId = productId;
        app.name = name;
        app.packId = packId;
        app.proType = "books";
        app.path = name + ".tvp";
        app.firstDate = QDate(2015, 6, 1);
        EXPECT_TRUE(db->addApp(&app));
        DataSet<TaviApp> found;
        EXPECT_TRUE(db->getApps(QString("select * from AppTbl where productId = %1").arg(productId), &found));
        return found.isEmpty() ? 0 : found.first()->appId;
    }

    QTemporaryDir dir;
    std::unique_ptr<DB> db;
};

} // namespace

TEST(SqlBuild, FiltersOrderingAndPaging) {
    _AppSearchPara all;
    all.orderBy = 2;
    PagedQuery q = buildAppSearch(all);
    EXPECT_EQ(q.countSql, "select count(*) from AppTbl");
    EXPECT_EQ(q.selectSql, "select * from AppTbl");

    _AppSearchPara byName;
    byName.name = "ab";
    byName.orderBy = 1;
    byName.limit = 10;
    q = buildAppSearch(byName);
    EXPECT_EQ(q.countSql, "select count(*) from AppTbl where name like :name escape '\\'");
    EXPECT_EQ(
        q.selectSql,
        "select * from AppTbl where name like :name escape '\\' order by name collate names asc limit 10");
    ASSERT_EQ(q.binds.size(), 1);
    EXPECT_EQ(q.binds[0].second.toString(), "%ab%");

    _AppSearchPara three;
    three.proType = "music";
    three.name = "x";
    three.packId = "p";
    three.orderBy = 0;
    three.desc = 1;
    q = buildAppSearch(three);
    EXPECT_EQ(
        q.selectSql,
        "select * from AppTbl where proType=:proType and packId=:packId and name like :name escape '\\' "
        "order by accessDate desc");

    _PackSearchPara packs;
    packs.orderBy = 1;
    packs.limit = 8;
    packs.offset = 16;
    EXPECT_EQ(buildPackSearch(packs).selectSql,
              "select * from PackTbl order by installDate asc, rowid asc limit 8 offset 16");
    packs.orderBy = 7;
    packs.limit = 0;
    packs.offset = 0;
    EXPECT_EQ(buildPackSearch(packs).selectSql, "select * from PackTbl");

    // With the search index, a name order joins the sort keys instead of collating names.
    _AppSearchPara packPage;
    packPage.packId = "p";
    packPage.orderBy = 1;
    packPage.limit = 10;
    EXPECT_EQ(buildAppSearch(packPage, true).selectSql,
              "select a.* from AppTbl a left join AppSearchTbl s on s.appId = a.appId where a.packId=:packId "
              "order by s.sortKey asc, a.appId asc limit 10");
    EXPECT_EQ(buildAppSearch(packPage, true).countSql, "select count(*) from AppTbl where packId=:packId");

    // An offset alone still gives a statement SQLite accepts.
    EXPECT_EQ(pagingClause(0, 5), " limit -1 offset 5");
    EXPECT_EQ(pagingClause(0, 0), "");
}

TEST_F(CatalogueTest, NamesComeInTheOrderATeacherReadsThem) {
    // Numbers by value, capitals ignored, Chinese by its reading (pinyin:
    // ba, ma, yu), on the owner's connection and on a job thread's.
    const QStringList shuffled = {QString::fromUtf8("儿歌 第10首"),
                                  "song 2",
                                  QString::fromUtf8("儿歌 第2首"),
                                  "Song 10",
                                  QString::fromUtf8("鱼"),
                                  QString::fromUtf8("爸爸"),
                                  "song 1",
                                  QString::fromUtf8("妈妈")};
    int id = 300;
    for (const QString& name : shuffled)
        addPublisherApp(name, ++id, "p3");
    // The Chinese order puts Chinese names before Latin ones.
    const QStringList expected = {QString::fromUtf8("爸爸"),
                                  QString::fromUtf8("儿歌 第2首"),
                                  QString::fromUtf8("儿歌 第10首"),
                                  QString::fromUtf8("妈妈"),
                                  QString::fromUtf8("鱼"),
                                  "song 1",
                                  "song 2",
                                  "Song 10"};
    auto names = [&] {
        _AppSearchPara para;
        para.packId = "p3";
        para.orderBy = 1;
        unsigned count = 0;
        DataSet<TaviApp> page;
        EXPECT_TRUE(db->searchApps(&para, count, &page));
        QStringList out;
        for (const TaviAppPtr& app : page)
            out << app->name;
        return out;
    };
    EXPECT_EQ(names(), expected);
    QStringList fromThread;
    std::thread job([&] { fromThread = names(); });
    job.join();
    EXPECT_EQ(fromThread, expected) << "a job thread's connection knows the order too";
}

TEST_F(CatalogueTest, SearchCountsAllMatchesAndPagesInOrder) {
    for (int i = 0; i < 25; ++i)
        addPublisherApp(QString("book%1").arg(i, 2, 10, QChar('0')), 100 + i, i < 5 ? "other" : "p1");
    _AppSearchPara para;
    para.name = "book1";
    para.orderBy = 1;
    para.limit = 4;
    para.offset = 4;
    unsigned count = 0;
    DataSet<TaviApp> page;
    ASSERT_TRUE(db->searchApps(&para, count, &page));
    EXPECT_EQ(count, 10u); // book10..book19, not limited by paging
    ASSERT_EQ(page.size(), 4);
    EXPECT_EQ(page[0]->name, "book14");
    EXPECT_EQ(page[3]->name, "book17");
    EXPECT_EQ(page[0]->firstDate, QDate(2015, 6, 1));

    _AppSearchPara byPack;
    byPack.packId = "other";
    byPack.orderBy = 1;
    byPack.desc = 1;
    ASSERT_TRUE(db->searchApps(&byPack, count, &page));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(page.first()->name, "book04");

    // What the user types is matched as typed, wildcards and all.
    addPublisherApp("100% fun", 200, "p2");
    addPublisherApp("a_b song", 201, "p2");
    addPublisherApp("back\\slash", 202, "p2");
    for (const auto& [typed, expected] : std::vector<std::pair<QString, QStringList>>{
             {"%", {"100% fun"}}, {"_", {"a_b song"}}, {"0%", {"100% fun"}}, {"\\", {"back\\slash"}}}) {
        _AppSearchPara literal;
        literal.name = typed;
        literal.orderBy = 1;
        ASSERT_TRUE(db->searchApps(&literal, count, &page));
        QStringList names;
        for (const TaviAppPtr& app : page)
            names << app->name;
        EXPECT_EQ(names, expected) << typed.toStdString();
        EXPECT_EQ(count, unsigned(expected.size()));
    }

    // The list is emptied by every query, also when nothing matches.
    byPack.packId = "none";
    ASSERT_TRUE(db->searchApps(&byPack, count, &page));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(page.isEmpty());
}

// Whole names first, then names that start with the text, then names that
// contain it, then pinyin matches, each in reading order: 聪 (cong) reads
// before 小 (xiao), Chinese before Latin.
TEST_F(CatalogueTest, ChineseNamesAreFoundByPinyinAndRankedAsWritten) {
    const QString cat = QString::fromUtf8("小黑猫"), story = QString::fromUtf8("小黑猫的故事"),
                  clever = QString::fromUtf8("聪明的小黑猫"), song = QString::fromUtf8("儿歌第12首"),
                  meadow = QString::fromUtf8("Happy Meadow 快乐草地");
    addPublisherApp(clever, 1, "p1");
    addPublisherApp(story, 2, "p2");
    addPublisherApp(cat, 3, "p1");
    addPublisherApp(QString::fromUtf8("晓红的画"), 4, "p1"); // xiao hong de hua: 晓 reads as 小
    addPublisherApp("XHM Club", 5, "p1");
    addPublisherApp(song, 6, "p1");
    addPublisherApp(meadow, 7, "p1");

    EXPECT_EQ(found(cat), (QStringList{cat, story, clever}));
    unsigned count = 0;
    EXPECT_EQ(found("xhm", &count), (QStringList{"XHM Club", clever, cat, story}));
    EXPECT_EQ(count, 4u);
    for (const char* typed : {"xiaoheimao", "Xiao Hei", "XIAOHEIM", "小h", "小hm", "小hei猫"})
        EXPECT_EQ(found(QString::fromUtf8(typed)), (QStringList{clever, cat, story})) << typed;
    // Typed Chinese counts as written: 小 is not 晓, whatever they read.
    EXPECT_EQ(found("xh").size(), 5);
    EXPECT_FALSE(found(QString::fromUtf8("小h")).contains(QString::fromUtf8("晓红的画")));
    EXPECT_EQ(found(QString::fromUtf8("小")).size(), 3);
    // Numbers whole, words by their first letter.
    EXPECT_EQ(found("d12s"), QStringList{song});
    EXPECT_EQ(found("ergedi12"), QStringList{song});
    EXPECT_EQ(found("klcd"), QStringList{meadow});
    EXPECT_EQ(found("hmkl"), QStringList{meadow});
    EXPECT_EQ(found("happymeadow"), QStringList{meadow});
    // Pages run on across the groups; a pack narrows the matches.
    EXPECT_EQ(found("xhm", &count, 2, 1), (QStringList{clever, cat}));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(found("xhm", &count, 10, 0, "p2"), QStringList{story});
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(found("zzz", &count).isEmpty());
    EXPECT_EQ(count, 0u);
}

// However a page is reached (looking up each match's sort key, or walking the
// rows in reading order when matches are many), the groups list their names
// as the "names" collation orders them, and pages join up without a gap.
TEST_F(CatalogueTest, SearchPagesFollowTheReadingOrderOfTheCollation) {
    QStringList names;
    for (int i = 1; i <= 30; ++i) {
        names << QString::fromUtf8("小熊儿歌第%1首").arg(i) << QString::fromUtf8("熊猫的故事%1").arg(i);
        names << (i % 2 ? QString("Bear song %1").arg(i) : QString("bear Song %1").arg(i));
    }
    // Many more that do not match: the first page of a group is walked to,
    // later ones are sorted.
    for (int i = 1; i <= 400; ++i)
        names << QString::fromUtf8("大象%1").arg(i);
    names << QString::fromUtf8("熊") << QString::fromUtf8("熊 ") << "BEAR";
    // Added in no particular order, so that no order of the rows passes for the right one.
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    int productId = 0;
    ASSERT_TRUE(db->beginBatch());
    for (const QString& name : names)
        addPublisherApp(name, ++productId, "p1");
    ASSERT_TRUE(db->endBatch());
    auto collated = [&](const QString& where) {
        QStringList out;
        QSqlQuery q(QSqlDatabase::database("default"));
        EXPECT_TRUE(q.exec("select name from AppTbl where " + where + " order by name collate names"));
        while (q.next())
            out << q.value(0).toString();
        return out;
    };
    const QString bear = QString::fromUtf8("熊");
    // Whole (熊, and 熊 with a blank after it), then starting with it, then containing it.
    const QStringList expected = collated(QString::fromUtf8("trim(name) = '熊'")) +
                                 collated(QString::fromUtf8("name like '熊_%' and trim(name) <> '熊'")) +
                                 collated(QString::fromUtf8("name like '_%熊%'"));
    unsigned count = 0;
    EXPECT_EQ(found(bear, &count), expected);
    EXPECT_EQ(count, unsigned(expected.size()));
    QStringList paged;
    for (unsigned offset = 0; offset < count; offset += 7)
        paged << found(bear, nullptr, 7, offset);
    EXPECT_EQ(paged, expected);
    // Latin names: capitals do not count, numbers go by value.
    const QStringList bears = collated("name like 'bear%'");
    EXPECT_EQ(found("BEAR"), bears);
    EXPECT_EQ(found("bear", nullptr, 5, 30), bears.mid(30, 5));
}

// Keys are cut after a few dozen characters; a longer text is still found,
// by what it says in full.
TEST_F(CatalogueTest, TextsLongerThanTheKeysAreCheckedWhole) {
    const QString longName = QString::fromUtf8("聪明的小黑猫的故事第12首");
    addPublisherApp(longName, 1);
    addPublisherApp(QString::fromUtf8("聪明的小黑猫的故事第13首"), 2);
    addPublisherApp("The very long story of the little black cat", 3);
    addPublisherApp("The very long story of the little black dog", 4);
    EXPECT_EQ(found("congmingdexiaoheimaodegushidi12"), QStringList{longName});
    EXPECT_EQ(found("cmdxhmdgsd12s"), QStringList{longName});
    EXPECT_EQ(found("very long story of the little black cat"),
              QStringList{"The very long story of the little black cat"});
    EXPECT_EQ(found("The Very Long Story of the Little Black Dog"),
              QStringList{"The very long story of the little black dog"});
}

TEST_F(CatalogueTest, TheSearchIndexFollowsEveryChange) {
    const int id = addPublisherApp(QString::fromUtf8("小黑猫"), 1);
    const int other = addPublisherApp(QString::fromUtf8("大象"), 2);
    DataSet<TaviApp> apps;
    ASSERT_TRUE(db->getApps(QString("select * from AppTbl where appId = %1").arg(id), &apps));
    apps[0]->name = QString::fromUtf8("大白兔");
    ASSERT_TRUE(db->updateApp(apps[0].data()));
    EXPECT_TRUE(found("xhm").isEmpty());
    EXPECT_EQ(found("dbt"), QStringList{QString::fromUtf8("大白兔")});

    // A newer copy of the product replaces the row, and its search rows.
    const int replaced = addPublisherApp(QString::fromUtf8("小花猫"), 1);
    EXPECT_NE(replaced, id);
    EXPECT_EQ(indexRows(id), 0);
    EXPECT_TRUE(found("dbt").isEmpty());
    EXPECT_EQ(found("xhm"), QStringList{QString::fromUtf8("小花猫")});

    ASSERT_TRUE(db->removeApp(replaced, true));
    EXPECT_EQ(indexRows(replaced), 0);
    EXPECT_TRUE(found("xhm").isEmpty());
    EXPECT_GT(indexRows(other), 2);

    // A user's file, and a change rolled back with its search rows.
    _TaviApp file;
    file.isUserFile = true;
    file.name = QString::fromUtf8("我的歌");
    file.path = "mine.mp3";
    ASSERT_TRUE(db->addApp(&file));
    EXPECT_EQ(found("wdg"), QStringList{QString::fromUtf8("我的歌")});
    ASSERT_TRUE(db->beginBatch());
    addPublisherApp(QString::fromUtf8("小黑狗"), 3);
    db->cancelBatch();
    EXPECT_TRUE(found("xhg").isEmpty());
}

// Older clients and tools write AppTbl without the index: the next start
// brings it in step, and makes it anew when it was made another way.
TEST_F(CatalogueTest, TheNextStartIndexesWhatAnOlderToolWrote) {
    const int kept = addPublisherApp(QString::fromUtf8("大象"), 1);
    const int renamed = addPublisherApp(QString::fromUtf8("小猴子"), 2);
    const int gone = addPublisherApp(QString::fromUtf8("小白兔"), 3);
    db.reset();
    {
        QSqlDatabase tool = QSqlDatabase::addDatabase("QSQLITE", "older tool");
        tool.setDatabaseName(dir.path() + "/main.db");
        ASSERT_TRUE(tool.open());
        QSqlQuery q(tool);
        ASSERT_TRUE(
            q.exec(QString::fromUtf8("insert into AppTbl(productId,name,packId) values(4,'小黑猫','p1')")));
        ASSERT_TRUE(
            q.exec(QString::fromUtf8("update AppTbl set name = '熊猫' where appId = %1").arg(renamed)));
        ASSERT_TRUE(q.exec(QString("delete from AppTbl where appId = %1").arg(gone)));
    }
    QSqlDatabase::removeDatabase("older tool");
    auto start = [&] {
        db = std::make_unique<DB>(dir.path() + "/main.db", "default");
        ASSERT_TRUE(db->open());
        ASSERT_TRUE(db->setup());
    };
    start();
    EXPECT_EQ(found("xhm"), QStringList{QString::fromUtf8("小黑猫")});
    EXPECT_EQ(found("xm"), QStringList{QString::fromUtf8("熊猫")});
    EXPECT_TRUE(found("xhz").isEmpty());
    EXPECT_TRUE(found("xbt").isEmpty());
    EXPECT_EQ(indexRows(gone), 0);
    EXPECT_GT(indexRows(kept), 0);

    // Made by another ICU, or the keys lost: made anew.
    {
        QSqlQuery q(QSqlDatabase::database("default"));
        ASSERT_TRUE(q.exec("update AppSearchInfoTbl set value = 'made elsewhere' where name = 'forms'"));
        ASSERT_TRUE(
            q.exec("update AppSearchTbl set readings = 'x y' where appId = " + QString::number(kept)));
    }
    db.reset();
    start();
    EXPECT_TRUE(log().contains("search index made with made elsewhere"));
    EXPECT_EQ(found("dx"), QStringList{QString::fromUtf8("大象")});
    {
        QSqlQuery q(QSqlDatabase::database("default"));
        ASSERT_TRUE(q.exec("drop table AppSearchKeyTbl"));
    }
    db.reset();
    start();
    EXPECT_EQ(found("dx"), QStringList{QString::fromUtf8("大象")});
    EXPECT_EQ(found("xhm"), QStringList{QString::fromUtf8("小黑猫")});
}

TEST_F(CatalogueTest, FavouritesNewestFirstAndPacksPaged) {
    const int a = addPublisherApp("a", 1), b = addPublisherApp("b", 2), c = addPublisherApp("c", 3);
    QSignalSpy favor(db.get(), &DB::favorChanged);
    ASSERT_TRUE(db->setFavorApp(a, true));
    ASSERT_TRUE(db->setFavorApp(b, true));
    ASSERT_TRUE(db->setFavorApp(c, true));
    ASSERT_TRUE(db->setFavorApp(c, false));
    EXPECT_EQ(favor.count(), 4);
    EXPECT_EQ(favor.last().at(1).toBool(), false);
    // Same-second stamps would tie; make the order explicit.
    QSqlQuery q(QSqlDatabase::database("default"));
    ASSERT_TRUE(q.exec(QString("update AppTbl set favorDate='2020-01-01 10:00:00' where appId=%1").arg(b)));
    _GetFavorAppsPara para;
    para.limit = 10;
    unsigned count = 0;
    DataSet<TaviApp> favs;
    ASSERT_TRUE(db->getFavorApps(&para, count, &favs));
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(favs.size(), 2);
    EXPECT_EQ(favs[0]->appId, a);
    EXPECT_TRUE(favs[0]->favor);

    for (int i = 0; i < 11; ++i) {
        TaviPack p;
        p.packId = QString("pack%1").arg(i);
        p.name = QString("Pack %1").arg(QChar('A' + i));
        ASSERT_TRUE(db->addPack(&p));
    }
    _PackSearchPara pp;
    pp.orderBy = 0;
    pp.limit = 10;
    pp.offset = 10;
    DataSet<TaviPack> packs;
    ASSERT_TRUE(db->searchPacks(&pp, count, &packs));
    EXPECT_EQ(count, 11u);
    ASSERT_EQ(packs.size(), 1);
    EXPECT_EQ(packs[0]->name, "Pack K");
    EXPECT_EQ(packs[0]->installDate, QDate::currentDate());
    unsigned packCount = 0;
    ASSERT_TRUE(db->getPackCount(packCount));
    EXPECT_EQ(packCount, 11u);
}

TEST_F(CatalogueTest, CourseScheduleCascadesWhenAnAppGoes) {
    const int a = addPublisherApp("song", 7);
    const int b = addPublisherApp("story", 8);
    QSignalSpy course(db.get(), &DB::courseChanged);
    ASSERT_TRUE(db->addCourseApp(1, a));
    ASSERT_TRUE(db->addCourseApp(14, a));
    ASSERT_TRUE(db->addCourseApp(14, b));
    EXPECT_EQ(course.count(), 3);
    EXPECT_EQ(db->courseTableName(1), "courseTbl_20160229");
    EXPECT_EQ(db->courseTableName(14), "courseTbl_20160313");

    QList<int> days;
    ASSERT_TRUE(db->getAppCourseDays(a, days));
    EXPECT_EQ(days, (QList<int>{1, 14}));

    _GetCourseAppsPara para;
    para.day = 14;
    para.limit = 10;
    unsigned count = 0;
    DataSet<TaviApp> apps;
    ASSERT_TRUE(db->getCourseApps(&para, count, &apps));
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(apps.size(), 2);
    EXPECT_EQ(apps[0]->name, "song"); // row order of the day's table

    QSignalSpy removed(db.get(), &DB::appRemoved);
    ASSERT_TRUE(db->removeApp(a, false));
    EXPECT_EQ(removed.count(), 0);
    days.clear();
    ASSERT_TRUE(db->getAppCourseDays(a, days));
    EXPECT_TRUE(days.isEmpty());
    ASSERT_TRUE(db->getCourseApps(&para, count, &apps));
    EXPECT_EQ(count, 1u);
    ASSERT_TRUE(db->removeApp(b, true));
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.first().at(0).toInt(), b);

    // A day outside the fortnight has no table: the failure is logged and nothing is signalled.
    course.clear();
    EXPECT_FALSE(db->addCourseApp(15, a));
    EXPECT_EQ(course.count(), 0);
    EXPECT_TRUE(log().contains("add course app failed:"));
    bool exists = true;
    EXPECT_FALSE(db->checkAppExists(0, a, exists));
}

// Inside a batch every change signal waits for the commit (a view reloading
// on it must see the rows), and a rolled-back batch announces nothing.
TEST_F(CatalogueTest, ABatchAnnouncesAfterItsCommitAndARollBackNothing) {
    const int a = addPublisherApp("song", 7);
    QSignalSpy favor(db.get(), &DB::favorChanged), course(db.get(), &DB::courseChanged),
        removed(db.get(), &DB::appRemoved);
    ASSERT_TRUE(db->beginBatch());
    ASSERT_TRUE(db->setFavorApp(a, true));
    ASSERT_TRUE(db->addCourseApp(3, a));
    ASSERT_TRUE(db->beginBatch()) << "batches nest";
    ASSERT_TRUE(db->removeApp(a, true));
    ASSERT_TRUE(db->endBatch());
    EXPECT_EQ(favor.count() + course.count() + removed.count(), 0) << "announced before the commit";
    ASSERT_TRUE(db->endBatch());
    EXPECT_EQ(favor.count(), 1);
    EXPECT_EQ(course.count(), 1);
    EXPECT_EQ(removed.count(), 1);

    const int b = addPublisherApp("story", 8);
    favor.clear();
    ASSERT_TRUE(db->beginBatch());
    ASSERT_TRUE(db->setFavorApp(b, true));
    db->cancelBatch();
    EXPECT_EQ(favor.count(), 0);
    DataSet<TaviApp> found;
    ASSERT_TRUE(db->getApps(QString("select * from AppTbl where appId = %1").arg(b), &found));
    ASSERT_EQ(found.size(), 1);
    EXPECT_FALSE(found.first()->favor) << "the rolled-back change stays undone";
}

TEST_F(CatalogueTest, QuotesInNamesAreJustCharacters) {
    TaviPack pack;
    pack.packId = "tom's pack";
    pack.name = "Tom's songs";
    QSignalSpy added(db.get(), &DB::packAdded), removed(db.get(), &DB::packRemoved);
    ASSERT_TRUE(db->addPack(&pack));
    bool exists = false;
    ASSERT_TRUE(db->checkPackExists("tom's pack", exists));
    EXPECT_TRUE(exists);
    _PackSearchPara para;
    para.name = "m's s";
    unsigned count = 0;
    DataSet<TaviPack> packs;
    ASSERT_TRUE(db->searchPacks(&para, count, &packs));
    EXPECT_EQ(count, 1u);
    ASSERT_TRUE(db->removePack("tom's pack"));
    ASSERT_TRUE(db->checkPackExists("tom's pack", exists));
    EXPECT_FALSE(exists);
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(removed.count(), 1);

    _DailyScene scene;
    scene.name = "Nap 'n' rest";
    scene.playlist = "Nap 'n' rest/Nap 'n' rest.pls";
    ASSERT_TRUE(db->addDailyScene(&scene));
    _DailySceneSearchPara sp;
    DataSet<DailyScene> scenes;
    ASSERT_TRUE(db->searchDailyScene(&sp, count, &scenes));
    ASSERT_EQ(scenes.size(), 1);
    scenes[0]->name = "Lunch 'n' song";
    QSignalSpy updated(db.get(), &DB::dailySceneUpdated);
    ASSERT_TRUE(db->updateDailyScene(scenes[0].data()));
    EXPECT_EQ(updated.count(), 1);
    QSignalSpy sceneRemoved(db.get(), &DB::dailySceneRemoved);
    ASSERT_TRUE(db->removeDailyScene(QString("Lunch 'n' song")));
    EXPECT_EQ(sceneRemoved.count(), 1);
    ASSERT_TRUE(db->searchDailyScene(&sp, count, &scenes));
    EXPECT_EQ(count, 0u);

    _TaviApp app;
    app.productId = 9;
    app.name = "O'Brien's farm";
    ASSERT_TRUE(db->addApp(&app));
    DataSet<TaviApp> apps;
    ASSERT_TRUE(db->getApps("select * from AppTbl", &apps));
    ASSERT_EQ(apps.size(), 1);
    apps[0]->name = "Old McDonald's farm";
    apps[0]->size = 1234;
    ASSERT_TRUE(db->updateApp(apps[0].data()));
    ASSERT_TRUE(db->getApps("select * from AppTbl", &apps));
    EXPECT_EQ(apps[0]->name, "Old McDonald's farm");
    EXPECT_EQ(apps[0]->size, 1234);
}

TEST_F(CatalogueTest, QuietCasesAndFailures) {
    // No such scene: true, no signal.
    QSignalSpy sceneRemoved(db.get(), &DB::dailySceneRemoved);
    EXPECT_TRUE(db->removeDailyScene(QString("nobody")));
    EXPECT_EQ(sceneRemoved.count(), 0);

    // No local user: true, record untouched.
    TaviUser user;
    user.name = "kept";
    EXPECT_TRUE(db->getUser(&user));
    EXPECT_EQ(user.name, "kept");
    user.userId = 42;
    user.name = "Li Hua";
    user.school = 3;
    ASSERT_TRUE(db->updateUser(&user));
    TaviUser back;
    ASSERT_TRUE(db->getUser(&back));
    EXPECT_EQ(back.userId, 42);
    EXPECT_EQ(back.name, "Li Hua");
    EXPECT_TRUE(back.registered);

    // A scene name is unique: the second insert fails with its words and no signal.
    _DailyScene s;
    s.name = "morning";
    ASSERT_TRUE(db->addDailyScene(&s));
    QSignalSpy sceneAdded(db.get(), &DB::dailySceneAdded);
    EXPECT_FALSE(db->addDailyScene(&s));
    EXPECT_EQ(sceneAdded.count(), 0);
    EXPECT_TRUE(log().contains("add daily scene failed:"));
    EXPECT_TRUE(log().contains("UNIQUE"));

    // getApps reports a broken statement and leaves the set empty.
    DataSet<TaviApp> apps;
    apps.append(new _TaviApp);
    EXPECT_FALSE(db->getApps("select * from NoSuchTbl", &apps));
    EXPECT_TRUE(apps.isEmpty());
    EXPECT_TRUE(log().contains("getApps failed:"));

    bool exists = false;
    EXPECT_TRUE(db->checkTableExists("AppTbl", exists));
    EXPECT_TRUE(exists);
    EXPECT_TRUE(db->checkTableExists("courseTbl_20160306", exists));
    EXPECT_TRUE(exists);

    // Closed: every operation refuses without touching anything.
    db->close();
    unsigned count = 0;
    EXPECT_FALSE(db->getAppCount(count));
    EXPECT_FALSE(db->addDailyScene(&s));
    EXPECT_FALSE(db->setup());
}

TEST_F(CatalogueTest, JobThreadWritesWhileInterfaceReads) {
    std::atomic<int> failures{0};
    QThread* writer = QThread::create([&]() {
        for (int i = 0; i < 300; ++i) {
            _TaviApp app;
            app.productId = 1000 + i;
            app.name = QString("w%1").arg(i);
            app.packId = "job";
            if (!db->addApp(&app))
                ++failures;
        }
    });
    // Counted on this thread: the signals cross over queued.
    QObject receiver;
    int added = 0;
    QObject::connect(db.get(), &DB::appAdded, &receiver, [&](TaviApp*) { ++added; });
    writer->start();
    int reads = 0;
    while (!writer->isFinished()) {
        _AppSearchPara para;
        para.packId = "job";
        // The search index is written in the job's transactions too.
        para.name = reads % 2 ? "w1" : "";
        para.orderBy = 1;
        para.limit = 10;
        unsigned count = 0;
        DataSet<TaviApp> page;
        if (!db->searchApps(&para, count, &page))
            ++failures;
        ++reads;
        QCoreApplication::processEvents();
    }
    writer->wait();
    delete writer;
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(reads, 0);
    unsigned count = 0;
    ASSERT_TRUE(db->getAppCount(count));
    EXPECT_EQ(count, 300u);
    // Signals from the job thread arrive queued on this thread.
    ASSERT_TRUE(testsupport::waitFor([&] { return added == 300; }));
    EXPECT_FALSE(log().contains("database is locked"));
}
