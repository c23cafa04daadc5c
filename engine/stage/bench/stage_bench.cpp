// One frame of a busy page: 200 sprites moving and scaling, stepped and drawn at 1024 x 768 with SDL's
// software renderer. The goal is well under 4 ms a frame.
#include "peak_memory.h"

#include "stage/headless/headless_backend.h"
#include "stage/sdl/image_io.h"
#include "stage/stage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include <time.h>

using namespace stage;

namespace {

// This thread's CPU time: on a shared machine the wall clock also counts other programs' turns.
double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Pictures {
    std::filesystem::path dir;
    std::string background;
    std::string ball;

    Pictures() {
        dir = std::filesystem::temp_directory_path() /
              ("stage-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir);
        Image bg(1024, 768);
        for (int y = 0; y < bg.height; ++y) {
            for (int x = 0; x < bg.width; ++x) {
                bg.at(x, y) = {std::uint8_t(x / 4), std::uint8_t(y / 3), 160, 255};
            }
        }
        background = (dir / "background.png").string();
        sdl::savePng(bg, background);
        // A soft-edged ball: alpha blending on every sprite pixel, as book pictures have.
        Image b(64, 64, {0, 0, 0, 0});
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const float d = std::hypot(float(x) - 31.5f, float(y) - 31.5f);
                if (d < 32) {
                    b.at(x, y) = {250, 200, 40, std::uint8_t(std::min(255.0f, (32 - d) * 64))};
                }
            }
        }
        ball = (dir / "ball.png").string();
        sdl::savePng(b, ball);
    }
    ~Pictures() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void BusyPage(benchmark::State& state) {
    const int count = int(state.range(0));
    Pictures pictures;
    headless::HeadlessBackend backend({1024, 768});
    Director director(backend);
    director.setDesignResolutionSize({1024, 768});
    ScenePtr scene = Scene::create();
    SpritePtr bg = Sprite::create(pictures.background);
    bg->setPosition({512, 384});
    scene->addChild(bg);
    std::mt19937 random(42);
    std::uniform_real_distribution<float> unit(0, 1);
    for (int i = 0; i < count; ++i) {
        SpritePtr s = Sprite::create(pictures.ball);
        s->setPosition({unit(random) * 1024, unit(random) * 768});
        auto move =
            MoveBy::create(0.5f + unit(random) * 2, {unit(random) * 400 - 200, unit(random) * 300 - 150});
        s->runAction(RepeatForever::create(Sequence::create({move, move->reverse()})));
        auto grow = ScaleBy::create(0.5f + unit(random), 0.5f + unit(random) * 1.5f);
        s->runAction(RepeatForever::create(Sequence::create({grow, grow->reverse()})));
        scene->addChild(s);
    }
    director.runWithScene(scene);
    director.step(1.0f / 60);

    std::vector<double> frameMs;
    std::vector<double> cpuMs;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSeconds();
        director.step(1.0f / 60);
        const double cpu = threadSeconds() - cpuStart;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        frameMs.push_back(seconds * 1000);
        cpuMs.push_back(cpu * 1000);
    }
    std::sort(frameMs.begin(), frameMs.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    state.counters["median_ms"] = frameMs[frameMs.size() / 2];
    state.counters["p95_ms"] = frameMs[frameMs.size() * 95 / 100];
    state.counters["median_cpu_ms"] = cpuMs[cpuMs.size() / 2];
    state.counters["peak_rss_MiB"] = double(stagebench::peakResidentKiB()) / 1024;
    state.counters["draws"] = double(backend.draws().size());
}

} // namespace

BENCHMARK(BusyPage)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);

BENCHMARK_MAIN();
