// Test entry: an application object (offscreen unless a display is asked for)
// around GoogleTest: a QApplication for the interface suites, a QGuiApplication
// for the suites of the layers below, which link no Widgets. Suites that click their own widgets with a real
// pointer (TAVI_TEST_OWN_X set) get a private Xvfb before the application starts.
#ifdef TAVI_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t g_xvfb = 0;

void stopOwnX() {
    if (g_xvfb > 0) {
        kill(g_xvfb, SIGTERM);
        waitpid(g_xvfb, nullptr, 0);
        g_xvfb = 0;
    }
}

// Starts Xvfb on a display it picks itself (-displayfd) and points this
// process at it. False when no server came up.
bool startOwnX() {
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        waitpid(pid, nullptr, 0);
        return false;
    }
    g_xvfb = pid;
    std::atexit(stopOwnX);
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty("TAVI_TEST_OWN_X") && !startOwnX()) {
        std::fprintf(stderr, "no Xvfb for a real-pointer suite\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The catalogue echoes its statements on Qt's debug channel; keep test output readable.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "default.debug=false");
    // Clients started by the suites never ask a time server off this machine
    // (nothing listens on the discard port; the computer's date stays).
    if (qEnvironmentVariableIsEmpty("TAVI_TIME_SERVER"))
        qputenv("TAVI_TIME_SERVER", "127.0.0.1:9");
    // Nor the online service: a client that goes online meets a closed port here.
    if (qEnvironmentVariableIsEmpty("TAVI_SERVICE_ADDRESS"))
        qputenv("TAVI_SERVICE_ADDRESS", "http://127.0.0.1:9");
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        TestApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    stopOwnX();
    return result;
}
