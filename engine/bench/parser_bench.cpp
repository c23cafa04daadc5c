// Cost of reading one page against the JSON parse alone: a page of 50 sprites
// with 4 actions each (2 hot-spot, 2 default) and 4 buttons, read the way the
// page player reads it (file, parse, records, release), and the same text only
// given to cJSON_Parse. Goal: the whole read costs at most 1.5 times the parse.

#include "enginelog.h"
#include "sparse.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cjson/cJSON.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kSprites = 50;
constexpr int kActionsPerKind = 2;

cJSON* makeAction(int sprite, int index) {
    const std::string n = std::to_string(sprite * 10 + index);
    cJSON* a = cJSON_CreateObject();
    const std::pair<const char*, std::string> values[] = {
        {"action_type", "Sprite_CCAction_" + std::to_string(1 + index % 9)},
        {"action_delay_time", "1500"},
        {"action_repeat_num", "-1"},
        {"action_repeat_num_jump", "2"},
        {"jump_height", "40"},
        {"texture_num", "8"},
        {"texture_height", "128"},
        {"texture_width", "96"},
        {"texture_picture_file", "images/strip" + n + ".png"},
        {"action_music_file", "sound/effect" + n + ".mp3"},
        {"scale_rate", "1.2"},
        {"toright_delay_time", "300"},
        {"toright_angle", "15"},
        {"toleft_delay_time", "300"},
        {"toleft_angle", "-15"},
        {"delta_angle", "90"},
        {"color_red", "10"},
        {"color_blue", "0"},
        {"color_green", "20"},
        {"ctl_pt1", "10.5,20"},
        {"ctl_pt2", "30,-40.25"},
        {"dst_point", "512," + n},
        {"hotspot_position", "0,0,120.5,80"},
        {"unidirectionalMovement", "1"},
        {"animation_movementBefore_delayTime", "0.5"},
        {"animation_moving_time", "2"},
        {"toPageNumber", "3"},
        {"scene_change", "Scene_CCAction_4"},
    };
    for (const auto& [key, value] : values)
        cJSON_AddStringToObject(a, key, value.c_str());
    return a;
}

std::string makePage() {
    cJSON* scene = cJSON_CreateObject();
    for (const char* key : {"scene_name", "scene_picture_file", "scene_change", "scene_enter_delay_time",
                            "scene_auto_changepage_time", "scene_music", "scene_music_type",
                            "scene_music_gap_time", "scene_vedio_file", "scene_vedio_rect"})
        cJSON_AddStringToObject(scene, key, "1");
    cJSON* buttons = cJSON_AddArrayToObject(scene, "button");
    for (const char* name : {"button_left", "button_right", "button_home", "button_exit"}) {
        cJSON* b = cJSON_CreateObject();
        cJSON_AddStringToObject(b, "button_name", name);
        cJSON_AddStringToObject(b, "button_picture_file", "images/button.png");
        cJSON_AddStringToObject(b, "button_rect", "900,680,96,64");
        cJSON_AddItemToArray(buttons, b);
    }
    cJSON* sprites = cJSON_AddArrayToObject(scene, "sprite");
    for (int s = 0; s < kSprites; ++s) {
        cJSON* sp = cJSON_CreateObject();
        const std::string name = "sprite" + std::to_string(s);
        cJSON_AddStringToObject(sp, "sprite_name", name.c_str());
        cJSON_AddStringToObject(sp, "sprite_picture_file", ("images/" + name + ".png").c_str());
        cJSON_AddStringToObject(sp, "sprite_position", "100,200");
        cJSON_AddStringToObject(sp, "sprite_zoom_rate", "1");
        cJSON_AddStringToObject(sp, "sprite_ethreal_rate", "255");
        for (const char* key :
             {"sprite_music_file", "sprite_action_type", "sprite_action_prev", "sprite_action_next"})
            cJSON_AddStringToObject(sp, key, "");
        cJSON* defaults = cJSON_AddArrayToObject(sp, "default_action");
        cJSON* hotspots = cJSON_AddArrayToObject(sp, "hotspot_action");
        for (int a = 0; a < kActionsPerKind; ++a) {
            cJSON_AddItemToArray(defaults, makeAction(s, a));
            cJSON_AddItemToArray(hotspots, makeAction(s, kActionsPerKind + a));
        }
        cJSON_AddItemToArray(sprites, sp);
    }
    cJSON* doc = cJSON_CreateObject();
    cJSON_AddItemToObject(doc, "scene", scene);
    char* printed = cJSON_Print(doc); // formatted, as an authoring tool writes it
    std::string text = printed;
    cJSON_free(printed);
    cJSON_Delete(doc);
    return text;
}

// A book folder with the page as scene_json0.txt and the engine log beside it.
struct Fixture {
    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "tavibench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        fs::create_directories(dir + "/json");
        text = makePage();
        std::ofstream(dir + "/json/scene_json0.txt", std::ios::binary) << text;
        enginelog::setupEngineLog(dir);
        parser.setEcho(false);
        parser.initGameJson((dir + "/json/").c_str()); // sets the root; the book has no descriptor
    }
    ~Fixture() {
        enginelog::logger().removeAllAppenders();
        fs::remove_all(dir);
    }
    std::string dir;
    std::string text;
    SParser parser;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ParsePage(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        SScene* scene = f.parser.parse(0);
        if (!scene) {
            state.SkipWithError("page not read");
            break;
        }
        benchmark::DoNotOptimize(f.parser.arraySize(scene, ARRAY_SPRITE, nullptr));
        f.parser.release(scene, 1);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}

void BM_SceneFromText(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        SScene* scene = f.parser.sceneFromText(f.text.c_str());
        benchmark::DoNotOptimize(scene);
        f.parser.release(scene, 1);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}

void BM_JsonParseOnly(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        cJSON* doc = cJSON_Parse(f.text.c_str());
        benchmark::DoNotOptimize(doc);
        state.PauseTiming();
        cJSON_Delete(doc);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}

void BM_JsonParseAndDelete(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        cJSON* doc = cJSON_Parse(f.text.c_str());
        benchmark::DoNotOptimize(doc);
        cJSON_Delete(doc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}

void BM_ReadFile(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        char* text = f.parser.readFile("scene_json0.txt");
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
}

} // namespace

// The machine is shared: with --benchmark_repetitions the fastest repetition is
// the one least disturbed by other work, so "min" is reported alongside the mean.
static double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_ReadFile)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_ParsePage)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_SceneFromText)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_JsonParseOnly)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_JsonParseAndDelete)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);

BENCHMARK_MAIN();
