// Importing and removing packs with real archives (built by packbuilder and
// 7za), a real catalogue file and the real data folders of a throw-away root;
// and the queue that holds pack files while the window is busy.

#include "core/core.h"
#include "core/importqueue.h"
#include "core/worker.h"
#include "packs/extract.h"
#include "support/packsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class PackImport : public ::testing::Test {
protected:
    void TearDown() override { setExtractTool(QString()); }

    // Builds a pack from `src` into work/<name>.tvp; fails the test when the builder does.
    QString build(const PackSource& src, const QString& name, const QStringList& options = {}) {
        const QString archive = inst.work() + "/" + name + ".tvp";
        const testsupport::ProcessResult r = src.build(archive, options);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return archive;
    }

    // Lays a pack out, lets `change` alter the folder, and packs it.
    QString buildAltered(const PackSource& src, const QString& name,
                         const std::function<void(const QString&)>& change, const QStringList& options = {}) {
        const QString folder = inst.work() + "/stage-" + name;
        const testsupport::ProcessResult staged = src.stage(folder, options);
        EXPECT_EQ(staged.exitCode, 0) << staged.err.toStdString();
        change(folder);
        const QString archive = inst.work() + "/" + name + ".tvp";
        const testsupport::ProcessResult packed = archiveFolder(folder, archive);
        EXPECT_EQ(packed.exitCode, 0) << packed.err.toStdString();
        return archive;
    }

    // Runs the import job on this thread; returns its result and message.
    std::pair<int, QString> importJob(const QString& archive) {
        PackImportWorker job(archive);
        QSignalSpy started(&job, &Worker::started);
        QSignalSpy finished(&job, &Worker::finished);
        job.doWork();
        EXPECT_EQ(started.count(), 1);
        EXPECT_EQ(finished.count(), 1);
        const int r = finished.isEmpty() ? -99 : finished.first().first().toInt();
        return {r, r == 0 ? QString() : job.errorString(r)};
    }

    PackSource animals() {
        PackSource src(inst.work() + "/animals", "animals-1", "Animals", "art/pack.png");
        QJsonObject cat = resource(1001, "The Cat", "books", "books/cat.zip", "art/cat.png");
        cat.insert("firstDate", "2016-03-01");
        cat.insert("catena", "Pets");
        cat.insert("price", 3);
        src.add(cat, "cat book");
        QJsonObject song = resource(1002, "Dog Song", "music", "song.mp3", "art/dog.png");
        song.insert("path", "music/dog/song.mp3");
        src.add(song, "la la");
        return src;
    }

    QStringList tempEntries() {
        return QDir(inst.paths().tempDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    Installation inst;
};

// ---- result codes and their messages ------------------------------------------------

TEST_F(PackImport, PublisherPackArrivesWithFilesIconsAndRows) {
    const QString archive = build(animals(), "animals");
    QSignalSpy packAdded(&inst.db(), &DB::packAdded);
    QSignalSpy appAdded(&inst.db(), &DB::appAdded);

    EXPECT_EQ(importJob(archive).first, 0);

    const DataPaths& p = inst.paths();
    EXPECT_TRUE(QFileInfo(p.packIconDir + "/pack.png").isFile());
    EXPECT_TRUE(QFileInfo(p.appIconDir + "/cat.png").isFile());
    EXPECT_TRUE(QFileInfo(p.appIconDir + "/dog.png").isFile());
    EXPECT_EQ(readFile(p.appsDir + "/books/cat.zip"), "cat book");
    EXPECT_EQ(readFile(p.appsDir + "/music/dog/song.mp3"), "la la");
    EXPECT_TRUE(inst.log().contains("folder moved whole:music")) << "a new folder goes over in one rename";
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(",").toStdString();
    EXPECT_EQ(packAdded.count(), 1);
    EXPECT_EQ(appAdded.count(), 2);

    const QList<TaviPackPtr> packs = inst.packs();
    ASSERT_EQ(packs.size(), 1);
    EXPECT_EQ(packs[0]->packId, "animals-1");
    EXPECT_EQ(packs[0]->name, "Animals");
    EXPECT_EQ(packs[0]->icon, "pack.png");
    EXPECT_FALSE(packs[0]->isCustom);
    EXPECT_EQ(packs[0]->installDate, QDate::currentDate());

    const QList<TaviAppPtr> apps = inst.apps("animals-1");
    ASSERT_EQ(apps.size(), 2);
    const TaviAppPtr cat = inst.appByProduct(1001);
    ASSERT_TRUE(cat);
    EXPECT_EQ(cat->name, "The Cat");
    EXPECT_EQ(cat->proType, "books");
    EXPECT_EQ(cat->path, "books/cat.zip");
    EXPECT_EQ(cat->icon, "cat.png");
    EXPECT_EQ(cat->fileName, "cat.zip");
    EXPECT_EQ(cat->catena, "Pets");
    EXPECT_EQ(cat->price, 3);
    EXPECT_EQ(cat->size, 8);
    EXPECT_EQ(cat->firstDate, QDate(2016, 3, 1));
    EXPECT_FALSE(cat->isUserFile);
    EXPECT_NE(cat->appId, 1001) << "the catalogue assigns its own ids";
}

TEST_F(PackImport, EveryFailureHasItsCodeAndMessageAndLeavesTheCatalogueAlone) {
    struct Case {
        const char* what;
        QString archive;
        int code;
        const char* message;
    };
    QList<Case> cases;

    cases.append({"type 3", build(animals(), "type3", {"--ini-type", "3"}), -1, "unknown error!"});
    const QString garbage = inst.work() + "/garbage.tvp";
    writeFile(garbage, QByteArray(4096, 'x'));
    cases.append({"not an archive", garbage, 1, "unknown error!"});
    cases.append({"pack.ini without pack.db",
                  buildAltered(animals(), "nodb", [](const QString& f) { QFile::remove(f + "/pack.db"); },
                               {"--no-checksums"}),
                  2, "can not find db file!"});
    PackSource stray(inst.work() + "/stray", "x", "x");
    stray.write("readme.txt", "no pack here");
    cases.append({"no pack at all",
                  buildAltered(stray, "stray",
                               [](const QString& f) {
                                   QFile::remove(f + "/pack.db");
                                   QFile::remove(f + "/pack.ini");
                                   writeFile(f + "/readme.txt", "hello");
                               }),
                  2, "can not find db file!"});
    cases.append(
        {"pack.db is no database",
         buildAltered(animals(), "baddb", [](const QString& f) { writeFile(f + "/pack.db", "not sqlite"); },
                      {"--no-checksums"}),
         3, "open db failed!"});
    cases.append({"pack.db without a pack row",
                  buildAltered(animals(), "norow",
                               [](const QString& f) {
                                   {
                                       QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "alter");
                                       db.setDatabaseName(f + "/pack.db");
                                       db.open();
                                       QSqlQuery(db).exec("delete from PackTbl");
                                       db.close();
                                   }
                                   QSqlDatabase::removeDatabase("alter");
                               },
                               {"--no-checksums"}),
                  6, "query pack failed!"});
    cases.append({"ver 2", build(animals(), "ver2", {"--ini-ver", "2"}), 8, "please update client first!"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto [code, message] = importJob(c.archive);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(message, c.message);
        EXPECT_TRUE(inst.packs().isEmpty());
        EXPECT_TRUE(inst.apps().isEmpty());
        EXPECT_TRUE(QDir(inst.paths().appsDir).isEmpty());
        // The unpack folder goes in every case (8 included).
        EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(",").toStdString();
    }
    EXPECT_TRUE(inst.log().contains("extract failed")) << "the tool's complaint is logged";
    EXPECT_TRUE(inst.log().contains("Cannot open the file as archive"));
}

TEST_F(PackImport, MissingToolEndsWithOneAndSaysWhy) {
    const QString archive = build(animals(), "animals");
    setExtractTool(inst.work() + "/no-such-7za");
    const auto [code, message] = importJob(archive);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(message, "unknown error!");
    EXPECT_TRUE(inst.packs().isEmpty());
    EXPECT_TRUE(inst.log().contains("could not start")) << inst.log().toStdString();
}

TEST_F(PackImport, CatalogueFailuresGiveFourAndSeven) {
    const QString archive = build(animals(), "animals");
    // A trigger refuses new packs while the existence check still works.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "trigger");
        db.setDatabaseName(inst.paths().mainDbPath);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(
            "create trigger refuse before insert on PackTbl begin select raise(abort, 'refused'); end"));
        db.close();
    }
    QSqlDatabase::removeDatabase("trigger");
    auto [code, message] = importJob(archive);
    EXPECT_EQ(code, 7);
    EXPECT_EQ(message, "add pack failed!");
    EXPECT_TRUE(inst.log().contains("add pack failed:"));

    inst.db().close();
    std::tie(code, message) = importJob(archive);
    EXPECT_EQ(code, 4);
    EXPECT_EQ(message, "exec db query failed!");
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST_F(PackImport, AFolderGoesOverWholeOnlyWhenEveryFileInItIsAResource) {
    PackSource src(inst.work() + "/mixed", "mixed-1", "Mixed");
    src.add(resource(6001, "Clean", "books", "clean/a.zip"), "a");
    src.add(resource(6002, "Clean too", "books", "clean/sub/b.zip"), "b");
    src.add(resource(6003, "Stray", "books", "stray/c.zip"), "c");
    QJsonObject iconInside = resource(6004, "Icon inside", "books", "withicon/d.zip");
    src.add(iconInside, "d");
    const QString archive = buildAltered(src, "mixed", [](const QString& f) {
        writeFile(f + "/stray/unlisted.txt", "not a resource");
        writeFile(f + "/withicon/e.png", "an icon kept beside a resource");
    });
    // An app folder of the same name already there: file by file, the old content stays.
    writeFile(inst.paths().appsDir + "/withicon/old.txt", "older pack");

    ASSERT_EQ(importJob(archive).first, 0);
    const DataPaths& p = inst.paths();
    EXPECT_TRUE(inst.log().contains("folder moved whole:clean"));
    EXPECT_FALSE(inst.log().contains("folder moved whole:stray"));
    EXPECT_EQ(testsupport::listTree(p.appsDir),
              QStringList({"clean/", "clean/a.zip", "clean/sub/", "clean/sub/b.zip", "stray/", "stray/c.zip",
                           "withicon/", "withicon/d.zip", "withicon/old.txt"}));
    EXPECT_EQ(inst.apps("mixed-1").size(), 4);
    EXPECT_TRUE(tempEntries().isEmpty());

    // Removing the pack leaves the older file and nothing of this pack.
    Core::instance()->removePack(inst.packs().value(0).data());
    EXPECT_EQ(testsupport::listTree(p.appsDir), QStringList({"withicon/", "withicon/old.txt"}));
}

