// A library that survives a power cut: each change (pack import, a newer copy
// of a pack, pack and resource removal, a custom pack, a scene's save and
// rename, the data upgrade) is made by a real process that is killed
// (SIGKILL) at every step it counts, one run per step; then the real client
// starts (its set-up run, which checks the library first) and the library
// must be whole: every row's file and icon there, no file without its row,
// the change there whole or not at all, and nothing a teacher made lost.

#include "support/packsupport.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::ProcessResult;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// What a teacher made, as the test compares it: favourites and plans by
// product, scenes with their playlists, the profile.
struct TeacherData {
    QSet<QString> marks;           // "favor 9001", "plan 9001 courseTbl_20200106"
    QMap<QString, QString> scenes; // name -> playlist text
    QString profile;
};

class LibraryFaults : public ::testing::Test {
protected:
    void SetUp() override {
        root.installClient();
        tavi::setupClientLogging(root.path("testlog"));
        QDir().mkpath(root.path("work"));
        // The teacher's own files live outside the installation.
        ASSERT_TRUE(writeFile(own("lunch.mp3"), "teacher's lunch song"));
        ASSERT_TRUE(writeFile(own("clap.mp3"), "teacher's clap song"));
        ASSERT_TRUE(writeFile(own("drum.mp3"), "teacher's drum song"));
    }

    QString own(const QString& name) const { return root.path("home/" + name); }
    QString data(const QString& relative) const { return root.path("data/" + relative); }

    QString archive(const QString& name, const QString& packId, int version) {
        PackSource src(root.path("work/src-" + name), packId, "Songs v" + QString::number(version),
                       QString("art/p%1.png").arg(version));
        if (version == 1) {
            src.add(resource(9001, "Morning", "music", "old/morning.mp3", "art/m.png"), "old morning");
            src.add(resource(9002, "Tale", "books", "old/tale.zip", "art/t.png"), "old tale");
        } else {
            src.add(resource(9001, "Morning", "music", "new/morning.mp3", "art/m2.png"), "new morning");
            src.add(resource(9003, "Noon", "music", "new/noon.mp3"), "noon");
        }
        const QString path = root.path("work/" + name + ".tvp");
        EXPECT_EQ(src.build(path).exitCode, 0);
        return path;
    }

    ProcessResult change(const QStringList& args, int killAt = 0) {
        QStringList env = testsupport::clientEnv(root.path("tmp"));
        if (killAt > 0)
            env << QString("TAVI_KILL_AT=%1").arg(killAt);
        return testsupport::run(TAVI_LIBRARYCHANGE_EXE, QStringList{root.appDir()} + args, 60000, env);
    }
    // The client's set-up run, which checks (and mends) the library first.
    void startClient() {
        const ProcessResult r = testsupport::run(root.clientExe(), {"--setup"}, 60000,
                                                 testsupport::clientEnv(root.path("tmp")), root.appDir());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }

