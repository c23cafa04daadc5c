// The client started as a real process on throw-away installation roots:
// first start, version check and upgrade trigger, the single-instance guard,
// the set-up run and its playlists, the region cache and the service at the
// normal run.

#include "support/devservice.h"
#include "support/httpserver.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextCodec>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QString productVersion() {
    QSettings s(QString(TAVI_CLIENT_BUILD_DIR) + "/version.ini", QSettings::IniFormat);
    return s.value("product/ver").toString();
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

ProcessResult runSetup(const TempRoot& root, const QStringList& extra = {}) {
    return run(root.clientExe(), QStringList{"--setup"} + extra, 60000, clientEnv(root.path("tmp")));
}

// A normal (interactive) run in the background; stop() ends it like a log-out.
struct RunningClient {
    QProcess process;
    explicit RunningClient(const TempRoot& root, const QStringList& extraEnv = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : clientEnv(root.path("tmp")) + extraEnv)
            env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        process.setProcessEnvironment(env);
        process.start(root.clientExe(), QStringList());
    }
    bool stop() {
        ::kill(process.processId(), SIGTERM);
        return process.waitForFinished(15000);
    }
    ~RunningClient() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace

TEST(Startup, FirstStartCreatesTheDataLayoutAndSecondStartWritesNothing) {
    TempRoot root;
    root.installClient();
    ProcessResult r = runSetup(root);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    const QString log = root.readLog();
    const QStringList order = {"########## new instance ##########", "ver:" + productVersion(),
                               "imei:", "init", ">>setup"};
    int at = -1;
    for (const QString& line : order) {
        const int found = log.indexOf(line, at + 1);
        EXPECT_GT(found, at) << "missing or out of order: " << line.toStdString() << "\n"
                             << log.toStdString();
        at = std::max(at, found);
    }
    for (const char* d : {"data", "temp", "data/packicons", "data/apps", "data/appicons", "data/custompack",
                          "data/external", "data/daily"})
        EXPECT_TRUE(QFileInfo(root.path(d)).isDir()) << d;

    QSettings settings(root.path("data/assistantdata.ini"), QSettings::IniFormat);
    EXPECT_EQ(settings.value("data/ver").toString(), productVersion());

    ProcessResult schema = run("sqlite3", {root.path("data/main.db"), ".tables"});
    for (const char* table : {"AppTbl", "PackTbl", "UserTbl", "DailySceneTbl"})
        EXPECT_TRUE(schema.out.contains(table)) << table << " in " << schema.out.toStdString();
    ProcessResult appTbl = run("sqlite3", {root.path("data/main.db"), ".schema AppTbl"});
    EXPECT_TRUE(appTbl.out.contains("productId INTEGER UNIQUE")) << appTbl.out.toStdString();

    // Equal versions: the settings file and the catalogue stay untouched.
    const QDateTime iniTime = QFileInfo(root.path("data/assistantdata.ini")).lastModified();
    const QByteArray iniHash = fileHash(root.path("data/assistantdata.ini"));
    const QByteArray dbHash = fileHash(root.path("data/main.db"));
    QThread::msleep(1100);
    r = runSetup(root);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(QFileInfo(root.path("data/assistantdata.ini")).lastModified(), iniTime);
    EXPECT_EQ(fileHash(root.path("data/assistantdata.ini")), iniHash);
    EXPECT_EQ(fileHash(root.path("data/main.db")), dbHash);
    const QString second = root.readLog();
    EXPECT_EQ(second.count("init"), 1);
    EXPECT_TRUE(second.contains("check data version"));
    EXPECT_TRUE(second.contains("last data ver:" + productVersion()));
}

TEST(Startup, AnOlderSettingsFileInTheRootTriggersTheUpgradePath) {
    TempRoot root;
    root.installClient();
    writeFile(root.path("assistantdata.ini"), "[data]\nver=1.9.9\n");
    ProcessResult r = runSetup(root);
    EXPECT_EQ(r.exitCode, 0);
    const QString log = root.readLog();
    EXPECT_TRUE(log.contains("check data version"));
    EXPECT_TRUE(log.contains("last data ver:1.9.9"));
    EXPECT_TRUE(log.contains("update from:1.9.9"));
    EXPECT_FALSE(log.contains("init"));
    QSettings settings(root.path("data/assistantdata.ini"), QSettings::IniFormat);
    EXPECT_EQ(settings.value("data/ver").toString(), productVersion());
    // The catalogue is usable after the run even though no first start created it.
    ProcessResult tables = run("sqlite3", {root.path("data/main.db"), ".tables"});
    EXPECT_TRUE(tables.out.contains("AppTbl"));
}