TEST_F(PackImport, EachAnnouncedResourceIsAlreadyVisibleToOtherConnections) {
    // A view reloads on appAdded from its own connection: the row must be committed by then.
    PackSource src(inst.work() + "/many", "many-1", "Many");
    for (int i = 0; i < 40; ++i)
        src.add(resource(5000 + i, QString("R%1").arg(i), "music", QString("m/%1.mp3").arg(i)));
    const QString archive = build(src, "many");
    QSqlDatabase reader = QSqlDatabase::addDatabase("QSQLITE", "reader");
    reader.setDatabaseName(inst.paths().mainDbPath);
    ASSERT_TRUE(reader.open());
    QStringList invisible;
    int announced = 0;
    QObject::connect(&inst.db(), &DB::appAdded, [&](TaviApp* app) {
        ++announced;
        QSqlQuery q(reader);
        q.exec(QString("select count(*) from AppTbl where productId = %1").arg(app->productId));
        if (!q.next() || q.value(0).toInt() != 1)
            invisible << app->name;
    });
    EXPECT_EQ(importJob(archive).first, 0);
    EXPECT_EQ(announced, 40);
    EXPECT_EQ(invisible, QStringList());
    reader.close();
    reader = QSqlDatabase();
    QSqlDatabase::removeDatabase("reader");
}

