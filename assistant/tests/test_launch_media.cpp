// Songs, videos and playlists opened with the desktop's default player (a
// test player made the default in private freedesktop.org folders), waited
// for on the launcher threads; the display name through a link; Core's
// one-at-a-time rule over all three launchers; scenes with missing files.

#include "catalogue/datapaths.h"
#include "catalogue/playlist.h"
#include "core/core.h"
#include "launch/dailysceneplayer.h"
#include "launch/enginepath.h"
#include "launch/mediaplayer.h"
#include "launch/respackplayer.h"
#include "platform/log.h"
#include "platform/shellopen.h"
#include "support/testplayer.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class MediaLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        player.clear();
        player.setStayMs(2000);
        tavi::setupClientLogging(dir.path());
    }
    QString log() const { return readFile(dir.path() + "/debug/taviassistant.log"); }
    QString apps() const { return dir.path() + "/apps"; }
    QString links() const { return dir.path() + "/temp/player/media"; }

    TestPlayer& player = TestPlayer::instance();
    QTemporaryDir dir;
};

TEST_F(MediaLaunch, TheSongPlaysUnderItsDisplayNameWhileItsStoredFileStaysWhereItIs) {
    writeFile(apps() + "/music/x1", "ID3 la la");
    MediaPlayer launcher;
    launcher.setParams(apps() + "/music/x1", 42, "Song.mp3");
    launcher.setLinkFolder(links());
    launcher.start();
    ASSERT_TRUE(waitFor([&] { return player.calls().size() >= 3; }, 10000)) << qPrintable(log());
    EXPECT_EQ(player.calls()[0], "arg=" + links() + "/Song.mp3");
    EXPECT_EQ(player.calls()[1], "beside=Song.mp3|") << "only the display name where it plays";
    EXPECT_EQ(player.calls()[2], "heard=ID3 la la");
    EXPECT_TRUE(launcher.isRunning()) << "the launcher waits for the player";
    EXPECT_EQ(QDir(apps() + "/music").entryList(QDir::Files), QStringList{"x1"})
        << "the stored file never moves, not even while it plays";
    ASSERT_TRUE(launcher.wait(10000));
    EXPECT_TRUE(QFileInfo::exists(apps() + "/music/x1"));
    EXPECT_FALSE(QFileInfo::exists(links() + "/Song.mp3")) << "the link goes with the player";
    EXPECT_TRUE(log().contains("openMediaFile productId:42"));
    EXPECT_TRUE(log().contains("openMediaFile done"));
}

TEST_F(MediaLaunch, AnotherFileOfTheDisplayNameIsNeverWhatPlays) {
    writeFile(apps() + "/music/x1", "stored");
    writeFile(apps() + "/music/Song.mp3", "already here");
    openMediaFile(apps() + "/music/x1", 1, "Song.mp3", links());
    ASSERT_EQ(player.calls().value(0), "arg=" + links() + "/Song.mp3");
    EXPECT_EQ(player.calls().value(2), "heard=stored");
    EXPECT_EQ(readFile(apps() + "/music/x1"), "stored");
    EXPECT_EQ(readFile(apps() + "/music/Song.mp3"), "already here");
}