TEST(Startup, SecondInstanceGivesWayAndAStaleServerDoesNotBlock) {
    TempRoot root;
    root.installClient();
    {
        RunningClient first(root);
        ASSERT_TRUE(first.process.waitForStarted(10000));
        ASSERT_TRUE(waitFor([&] { return root.readLog().contains("get curr user"); }, 30000))
            << root.readLog().toStdString();

        ProcessResult second = run(root.clientExe(), {}, 30000, clientEnv(root.path("tmp")));
        EXPECT_FALSE(second.timedOut);
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_TRUE(second.err.contains("taviclient_41F8 already running.\n")) << second.err.toStdString();
        EXPECT_TRUE(root.readLog().contains("multi instance"));
        EXPECT_EQ(first.process.state(), QProcess::Running);

        // A log-out ends the run cleanly.
        ASSERT_TRUE(first.stop());
        EXPECT_EQ(first.process.exitCode(), 0);
        EXPECT_TRUE(root.readLog().contains("<<<< exit..."));
    }
    {
        RunningClient crashed(root);
        ASSERT_TRUE(waitFor([&] { return root.readLog().count(">>run") == 2; }, 30000));
        crashed.process.kill(); // leaves its local server socket behind
        crashed.process.waitForFinished(5000);
    }
    RunningClient next(root);
    ASSERT_TRUE(waitFor([&] { return root.readLog().count(">>run") == 3; }, 30000))
        << root.readLog().toStdString();
    EXPECT_EQ(root.readLog().count("multi instance"), 1);
    EXPECT_TRUE(next.stop());
}

TEST(Startup, SetupTurnsDailyFoldersIntoUtf8PlaylistsWithoutDuplicates) {
    TempRoot root;
    root.installClient();
    const QString source = root.path("scenes");
    writeFile(source + "/a/morning song.mp3", "x");
    writeFile(source + "/a/" + QString::fromUtf8("儿歌.wav"), "x");
    writeFile(source + "/a/notes.txt", "not media");
    writeFile(source + "/b/clip.mp4", "x");

    for (int round = 0; round < 2; ++round) {
        ProcessResult r = runSetup(root, {"--dailyscenedir", source});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    const QString daily = root.path("data/daily");
    QFile pls(daily + "/a/a.pls");
    ASSERT_TRUE(pls.open(QIODevice::ReadOnly));
    const QByteArray raw = pls.readAll();
    const QString text = QString::fromUtf8(raw);
    EXPECT_TRUE(text.contains("[playlist]"));
    EXPECT_TRUE(text.contains("NumberOfEntries=2"));
    EXPECT_TRUE(text.contains("Version=2"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("儿歌.wav"))) << text.toStdString();
    EXPECT_TRUE(text.contains(daily + "/a/morning song.mp3"));
    EXPECT_FALSE(text.contains("notes.txt"));
    // Players here read playlists as UTF-8 (a GB2312 one names files they cannot find).
    EXPECT_TRUE(raw.contains(QString::fromUtf8("儿歌").toUtf8()));
    EXPECT_TRUE(QFileInfo::exists(daily + "/b/b.pls"));

    ProcessResult rows = run("sqlite3", {root.path("data/main.db"), "select name, playlist, isCustom from "
                                                                    "DailySceneTbl order by name"});
    EXPECT_EQ(rows.out.trimmed(), "a|a/a.pls|0\nb|b/b.pls|0");
    const QString log = root.readLog();
    EXPECT_TRUE(log.contains("subdir:a"));
    EXPECT_TRUE(log.contains("subdir:b"));

    // A scene a teacher made in the client (its folder holds only its
    // playlist) and a folder the installer left earlier: a later set-up run
    // keeps the teacher's scene and its playlist exactly as they are, and
    // builds the folder that has no scene yet.
    const QByteArray own = "[playlist]\nFile1=/home/teacher/lunch.mp3\nNumberOfEntries=1\nVersion=2\n";
    ASSERT_TRUE(writeFile(daily + "/Lunch/Lunch.pls", own));
    ASSERT_EQ(
        run("sqlite3", {root.path("data/main.db"), "insert into DailySceneTbl(name,icon,playlist,isCustom) "
                                                   "values('Lunch','','Lunch/Lunch.pls',1)"})
            .exitCode,
        0);
    writeFile(daily + "/c/clap.mp3", "x");
    ASSERT_EQ(runSetup(root, {}).exitCode, 0);
    EXPECT_EQ(readFile(daily + "/Lunch/Lunch.pls").toUtf8(), own);
    rows =
        run("sqlite3", {root.path("data/main.db"), "select name, isCustom from DailySceneTbl order by name"});
    EXPECT_EQ(rows.out.trimmed(), "Lunch|1\na|0\nb|0\nc|0");
}

TEST(Startup, HelpNamesTheOptions) {
    TempRoot root;
    root.installClient();
    ProcessResult r = run(root.clientExe(), {"--help"}, 30000, clientEnv(root.path("tmp")));
    EXPECT_EQ(r.exitCode, 0);
    for (const char* text :
         {"--setup", "data setup", "--packdir", "pack dir", "--dailyscenedir", "daily scene dir"})
        EXPECT_TRUE(r.out.contains(text)) << text;
}

namespace {
// The environment of a machine without any display: no X, no Wayland, no platform chosen.
QProcessEnvironment withoutDisplay(const TempRoot& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : clientEnv(root.path("tmp")))
        env.insert(kv.section('=', 0, 0), kv.section('=', 1));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    return env;
}
} // namespace

