#include "process_support.h"

#include "bookfixture.h"

#include "stage/sdl/image_io.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Last: Xlib defines names (None, Status, Bool) other headers use.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace proctest {

namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos) {
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    for (const std::string& entry : extra) {
        const auto eq = entry.find('=');
        const std::string key = entry.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        if (value.empty()) {
            vars.erase(key);
        } else {
            vars[key] = value;
        }
    }
    std::vector<std::string> out;
    for (const auto& [key, value] : vars) {
        out.push_back(key + "=" + value);
    }
    return out;
}

int decode(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

} // namespace

std::string outputDir(const std::string& name) {
    const std::string dir = std::string(TAVI_ENGINE_TEST_OUTPUT) + "/" + name;
    std::filesystem::create_directories(dir);
    return dir;
}

std::string which(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string paths = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const auto end = paths.find(':', start);
        const std::string dir =
            paths.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (end == std::string::npos) {
            return std::string();
        }
        start = end + 1;
    }
}

bool sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
}

// --- Child
// ---------------------------------------------------------------------------------------------------

Child::~Child() {
    if (pid_ > 0 && status_ == -1) {
        stop();
    }
}

bool Child::start(const std::string& program, const std::vector<std::string>& args,
                  const std::vector<std::string>& env, const std::string& workDir,
                  const std::string& outputFile) {
    const std::vector<std::string> environment = mergedEnvironment(env);
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envText = environment;
    std::vector<char*> envp;
    for (auto& e : envText) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    status_ = -1;
    pid_ = ::fork();
    if (pid_ < 0) {
        return false;
    }
    if (pid_ == 0) {
        ::setpgid(0, 0);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) {
            ::_exit(126);
        }
        const int out = outputFile.empty() ? ::open("/dev/null", O_WRONLY)
                                           : ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::close(out);
        }
        const int in = ::open("/dev/null", O_RDONLY);
        if (in >= 0) {
            ::dup2(in, 0);
            ::close(in);
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    return true;
}

int Child::wait(int timeoutMs) {
    if (pid_ <= 0) {
        return -1;
    }
    if (status_ != -1) {
        return decode(status_);
    }
    for (int waited = 0;; waited += 20) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            status_ = status;
            return decode(status);
        }
        if (r < 0 && errno != EINTR) {
            return -1;
        }
        if (waited >= timeoutMs) {
            return -1;
        }
        sleepMs(20);
    }
}

bool Child::running() {
    return pid_ > 0 && status_ == -1 && wait(0) == -1;
}

void Child::signal(int sig) {
    if (pid_ > 0 && status_ == -1) {
        ::kill(pid_, sig);
    }
}

void Child::stop() {
    if (!running()) {
        return;
    }
    signal(SIGTERM);
    if (wait(5000) == -1) {
        signal(SIGKILL);
        wait(5000);
    }
}

RunResult run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& env, int timeoutMs) {
    RunResult result;
    const std::string dir = booktest::makeTempDir("taviproc");
    const std::string outFile = dir + "out.txt";
    const std::string resolved = program.find('/') == std::string::npos ? which(program) : program;
    Child child;
    if (child.start(resolved, args, env, std::string(), outFile)) {
        result.exitCode = child.wait(timeoutMs);
        if (result.exitCode == -1) {
            child.stop();
        }
    }
    result.output = booktest::readText(outFile);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return result;
}

// --- Xvfb
// ----------------------------------------------------------------------------------------------------

Xvfb::Xvfb(int width, int height) {
    int fds[2];
    if (::pipe(fds) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    // The server writes the display it chose, and a newline, to the descriptor named by -displayfd.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string program = which("Xvfb");
    if (program.empty() || !server_.start(program, {"-displayfd", std::to_string(fds[1]), "-screen", "0",
                                                    screen, "-nolisten", "tcp", "-noreset"})) {
        error_ = "Xvfb could not be started";
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        char c;
        const ssize_t n = ::read(fds[0], &c, 1);
        if (n == 1) {
            if (c == '\n') {
                break;
            }
            number += c;
        } else if (n == 0) {
            break; // the server went away
        } else {
            sleepMs(20);
        }
    }
    ::close(fds[0]);
    if (number.empty()) {
        error_ = "Xvfb reported no display";
        server_.stop();
        return;
    }
    display_ = ":" + number;
}

Xvfb::~Xvfb() {
    if (reader_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(reader_));
    }
    server_.stop();
}

