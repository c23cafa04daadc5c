// The book's own cost on top of the graphics layer: a busy page built from its scene description and
// played frame by frame, and a whole book turned through page by page, as a reader's button presses do.
// Frame times are this thread's median wall and CPU time per frame; memory is the process's peak
// resident size.
#include "peak_memory.h"

#include "appdelegate.h"
#include "enginelog.h"
#include "pagestage.h"
#include "sceneformat.h"
#include "sparse.h"
#include "thepage.h"

#include "stage/headless/headless_backend.h"
#include "stage/sdl/image_io.h"
#include "stage/stage.h"

#include <benchmark/benchmark.h>
#include <cjson/cJSON.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

using Values = std::vector<std::pair<std::string, std::string>>;

// An object with every key of the table ("" or "0"), then the given values.
cJSON* object(const sceneformat::FieldTable& table, const Values& values) {
    cJSON* o = cJSON_CreateObject();
    for (const auto& field : table) {
        const bool text = field.kind == sceneformat::FieldKind::String ||
                          field.kind == sceneformat::FieldKind::Point ||
                          field.kind == sceneformat::FieldKind::Rect;
        cJSON_AddStringToObject(o, field.key, text ? "" : "0");
    }
    for (const auto& [key, value] : values) {
        cJSON_ReplaceItemInObject(o, key.c_str(), cJSON_CreateString(value.c_str()));
    }
    return o;
}

cJSON* array(const std::vector<cJSON*>& items) {
    cJSON* a = cJSON_CreateArray();
    for (cJSON* item : items) {
        cJSON_AddItemToArray(a, item);
    }
    return a;
}

void writeDocument(const std::string& file, cJSON* doc) {
    char* text = cJSON_PrintUnformatted(doc);
    std::ofstream(file) << text;
    cJSON_free(text);
    cJSON_Delete(doc);
}

std::string fmt(float v) {
    return std::to_string(int(std::lround(v)));
}

// A soft-edged ball, as book pictures have: alpha blending on every sprite pixel.
stage::Image ball(stage::Color4B colour) {
    stage::Image b(64, 64, {0, 0, 0, 0});
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float d = std::hypot(float(x) - 31.5f, float(y) - 31.5f);
            if (d < 32) {
                b.at(x, y) = {colour.r, colour.g, colour.b, std::uint8_t(std::min(255.0f, (32 - d) * 64))};
            }
        }
    }
    return b;
}

stage::Image background(int seed) {
    stage::Image bg(1024, 768);
    for (int y = 0; y < bg.height; ++y) {
        for (int x = 0; x < bg.width; ++x) {
            bg.at(x, y) = {std::uint8_t(x / 4 + seed * 11), std::uint8_t(y / 3 + seed * 7),
                           std::uint8_t(160 + seed), 255};
        }
    }
    return bg;
}

void writeWav(const std::string& path, double seconds) {
    const std::uint32_t rate = 22050;
    const auto samples = std::uint32_t(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + samples * 2);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i) {
        u16(std::uint16_t(std::int16_t(std::sin(i * 0.06) * 6000)));
    }
}

class Book {
public:
    Book() {
        dir_ = (fs::temp_directory_path() / ("tavi-pagebench-" + std::to_string(std::random_device{}())))
                   .string() +
               "/";
        fs::create_directories(dir_ + "json");
    }
    ~Book() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    const std::string& dir() const { return dir_; }