// ---- layouts --------------------------------------------------------------------------

TEST_F(PackImport, PublisherPackWithoutIniAndPackRootNestedTwoLevels) {
    EXPECT_EQ(importJob(build(animals(), "noini", {"--no-ini"})).first, 0);
    EXPECT_TRUE(inst.log().contains("pack.ini does not exists"));
    EXPECT_EQ(inst.apps("animals-1").size(), 2);

    PackSource nested(inst.work() + "/nested", "nested-1", "Nested", "art/n.png");
    nested.manifest().insert("root", "outer/inner");
    nested.add(resource(2001, "Deep", "video", "deep.mp4", "art/deep.png"), "deep video");
    EXPECT_EQ(importJob(build(nested, "nested")).first, 0);
    EXPECT_EQ(readFile(inst.paths().appsDir + "/deep.mp4"), "deep video");
    EXPECT_TRUE(QFileInfo(inst.paths().packIconDir + "/n.png").isFile());
    EXPECT_EQ(inst.packs().size(), 2);
}

TEST_F(PackImport, ReimportReplacesOldFilesAndKeepsTheMarksOfResourcesStillInThePack) {
    PackSource v1(inst.work() + "/v1", "songs", "Songs v1", "art/p1.png");
    v1.add(resource(3001, "Morning", "music", "old/morning.mp3", "art/m.png"), "old morning");
    v1.add(resource(3002, "Evening", "music", "old/evening.mp3", "art/e.png"), "old evening");
    ASSERT_EQ(importJob(build(v1, "songs-v1")).first, 0);
    const TaviAppPtr morning = inst.appByProduct(3001);
    ASSERT_TRUE(morning);
    ASSERT_TRUE(inst.db().setFavorApp(morning->appId, true));
    ASSERT_TRUE(inst.db().addCourseApp(1, morning->appId));
    ASSERT_TRUE(inst.db().addCourseApp(12, morning->appId));
    // A plan made while the calendar stood elsewhere: a date outside this fortnight.
    ASSERT_TRUE(inst.db().ensureCourseTableExists(QDate(2020, 1, 6)));
    inst.scalar(QString("INSERT INTO courseTbl_20200106(appId) VALUES(%1)").arg(morning->appId));
    ASSERT_TRUE(inst.db().setFavorApp(inst.appByProduct(3002)->appId, true));
    ASSERT_TRUE(inst.db().addCourseApp(9, inst.appByProduct(3002)->appId));
    const QString favouredAt = inst.scalar("SELECT favorDate FROM AppTbl WHERE productId = 3001").toString();
    ASSERT_FALSE(favouredAt.isEmpty());

    PackSource v2(inst.work() + "/v2", "songs", "Songs v2", "art/p2.png");
    v2.add(resource(3001, "Morning (new)", "music", "new/morning.mp3", "art/m2.png"), "new morning");
    v2.add(resource(3003, "Noon", "music", "new/noon.mp3"), "noon");
    QSignalSpy removed(&inst.db(), &DB::packRemoved);
    ASSERT_EQ(importJob(build(v2, "songs-v2")).first, 0);

    EXPECT_EQ(removed.count(), 1);
    const DataPaths& p = inst.paths();
    EXPECT_FALSE(QFileInfo::exists(p.appsDir + "/old")) << "old files and their emptied folder are gone";
    EXPECT_FALSE(QFileInfo::exists(p.appIconDir + "/m.png"));
    EXPECT_FALSE(QFileInfo::exists(p.packIconDir + "/p1.png"));
    EXPECT_EQ(readFile(p.appsDir + "/new/morning.mp3"), "new morning");
    EXPECT_TRUE(QFileInfo::exists(p.packIconDir + "/p2.png"));

    const QList<TaviPackPtr> packs = inst.packs();
    ASSERT_EQ(packs.size(), 1);
    EXPECT_EQ(packs[0]->name, "Songs v2");
    EXPECT_EQ(inst.apps("songs").size(), 2);
    EXPECT_FALSE(inst.appByProduct(3002));
    EXPECT_EQ(inst.appByProduct(3001)->name, "Morning (new)");

    // Morning is still in the pack: its new row is a favourite since the same
    // moment and planned on the same days; Evening went with the old copy.
    const TaviAppPtr newMorning = inst.appByProduct(3001);
    EXPECT_NE(newMorning->appId, morning->appId);
    EXPECT_TRUE(newMorning->favor);
    EXPECT_EQ(inst.scalar("SELECT favorDate FROM AppTbl WHERE productId = 3001").toString(), favouredAt);
    EXPECT_FALSE(inst.appByProduct(3003)->favor);
    QList<int> days;
    ASSERT_TRUE(inst.db().getAppCourseDays(newMorning->appId, days));
    EXPECT_EQ(days, QList<int>({1, 12}));
    EXPECT_EQ(inst.scalar("SELECT count(*) FROM courseTbl_20200106 WHERE appId = " +
                          QString::number(newMorning->appId))
                  .toInt(),
              1)
        << "the plan outside the fortnight went with the old copy";
    unsigned count = 99;
    DataSet<TaviApp> set;
    _GetFavorAppsPara favor;
    ASSERT_TRUE(inst.db().getFavorApps(&favor, count, &set));
    EXPECT_EQ(count, 1u);
    _GetCourseAppsPara course;
    course.day = 9;
    ASSERT_TRUE(inst.db().getCourseApps(&course, count, &set));
    EXPECT_EQ(count, 0u);
}

