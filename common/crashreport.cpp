#include "crashreport.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace crash {
namespace {

const int kSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};

// Everything the handler needs is prepared at install time, so the handler
// itself only calls async-signal-safe functions.
char g_reportPath[4096];
char g_header[2048];
std::string g_lastError;

void writeAll(int fd, const char* text, size_t len) {
    while (len > 0) {
        ssize_t n = ::write(fd, text, len);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return;
        }
        text += n;
        len -= static_cast<size_t>(n);
    }
}

void writeText(int fd, const char* text) {
    writeAll(fd, text, std::strlen(text));
}

void onFatalSignal(int sig) {
    int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        writeText(fd, g_header);
        writeText(fd, "signal: ");
        const char* name = sig == SIGSEGV   ? "SIGSEGV"
                           : sig == SIGABRT ? "SIGABRT"
                           : sig == SIGFPE  ? "SIGFPE"
                           : sig == SIGILL  ? "SIGILL"
                                            : "SIGBUS";
        writeText(fd, name);
        writeText(fd, "\nbacktrace:\n");
        void* frames[64];
        int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }
    // Die with the original signal so the parent sees the real cause.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

bool ensureFolder(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    return ::mkdir(folder.c_str(), 0755) == 0;
}

} // namespace

int install(const InstallInfo& info) {
    g_lastError.clear();
    if (info.size != sizeof(InstallInfo)) {
        g_lastError = "Invalid install record size";
        return 1;
    }
    if (info.appName.empty()) {
        g_lastError = "Application name is empty";
        return 1;
    }
    const std::string folder = info.reportFolder.empty() ? std::string("dumps") : info.reportFolder;
    if (!ensureFolder(folder)) {
        g_lastError = "Could not create the report folder '" + folder + "': " + std::strerror(errno);
        if (errno == 0 || errno == EEXIST)
            g_lastError = "The report folder '" + folder + "' is not a folder";
        return 2;
    }
    // Prime backtrace(): its first call may allocate, which a handler must not do.
    void* dummy[1];
    ::backtrace(dummy, 1);

    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm tmNow{};
    ::localtime_r(&now, &tmNow);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tmNow);
    std::snprintf(g_reportPath, sizeof g_reportPath, "%s/%s-%s-%d.txt", folder.c_str(), info.appName.c_str(),
                  stamp, static_cast<int>(::getpid()));
    std::snprintf(
        g_header, sizeof g_header,
        "application: %s\nversion: %s\npid: %d\nstarted: %s\ntransport priorities: http %d, smtp %d, "
        "mapi %d\nflags: 0x%X\nrestart command line: %s (timeout %d)\n",
        info.appName.c_str(), info.appVersion.c_str(), static_cast<int>(::getpid()), stamp, info.priorityHttp,
        info.prioritySmtp, info.priorityMapi, info.flags, info.restartCmdLine.c_str(), info.restartTimeout);

    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) {
        struct sigaction sa {};
        sa.sa_handler = onFatalSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        ::sigaction(kSignals[i], &sa, nullptr);
    }
    return 0;
}

std::string lastErrorMessage(std::size_t maxChars) {
    return g_lastError.substr(0, maxChars);
}

InstallInfo programInstall(const std::string& appName, const std::string& appVersion) {
    InstallInfo info;
    info.appName = appName;
    info.appVersion = appVersion;
    info.priorityHttp = 3;
    info.prioritySmtp = 2;
    info.priorityMapi = 1;
    info.flags = 0x409FFF;
    info.reportFolder = "dumps";
    info.restartCmdLine = "/restart";
    info.restartTimeout = 50;
    return info;
}

} // namespace crash
