#include "stage/sdl/window_backend.h"

#include "stage/log.h"
#include "stage/sdl/mixer_audio.h"
#include "stage/sdl/sdl_renderer.h"

#include <SDL_image.h>

#include <chrono>
#include <thread>

namespace stage::sdl {

struct WindowBackend::Impl {
    SDL_Window* window = nullptr;
    SDL_Renderer* sdlRenderer = nullptr;
    std::unique_ptr<SdlRenderer> renderer;
    std::unique_ptr<MixerAudio> audio;
    bool mouseDown = false;
    bool minimized = false;

    ~Impl() {
        audio.reset();
        renderer.reset();
        if (sdlRenderer != nullptr) {
            SDL_DestroyRenderer(sdlRenderer);
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
        IMG_Quit();
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    // Mouse positions come in window coordinates; drawing is in output pixels (they differ on HiDPI).
    Point toPixels(int x, int y) const {
        int ww = 1, wh = 1, pw = 1, ph = 1;
        SDL_GetWindowSize(window, &ww, &wh);
        SDL_GetRendererOutputSize(sdlRenderer, &pw, &ph);
        return {float(x) * float(pw) / float(std::max(ww, 1)), float(y) * float(ph) / float(std::max(wh, 1))};
    }
};

std::unique_ptr<WindowBackend> WindowBackend::create(const Options& options, std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
    flags |= options.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
    int width = options.width;
    int height = options.height;
    SDL_DisplayMode desktop;
    if (options.fullscreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        // Without a window manager (a kiosk, a bare X server) nobody makes the window full screen: it keeps
        // the size it was created with, so create it at the desktop's size.
        width = desktop.w;
        height = desktop.h;
    }
    impl->window = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    width, height, flags);
    if (impl->window == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    if (!options.software) {
        impl->sdlRenderer =
            SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    }
    if (impl->sdlRenderer == nullptr) {
        impl->sdlRenderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (impl->sdlRenderer == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(impl->sdlRenderer, &info) == 0) {
        log(LogLevel::Info, std::string("renderer: ") + info.name + " (largest texture " +
                                std::to_string(info.max_texture_width) + " x " +
                                std::to_string(info.max_texture_height) + ")");
    }
    impl->renderer = std::make_unique<SdlRenderer>(impl->sdlRenderer);
    impl->audio = std::make_unique<MixerAudio>();
    return std::unique_ptr<WindowBackend>(new WindowBackend(std::move(impl)));
}

WindowBackend::WindowBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WindowBackend::~WindowBackend() = default;

Renderer& WindowBackend::renderer() {
    return *impl_->renderer;
}

AudioEngine& WindowBackend::audio() {
    return *impl_->audio;
}

Size WindowBackend::windowSize() const {
    return impl_->renderer->outputSize();
}

bool WindowBackend::requestScreenshot(const std::string& pngPath) {
    impl_->renderer->requestScreenshot(pngPath);
    return true;
}

void WindowBackend::pollEvents(std::vector<InputEvent>& out) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) {
        translate(e, out);
    }
}

void WindowBackend::waitEvents(std::vector<InputEvent>& out, double seconds) {
    pollEvents(out);
    if (!out.empty() || !(seconds > 0)) {
        return;
    }
    const int ms = int(seconds * 1000);
    if (ms <= 0) {
        // Less than a millisecond to the next frame: SDL cannot wait that finely.
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        pollEvents(out);
        return;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, ms) != 0) {
        translate(e, out);
        pollEvents(out);
    }
}

void WindowBackend::translate(const SDL_Event& e, std::vector<InputEvent>& out) {
    using Kind = InputEvent::Kind;
    {
        InputEvent ev;
        switch (e.type) {
        case SDL_QUIT:
            ev.kind = Kind::Quit;
            out.push_back(ev);
            break;
        case SDL_APP_WILLENTERBACKGROUND:
            ev.kind = Kind::EnterBackground;
            out.push_back(ev);
            break;
        case SDL_APP_DIDENTERFOREGROUND:
            ev.kind = Kind::EnterForeground;
            out.push_back(ev);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_MINIMIZED) {
                impl_->minimized = true;
                ev.kind = Kind::EnterBackground;
                out.push_back(ev);
            } else if (e.window.event == SDL_WINDOWEVENT_RESTORED && impl_->minimized) {
                impl_->minimized = false;
                ev.kind = Kind::EnterForeground;
                out.push_back(ev);
            } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                ev.kind = Kind::Resized;
                ev.windowSize = windowSize();
                out.push_back(ev);
            } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                ev.kind = Kind::Quit; // the window's close request (SDL also sends a quit after it)
                out.push_back(ev);
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN) {
                ev.kind = Kind::Exposed;
                out.push_back(ev);
            }
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            ev.kind = Kind::Exposed; // the renderer lost what it had drawn
            out.push_back(ev);
            break;
        case SDL_KEYDOWN:
            if (e.key.repeat == 0) {
                ev.kind = Kind::KeyPressed;
                switch (e.key.keysym.sym) {
                case SDLK_ESCAPE:
                case SDLK_AC_BACK:
                    ev.key = Key::Escape;
                    break;
                case SDLK_LEFT:
                    ev.key = Key::Left;
                    break;
                case SDLK_RIGHT:
                    ev.key = Key::Right;
                    break;
                default:
                    ev.key = Key::Other;
                    break;
                }
                out.push_back(ev);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            // Touches arrive as finger events; their mouse copies are ignored.
            if (e.button.which != SDL_TOUCH_MOUSEID && e.button.button == SDL_BUTTON_LEFT) {
                impl_->mouseDown = true;
                ev.kind = Kind::TouchBegan;
                ev.position = impl_->toPixels(e.button.x, e.button.y);
                out.push_back(ev);
            }
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which != SDL_TOUCH_MOUSEID && impl_->mouseDown) {
                ev.kind = Kind::TouchMoved;
                ev.position = impl_->toPixels(e.motion.x, e.motion.y);
                out.push_back(ev);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.which != SDL_TOUCH_MOUSEID && e.button.button == SDL_BUTTON_LEFT &&
                impl_->mouseDown) {
                impl_->mouseDown = false;
                ev.kind = Kind::TouchEnded;
                ev.position = impl_->toPixels(e.button.x, e.button.y);
                out.push_back(ev);
            }
            break;
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: {
            ev.kind = e.type == SDL_FINGERDOWN ? Kind::TouchBegan
                      : e.type == SDL_FINGERUP ? Kind::TouchEnded
                                               : Kind::TouchMoved;
            // Id 0 is the mouse; fingers get 1 and up.
            ev.touchId = 1 + int(e.tfinger.fingerId & 0x3fffffff);
            const Size s = windowSize();
            ev.position = {e.tfinger.x * s.width, e.tfinger.y * s.height};
            out.push_back(ev);
            break;
        }
        default:
            break;
        }
    }
}

void showErrorBox(const std::string& title, const std::string& message) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), nullptr);
}

} // namespace stage::sdl
