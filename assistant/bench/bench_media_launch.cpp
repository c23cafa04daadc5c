// From a click on a song (Core::openApp) to the player's process having
// started, through the desktop's associations (GIO), against starting the
// same player program directly with the file, in the same run.
//
// The player is a desktop entry made the default for MP3 in private
// freedesktop.org folders; it ends at once, so each round is short.

#include "catalogue/datapaths.h"
#include "core/core.h"
#include "launch/mediaplayer.h"
#include "launch/shelllaunch.h"
#include "platform/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
std::atomic<long long> g_startedNs{0};
QTemporaryDir* g_dir = nullptr;
DataPaths* g_paths = nullptr;
QString g_player;

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}

void setUp() {
    if (g_dir)
        return;
    g_dir = new QTemporaryDir;
    const QString root = g_dir->path();
    g_player = root + "/player.sh";
    write(g_player, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(g_player, QFile::permissions(g_player) | QFile::ExeOwner);
    write(root + "/data/applications/benchplayer.desktop",
          ("[Desktop Entry]\nType=Application\nName=Bench player\nExec=" + g_player +
           " %f\nMimeType=audio/mpeg;\n")
              .toUtf8());
    write(root + "/config/mimeapps.list", "[Default Applications]\naudio/mpeg=benchplayer.desktop\n");
    QDir().mkpath(root + "/system");
    QFile::link("/usr/share/mime", root + "/system/mime");
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_DIRS", (root + "/system").toUtf8());
    tavi::setupClientLogging(root);
    g_paths = new DataPaths(root + "/bin");
    g_paths->makeDirs();
    write(g_paths->appsDir + "/music/x1", "ID3 la la la");
    Core::instance()->setPaths(g_paths);
    setPlayerStartedHook([](long long) {
        g_startedNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    });
}

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void BM_ClickOnASongToPlayerStarted(benchmark::State& state) {
    setUp();
    _TaviApp song;
    song.proType = "music";
    song.path = "music/x1";
    song.fileName = "Song.mp3";
    Core* core = Core::instance();
    for (auto _ : state) {
        g_startedNs = 0;
        const long long t0 = nowNs();
        core->openApp(&song);
        while (g_startedNs == 0 && core->mediaPlayer()->isRunning())
            std::this_thread::yield();
        const long long t1 = g_startedNs;
        core->mediaPlayer()->wait();
        state.SetIterationTime(double(t1 - t0) / 1e9);
    }
}

void BM_ThePlayerStartedDirectly(benchmark::State& state) {
    setUp();
    const QString file = g_paths->appsDir + "/music/x1";
    for (auto _ : state) {
        QProcess p;
        const long long t0 = nowNs();
        p.start(g_player, {file});
        p.waitForStarted();
        const long long t1 = nowNs();
        p.waitForFinished();
        state.SetIterationTime(double(t1 - t0) / 1e9);
    }
}

BENCHMARK(BM_ClickOnASongToPlayerStarted)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ThePlayerStartedDirectly)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
