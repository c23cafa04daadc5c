// Shared pieces of the stage tests: a temporary folder, picture files made on the spot, and a fixture with
// a headless backend and a director whose time is stepped by hand.
#pragma once

#include "stage/headless/headless_backend.h"
#include "stage/stage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace stagetest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A w x h PNG of one colour; returns its path.
std::string writePicture(const TempDir& dir, const std::string& name, int w, int h, stage::Color4B color);
// A horizontal strip of `frames` cells of w x h, cell i filled with colours[i].
std::string writeStrip(const TempDir& dir, const std::string& name, int w, int h,
                       const std::vector<stage::Color4B>& colours);

constexpr float kFrame = 1.0f / 60;

// Collects what the stage logs while it lives (and keeps it off the test output).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    bool contains(const std::string& text) const;
    std::vector<std::string> lines;
};

class StageTest : public ::testing::Test {
protected:
    StageTest() { reset({1024, 768}, {1024, 768}); }
    // A new backend and director with this window (pixels) and design size.
    void reset(stage::Size window, stage::Size design);
    // Makes a scene, runs it and steps one frame so that it is on stage.
    stage::ScenePtr showScene();
    void frames(int n, float dt = kFrame);
    stage::Director& director() { return *director_; }
    stage::headless::HeadlessBackend& backend() { return *backend_; }
    void touch(stage::InputEvent::Kind kind, stage::Point windowPixel, int id = 0);
    // Touch at a design point (origin bottom left), converted to window pixels.
    void tap(stage::Point design, int id = 0);
    stage::Point designToWindow(stage::Point design) const;

    TempDir dir_;

private:
    // The backend outlives the director.
    std::unique_ptr<stage::headless::HeadlessBackend> backend_;
    std::unique_ptr<stage::Director> director_;
};

// Life-cycle calls, in order; shared so that it outlives the scenes writing into it.
using Journal = std::shared_ptr<std::vector<std::string>>;
inline Journal makeJournal() {
    return std::make_shared<std::vector<std::string>>();
}

// A scene that writes its life-cycle calls into a journal.
class JournalScene : public stage::Scene {
public:
    JournalScene(std::string name, Journal journal) : name_(std::move(name)), journal_(std::move(journal)) {}
    void onEnter() override;
    void onEnterTransitionDidFinish() override;
    void onExitTransitionDidStart() override;
    void onExit() override;
    void cleanup() override;

private:
    std::string name_;
    Journal journal_;
};

} // namespace stagetest
