#pragma once
// The client's logger and the stream glue that lets Qt texts go into it.

#include <QByteArray>
#include <QString>
#include <log4cplus/loggingmacros.h>
#include <ostream>

namespace tavi {
log4cplus::Logger logger();

// The place a log line speaks for. A helper that logs on behalf of its caller
// takes the caller's place as a defaulted argument (LogSite::here()), so the
// line names the operation that failed, not the helper.
struct LogSite {
    const char* file;
    int line;
    const char* function;
    static LogSite here(const char* file = __builtin_FILE(), int line = __builtin_LINE(),
                        const char* function = __builtin_FUNCTION()) {
        return {file, line, function};
    }
};
void logErrorAt(const LogSite& site, const std::string& message);
// Sets up TAVI_LOGGER: appDir/debug/taviassistant.log, 2 MiB a file, 5 backups.
void setupClientLogging(const QString& appDir);
} // namespace tavi

std::ostream& operator<<(std::ostream& os, const QString& text);
std::ostream& operator<<(std::ostream& os, const QByteArray& bytes);

#define TLOG_DEBUG(msg) LOG4CPLUS_DEBUG(::tavi::logger(), msg)
#define TLOG_INFO(msg) LOG4CPLUS_INFO(::tavi::logger(), msg)
#define TLOG_ERROR(msg) LOG4CPLUS_ERROR(::tavi::logger(), msg)
