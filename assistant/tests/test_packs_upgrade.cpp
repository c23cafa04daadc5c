// Taking over a 2.0.8 installation: a layout built in the test is upgraded by
// doUpdate directly and by the real client at start-up.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "packs/upgrade.h"
#include "platform/log.h"
#include "support/packsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

class Upgrade : public ::testing::Test {
protected:
    Upgrade() : paths(root.appDir()) { tavi::setupClientLogging(logDir.path()); }

    // The 2.0.8 layout: settings and data folder right in the root, icons of
    // packs and resources together in data/icons, files below data/.
    void makeOldLayout(const QStringList& tables = {"PackTbl", "AppTbl"}) {
        writeFile(root.path("assistantdata.ini"), "[data]\nver=2.0.8\n");
        writeFile(root.path("data/icons/p.png"), "pack icon");
        writeFile(root.path("data/icons/a.png"), "icon a");
        writeFile(root.path("data/icons/b.png"), "icon b");
        writeFile(root.path("data/books/x.zip"), "book x");
        writeFile(root.path("data/music/y.mp3"), "song y");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old-maker");
            db.setDatabaseName(root.path("data/main.db"));
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            if (tables.contains("PackTbl")) {
                ASSERT_TRUE(
                    q.exec("create table PackTbl(packId varchar(50) PRIMARY KEY,name varchar(50),icon "
                           "varchar(255),installDate TIMESTAMP,isCustom int)"));
                ASSERT_TRUE(
                    q.exec("insert into PackTbl values('old-1','Old Pack','p.png','2015-05-05 10:00:00',0)"));
            }
            if (tables.contains("AppTbl")) {
                ASSERT_TRUE(q.exec(
                    "create table AppTbl(appId INTEGER PRIMARY KEY AUTOINCREMENT,isUserFile int,isExternal "
                    "int,productId INTEGER,name varchar(50),packId varchar(50),price int,starLevel int,size "
                    "int,versionCode int,proType varchar(10),catena varchar(50),version "
                    "varchar(50),firstDate "
                    "varchar(50),editionReleaseDate varchar(50),keyword varchar(50),copyright "
                    "varchar(100),packageName varchar(100),path varchar(255),downloadId "
                    "varchar(255),downloadDate "
                    "TIMESTAMP,accessDate TIMESTAMP,fileName varchar(255),icon varchar(255),favor "
                    "int,favorDate "
                    "TIMESTAMP)"));
                ASSERT_TRUE(
                    q.exec("insert into AppTbl(appId,name,packId,price,starLevel,size,versionCode,proType,"
                           "catena,version,firstDate,path,fileName,icon,favor) values(5,'Book X','old-1',2,"
                           "4,6,3,'books','Series','1.0','Thu Mar 3 2016','books/x.zip','x.zip','a.png',1)"));
                ASSERT_TRUE(q.exec("insert into AppTbl(appId,name,packId,proType,path,fileName,icon,favor) "
                                   "values(6,'Song Y','old-1','music','music/y.mp3','y.mp3','b.png',0)"));
                ASSERT_TRUE(q.exec("insert into AppTbl(appId,name,packId,proType,path,icon,favor) "
                                   "values(7,'Lost','old-1','video','video/lost.mp4','lost.png',0)"));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase("old-maker");
    }

    QString log() const { return readFile(logDir.path() + "/debug/taviassistant.log"); }

    testsupport::TempRoot root;
    QTemporaryDir logDir;
    DataPaths paths;
};

void expectUpgraded(const testsupport::TempRoot& root, const DataPaths& paths) {
    EXPECT_FALSE(QFileInfo::exists(root.path("2.0.8"))) << "the backup folder is gone";
    EXPECT_FALSE(QFileInfo::exists(root.path("assistantdata.ini")));
    EXPECT_FALSE(QFileInfo::exists(root.path("data/icons")));
    EXPECT_FALSE(QFileInfo::exists(root.path("data/books")));
    for (const QString& dir : {paths.tempDir, paths.packIconDir, paths.appsDir, paths.appIconDir,
                               paths.customPackDir, paths.externalDir, paths.dailyDir})
        EXPECT_TRUE(QFileInfo(dir).isDir()) << dir.toStdString();
    EXPECT_EQ(readFile(paths.packIconDir + "/p.png"), "pack icon");
    EXPECT_EQ(readFile(paths.appIconDir + "/a.png"), "icon a");
    EXPECT_EQ(readFile(paths.appIconDir + "/b.png"), "icon b");
    EXPECT_EQ(readFile(paths.appsDir + "/books/x.zip"), "book x");
    EXPECT_EQ(readFile(paths.appsDir + "/music/y.mp3"), "song y");

    DB db(paths.mainDbPath, "check");
    ASSERT_TRUE(db.open());
    _PackSearchPara packPara;
    unsigned count = 0;
    DataSet<TaviPack> packs;
    ASSERT_TRUE(db.searchPacks(&packPara, count, &packs));
    ASSERT_EQ(packs.size(), 1);
    EXPECT_EQ(packs[0]->packId, "old-1");
    EXPECT_EQ(packs[0]->name, "Old Pack");
    EXPECT_EQ(packs[0]->icon, "p.png");
    DataSet<TaviApp> apps;
    ASSERT_TRUE(db.getApps("select * from AppTbl order by productId", &apps));
    ASSERT_EQ(apps.size(), 3);
    EXPECT_EQ(apps[0]->productId, 5);
    EXPECT_EQ(apps[0]->name, "Book X");
    EXPECT_EQ(apps[0]->path, "books/x.zip");
    EXPECT_EQ(apps[0]->catena, "Series");
    EXPECT_EQ(apps[0]->firstDate, QDate(2016, 3, 3));
    EXPECT_EQ(apps[0]->price, 2);
    EXPECT_FALSE(apps[0]->isUserFile);
    EXPECT_TRUE(apps[0]->favor) << "favourites are carried over";
    EXPECT_FALSE(apps[1]->favor);
    EXPECT_EQ(apps[2]->productId, 7) << "a resource whose file is missing keeps its row";
    _AppSearchPara byPack;
    byPack.packId = "old-1";
    DataSet<TaviApp> inPack;
    ASSERT_TRUE(db.searchApps(&byPack, count, &inPack));
    EXPECT_EQ(count, 3u);
    db.close();
}

TEST_F(Upgrade, From208PacksAppsIconsAndFilesArriveInTheNewLayout) {
    makeOldLayout();
    QString version = "2.0.8";
    EXPECT_EQ(doUpdate(version, paths), 0);
    expectUpgraded(root, paths);
    EXPECT_TRUE(log().contains("update from:2.0.8"));
}

TEST_F(Upgrade, AnyOtherVersionChangesNothing) {
    makeOldLayout();
    const auto before = packsupport::snapshot(root.root());
    for (QString version : {QString("2.0.7"), QString(""), QString("2.1.0"), QString("2.0.8 ")}) {
        EXPECT_EQ(doUpdate(version, paths), -1) << version.toStdString();
        EXPECT_TRUE(log().contains("update from:" + version));
    }
    EXPECT_EQ(packsupport::changes(before, packsupport::snapshot(root.root())), QStringList());
}

TEST_F(Upgrade, UnreadableOldCatalogueKeepsTheBackup) {
    makeOldLayout();
    writeFile(root.path("data/main.db"), "this is no database at all, just some text of some length");
    QString version = "2.0.8";
    EXPECT_EQ(doUpdate(version, paths), 0);
    EXPECT_TRUE(log().contains("open old db failed"));
    EXPECT_EQ(readFile(root.path("2.0.8/data/books/x.zip")), "book x") << "nothing is lost";
    EXPECT_TRUE(QFileInfo::exists(root.path("2.0.8/assistantdata.ini")));
    EXPECT_TRUE(QFileInfo::exists(paths.mainDbPath)) << "the new layout exists all the same";
    EXPECT_FALSE(QSqlDatabase::contains("2.0.8"));
}

TEST_F(Upgrade, OldCatalogueWithoutResourcesStopsAfterThePacksAndKeepsTheBackup) {
    makeOldLayout({"PackTbl"});
    QString version = "2.0.8";
    EXPECT_EQ(doUpdate(version, paths), 0);
    EXPECT_TRUE(log().contains("get apps failed:"));
    EXPECT_TRUE(QFileInfo::exists(root.path("2.0.8/data/main.db")));
    EXPECT_EQ(readFile(paths.packIconDir + "/p.png"), "pack icon");
    DB db(paths.mainDbPath, "check");
    ASSERT_TRUE(db.open());
    unsigned count = 0;
    ASSERT_TRUE(db.getPackCount(count));
    EXPECT_EQ(count, 1u);
    db.close();
}

TEST_F(Upgrade, TheClientUpgradesAtStartAndRecordsItsVersion) {
    root.installClient();
    makeOldLayout();
    const testsupport::ProcessResult r =
        testsupport::run(root.clientExe(), {"--setup"}, 60000, testsupport::clientEnv(root.path("tmp")));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectUpgraded(root, paths);
    QSettings settings(paths.dataDir + "/assistantdata.ini", QSettings::IniFormat);
    QSettings product(root.appDir() + "/version.ini", QSettings::IniFormat);
    EXPECT_EQ(settings.value("data/ver").toString(), product.value("product/ver").toString());
    EXPECT_TRUE(root.readLog().contains("update from:2.0.8"));
}

} // namespace