TEST(Startup, WithoutADisplayOnlyTheSetupRunRuns) {
    TempRoot root;
    root.installClient();
    QProcess normal;
    normal.setProcessEnvironment(withoutDisplay(root));
    normal.start(root.clientExe(), QStringList());
    // It used to run on, invisible, holding the guard that turns away every later start.
    ASSERT_TRUE(normal.waitForFinished(15000)) << "a normal run without a display lingers";
    EXPECT_EQ(normal.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(normal.exitCode(), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(normal.readAllStandardError()).contains("no display"));

    for (const QStringList& args : {QStringList{"-setup"}, QStringList{"--version"}}) {
        QProcess other;
        other.setProcessEnvironment(withoutDisplay(root));
        other.start(root.clientExe(), args);
        ASSERT_TRUE(other.waitForFinished(30000));
        EXPECT_EQ(other.exitCode(), 0) << args.join(' ').toStdString();
        EXPECT_FALSE(QString::fromLocal8Bit(other.readAllStandardError()).contains("already running"));
    }
    EXPECT_TRUE(root.readLog().contains(">>setup"));
}

TEST(Startup, SetupWritesNoPlaylistThroughALinkedFolder) {
    TempRoot root;
    root.installClient();
    ASSERT_EQ(runSetup(root).exitCode, 0);
    const QString outside = root.path("elsewhere");
    writeFile(outside + "/song.mp3", "x");
    writeFile(root.path("data/daily/real/clip.mp3"), "x");
    ASSERT_TRUE(QFile::link(outside, root.path("data/daily/linked")));

    ASSERT_EQ(runSetup(root).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(root.path("data/daily/real/real.pls")));
    EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList{"song.mp3"})
        << "nothing written through the link";
    ProcessResult rows =
        run("sqlite3", {root.path("data/main.db"), "select name from DailySceneTbl order by name"});
    EXPECT_EQ(rows.out.trimmed(), "real");
}