    void descriptor(int pages) {
        writeDocument(dir_ + "json/game_json.txt",
                      object(sceneformat::kGameJsonFields, {{"scene_type", "1"},
                                                            {"scene_width", "1024"},
                                                            {"scene_height", "768"},
                                                            {"scene_number", std::to_string(pages)}}));
    }
    void page(int number, const Values& values, const std::vector<cJSON*>& buttons,
              const std::vector<cJSON*>& sprites) {
        cJSON* scene = object(sceneformat::kSceneFields, values);
        cJSON_AddItemToObject(scene, "button", array(buttons));
        cJSON_AddItemToObject(scene, "sprite", array(sprites));
        cJSON* doc = cJSON_CreateObject();
        cJSON_AddItemToObject(doc, "scene", scene);
        writeDocument(dir_ + "json/scene_json" + std::to_string(number) + ".txt", doc);
    }
    static cJSON* sprite(const std::string& name, const std::string& picture, float x, float y,
                         const std::vector<cJSON*>& defaults) {
        cJSON* s = object(sceneformat::kSpriteFields, {{"sprite_name", name},
                                                       {"sprite_picture_file", picture},
                                                       {"sprite_position", fmt(x) + "," + fmt(y)},
                                                       {"sprite_zoom_rate", "1"},
                                                       {"sprite_ethreal_rate", "255"}});
        cJSON_AddItemToObject(s, "default_action", array(defaults));
        cJSON_AddItemToObject(s, "hotspot_action", cJSON_CreateArray());
        return s;
    }

private:
    std::string dir_;
};

// The program's set-up on a headless director: the engine log goes nowhere, the parser is quiet.
struct Player {
    stage::headless::HeadlessBackend backend{{1024, 768}};
    stage::Director director{backend};
    explicit Player(const std::string& dataPath) {
        SParser::engine().setEcho(false);
        enginelog::logger().setLogLevel(log4cplus::OFF_LOG_LEVEL);
        stage::setLogSink([](stage::LogLevel, const std::string&) {});
        bookState() = BookState{};
        bookState().dataPath = dataPath;
    }
    ~Player() { bookState() = BookState{}; }
};

void BusyPage(benchmark::State& state) {
    const int count = int(state.range(0));
    Book book;
    stage::sdl::savePng(background(0), book.dir() + "bg.png");
    stage::sdl::savePng(ball({250, 200, 40, 255}), book.dir() + "ball.png");
    std::mt19937 random(42);
    std::uniform_real_distribution<float> unit(0, 1);
    std::vector<cJSON*> sprites;
    for (int i = 0; i < count; ++i) {
        const float x = unit(random) * 960;
        const float y = unit(random) * 704;
        const std::string dst = fmt(std::clamp(x + unit(random) * 400 - 200, 0.0f, 960.0f)) + "," +
                                fmt(std::clamp(y + unit(random) * 300 - 150, 0.0f, 704.0f));
        cJSON* move =
            object(sceneformat::kActionFields, {{"action_type", "Sprite_CCAction_1"},
                                                {"action_delay_time", fmt(500 + unit(random) * 2000)},
                                                {"action_repeat_num", "-1"},
                                                {"unidirectionalMovement", "0"},
                                                {"dst_point", dst}});
        cJSON* scale =
            object(sceneformat::kActionFields, {{"action_type", "Sprite_CCAction_2"},
                                                {"action_delay_time", fmt(500 + unit(random) * 1000)},
                                                {"action_repeat_num", "-1"},
                                                {"unidirectionalMovement", "0"},
                                                {"scale_rate", std::to_string(0.5f + unit(random) * 1.5f)}});
        sprites.push_back(Book::sprite("ball" + std::to_string(i), "ball.png", x, y, {move, scale}));
    }
    book.descriptor(1);
    book.page(0, {{"scene_picture_file", "bg.png"}, {"scene_change", "Scene_CCAction_1"}}, {}, sprites);

    Player player(book.dir());
    AppDelegate app;
    if (!app.applicationDidFinishLaunching()) {
        state.SkipWithError("the book did not start");
        return;
    }
    player.director.step(1.0f / 60);

    std::vector<double> frameMs;
    std::vector<double> cpuMs;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSeconds();
        player.director.step(1.0f / 60);
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
    state.counters["draws"] = double(player.backend.draws().size());
    state.counters["peak_rss_MiB"] = double(stagebench::peakResidentKiB()) / 1024;
}

