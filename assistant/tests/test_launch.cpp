// Opening books: real archives unpacked with 7za beside themselves, the book
// folder search, the engine started with the folder, and Core's busy rule.

#include "catalogue/datapaths.h"
#include "core/core.h"
#include "launch/enginepath.h"
#include "launch/respackplayer.h"
#include "platform/log.h"
#include "support/testplayer.h"
#include "support/testsupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// Builds an archive from files given as relative path → content, with 7za.
bool makeArchive(const QString& archive, const QMap<QString, QByteArray>& files) {
    QTemporaryDir staging;
    for (auto it = files.begin(); it != files.end(); ++it)
        if (!writeFile(staging.path() + "/" + it.key(), it.value()))
            return false;
    QDir().mkpath(QFileInfo(archive).absolutePath());
    const ProcessResult r =
        run("7za", {"a", "-bd", QFileInfo(archive).absoluteFilePath(), "."}, 60000, {}, staging.path());
    return r.exitCode == 0 && QFileInfo::exists(archive);
}

// Receives what would go to the desktop's default handler.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::setupClientLogging(dir.path());
        engineLog = dir.path() + "/engine-calls.txt";
        qputenv("TAVI_FAKE_ENGINE_LOG", engineLog.toUtf8());
        qunsetenv("TAVI_FAKE_ENGINE_SLEEP_MS");
        enginePath() = TAVI_FAKE_ENGINE_EXE;
    }
    void TearDown() override { enginePath() = kDefaultEnginePath; }

    QStringList engineCalls() const { return readFile(engineLog).split('\n', Qt::SkipEmptyParts); }
    QString log() const { return readFile(dir.path() + "/debug/taviassistant.log"); }

    QTemporaryDir dir;
    QString engineLog;
};

} // namespace

TEST_F(LaunchTest, UnpacksBesideTheArchiveOnceAndRunsTheBookFolder) {
    const QString apps = dir.path() + "/apps";
    ASSERT_TRUE(makeArchive(
        apps + "/story.tvp",
        {{"book/tavigame.dat", "1"}, {"book/json/game_json.txt", "{}"}, {"extra/readme.txt", "x"}}));
    ResPackPlayer::openResPackFile(apps + "/story.tvp", 17);
    ASSERT_EQ(engineCalls(), QStringList{"argc=1 args=" + apps + "/story/book/"});
    EXPECT_TRUE(log().contains("openResPackFile productId:17"));

    // A second open reuses what is there: a file added by hand survives.
    writeFile(apps + "/story/book/marker", "mine");
    ResPackPlayer::openResPackFile(apps + "/story.tvp", 17);
    EXPECT_EQ(engineCalls().size(), 2);
    EXPECT_EQ(readFile(apps + "/story/book/marker"), "mine");

    // The folder is named by the part before the first dot.
    ASSERT_TRUE(makeArchive(apps + "/tales.vol1.tvp", {{"tavigame.dat", "1"}}));
    ResPackPlayer::openResPackFile(apps + "/tales.vol1.tvp", 18);
    EXPECT_TRUE(QFileInfo(apps + "/tales/tavigame.dat").exists());
    EXPECT_EQ(engineCalls().last(), "argc=1 args=" + apps + "/tales/");
}

TEST_F(LaunchTest, TheOutermostBookWinsAndBlanksArriveWhole) {
    const QString apps = dir.path() + "/my books";
    ASSERT_TRUE(
        makeArchive(apps + "/big tale.tvp",
                    {{"tavigame.dat", "top"}, {"inner/tavigame.dat", "inner"}, {"inner/deeper/x", "x"}}));
    ResPackPlayer::openResPackFile(apps + "/big tale.tvp", 3);
    ASSERT_EQ(engineCalls(), QStringList{"argc=1 args=" + apps + "/big tale/"});

    // Among sibling branches the last one listed wins.
    QString folder;
    writeFile(dir.path() + "/siblings/a/tavigame.dat", "");
    writeFile(dir.path() + "/siblings/b/tavigame.dat", "");
    ASSERT_TRUE(ResPackPlayer::findBookFolder(dir.path() + "/siblings", folder));
    EXPECT_EQ(folder, dir.path() + "/siblings/b");
    folder.clear();
    EXPECT_FALSE(ResPackPlayer::findBookFolder(dir.path() + "/nowhere", folder));
    EXPECT_TRUE(folder.isEmpty());
}