    QList<QStringList> query(const QString& sql) {
        QList<QStringList> rows;
        const QString name = "faults-" + QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(data("main.db"));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql))
                    while (q.next()) {
                        QStringList row;
                        for (int i = 0; i < q.record().count(); ++i)
                            row << q.value(i).toString();
                        rows << row;
                    }
            }
        }
        QSqlDatabase::removeDatabase(name);
        return rows;
    }
    void exec(const QString& sql) { query(sql); }

    // The installation every run starts from: a pack with marks (also a plan
    // outside this fortnight), a custom pack, a teacher's scene, a profile.
    void makeBaseline() {
        ASSERT_EQ(change({"import", archive("songs-v1", "songs", 1)}).exitCode, 0);
        ASSERT_EQ(change({"custom-pack", "Mine", own("clap.mp3")}).exitCode, 0);
        ASSERT_EQ(change({"scene", "Lunch", own("lunch.mp3"), data("apps/old/morning.mp3")}).exitCode, 0);
        exec(
            "update AppTbl set favor = 1, favorDate = '2026-12-01 08:00:00' where productId in (9001, 9002)");
        exec("create table if not exists courseTbl_20200106(appId int, PRIMARY KEY(appId))");
        exec("insert into courseTbl_20200106(appId) select appId from AppTbl where productId = 9001");
        exec("insert into "
             "UserTbl(userId,name,qq,mobile,province,city,school,otherSchool,flag,registered,userRole) "
             "values(7,'Li','555','13900000000',11,1101,0,'Stars','local',1,0)");
        ASSERT_EQ(query("select count(*) from AppTbl").value(0).value(0), "3");
        keep("baseline");
    }
    // Copies of data/ and temp/ to return to before each run.
    void keep(const QString& name) { copyTree(root.path("data"), root.path("kept/" + name)); }
    void restore(const QString& name) {
        QDir(root.path("data")).removeRecursively();
        QDir(root.path("temp")).removeRecursively();
        QDir().mkpath(root.path("temp"));
        copyTree(root.path("kept/" + name), root.path("data"));
    }
    static void copyTree(const QString& from, const QString& to) {
        QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QDir().mkpath(to);
        while (it.hasNext()) {
            it.next();
            const QString target = to + "/" + QDir(from).relativeFilePath(it.filePath());
            if (it.fileInfo().isDir())
                QDir().mkpath(target);
            else
                QFile::copy(it.filePath(), target);
        }
    }

    TeacherData teacherData() {
        TeacherData t;
        for (const QStringList& r : query("select productId from AppTbl where favor = 1"))
            t.marks << "favor " + r.value(0);
        for (const QStringList& table :
             query("select name from sqlite_master where type='table' and name like 'courseTbl_%'"))
            for (const QStringList& r :
                 query(QString("select b.productId from %1 a join AppTbl b on a.appId = b.appId")
                           .arg(table[0])))
                t.marks << "plan " + r.value(0) + " " + table[0];
        for (const QStringList& r : query("select name, playlist from DailySceneTbl"))
            t.scenes.insert(r[0], readFile(data("daily/" + r[1])));
        for (const QStringList& r : query("select userId, name, qq, mobile, otherSchool from UserTbl"))
            t.profile += r.join('|') + ";";
        return t;
    }

    // Every row's file and icon is there and every file has a row.
    void expectWholeLibrary(const QString& where) {
        SCOPED_TRACE(where.toStdString());
        QSet<QString> named;
        for (const QStringList& r : query("select isUserFile, isExternal, path, icon from AppTbl")) {
            const QString folder = r[0] == "1" ? (r[1] == "1" ? "external" : "custompack") : "apps";
            const QString file = QDir::cleanPath(data(folder + "/" + r[2]));
            EXPECT_TRUE(QFileInfo(file).isFile()) << "a row without its file: " << r[2].toStdString();
            named << file;
            if (!r[3].isEmpty()) {
                EXPECT_TRUE(QFileInfo::exists(data("appicons/" + r[3])))
                    << "a row without its icon: " << r[3].toStdString();
                named << QDir::cleanPath(data("appicons/" + r[3]));
            }
        }
        for (const QStringList& r : query("select icon from PackTbl where icon <> ''"))
            named << QDir::cleanPath(data("packicons/" + r[0]));
        for (const char* folder : {"apps", "appicons", "packicons", "custompack", "external"}) {
            QDirIterator it(data(folder), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = QDir::cleanPath(it.next());
                EXPECT_TRUE(named.contains(file)) << "a file without its row: " << file.toStdString();
            }
        }
        EXPECT_FALSE(QFileInfo::exists(root.path("temp/journal"))) << "a change was left open";
    }

    // Runs the change once whole, then once per step killed there; after each
    // kill the client starts and check() judges the library.
    int cutEverywhere(const QStringList& args, const std::function<void(bool whole)>& check) {
        restore("baseline");
        const ProcessResult whole = change(args);
        EXPECT_EQ(whole.exitCode, 0) << whole.err.toStdString();
        const int steps = whole.out.section("steps ", 1).trimmed().toInt();
        EXPECT_GT(steps, 2) << "the change counts its steps";
        check(true);
        for (int n = 1; n <= steps; ++n) {
            restore("baseline");
            const ProcessResult cut = change(args, n);
            EXPECT_TRUE(cut.crashed && cut.err.contains(QString("killed at step %1").arg(n)))
                << "step " << n << " of " << steps << ": " << cut.err.toStdString();
            startClient();
            expectWholeLibrary(QString("%1 cut at step %2 of %3").arg(args.join(' ')).arg(n).arg(steps));
            check(false);
        }
        return steps;
    }

    testsupport::TempRoot root;
};

} // namespace