// Twenty pages, each with its own background, six pictures of its own, music and a sound, a frame
// animation and moving sprites; every page is shown for two seconds and left with its right button
// (a one-second transition), as a reader would leaf through the book.
void TwentyPages(benchmark::State& state) {
    constexpr int kPages = 20;
    Book book;
    writeWav(book.dir() + "music.wav", 2.0);
    writeWav(book.dir() + "ding.wav", 0.3);
    stage::sdl::savePng(ball({240, 120, 40, 255}), book.dir() + "next.png");
    for (int p = 0; p < kPages; ++p) {
        const std::string n = std::to_string(p);
        stage::sdl::savePng(background(p), book.dir() + "bg" + n + ".png");
        std::vector<cJSON*> sprites;
        for (int i = 0; i < 6; ++i) {
            const std::string picture = "p" + n + "s" + std::to_string(i) + ".png";
            stage::sdl::savePng(ball({std::uint8_t(40 * i), std::uint8_t(10 * p), 200, 255}),
                                book.dir() + picture);
            std::vector<cJSON*> defaults{
                object(sceneformat::kActionFields, {{"action_type", "Sprite_CCAction_1"},
                                                    {"action_delay_time", "1000"},
                                                    {"action_repeat_num", "-1"},
                                                    {"unidirectionalMovement", "0"},
                                                    {"action_music_file", i == 0 ? "ding.wav" : ""},
                                                    {"dst_point", fmt(100 + 120 * float(i)) + ",500"}})};
            if (i == 5) {
                defaults.push_back(
                    object(sceneformat::kActionFields, {{"action_type", "Sprite_CCAction_8"},
                                                        {"action_delay_time", "100"},
                                                        {"action_repeat_num", "-1"},
                                                        {"texture_picture_file", "bg" + n + ".png"},
                                                        {"texture_num", "8"},
                                                        {"texture_width", "128"},
                                                        {"texture_height", "128"}}));
            }
            sprites.push_back(
                Book::sprite("s" + std::to_string(i), picture, 100 + 120 * float(i), 100, defaults));
        }
        std::vector<cJSON*> buttons{object(sceneformat::kButtonFields, {{"button_name", "button_right"},
                                                                        {"button_picture_file", "next.png"},
                                                                        {"button_rect", "940,680,64,64"}})};
        book.page(p,
                  {{"scene_picture_file", "bg" + n + ".png"},
                   {"scene_change", "Scene_CCAction_" + std::to_string(1 + p % 7)},
                   {"scene_enter_delay_time", "1000"},
                   {"scene_music", "music.wav"},
                   {"scene_music_type", p % 2 == 0 ? "0" : "1"}},
                  buttons, sprites);
    }
    book.descriptor(kPages);

    long afterFirstKiB = 0;
    long afterLastKiB = 0;
    std::size_t texturesAtEnd = 0;
    for (auto _ : state) {
        Player player(book.dir());
        AppDelegate app;
        if (!app.applicationDidFinishLaunching()) {
            state.SkipWithError("the book did not start");
            return;
        }
        const stage::Point nextButton{972, 712}; // top-left design point of the button's centre
        const auto frames = [&](int n) {
            for (int i = 0; i < n; ++i) {
                player.director.step(1.0f / 60);
            }
        };
        for (int p = 0; p < kPages; ++p) {
            frames(120);
            if (p == 0) {
                afterFirstKiB = stagebench::peakResidentKiB();
            }
            const stage::Point at = player.director.viewportInPixels().origin + nextButton;
            player.director.handleEvent({stage::InputEvent::Kind::TouchBegan, 0, at, {}});
            player.director.handleEvent({stage::InputEvent::Kind::TouchEnded, 0, at, {}});
            frames(70);
        }
        afterLastKiB = stagebench::peakResidentKiB();
        texturesAtEnd = player.director.textureCache().count();
        if (bookState().currentPage != kPages - 1) {
            state.SkipWithError("the book was not played through");
            return;
        }
    }
    state.counters["peak_rss_MiB"] = double(afterLastKiB) / 1024;
    state.counters["peak_rss_after_page0_MiB"] = double(afterFirstKiB) / 1024;
    state.counters["textures_at_end"] = double(texturesAtEnd);
}

} // namespace

BENCHMARK(BusyPage)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(TwentyPages)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
