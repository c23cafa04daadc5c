#include "test_support.h"

#include "stage/sdl/image_io.h"

#include <atomic>
#include <random>

namespace stagetest {

using namespace stage;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("stage-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string writePicture(const TempDir& dir, const std::string& name, int w, int h, Color4B color) {
    const std::string path = dir.file(name);
    std::string error;
    EXPECT_TRUE(sdl::savePng(Image(w, h, color), path, &error)) << error;
    return path;
}

std::string writeStrip(const TempDir& dir, const std::string& name, int w, int h,
                       const std::vector<Color4B>& colours) {
    Image image(w * int(colours.size()), h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.at(x, y) = colours[std::size_t(x / w)];
        }
    }
    const std::string path = dir.file(name);
    EXPECT_TRUE(sdl::savePng(image, path));
    return path;
}

LogCapture::LogCapture() {
    setLogSink([this](LogLevel, const std::string& line) { lines.push_back(line); });
}

LogCapture::~LogCapture() {
    setLogSink({});
}

bool LogCapture::contains(const std::string& text) const {
    for (const auto& line : lines) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void StageTest::reset(Size window, Size design) {
    director_.reset();
    backend_ = std::make_unique<headless::HeadlessBackend>(window);
    director_ = std::make_unique<Director>(*backend_);
    director_->setDesignResolutionSize(design);
}

ScenePtr StageTest::showScene() {
    ScenePtr scene = Scene::create();
    director_->runWithScene(scene);
    director_->step(kFrame);
    return scene;
}

void StageTest::frames(int n, float dt) {
    for (int i = 0; i < n; ++i) {
        director_->step(dt);
    }
}

void StageTest::touch(InputEvent::Kind kind, Point windowPixel, int id) {
    InputEvent e;
    e.kind = kind;
    e.touchId = id;
    e.position = windowPixel;
    director_->handleEvent(e);
}

Point StageTest::designToWindow(Point design) const {
    const Rect vp = director_->viewportInPixels();
    const float s = director_->viewScale();
    return {vp.origin.x + design.x * s, vp.origin.y + (director_->winSize().height - design.y) * s};
}

void StageTest::tap(Point design, int id) {
    touch(InputEvent::Kind::TouchBegan, designToWindow(design), id);
    touch(InputEvent::Kind::TouchEnded, designToWindow(design), id);
}

#define JOURNAL_METHODS(Class, Base)                                                                         \
    void Class::onEnter() {                                                                                  \
        journal_->push_back(name_ + ".enter");                                                               \
        Base::onEnter();                                                                                     \
    }                                                                                                        \
    void Class::onEnterTransitionDidFinish() {                                                               \
        journal_->push_back(name_ + ".didFinish");                                                           \
        Base::onEnterTransitionDidFinish();                                                                  \
    }                                                                                                        \
    void Class::onExitTransitionDidStart() {                                                                 \
        journal_->push_back(name_ + ".exitStart");                                                           \
        Base::onExitTransitionDidStart();                                                                    \
    }                                                                                                        \
    void Class::onExit() {                                                                                   \
        journal_->push_back(name_ + ".exit");                                                                \
        Base::onExit();                                                                                      \
    }                                                                                                        \
    void Class::cleanup() {                                                                                  \
        journal_->push_back(name_ + ".cleanup");                                                             \
        Base::cleanup();                                                                                     \
    }

JOURNAL_METHODS(JournalScene, Scene)

} // namespace stagetest
