#include "stage/close_request.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace stage {

namespace {

std::atomic<int> g_signal{0};

void onAlarm(int) {
    const char message[] = "taviplay: the loop did not end within a second of a close request; leaving now\n";
    const ssize_t ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    ::_exit(128 + g_signal.load());
}

void onTerminate(int sig) {
    if (g_signal.exchange(sig) == 0) {
        // Only the first request starts the grace period; a second one does not prolong it.
        ::alarm(kCloseGraceSeconds);
    }
}

void install(int sig, void (*handler)(int)) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(sig, &action, nullptr);
}

} // namespace

void installCloseRequestSignals() {
    install(SIGALRM, onAlarm);
    install(SIGTERM, onTerminate);
    install(SIGINT, onTerminate);
}

bool closeRequested() {
    return g_signal.load() != 0;
}

void closeRequestHandled() {
    if (closeRequested()) {
        ::alarm(0);
    }
}

} // namespace stage
