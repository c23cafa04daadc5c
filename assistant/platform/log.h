#pragma once
// The client's logger and the stream glue that lets Qt texts go into it.

#include <QString>
#include <QByteArray>
#include <log4cplus/loggingmacros.h>
#include <ostream>

namespace tavi {
log4cplus::Logger logger();
// Sets up TAVI_LOGGER: appDir/debug/taviassistant.log, 2 MiB a file, 5 backups.
void setupClientLogging(const QString& appDir);
} // namespace tavi

std::ostream& operator<<(std::ostream& os, const QString& text);
std::ostream& operator<<(std::ostream& os, const QByteArray& bytes);

#define TLOG_DEBUG(msg) LOG4CPLUS_DEBUG(::tavi::logger(), msg)
#define TLOG_INFO(msg) LOG4CPLUS_INFO(::tavi::logger(), msg)
#define TLOG_ERROR(msg) LOG4CPLUS_ERROR(::tavi::logger(), msg)
