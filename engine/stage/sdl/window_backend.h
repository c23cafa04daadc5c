// The program's backend: a (full-screen) SDL2 window with a renderer, SDL2_image pictures, SDL2_mixer
// sound, and mouse and touch input turned into touch events.
#pragma once

#include "stage/backend.h"

#include <memory>
#include <string>

// SDL's event type, without SDL's headers here.
union SDL_Event;

namespace stage::sdl {

class WindowBackend : public Backend {
public:
    struct Options {
        std::string title = "tavinet";
        // Full screen at the desktop's resolution; otherwise a resizable window of width x height.
        bool fullscreen = true;
        int width = 1024;
        int height = 768;
        // SDL's software renderer whatever the machine has (it is also the fallback). Otherwise the
        // renderer that costs least is chosen (see create()), unless SDL_RENDER_DRIVER names one.
        bool software = false;
    };

    // Null (and a reason) when no window can be opened. A missing sound device is not an error: the
    // program then runs silently.
    static std::unique_ptr<WindowBackend> create(const Options& options, std::string& error);
    ~WindowBackend() override;

    Renderer& renderer() override;
    AudioEngine& audio() override;
    Size windowSize() const override;
    void pollEvents(std::vector<InputEvent>& out) override;
    // Sleeps in SDL's event wait (no polling) until an event or the time is up.
    void waitEvents(std::vector<InputEvent>& out, double seconds) override;
    bool requestScreenshot(const std::string& pngPath) override;

    struct Impl;

private:
    explicit WindowBackend(std::unique_ptr<Impl> impl);
    void translate(const SDL_Event& e, std::vector<InputEvent>& out);
    std::unique_ptr<Impl> impl_;
};

// A modal error box (works without a window of ours).
void showErrorBox(const std::string& title, const std::string& message);

} // namespace stage::sdl