stage::Image Xvfb::grab() const {
    stage::Image image;
    if (reader_ == nullptr && ok()) {
        reader_ = XOpenDisplay(display_.c_str());
    }
    auto* x = static_cast<Display*>(reader_);
    if (x == nullptr) {
        return image;
    }
    const Window root = DefaultRootWindow(x);
    XWindowAttributes attributes;
    XGetWindowAttributes(x, root, &attributes);
    XImage* shot =
        XGetImage(x, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        return image;
    }
    image = stage::Image(shot->width, shot->height);
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        return mask == 0 ? std::uint8_t(0) : std::uint8_t((pixel & mask) >> __builtin_ctzl(mask));
    };
    for (int y = 0; y < shot->height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(shot->data + std::ptrdiff_t(y) * shot->bytes_per_line);
        for (int xx = 0; xx < shot->width; ++xx) {
            const unsigned long p = shot->bits_per_pixel == 32 ? row[xx] : XGetPixel(shot, xx, y);
            image.at(xx, y) = {channel(p, shot->red_mask), channel(p, shot->green_mask),
                               channel(p, shot->blue_mask), 255};
        }
    }
    XDestroyImage(shot);
    return image;
}

stage::Image Xvfb::screenshot(const std::string& pngPath) const {
    stage::Image image;
    if (!ok()) {
        return image;
    }
    const std::string dir = booktest::makeTempDir("tavishot");
    const std::string file = pngPath.empty() ? dir + "screen.png" : pngPath;
    const RunResult grab =
        run("import", {"-display", display_, "-window", "root", "png:" + file}, env(), 30000);
    if (grab.exitCode == 0) {
        stage::sdl::loadImage(file, image);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return image;
}

RunResult Xvfb::xdotool(const std::vector<std::string>& args) const {
    return run("xdotool", args, env(), 10000);
}

std::string Xvfb::waitForWindow(const std::string& windowClass, int timeoutMs) const {
    std::string id;
    waitUntil(
        [&] {
            // By class: SDL writes the title as UTF-8 only, which xdotool's name search does not read.
            const RunResult r = xdotool({"search", "--onlyvisible", "--class", windowClass});
            const auto end = r.output.find('\n');
            id = r.exitCode == 0 ? r.output.substr(0, end) : std::string();
            return !id.empty();
        },
        timeoutMs);
    return id;
}

bool Xvfb::click(int x, int y) const {
    if (xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)}).exitCode != 0) {
        return false;
    }
    sleepMs(100);
    return xdotool({"click", "1"}).exitCode == 0;
}

bool Xvfb::drag(int fromX, int fromY, int toX, int toY) const {
    if (xdotool({"mousemove", "--sync", std::to_string(fromX), std::to_string(fromY)}).exitCode != 0 ||
        xdotool({"mousedown", "1"}).exitCode != 0) {
        return false;
    }
    for (int step = 1; step <= 5; ++step) {
        sleepMs(40);
        const int x = fromX + (toX - fromX) * step / 5;
        const int y = fromY + (toY - fromY) * step / 5;
        xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
    }
    sleepMs(40);
    return xdotool({"mouseup", "1"}).exitCode == 0;
}

bool Xvfb::key(const std::string& windowClass, const std::string& keyName) const {
    // Looked up each time: a program may replace its first window (SDL does for OpenGL).
    const std::string window = waitForWindow(windowClass, 5000);
    // Without a window manager the keyboard follows the pointer. (No --sync: it waits for a move, and
    // there is none when the pointer is there already.)
    if (window.empty() || xdotool({"mousemove", "--window", window, "100", "100"}).exitCode != 0) {
        return false;
    }
    sleepMs(100);
    return xdotool({"key", keyName}).exitCode == 0;
}

bool Xvfb::requestClose(const std::string& windowClass) const {
    const std::string window = waitForWindow(windowClass, 5000);
    if (window.empty()) {
        return false;
    }
    Display* x = XOpenDisplay(display_.c_str());
    if (x == nullptr) {
        return false;
    }
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(std::stoul(window));
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(x, event.xclient.window, False, NoEventMask, &event) != 0;
    XSync(x, False);
    XCloseDisplay(x);
    return sent;
}

} // namespace proctest
