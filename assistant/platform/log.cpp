#include "log.h"

#include "logsetup.h"

#include <QDir>

namespace tavi {

log4cplus::Logger logger() { return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("TAVI_LOGGER")); }

void setupClientLogging(const QString& appDir) {
    const QString folder = appDir + "/debug";
    QDir().mkpath(folder);
    tavilog::setupRollingFile("TAVI_LOGGER", QString(folder + "/taviassistant.log").toStdString(), 2097152, 5,
                              true);
}

} // namespace tavi

std::ostream& operator<<(std::ostream& os, const QString& text) { return os << text.toUtf8().constData(); }
std::ostream& operator<<(std::ostream& os, const QByteArray& bytes) { return os << bytes.constData(); }
