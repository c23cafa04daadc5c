#include "log.h"

#include "logsetup.h"

#include <QDir>

namespace tavi {

log4cplus::Logger logger() {
    return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("TAVI_LOGGER"));
}

void logErrorAt(const LogSite& site, const std::string& message) {
    log4cplus::Logger log = logger();
    if (log.isEnabledFor(log4cplus::ERROR_LOG_LEVEL))
        log.forcedLog(log4cplus::ERROR_LOG_LEVEL, LOG4CPLUS_STRING_TO_TSTRING(message), site.file, site.line,
                      site.function);
}

void setupClientLogging(const QString& appDir) {
    const QString folder = appDir + "/debug";
    QDir().mkpath(folder);
    tavilog::setupRollingFile("TAVI_LOGGER", QString(folder + "/taviassistant.log").toStdString(), 2097152, 5,
                              true);
}

} // namespace tavi

std::ostream& operator<<(std::ostream& os, const QString& text) {
    return os << text.toUtf8().constData();
}
std::ostream& operator<<(std::ostream& os, const QByteArray& bytes) {
    return os << bytes.constData();
}
