#include "logsetup.h"

#include <clocale>
#include <locale>
#include <log4cplus/fileappender.h>
#include <log4cplus/initializer.h>
#include <log4cplus/layout.h>
#include <memory>

namespace tavilog {

const char* const kPattern = "%D{%Y/%m/%d %X.%q} %-5p - %m (%l)%n";

log4cplus::Logger setupRollingFile(const std::string& loggerName, const std::string& file, long maxFileSize,
                                   int maxBackupIndex, bool createDirs) {
    log4cplus::initialize();
    log4cplus::SharedAppenderPtr appender(new log4cplus::RollingFileAppender(
        LOG4CPLUS_STRING_TO_TSTRING(file), maxFileSize, maxBackupIndex, true /*immediateFlush*/, createDirs));
    appender->setName(LOG4CPLUS_TEXT("rolling"));
    appender->setLayout(std::unique_ptr<log4cplus::Layout>(
        new log4cplus::PatternLayout(LOG4CPLUS_STRING_TO_TSTRING(std::string(kPattern)))));
    log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_STRING_TO_TSTRING(loggerName));
    logger.removeAllAppenders();
    logger.addAppender(appender);
    return logger;
}

void useUtf8Locale() {
    const char* chosen = std::setlocale(LC_ALL, "");
    std::string name = chosen ? chosen : "";
    if (name.empty() || name == "C" || name == "POSIX" ||
        (name.find("UTF-8") == std::string::npos && name.find("utf8") == std::string::npos)) {
        if (std::setlocale(LC_ALL, "C.UTF-8"))
            name = "C.UTF-8";
    }
    try {
        std::locale::global(std::locale(name.c_str()));
    } catch (...) {
        // Keep the classic locale; logging still works for ASCII text.
    }
}

} // namespace tavilog