TEST_F(LaunchTest, NoBookStartsNothing) {
    const QString apps = dir.path() + "/apps";
    ASSERT_TRUE(makeArchive(apps + "/song.tvp", {{"music/song.mp3", "x"}}));
    ResPackPlayer::openResPackFile(apps + "/song.tvp", 5);
    EXPECT_TRUE(engineCalls().isEmpty());
    EXPECT_TRUE(log().contains("Can not find tavigame.dat!"));

    // A broken archive leaves no half-unpacked folder that a later open would trust.
    writeFile(apps + "/broken.tvp", "this is not a 7z archive");
    ResPackPlayer::openResPackFile(apps + "/broken.tvp", 6);
    EXPECT_TRUE(engineCalls().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(apps + "/broken"));

    // A missing engine is logged, not silently ignored.
    enginePath() = dir.path() + "/no-engine-here";
    ASSERT_TRUE(makeArchive(apps + "/tale.tvp", {{"tavigame.dat", "1"}}));
    ResPackPlayer::openResPackFile(apps + "/tale.tvp", 7);
    EXPECT_TRUE(log().contains("engine did not start"));
}

TEST_F(LaunchTest, CoreOpensOneThingAtATime) {
    Core* core = Core::instance();
    DataPaths paths(dir.path() + "/bin");
    paths.makeDirs();
    const DataPaths* savedPaths = core->paths();
    core->setPaths(&paths);

    ASSERT_TRUE(makeArchive(paths.appsDir + "/pack1/tale.tvp", {{"tavigame.dat", "1"}}));
    _TaviApp book;
    book.proType = "books";
    book.path = "pack1/tale.tvp";
    book.productId = 11;
    qputenv("TAVI_FAKE_ENGINE_SLEEP_MS", "1500");
    EXPECT_EQ(core->openApp(&book), -1);
    ASSERT_TRUE(waitFor([&] { return engineCalls().size() == 1; }));
    EXPECT_TRUE(core->isPlaying());
    _TaviApp other = book;
    other.proType = "courseware";
    EXPECT_EQ(core->openApp(&other), 1); // busy: nothing starts
    ASSERT_TRUE(core->resPackPlayer()->wait(10000));
    EXPECT_EQ(engineCalls().size(), 1);
    EXPECT_FALSE(core->isPlaying());
    EXPECT_EQ(engineCalls().first(), "argc=1 args=" + paths.appsDir + "/pack1/tale/");

    EXPECT_EQ(core->openApp(nullptr), 2);
    _TaviApp odd = book;
    odd.proType = "poster";
    EXPECT_EQ(core->openApp(&odd), -1);
    EXPECT_FALSE(core->isPlaying());

    // User files go to the desktop's handler, from the folder their flag names.
    testsupport::TestPlayer::instance();
    ASSERT_TRUE(testsupport::writeFile(paths.externalDir + "/trip/song 1.mp3", "ID3"));
    ASSERT_TRUE(testsupport::writeFile(paths.customPackDir + "/trip/song 1.mp3", "ID3"));
    ASSERT_TRUE(testsupport::writeFile(paths.customPackDir + "/trip/notes.txt", "words"));
    UrlCatcher opened;
    QSignalSpy failed(core, &Core::launchFailed);
    QDesktopServices::setUrlHandler("file", &opened, "open");
    _TaviApp mine;
    mine.isUserFile = true;
    mine.isExternal = true;
    mine.name = "song 1.mp3";
    mine.path = "trip/song 1.mp3";
    EXPECT_EQ(core->openApp(&mine), -1);
    mine.isExternal = false;
    EXPECT_EQ(core->openApp(&mine), -1);
    // A file no program opens, and one that is gone, are not handed on: the
    // teacher is told instead.
    mine.name = "notes.txt";
    mine.path = "trip/notes.txt";
    EXPECT_EQ(core->openApp(&mine), -1);
    mine.name = "gone.mp3";
    mine.path = "trip/gone.mp3";
    EXPECT_EQ(core->openApp(&mine), -1);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0].toLocalFile(), paths.externalDir + "/trip/song 1.mp3");
    EXPECT_EQ(opened.urls[1].toLocalFile(), paths.customPackDir + "/trip/song 1.mp3");
    ASSERT_EQ(failed.count(), 2);
    EXPECT_EQ(failed[0][0].toString(), "notes.txt");
    EXPECT_TRUE(failed[0][1].toString().contains("no application for text/plain"))
        << failed[0][1].toString().toStdString();
    EXPECT_EQ(failed[1][0].toString(), "gone.mp3");
    EXPECT_EQ(engineCalls().size(), 1);
    core->setPaths(savedPaths);
}

#include "test_launch.moc"