TEST_F(MediaLaunch, AHandOverToARunningPlayerLeavesOnlyTheLinkAndTheNextSongClearsIt) {
    player.setStayMs(0);
    writeFile(apps() + "/music/x2", "tune");
    openMediaFile(apps() + "/music/x2", 2, "Tune.mp3", links());
    EXPECT_EQ(player.calls().value(0), "arg=" + links() + "/Tune.mp3");
    EXPECT_TRUE(log().contains("hProcess is NULL"));
    EXPECT_FALSE(log().contains("openMediaFile done"));
    // The running instance opens the link by that name, after this has returned;
    // the stored file is where the catalogue says.
    EXPECT_TRUE(QFileInfo::exists(links() + "/Tune.mp3"));
    EXPECT_EQ(QDir(apps() + "/music").entryList(QDir::Files), QStringList{"x2"});
    writeFile(apps() + "/music/x3", "next");
    openMediaFile(apps() + "/music/x3", 3, "Next.mp3", links());
    EXPECT_EQ(QDir(links()).entryList(QDir::Files), QStringList{"Next.mp3"});

    // A player that ends at once with a failure (no sound device) played nothing:
    // that is said, and the link goes.
    player.setExitStatus(3);
    MediaPlayer launcher;
    QSignalSpy failed(&launcher, &MediaPlayer::playFailed);
    launcher.setParams(apps() + "/music/x3", 3, "Next.mp3");
    launcher.setLinkFolder(links());
    launcher.start();
    ASSERT_TRUE(launcher.wait(10000));
    player.setExitStatus(0);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed[0][0].toString(), "Next.mp3");
    EXPECT_TRUE(failed[0][1].toString().contains("ended at once with status 3"))
        << qPrintable(failed[0][1].toString());
    EXPECT_TRUE(log().contains("could not play")) << qPrintable(log());
    EXPECT_TRUE(QDir(links()).entryList(QDir::Files).isEmpty());
}

TEST_F(MediaLaunch, ATypeWithoutAnyApplicationStartsNothingAndTheFileKeepsItsName) {
    writeFile(apps() + "/docs/x3", "plain words, no song");
    openMediaFile(apps() + "/docs/x3", 3, "notes.txt", links());
    EXPECT_TRUE(player.calls().isEmpty());
    EXPECT_TRUE(log().contains("ShellExecuteExW failed, LastError:no application for text/plain"))
        << qPrintable(log());
    EXPECT_TRUE(QFileInfo::exists(apps() + "/docs/x3"));
    EXPECT_FALSE(QFileInfo::exists(links() + "/notes.txt")) << "no link is left after a failed start";

    const ShellLaunch direct = openWithDefaultAndWait(apps() + "/docs/x3");
    EXPECT_EQ(direct.outcome, ShellLaunch::Failed);
    EXPECT_EQ(direct.contentType, "text/plain");
    EXPECT_EQ(openWithDefaultAndWait(apps() + "/nothing/here.mp3").outcome, ShellLaunch::Failed);
}

TEST_F(MediaLaunch, APlaylistGoesToThePlayerWhole) {
    const QString song = apps() + "/a.mp3";
    writeFile(song, "a");
    const QString pls = dir.path() + "/daily/x/x.pls";
    QDir().mkpath(QFileInfo(pls).absolutePath());
    ASSERT_TRUE(playlist::write(pls, {song}));
    DailyScenePlayer launcher;
    launcher.setParams(pls);
    launcher.start();
    ASSERT_TRUE(launcher.wait(10000));
    EXPECT_EQ(player.calls().value(0), "arg=" + pls);
    EXPECT_EQ(player.calls().value(2), "entry=File1=" + song);
}

// ---- Core's rule: one launcher at a time ------------------------------------------------

class CoreLaunch : public MediaLaunch {
protected:
    void SetUp() override {
        MediaLaunch::SetUp();
        paths = std::make_unique<DataPaths>(dir.path() + "/bin");
        paths->makeDirs();
        core->setPaths(paths.get());
        enginePath() = TAVI_FAKE_ENGINE_EXE;
        qputenv("TAVI_FAKE_ENGINE_LOG", (dir.path() + "/engine.txt").toUtf8());
    }
    void TearDown() override {
        for (QThread* t :
             {static_cast<QThread*>(core->mediaPlayer()), static_cast<QThread*>(core->resPackPlayer()),
              static_cast<QThread*>(core->dailyScenePlayer())})
            t->wait(20000);
        qunsetenv("TAVI_FAKE_ENGINE_SLEEP_MS");
        enginePath() = kDefaultEnginePath;
        core->setPaths(nullptr);
    }
    _TaviApp app(const char* kind, const QString& path, const QString& fileName) {
        _TaviApp a;
        a.proType = kind;
        a.path = path;
        a.fileName = fileName;
        a.productId = 9;
        return a;
    }
    Core* core = Core::instance();
    std::unique_ptr<DataPaths> paths;
};

