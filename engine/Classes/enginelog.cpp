#include "enginelog.h"

#include "logsetup.h"
#include "sharedinstall.h"

#include <sys/stat.h>

#include <unistd.h>
#include <vector>

namespace enginelog {

const char* const kLoggerName = "ENGINE_LOGGER";
const char* const kLogFileName = "taviengine.log";

std::string executableDir() {
    // No fixed path limit here: grow the buffer until the link fits.
    std::vector<char> buf(256);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buf.size()) {
            std::string path(buf.data(), static_cast<size_t>(n));
            const auto slash = path.find_last_of('/');
            if (slash == std::string::npos)
                return std::string();
            return slash == 0 ? std::string("/") : path.substr(0, slash);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string logFilePath(const std::string& exeDir) {
    // An installation keeps its logs with its other changing data: a "log"
    // folder beside the engine (usually a link to it) takes the log then.
    struct stat st;
    const std::string folder = exeDir + "/log";
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return folder + "/" + kLogFileName;
    return exeDir + "/" + kLogFileName;
}

log4cplus::Logger setupEngineLog(const std::string& exeDir) {
    tavilog::useUtf8Locale();
    // Shared by several accounts: the next teacher's engine must write the log too.
    const std::string path = logFilePath(exeDir);
    sharedinstall::adopt(path.substr(0, path.find_last_of('/')));
    return tavilog::setupRollingFile(kLoggerName, logFilePath(exeDir), kMaxFileSize, kMaxBackups,
                                     false /*createDirs*/);
}

log4cplus::Logger logger() {
    return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT(kLoggerName));
}

} // namespace enginelog