TEST_F(LibraryFaults, PackImportsAndRemovalsAreWholeOrNotAtAll) {
    ASSERT_NO_FATAL_FAILURE(makeBaseline());
    const TeacherData before = teacherData();
    const QString v2 = archive("songs-v2", "songs", 2);
    PackSource birds(root.path("work/src-birds"), "birds", "Birds", "art/b.png");
    birds.add(resource(9101, "Owl", "books", "birds/owl.zip", "art/owl.png"), "owl");
    birds.add(resource(9102, "Lark", "music", "birds/lark.mp3"), "lark");
    ASSERT_EQ(birds.build(root.path("work/birds.tvp")).exitCode, 0);

    auto products = [&] {
        QStringList out;
        for (const QStringList& r :
             query("select productId from AppTbl where isUserFile = 0 order by productId"))
            out << r[0];
        return out.join(',');
    };
    // A newer copy: the old copy (with its marks) or the new one with the marks carried over.
    int steps = cutEverywhere({"import", v2}, [&](bool) {
        const QString now = products();
        if (now == "9001,9002") {
            EXPECT_EQ(readFile(data("apps/old/morning.mp3")), "old morning");
            EXPECT_EQ(teacherData().marks, before.marks);
        } else {
            ASSERT_EQ(now, "9001,9003") << "neither the old copy nor the new one";
            EXPECT_EQ(readFile(data("apps/new/morning.mp3")), "new morning");
            EXPECT_TRUE(teacherData().marks.contains("plan 9001 courseTbl_20200106"));
            EXPECT_TRUE(teacherData().marks.contains("favor 9001"));
        }
        EXPECT_EQ(teacherData().scenes, before.scenes);
        EXPECT_EQ(teacherData().profile, before.profile);
    });
    std::printf("[ kill points ] a newer copy of a pack: %d\n", steps);
    steps = cutEverywhere({"import", root.path("work/birds.tvp")}, [&](bool) {
        const QString now = products();
        EXPECT_TRUE(now == "9001,9002" || now == "9001,9002,9101,9102") << now.toStdString();
        EXPECT_EQ(teacherData().marks, before.marks);
    });
    std::printf("[ kill points ] a first import: %d\n", steps);
    steps = cutEverywhere({"remove-pack", "songs"}, [&](bool whole) {
        const QString now = products();
        EXPECT_TRUE(now == "9001,9002" || now.isEmpty()) << now.toStdString();
        if (whole) {
            EXPECT_TRUE(now.isEmpty());
        }
        if (!now.isEmpty()) {
            EXPECT_EQ(teacherData().marks, before.marks);
        }
    });
    std::printf("[ kill points ] a pack's removal: %d\n", steps);
    steps = cutEverywhere({"remove-app", "9001"}, [&](bool) {
        const QString now = products();
        EXPECT_TRUE(now == "9001,9002" || now == "9002") << now.toStdString();
        EXPECT_TRUE(teacherData().marks.contains("favor 9002"));
    });
    std::printf("[ kill points ] a resource's removal: %d\n", steps);
}

TEST_F(LibraryFaults, CustomPacksScenesAndRenamesAreWholeOrNotAtAll) {
    ASSERT_NO_FATAL_FAILURE(makeBaseline());
    const TeacherData before = teacherData();
    int steps = cutEverywhere({"custom-pack", "Extra", own("drum.mp3"), own("lunch.mp3")}, [&](bool whole) {
        const auto rows = query("select a.name from AppTbl a join PackTbl p on a.packId = p.packId "
                                "where p.name = 'Extra' order by a.name");
        EXPECT_TRUE(rows.isEmpty() || rows.size() == 2) << rows.size();
        if (whole) {
            EXPECT_EQ(rows.size(), 2);
        }
        EXPECT_EQ(query("select count(*) from PackTbl where name = 'Extra'").value(0).value(0),
                  rows.isEmpty() ? "0" : "1");
        EXPECT_EQ(readFile(own("drum.mp3")), "teacher's drum song")
            << "the teacher's own file stays where it was";
        EXPECT_EQ(teacherData().marks, before.marks);
    });
    std::printf("[ kill points ] a custom pack: %d\n", steps);
    steps = cutEverywhere({"scene", "Nap", own("drum.mp3")}, [&](bool whole) {
        const TeacherData now = teacherData();
        EXPECT_EQ(now.scenes.value("Lunch"), before.scenes.value("Lunch"));
        if (whole || now.scenes.contains("Nap")) {
            EXPECT_TRUE(now.scenes.value("Nap").contains(own("drum.mp3"))) << "a scene without its playlist";
        } else {
            EXPECT_FALSE(QFileInfo::exists(data("daily/Nap"))) << "a folder without its scene";
        }
    });
    std::printf("[ kill points ] a new scene: %d\n", steps);
    steps = cutEverywhere({"rename-scene", "Lunch", "Dinner"}, [&](bool whole) {
        const TeacherData now = teacherData();
        ASSERT_EQ(now.scenes.size(), 1) << "the scene is there once, under one of its names";
        const QString playlist = now.scenes.first();
        EXPECT_TRUE(playlist.contains(own("lunch.mp3")) && playlist.contains("old/morning.mp3"))
            << "the playlist of the scene is whole: " << playlist.toStdString();
        if (whole) {
            EXPECT_TRUE(now.scenes.contains("Dinner"));
        }
        EXPECT_TRUE(QFileInfo::exists(data("daily/" + now.scenes.firstKey()))) << "the folder of its name";
        EXPECT_EQ(QFileInfo::exists(data("daily/Lunch")), now.scenes.contains("Lunch")) << "a dead folder";
    });
    std::printf("[ kill points ] a scene's rename: %d\n", steps);
}