TEST_F(CoreLaunch, ABookWaitsWhileAVideoPlaysAndAVideoWaitsForABook) {
    writeFile(paths->appsDir + "/v/clip", "video");
    _TaviApp video = app("video", "v/clip", "Clip.mp4");
    EXPECT_EQ(core->openApp(&video), -1);
    ASSERT_TRUE(waitFor([&] { return !player.calls().isEmpty(); }, 10000));
    EXPECT_TRUE(core->isPlaying()) << qPrintable(log()) << player.calls().join("\n").toStdString();
    _TaviApp book = app("books", "b/story.tvp", "story.tvp");
    QSignalSpy refused(core, &Core::stillPlaying);
    EXPECT_EQ(core->openApp(&book), 1) << "a book may not start while the video plays";
    EXPECT_EQ(refused.count(), 1) << "the refusal is said";
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/engine.txt"));
    ASSERT_TRUE(core->mediaPlayer()->wait(10000));
    EXPECT_FALSE(core->isPlaying());

    // A scene while a book is open: nothing starts, and the answer is still 0.
    qputenv("TAVI_FAKE_ENGINE_SLEEP_MS", "1500");
    writeFile(dir.path() + "/src/tavigame.dat", "1");
    QDir().mkpath(paths->appsDir + "/b");
    ASSERT_EQ(run("7za", {"a", "-bd", paths->appsDir + "/b/story.tvp", "."}, 30000, {}, dir.path() + "/src")
                  .exitCode,
              0);
    player.clear();
    EXPECT_EQ(core->openApp(&book), -1);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(dir.path() + "/engine.txt"); }, 10000));
    writeFile(paths->dailyDir + "/s/s.pls", playlist::format({paths->appsDir + "/v/clip"}));
    _DailyScene scene;
    scene.name = "s";
    scene.playlist = "s/s.pls";
    EXPECT_EQ(core->playDailyScene(&scene), 0);
    EXPECT_EQ(refused.count(), 2);
    ASSERT_TRUE(core->resPackPlayer()->wait(10000));
    QThread::msleep(300);
    EXPECT_TRUE(player.calls().isEmpty()) << "the scene started while the book was open";
    EXPECT_FALSE(core->dailyScenePlayer()->isRunning());
}

TEST_F(CoreLaunch, AScenePlaysTheFilesThatAreThereAndNothingWhenNoneIs) {
    const QString here = paths->appsDir + "/here.mp3";
    writeFile(here, "x");
    const QString gone = paths->appsDir + "/gone.mp3";
    writeFile(paths->dailyDir + "/morning/morning.pls", playlist::format({gone, here}));
    _DailyScene scene;
    scene.name = "morning";
    scene.playlist = "morning/morning.pls";
    EXPECT_EQ(core->playDailyScene(&scene), 0);
    ASSERT_TRUE(core->dailyScenePlayer()->wait(10000));
    const QStringList calls = player.calls();
    ASSERT_FALSE(calls.isEmpty());
    EXPECT_FALSE(calls.contains("entry=File1=" + gone));
    EXPECT_TRUE(calls.contains("entry=File1=" + here)) << calls.join("\n").toStdString();
    // The scene's own playlist is left as the teacher made it.
    QStringList kept;
    ASSERT_TRUE(playlist::read(paths->dailyDir + "/morning/morning.pls", kept));
    EXPECT_EQ(kept, (QStringList{gone, here}));

    player.clear();
    writeFile(paths->dailyDir + "/empty/empty.pls", playlist::format({gone}));
    scene.playlist = "empty/empty.pls";
    EXPECT_EQ(core->playDailyScene(&scene), 0);
    EXPECT_FALSE(core->dailyScenePlayer()->isRunning());
    QThread::msleep(300);
    EXPECT_TRUE(player.calls().isEmpty());
}

} // namespace