TEST_F(PackImport, IconAlreadyPresentIsKeptAndShared) {
    PackSource a(inst.work() + "/a", "pack-a", "A", "art/shared-pack.png");
    a.add(resource(4001, "A1", "books", "a1.zip", "art/shared.png"));
    ASSERT_EQ(importJob(build(a, "a")).first, 0);
    const QByteArray iconOfA = readFile(inst.paths().appIconDir + "/shared.png").toLatin1();
    const QString packIconOfA = readFile(inst.paths().packIconDir + "/shared-pack.png");

    // B's pictures of the same names differ; the installed ones stay and serve both.
    PackSource b(inst.work() + "/b", "pack-b", "B");
    b.manifest().insert("icon", "other/shared-pack.png");
    b.write("other/shared-pack.png", "B's pack icon");
    b.write("other/shared.png", "B's icon");
    QJsonObject b1 = resource(4002, "B1", "books", "b1.zip", "other/shared.png");
    b.add(b1);
    ASSERT_EQ(importJob(build(b, "b")).first, 0);

    EXPECT_EQ(readFile(inst.paths().appIconDir + "/shared.png").toLatin1(), iconOfA);
    EXPECT_EQ(readFile(inst.paths().packIconDir + "/shared-pack.png"), packIconOfA);
    EXPECT_EQ(inst.appByProduct(4002)->icon, "shared.png");
    EXPECT_TRUE(tempEntries().isEmpty());

    // A's removal leaves the icon B still shows.
    const QList<TaviPackPtr> packs = inst.packs();
    for (const TaviPackPtr& pack : packs)
        if (pack->packId == "pack-a")
            packs::removePack(inst.db(), inst.paths(), pack.data());
    EXPECT_FALSE(inst.appByProduct(4001));
    EXPECT_EQ(readFile(inst.paths().appIconDir + "/shared.png").toLatin1(), iconOfA);
}

