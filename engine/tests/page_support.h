#pragma once
// Support for the page, action and touch suites: a book folder with real pictures and sounds made on the
// spot, scene documents written with every key present, and a fixture that plays the book on a headless
// director whose time the test steps by hand.

#include "bookfixture.h"
#include "enginelogtail.h"
#include "thepage.h"

#include "stage/headless/headless_backend.h"
#include "stage/stage.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pagetest {

using Values = std::initializer_list<std::pair<const char*, const char*>>;

constexpr float kFrame = 1.0f / 60;

// Picture and sound files.
void writePng(const std::string& path, int width, int height, stage::Color4B colour);
// A strip of cells of width x height, cell i filled with colours[i].
void writeStrip(const std::string& path, int width, int height, const std::vector<stage::Color4B>& colours);
// A short mono WAV of a tone.
void writeWav(const std::string& path, double seconds = 0.2, double frequency = 440);

// Scene documents. Every key is present; what a test does not set is "" or "0".
cJSON* action(const char* type, Values values = {});
cJSON* sprite(const char* name, const char* picture, const char* position,
              std::initializer_list<cJSON*> hotspots = {}, std::initializer_list<cJSON*> defaults = {},
              Values values = {});
cJSON* button(const char* name, const char* picture, const char* rect);
// A page with the background "bg.png", transition "Scene_CCAction_1" of 0 ms and no music unless
// values say otherwise.
booktest::Json page(std::initializer_list<cJSON*> buttons = {}, std::initializer_list<cJSON*> sprites = {},
                    Values values = {});

class PageTest : public ::testing::Test {
protected:
    PageTest();
    ~PageTest() override;

    // A new backend and director: window in pixels; the design size comes with the book.
    void resetWindow(stage::Size window);

    // Book files.
    std::string path(const std::string& relative) const { return book_.dir() + relative; }
    void writeBook(int pages, const char* width = "1024", const char* height = "768");
    void writePage(int number, const booktest::Json& doc);
    void picture(const std::string& name, int width, int height, stage::Color4B colour);
    void sound(const std::string& name);

    // Reads the book and shows page 0 as the program does, then steps one frame (the page is built).
    bool launch();
    // Shows another page at once (no transition) and steps one frame.
    void show(int page);

    void frames(int n, float dt = kFrame);
    // Steps whole frames until at least this much time has passed.
    void seconds(float s);
    // Steps at least one frame, then until the running scene is no transition; false after `limit` frames.
    bool settle(int limit = 2000);

    // The page on stage (null while a transition runs or when the page is empty).
    std::shared_ptr<ThePage> layer() const;
    std::shared_ptr<Sprite> spriteOf(int index) const;
    stage::Director& director() { return *director_; }
    stage::headless::HeadlessBackend& backend() { return *backend_; }
    stage::headless::RecordingAudio& audio() { return backend_->recordedAudio(); }

    // Touches at design points with the origin at the top left, as books write them.
    stage::Point toWindow(stage::Point topLeft) const;
    void press(stage::Point topLeft, int id = 0);
    void move(stage::Point topLeft, int id = 0);
    void release(stage::Point topLeft, int id = 0);
    void tap(stage::Point topLeft, int id = 0);
    void swipe(stage::Point from, stage::Point to, int id = 0);

    booktest::TempBook book_;
    booktest::EngineLogTail log_;

private:
    std::unique_ptr<stage::headless::HeadlessBackend> backend_;
    std::unique_ptr<stage::Director> director_;
};

// Whether the text holds the line fragment.
inline bool has(const std::string& text, const std::string& fragment) {
    return text.find(fragment) != std::string::npos;
}

} // namespace pagetest