TEST_F(LibraryFaults, AnUpgradeCutOffIsTakenUpAgainAtTheNextStart) {
    // A 2.0.8 layout: its settings and its data folder in the root.
    auto oldLayout = [&] {
        QDir(root.path("data")).removeRecursively();
        QDir(root.path("2.0.8")).removeRecursively();
        QDir(root.path("temp")).removeRecursively();
        ASSERT_TRUE(writeFile(root.path("assistantdata.ini"), "[data]\nver=2.0.8\n"));
        ASSERT_TRUE(writeFile(root.path("data/icons/a.png"), "icon a"));
        ASSERT_TRUE(writeFile(root.path("data/icons/p.png"), "pack icon"));
        ASSERT_TRUE(writeFile(root.path("data/books/x.zip"), "book x"));
        const QString name = "old-" + QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(root.path("data/main.db"));
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            q.exec("create table PackTbl(packId varchar(50) PRIMARY KEY,name varchar(50),icon varchar(255),"
                   "installDate TIMESTAMP,isCustom int)");
            q.exec(
                "create table AppTbl(appId INTEGER PRIMARY KEY,name varchar(50),packId varchar(50),price int,"
                "starLevel int,size int,versionCode int,proType varchar(10),catena varchar(50),version "
                "varchar(50),copyright varchar(100),keyword varchar(50),packageName varchar(100),icon "
                "varchar(255),path varchar(255),downloadId varchar(255),fileName varchar(255),firstDate "
                "varchar(50),editionReleaseDate varchar(50),favor int)");
            q.exec("insert into PackTbl values('old-1','Old','p.png','Thu Mar 3 2016',0)");
            q.exec("insert into AppTbl(appId,name,packId,proType,path,icon,favor) "
                   "values(5,'Book X','old-1','books','books/x.zip','a.png',1)");
        }
        QSqlDatabase::removeDatabase(name);
    };
    auto upgraded = [&](const QString& where) {
        SCOPED_TRACE(where.toStdString());
        EXPECT_EQ(readFile(data("apps/books/x.zip")), "book x");
        EXPECT_EQ(readFile(data("appicons/a.png")), "icon a");
        EXPECT_EQ(query("select name, favor from AppTbl").value(0).join('|'), "Book X|1");
        EXPECT_EQ(query("select count(*) from PackTbl").value(0).value(0), "1");
        EXPECT_FALSE(QFileInfo::exists(root.path("2.0.8"))) << "the backup folder is gone";
        EXPECT_FALSE(QFileInfo::exists(root.path("assistantdata.ini")));
    };
    ASSERT_NO_FATAL_FAILURE(oldLayout());
    const ProcessResult whole = change({"upgrade"});
    const int steps = whole.out.section("steps ", 1).trimmed().toInt();
    ASSERT_GT(steps, 3);
    for (int n = 1; n <= steps; ++n) {
        ASSERT_NO_FATAL_FAILURE(oldLayout());
        const ProcessResult cut = change({"upgrade"}, n);
        EXPECT_TRUE(cut.crashed) << "step " << n << ": " << cut.err.toStdString();
        startClient();
        upgraded(QString("upgrade cut at step %1 of %2").arg(n).arg(steps));
    }
    std::printf("[ kill points ] the data upgrade: %d\n", steps);
}

TEST_F(LibraryFaults, TheCheckAtStartMendsWhatOlderClientsLeft) {
    ASSERT_NO_FATAL_FAILURE(makeBaseline());
    // An older client played the song under its display name and was closed meanwhile.
    exec("update AppTbl set fileName = 'Morning Song.mp3' where productId = 9001");
    ASSERT_TRUE(QFile::rename(data("apps/old/morning.mp3"), data("apps/old/Morning Song.mp3")));
    // A file no row names, and the second user row an odd reply used to add.
    ASSERT_TRUE(writeFile(data("apps/stray/left.bin"), "left behind"));
    exec("insert into UserTbl(userId,name,flag,registered) values(0,'','local',1)");
    startClient();
    EXPECT_EQ(readFile(data("apps/old/morning.mp3")), "old morning") << "the stored name is back";
    EXPECT_FALSE(QFileInfo::exists(data("apps/old/Morning Song.mp3")));
    EXPECT_FALSE(QFileInfo::exists(data("apps/stray")));
    QDirIterator aside(root.path("temp/orphans"), {"left.bin"}, QDir::Files, QDirIterator::Subdirectories);
    EXPECT_TRUE(aside.hasNext()) << "an orphan is moved aside, not deleted";
    EXPECT_EQ(query("select userId, name from UserTbl").value(0).join('|'), "7|Li");
    EXPECT_EQ(query("select count(*) from UserTbl").value(0).value(0), "1");
    expectWholeLibrary("after the check");
    const QString log = root.readLog();
    EXPECT_TRUE(log.contains("has its stored name again")) << log.toStdString();
}