TEST(Startup, APackFileCalledDailyKeepsTheInstallersDailyScenes) {
    TempRoot root;
    root.installClient();
    // An installer stages daily scenes in temp/daily and ships a pack named daily.tvp.
    writeFile(root.path("temp/daily/nap/lullaby.mp3"), "x");
    const QString packs = root.path("preinstall");
    writeFile(root.path("user/pack.ini"), "[pack]\nver=1\ntype=2\n");
    writeFile(root.path("user/story.mp3"), "x");
    QDir().mkpath(packs);
    ASSERT_EQ(run("7za", {"a", "-bd", packs + "/daily.tvp", "."}, 60000, {}, root.path("user")).exitCode, 0);

    ASSERT_EQ(runSetup(root, {"--packdir", packs}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(root.path("data/daily/nap/nap.pls")));
    EXPECT_TRUE(QFileInfo::exists(root.path("data/external/daily/story.mp3")));
    ProcessResult rows = run("sqlite3", {root.path("data/main.db"), "select name from DailySceneTbl"});
    EXPECT_EQ(rows.out.trimmed(), "nap");
}

TEST(Startup, TheNormalRunOpensTheRegionCacheAndUsesTheServiceItIsGiven) {
    TempRoot root;
    root.installClient();
    ASSERT_EQ(runSetup(root).exitCode, 0);
    // A user stored by an earlier run, of the school "other" in 朝阳区.
    const ProcessResult insert =
        run("sqlite3",
            {root.path("data/main.db"),
             "insert into UserTbl(userId,name,qq,mobile,province,city,school,otherSchool,flag,registered,"
             "userRole) values(10001,'Li','1','2',110000,110105,0,'Little Stars','local',1,1)"});
    ASSERT_EQ(insert.exitCode, 0) << insert.err.toStdString();
    // A region cache a power cut left as garbage is made again from the shipped one.
    ASSERT_TRUE(writeFile(root.path("data/offline.db"), QByteArray(4096, 'x')));
    const QString shippedBefore = readFile(root.path("bin/offline.db"));

    DevService service;
    ASSERT_TRUE(service.isRunning()) << service.error().toStdString();
    {
        RunningClient client(root, {"TAVI_SERVICE_ADDRESS=" + service.baseAddress()});
        ASSERT_TRUE(client.process.waitForStarted(10000));
        // The profile page logs the device in and refreshes the user.
        ASSERT_TRUE(waitFor([&] { return !service.requests("/api/query_userInfo").isEmpty(); }, 30000))
            << root.readLog().toStdString();
        ASSERT_TRUE(client.stop());
        EXPECT_EQ(client.process.exitCode(), 0);
    }
    const QString log = root.readLog();
    const QStringList order = {">>run", "get curr user",
                               "service address from TAVI_SERVICE_ADDRESS: " + service.baseAddress(),
                               "NetClient::login", "<<<< exit..."};
    int at = -1;
    for (const QString& line : order) {
        const int found = log.indexOf(line, at + 1);
        EXPECT_GT(found, at) << "missing or out of order: " << line.toStdString() << "\n"
                             << log.toStdString();
        at = std::max(at, found);
    }
    const QJsonArray logins = service.requests("/api/user_login");
    ASSERT_FALSE(logins.isEmpty());
    QString operatingSystem, imei;
    for (const QJsonValue& pair : logins.first().toObject().value("fields").toArray()) {
        if (pair.toArray().at(0).toString() == "operating_system")
            operatingSystem = pair.toArray().at(1).toString();
        if (pair.toArray().at(0).toString() == "imei")
            imei = pair.toArray().at(1).toString();
    }
    EXPECT_EQ(operatingSystem, "unknown widows version");
    EXPECT_TRUE(log.contains("imei:" + imei)) << imei.toStdString();
    // The stored user's city was shown, so its schools were fetched into the
    // client's own cache; the shipped one is never written.
    EXPECT_TRUE(log.contains("not a database")) << log.toStdString();
    const ProcessResult cached =
        run("sqlite3", {root.path("data/offline.db"), "select count(*) from SchoolTbl where cityId=110105"});
    EXPECT_GT(cached.out.trimmed().toInt(), 0) << cached.out.toStdString() << cached.err.toStdString();
    EXPECT_EQ(readFile(root.path("bin/offline.db")), shippedBefore);
    EXPECT_FALSE(log.contains("open db failed"));
}

// A service that accepts connections and never answers: the window is there
// at once (no request runs on the interface thread), and the client ends
// within a moment of being asked to (requests in flight are abandoned).
TEST(Startup, AStalledServiceNeitherHoldsTheWindowNorTheEnd) {
    TempRoot root;
    root.installClient();
    ASSERT_EQ(runSetup(root).exitCode, 0);
    // A stored user of 朝阳区: its schools are asked for as the page shows it.
    ASSERT_EQ(run("sqlite3",
                  {root.path("data/main.db"),
                   "insert into UserTbl(userId,name,qq,mobile,province,city,school,otherSchool,flag,"
                   "registered,userRole) values(10001,'Li','1','2',110000,110105,0,'Stars','local',1,1)"})
                  .exitCode,
              0);
    testsupport::HttpServer stalled;
    for (const char* path : {"/api/user_login", "/api/query_userInfo", "/api/get_nurseries", "/api/get_pc"})
        stalled.setReply(path, testsupport::HttpServer::Reply{200, "{}", "application/json", 60000});
    QElapsedTimer clock;
    clock.start();
    RunningClient client(root, {"TAVI_SERVICE_ADDRESS=" + stalled.baseAddress()});
    ASSERT_TRUE(waitFor([&] { return root.readLog().contains("MainFrame width:"); }, 20000));
    const qint64 toWindow = clock.elapsed();
    ASSERT_TRUE(waitFor([&] { return stalled.bodies("/api/get_nurseries").size() > 0; }, 10000))
        << "the schools are asked for while the window shows";
    clock.restart();
    ASSERT_TRUE(client.stop());
    const qint64 toEnd = clock.elapsed();
    std::printf("[ stalled service ] window after %lld ms, process ended %lld ms after the end was asked\n",
                static_cast<long long>(toWindow), static_cast<long long>(toEnd));
    EXPECT_LT(toWindow, 3000) << "a request held the window";
    EXPECT_LT(toEnd, 2000) << "the end waited for the service";
    EXPECT_EQ(client.process.exitCode(), 0);
}

TEST(Startup, AMalformedServiceAddressSendsNothingAnywhere) {
    TempRoot root;
    root.installClient();
    ASSERT_EQ(runSetup(root).exitCode, 0);
    {
        RunningClient client(root, {"TAVI_SERVICE_ADDRESS=ftp://127.0.0.1:21"});
        ASSERT_TRUE(waitFor([&] { return root.readLog().contains("no service address"); }, 30000))
            << root.readLog().toStdString();
        ASSERT_TRUE(client.stop());
        EXPECT_EQ(client.process.exitCode(), 0);
    }
    const QString log = root.readLog();
    EXPECT_TRUE(log.contains("ERROR - TAVI_SERVICE_ADDRESS is not http://host[:port], no service requests: "
                             "ftp://127.0.0.1:21"));
    EXPECT_FALSE(log.contains("curl_easy_perform"));
    EXPECT_TRUE(log.contains("<<<< exit..."));
}

namespace {
// A publisher pack with one book, built by the pack builder.
QString buildPack(const TempRoot& root, const QString& id) {
    writeFile(root.path("src-" + id + "/book.zip"), "book of " + id.toUtf8());
    const QString manifest = root.path("src-" + id + "/manifest.json");
    writeFile(manifest,
              QString(R"({"packId":"%1","name":"Pack %1","resources":[{"appId":%2,"name":"Book %1",)"
                      R"("proType":"books","file":"book.zip"}]})")
                  .arg(id)
                  .arg(qHash(id) % 100000 + 1)
                  .toUtf8());
    const QString archive = root.path(id + " pack.tvp");
    const ProcessResult r = run(TAVI_PACKBUILDER_EXE, {"build", manifest, archive});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return archive;
}
QString packsIn(const TempRoot& root) {
    return run("sqlite3", {root.path("data/main.db"), "select packId from PackTbl order by packId"})
        .out.trimmed();
}
} // namespace

TEST(Startup, APackFileOnTheCommandLineIsImportedAndTheClientRunsOn) {
    TempRoot root;
    root.installClient();
    const QString archive = buildPack(root, "meadow");
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : clientEnv(root.path("tmp")))
        env.insert(kv.section('=', 0, 0), kv.section('=', 1));
    client.setProcessEnvironment(env);
    client.start(root.clientExe(), {archive});
    ASSERT_TRUE(waitFor([&] { return packsIn(root) == "meadow"; }, 30000)) << root.readLog().toStdString();
    EXPECT_EQ(client.state(), QProcess::Running) << "the client runs on after the import";
    ::kill(client.processId(), SIGTERM);
    ASSERT_TRUE(client.waitForFinished(15000));
    EXPECT_EQ(client.exitCode(), 0);
}

TEST(Startup, ASecondStartHandsItsPackFilesToTheRunningClient) {
    TempRoot root;
    root.installClient();
    const QString archive = buildPack(root, "songs");
    RunningClient first(root);
    ASSERT_TRUE(waitFor([&] { return root.readLog().contains("get curr user"); }, 30000));
    QThread::msleep(500);

    // As the file manager starts it: the file's path as the only argument, from another folder.
    const ProcessResult second = run(root.clientExe(), {QFileInfo(archive).fileName()}, 30000,
                                     clientEnv(root.path("tmp")), QFileInfo(archive).absolutePath());
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains("taviclient_41F8 already running.\n")) << second.err.toStdString();
    EXPECT_TRUE(waitFor([&] { return packsIn(root) == "songs"; }, 30000))
        << "the running client did not import the pack: " << root.readLog().toStdString();
    EXPECT_EQ(first.process.state(), QProcess::Running);
    EXPECT_EQ(root.readLog().count(">>run"), 1) << "the second start ran a client of its own";
    EXPECT_TRUE(first.stop());
}
