#pragma once
// Real processes for the start-up and window suites: a child process with its own environment and
// working folder, and a private X server (Xvfb on a display it picks itself) with screenshots and
// xdotool input.

#include "stage/backend.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace proctest {

// Where the suites leave files worth looking at (screenshots): <build>/engine/tests/<name>, created.
std::string outputDir(const std::string& name);

class Child {
public:
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // env: "KEY=VALUE" entries added to this process's environment ("KEY=" removes KEY). Standard output
    // and error go to outputFile (or are dropped when it is empty).
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& env = {}, const std::string& workDir = std::string(),
               const std::string& outputFile = std::string());
    // The exit code, or -1 after timeoutMs (the child still runs), or 128 + signal when killed by one.
    int wait(int timeoutMs);
    bool running();
    void signal(int sig);
    // SIGTERM, then SIGKILL after a grace period.
    void stop();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

struct RunResult {
    int exitCode = -1;
    std::string output;
};
// Runs a program to its end (killed after timeoutMs), capturing standard output and error.
RunResult run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& env = {}, int timeoutMs = 30000);

// The program's path on the PATH, or "".
std::string which(const std::string& program);

// Polls until the predicate holds or timeoutMs have passed.
template <typename Predicate> bool waitUntil(Predicate predicate, int timeoutMs);
bool sleepMs(int ms);

class Xvfb {
public:
    Xvfb(int width, int height);
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool ok() const { return !display_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& display() const { return display_; }
    std::vector<std::string> env() const { return {"DISPLAY=" + display_, "WAYLAND_DISPLAY="}; }

    // The whole screen; an empty image when grabbing failed. Also saved to pngPath when given.
    stage::Image screenshot(const std::string& pngPath = std::string()) const;
    // The whole screen read straight from the server (fast enough for every frame); empty on failure.
    stage::Image grab() const;
    RunResult xdotool(const std::vector<std::string>& args) const;
    // The first visible window of the class (a program's name), or "" after timeoutMs.
    std::string waitForWindow(const std::string& windowClass, int timeoutMs) const;
    bool click(int x, int y) const;
    // Button down at `from`, a few moves, button up at `to`.
    bool drag(int fromX, int fromY, int toX, int toY) const;
    // Presses and releases a key (an X key name: "Escape", "Left", ...) with the pointer over the first
    // visible window of the class, which then has the keyboard.
    bool key(const std::string& windowClass, const std::string& keyName) const;
    // What a window manager sends to that window when the reader clicks its close box
    // (WM_DELETE_WINDOW).
    bool requestClose(const std::string& windowClass) const;

private:
    Child server_;
    // The connection grab() reads through (an Xlib Display), opened on first use.
    mutable void* reader_ = nullptr;
    std::string display_;
    std::string error_;
};

template <typename Predicate> bool waitUntil(Predicate predicate, int timeoutMs) {
    for (int waited = 0;; waited += 50) {
        if (predicate()) {
            return true;
        }
        if (waited >= timeoutMs) {
            return false;
        }
        sleepMs(50);
    }
}

} // namespace proctest