TEST_F(PackImport, AResourceThatBelongsToAnotherPackIsLeftOutAndNamed) {
    PackSource a(inst.work() + "/a", "meadow", "Happy Meadow");
    a.add(resource(5001, "Meadow book", "books", "meadow.zip"), "meadow");
    ASSERT_EQ(importJob(build(a, "a")).first, 0);
    const TaviAppPtr meadow = inst.appByProduct(5001);
    ASSERT_TRUE(meadow);

    // Another publisher's pack reuses the number: taking it would take the
    // book from Happy Meadow, so it is left out and said.
    PackSource b(inst.work() + "/b", "other", "Other");
    b.add(resource(5001, "Clash", "books", "clash.zip"), "clash");
    b.add(resource(5002, "Fine", "books", "fine.zip"), "fine");
    PackImportWorker job(build(b, "b"));
    job.doWork();
    EXPECT_EQ(job.report().result, 0);
    EXPECT_EQ(job.report().resources, 1);
    EXPECT_EQ(job.report().clashing, QStringList{"Clash (Happy Meadow)"});
    EXPECT_TRUE(job.outcome().contains("already in another pack, left out: Clash (Happy Meadow)"));
    EXPECT_TRUE(inst.log().contains("belongs to the installed pack meadow"));

    const TaviAppPtr still = inst.appByProduct(5001);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->appId, meadow->appId);
    EXPECT_EQ(inst.apps("meadow").size(), 1);
    EXPECT_EQ(inst.apps("other").size(), 1);
    EXPECT_FALSE(QFileInfo::exists(inst.paths().appsDir + "/clash.zip"));
}

