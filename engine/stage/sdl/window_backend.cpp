#include "stage/sdl/window_backend.h"

#include "stage/log.h"
#include "stage/sdl/mixer_audio.h"
#include "stage/sdl/sdl_renderer.h"

#include <SDL_image.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

bool isSoftwareRasterizer(std::string name) {
    for (char& c : name) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software"}) {
        if (name.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// What OpenGL draws with, read on a hidden window of its own ("" when there is no OpenGL).
std::string readOpenGlRenderer() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return std::string();
    }
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (probe == nullptr) {
        return std::string();
    }
    std::string name;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        using GetString = const unsigned char* (*)(unsigned);
        constexpr unsigned kGlRenderer = 0x1F01;
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* text = getString != nullptr ? getString(kGlRenderer) : nullptr;
        name = text != nullptr ? reinterpret_cast<const char*>(text) : "";
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(probe);
    return name;
}

// The same, asked in a child process before this one starts SDL's video: an OpenGL driver, once loaded,
// keeps its threads and tens of megabytes for the life of the process even when it is not used.
std::string openGlRenderer() {
    int fds[2];
    if (::pipe(fds) != 0) {
        return std::string();
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::string();
    }
    if (child == 0) {
        ::close(fds[0]);
        const std::string name = readOpenGlRenderer();
        const ssize_t written = ::write(fds[1], name.data(), name.size());
        (void)written;
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string name;
    // A driver that hangs must not hold up the book.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{fds[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, int(left.count())) <= 0) {
            ::kill(child, SIGKILL);
            name.clear();
            break;
        }
        char buffer[256];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        name.append(buffer, std::size_t(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return name;
}

// Which renderer costs least for the same picture: OpenGL when a graphics chip does its drawing; SDL's
// software renderer, drawing straight into the window's shared-memory image, when OpenGL would only be
// a software rasterizer (Mesa's llvmpipe): that draws the same picture on the same processor and then
// draws the whole window again as a texture, at several times the cost. SDL_RENDER_DRIVER decides
// when set.
bool chooseSoftware(const WindowBackend::Options& options, std::string& why) {
    if (options.software) {
        why = "asked for";
        return true;
    }
    const char* forced = SDL_getenv("SDL_RENDER_DRIVER");
    if (forced != nullptr && *forced != '\0') {
        why = std::string("SDL_RENDER_DRIVER=") + forced;
        return SDL_strcasecmp(forced, "software") == 0;
    }
    const std::string gl = openGlRenderer();
    if (gl.empty()) {
        why = "no OpenGL";
        return false; // whatever accelerated renderer SDL has, else the software one below
    }
    why = "OpenGL renderer " + gl;
    return isSoftwareRasterizer(gl);
}

} // namespace

std::unique_ptr<WindowBackend> WindowBackend::create(const Options& options, std::string& error) {
    // Chosen before the video starts here (the OpenGL question is asked in a child process).
    std::string why;
    const bool software = chooseSoftware(options, why);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (software) {
        // The software renderer's window image goes to the X server as it is, not through an OpenGL
        // texture (SDL's default), unless the environment says otherwise.
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    }
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
    if (!software) {
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
    const bool onSoftware =
        SDL_GetRendererInfo(impl->sdlRenderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    if (SDL_GetRendererInfo(impl->sdlRenderer, &info) == 0) {
        log(LogLevel::Info, std::string("renderer: ") + info.name + " (" + why + "; largest texture " +
                                std::to_string(info.max_texture_width) + " x " +
                                std::to_string(info.max_texture_height) + ")");
    }
    impl->renderer = std::make_unique<SdlRenderer>(impl->sdlRenderer);
    if (onSoftware) {
        // Upright pictures are blitted straight onto the window's image, as on the off-screen canvas.
        SDL_Window* window = impl->window;
        impl->renderer->setDirectSurfaceSource([window] { return SDL_GetWindowSurface(window); });
    }
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
    // Each look at the window's events costs a few calls to the X server, a few times every frame: SDL's
    // wait looks before it sleeps, so it is not looked at twice.
    if (!(seconds > 0)) {
        pollEvents(out);
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
