#include "page_support.h"

#include "appdelegate.h"
#include "pagestage.h"
#include "sceneformat.h"
#include "sparse.h"

#include "stage/sdl/image_io.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace pagetest {

namespace {

void set(cJSON* object, Values values) {
    for (const auto& [key, value] : values) {
        booktest::setString(object, key, value);
    }
}

void setArray(cJSON* object, const char* key, std::initializer_list<cJSON*> items) {
    cJSON* array = cJSON_CreateArray();
    for (cJSON* item : items) {
        cJSON_AddItemToArray(array, item);
    }
    cJSON_ReplaceItemInObject(object, key, array);
}

} // namespace

void writePng(const std::string& path, int width, int height, stage::Color4B colour) {
    std::string error;
    if (!stage::sdl::savePng(stage::Image(width, height, colour), path, &error)) {
        throw std::runtime_error("cannot write " + path + ": " + error);
    }
}

void writeStrip(const std::string& path, int width, int height, const std::vector<stage::Color4B>& colours) {
    stage::Image strip(width * int(colours.size()), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < strip.width; ++x) {
            strip.at(x, y) = colours[std::size_t(x / width)];
        }
    }
    std::string error;
    if (!stage::sdl::savePng(strip, path, &error)) {
        throw std::runtime_error("cannot write " + path + ": " + error);
    }
}

void writeWav(const std::string& path, double seconds, double frequency) {
    const std::uint32_t rate = 22050;
    const auto samples = std::uint32_t(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + samples * 2);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double v = std::sin(2 * M_PI * frequency * double(i) / rate) * 8000;
        u16(std::uint16_t(std::int16_t(v)));
    }
}

cJSON* action(const char* type, Values values) {
    cJSON* a = cJSON_CreateObject();
    for (const sceneformat::FieldDef& field : sceneformat::kActionFields) {
        const bool text = field.kind == sceneformat::FieldKind::String ||
                          field.kind == sceneformat::FieldKind::Point ||
                          field.kind == sceneformat::FieldKind::Rect;
        cJSON_AddStringToObject(a, field.key, text ? "" : "0");
    }
    booktest::setString(a, "action_type", type);
    booktest::setString(a, "unidirectionalMovement", "1");
    booktest::setString(a, "action_repeat_num", "1");
    set(a, values);
    return a;
}

cJSON* sprite(const char* name, const char* picture, const char* position,
              std::initializer_list<cJSON*> hotspots, std::initializer_list<cJSON*> defaults, Values values) {
    cJSON* s = booktest::sprite(name);
    set(s, {{"sprite_picture_file", picture},
            {"sprite_position", position},
            {"sprite_zoom_rate", "1"},
            {"sprite_ethreal_rate", "255"},
            {"sprite_music_file", ""}});
    setArray(s, "hotspot_action", hotspots);
    setArray(s, "default_action", defaults);
    set(s, values);
    return s;
}

cJSON* button(const char* name, const char* picture, const char* rect) {
    cJSON* b = booktest::button(name, rect);
    booktest::setString(b, "button_picture_file", picture);
    return b;
}

booktest::Json page(std::initializer_list<cJSON*> buttons, std::initializer_list<cJSON*> sprites,
                    Values values) {
    booktest::Json doc = booktest::scene(buttons, sprites);
    cJSON* s = booktest::sceneOf(doc.get());
    set(s, {{"scene_picture_file", "bg.png"},
            {"scene_change", "Scene_CCAction_1"},
            {"scene_enter_delay_time", "0"},
            {"scene_music", ""},
            {"scene_music_type", "0"},
            {"scene_vedio_file", ""},
            {"scene_vedio_rect", ""}});
    set(s, values);
    return doc;
}

// --- PageTest ----------------------------------------------------------------------------------------------

PageTest::PageTest() {
    booktest::EngineLogTail::file(); // the engine log is set up before anything logs
    pagestage::routeStageLogToEngineLog();
    SParser::engine().setEcho(false);
    bookState() = BookState{};
    resetWindow({1024, 768});
    picture("bg.png", 1024, 768, {40, 60, 200, 255});
}

PageTest::~PageTest() {
    director_.reset();
    backend_.reset();
    bookState() = BookState{};
}

void PageTest::resetWindow(stage::Size window) {
    director_.reset();
    backend_ = std::make_unique<stage::headless::HeadlessBackend>(window);
    director_ = std::make_unique<stage::Director>(*backend_);
}

void PageTest::writeBook(int pages, const char* width, const char* height) {
    book_.writeJson("game_json.txt", booktest::gameJson(pages, width, height).get());
}

void PageTest::writePage(int number, const booktest::Json& doc) {
    book_.writeJson("scene_json" + std::to_string(number) + ".txt", doc.get());
}

void PageTest::picture(const std::string& name, int width, int height, stage::Color4B colour) {
    writePng(path(name), width, height, colour);
}

void PageTest::sound(const std::string& name) {
    writeWav(path(name));
}

bool PageTest::launch() {
    bookState().dataPath = book_.dir();
    AppDelegate app;
    if (!app.applicationDidFinishLaunching()) {
        return false;
    }
    frames(1);
    return true;
}

void PageTest::show(int pageNumber) {
    bookState().currentPage = pageNumber;
    director_->replaceScene(ThePage::scene(book_.dir().c_str()));
    frames(1);
}

void PageTest::frames(int n, float dt) {
    for (int i = 0; i < n; ++i) {
        director_->step(dt);
    }
}

void PageTest::seconds(float s) {
    frames(int(std::ceil(s / kFrame - 1e-3f)));
}

bool PageTest::settle(int limit) {
    // A page change asked for between frames shows from the next frame on.
    frames(1);
    for (int i = 1; i < limit; ++i) {
        if (std::dynamic_pointer_cast<stage::TransitionScene>(director_->runningScene()) == nullptr) {
            return true;
        }
        frames(1);
    }
    return false;
}

std::shared_ptr<ThePage> PageTest::layer() const {
    stage::ScenePtr scene = director_->runningScene();
    if (!scene) {
        return nullptr;
    }
    for (const auto& child : scene->children()) {
        if (auto page = std::dynamic_pointer_cast<ThePage>(child)) {
            return page;
        }
    }
    return nullptr;
}

std::shared_ptr<Sprite> PageTest::spriteOf(int index) const {
    auto page = layer();
    return page ? std::dynamic_pointer_cast<Sprite>(page->getChildByTag(index)) : nullptr;
}

stage::Point PageTest::toWindow(stage::Point topLeft) const {
    const stage::Rect viewport = director_->viewportInPixels();
    const float scale = director_->viewScale();
    return {viewport.origin.x + topLeft.x * scale, viewport.origin.y + topLeft.y * scale};
}

void PageTest::press(stage::Point topLeft, int id) {
    director_->handleEvent({stage::InputEvent::Kind::TouchBegan, id, toWindow(topLeft), {}});
}

void PageTest::move(stage::Point topLeft, int id) {
    director_->handleEvent({stage::InputEvent::Kind::TouchMoved, id, toWindow(topLeft), {}});
}

void PageTest::release(stage::Point topLeft, int id) {
    director_->handleEvent({stage::InputEvent::Kind::TouchEnded, id, toWindow(topLeft), {}});
}

void PageTest::tap(stage::Point topLeft, int id) {
    press(topLeft, id);
    release(topLeft, id);
}

void PageTest::swipe(stage::Point from, stage::Point to, int id) {
    press(from, id);
    move({(from.x + to.x) / 2, (from.y + to.y) / 2}, id);
    release(to, id);
}

} // namespace pagetest