TEST_F(PackImport, UserBuiltPackImportedTwiceGivesTwoPacksOverTheSameFiles) {
    PackSource src(inst.work() + "/user", "", "");
    src.manifest() = QJsonObject{{"type", 2}, {"files", QJsonArray{"a/rain.mp3", "b/sun.png"}}};
    src.write("a/rain.mp3", "rain");
    src.write("b/sun.png", "sun");
    const QString archive = build(src, "my.songs");

    ASSERT_EQ(importJob(archive).first, 0);
    writeFile(inst.paths().externalDir + "/my.songs/rain.mp3", "first copy");
    ASSERT_EQ(importJob(archive).first, 0);

    const QList<TaviPackPtr> packs = inst.packs();
    ASSERT_EQ(packs.size(), 2);
    EXPECT_NE(packs[0]->packId, packs[1]->packId);
    for (const TaviPackPtr& pack : packs) {
        EXPECT_EQ(pack->name, "my.songs") << "the archive's name without .tvp";
        EXPECT_TRUE(pack->isCustom);
        EXPECT_TRUE(pack->packId.startsWith('{') && pack->packId.endsWith('}'));
        const QList<TaviAppPtr> apps = inst.apps(pack->packId);
        ASSERT_EQ(apps.size(), 2);
        EXPECT_EQ(apps[0]->name, "rain.mp3");
        EXPECT_EQ(apps[0]->path, "my.songs/rain.mp3");
        EXPECT_TRUE(apps[0]->isUserFile);
        EXPECT_TRUE(apps[0]->isExternal);
    }
    EXPECT_EQ(readFile(inst.paths().externalDir + "/my.songs/rain.mp3"), "first copy")
        << "copies never overwrite";
    EXPECT_EQ(testsupport::listTree(inst.paths().externalDir),
              QStringList({"my.songs/", "my.songs/rain.mp3", "my.songs/sun.png"}));
    EXPECT_TRUE(inst.log().contains("PACK_USER_BUILD"));
    EXPECT_TRUE(inst.log().contains("file count:2"));

    // Both copies name the same files: removing one leaves the other whole.
    packs::removePack(inst.db(), inst.paths(), packs[0].data());
    EXPECT_EQ(readFile(inst.paths().externalDir + "/my.songs/rain.mp3"), "first copy");
    EXPECT_EQ(inst.apps(packs[1]->packId).size(), 2);
    packs::removePack(inst.db(), inst.paths(), packs[1].data());
    EXPECT_TRUE(testsupport::listTree(inst.paths().externalDir).isEmpty());
}

// ---- removal --------------------------------------------------------------------------

TEST_F(PackImport, RemovingAPublisherPackTakesFilesIconsAndEmptiedFolders) {
    ASSERT_EQ(importJob(build(animals(), "animals")).first, 0);
    const TaviPackPtr pack = inst.packs().value(0);
    ASSERT_TRUE(pack);
    QSignalSpy appRemoved(&inst.db(), &DB::appRemoved);
    QSignalSpy packRemoved(&inst.db(), &DB::packRemoved);

    PackDeletingWorker job(pack.data());
    QSignalSpy finished(&job, &Worker::finished);
    job.doWork();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.first().first().toInt(), 0);

    EXPECT_EQ(appRemoved.count(), 0) << "apps of a removed pack go silently";
    EXPECT_EQ(packRemoved.count(), 1);
    EXPECT_TRUE(inst.packs().isEmpty());
    EXPECT_TRUE(inst.apps().isEmpty());
    for (const QString& dir : {inst.paths().appsDir, inst.paths().appIconDir, inst.paths().packIconDir})
        EXPECT_TRUE(testsupport::listTree(dir).isEmpty()) << dir.toStdString();
    EXPECT_TRUE(inst.log().contains("remove pack:animals-1"));
}

TEST_F(PackImport, RemovingACustomPackKeepsNoStrayFilesAndKeepsItsIcon) {
    writeFile(inst.work() + "/mine/a.txt", "a");
    writeFile(inst.work() + "/mine/b.txt", "b");
    CustomPackAddWorker add("Class 2", {inst.work() + "/mine/a.txt", inst.work() + "/mine/b.txt"});
    add.doWork();
    ASSERT_FALSE(add.packId().isEmpty());
    EXPECT_EQ(testsupport::listTree(inst.paths().customPackDir),
              QStringList({"Class 2/", "Class 2/a.txt", "Class 2/b.txt"}));

    // The user gave the pack a picture.
    TaviPack pack;
    pack.packId = add.packId();
    pack.name = "Class 2";
    pack.icon = "class2.png";
    pack.isCustom = true;
    ASSERT_TRUE(inst.db().addPack(&pack));
    writeFile(inst.paths().packIconDir + "/class2.png", "picture");

    EXPECT_EQ(Core::instance()->removePack(&pack), 0);
    EXPECT_TRUE(testsupport::listTree(inst.paths().customPackDir).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(inst.paths().packIconDir + "/class2.png"));
    EXPECT_TRUE(inst.packs().isEmpty());
    EXPECT_TRUE(inst.apps().isEmpty());
    EXPECT_EQ(readFile(inst.work() + "/mine/a.txt"), "a") << "the user's originals are not touched";
}

TEST_F(PackImport, RemovingOneResourceAnnouncesIt) {
    ASSERT_EQ(importJob(build(animals(), "animals")).first, 0);
    TaviAppPtr song = inst.appByProduct(1002);
    ASSERT_TRUE(song);
    QSignalSpy appRemoved(&inst.db(), &DB::appRemoved);
    AppDeletingWorker job(song.data());
    QSignalSpy finished(&job, &Worker::finished);
    job.doWork();
    EXPECT_EQ(finished.first().first().toInt(), 0);
    ASSERT_EQ(appRemoved.count(), 1);
    EXPECT_EQ(appRemoved.first().first().toInt(), song->appId);
    EXPECT_FALSE(QFileInfo::exists(inst.paths().appsDir + "/music"));
    EXPECT_FALSE(QFileInfo::exists(inst.paths().appIconDir + "/dog.png"));
    EXPECT_TRUE(QFileInfo::exists(inst.paths().appsDir + "/books/cat.zip"));
    EXPECT_EQ(inst.apps().size(), 1);
}

// Files handed over while a job runs wait for it, once each; the queue keeps
// a bounded number for a bounded time and says what it could not keep.
TEST(ImportQueueTest, WaitsWhileBusyThenHandsOnOnceAndSaysWhatItDropped) {
    bool busy = true;
    ImportQueue queue([&] { return busy; }, nullptr, 1500);
    QSignalSpy ready(&queue, &ImportQueue::ready);
    QSignalSpy refused(&queue, &ImportQueue::refused);
    queue.add({"/p/a.tvp", "/p/b.tvp"});
    queue.add({"/p/a.tvp", "/p/c.tvp"});
    EXPECT_TRUE(ready.isEmpty()) << "nothing starts while a dialog holds the window";
    busy = false;
    ASSERT_TRUE(ready.wait(2000));
    EXPECT_EQ(ready.takeFirst().at(0).toStringList(), (QStringList{"/p/a.tvp", "/p/b.tvp", "/p/c.tvp"}));
    EXPECT_TRUE(queue.pending().isEmpty());

    // Free at once: no waiting at all.
    queue.add({"/p/d.tvp"});
    ASSERT_EQ(ready.size(), 1);
    ready.clear();

    // More than it holds: the rest is refused at once, by name.
    busy = true;
    QStringList many;
    for (int i = 0; i < ImportQueue::kMaxFiles + 2; ++i)
        many << QString("/p/%1.tvp").arg(i);
    queue.add(many);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.takeFirst().at(0).toStringList(), many.mid(ImportQueue::kMaxFiles));
    // A window that stays busy: the queue gives up and names every file it held.
    ASSERT_TRUE(refused.wait(4000));
    EXPECT_EQ(refused.takeFirst().at(0).toStringList(), many.mid(0, ImportQueue::kMaxFiles));
    EXPECT_TRUE(ready.isEmpty());
    EXPECT_TRUE(queue.pending().isEmpty());
}

} // namespace
