#pragma once
// The engine's log: logger "ENGINE_LOGGER" writing "taviengine.log" beside the
// engine executable (rolling, 10 MiB per file, 5 backups, flushed on every line).

#include <log4cplus/logger.h>
#include <string>

namespace enginelog {

extern const char* const kLoggerName;  // "ENGINE_LOGGER"
extern const char* const kLogFileName; // "taviengine.log"
constexpr long kMaxFileSize = 10485760;
constexpr int kMaxBackups = 5;

// Folder of the running executable (from /proc/self/exe), without a trailing
// slash; "" when it cannot be read.
std::string executableDir();

// exeDir + "/taviengine.log", or exeDir + "/log/taviengine.log" when that
// folder exists (an installation that keeps its logs elsewhere links it).
std::string logFilePath(const std::string& exeDir);

// Sets the process locale for UTF-8 log text, then attaches the rolling file
// appender with the common layout to ENGINE_LOGGER, replacing earlier appenders.
// A missing folder is not created: the appender then writes nothing (log4cplus
// says so on stderr) and the engine runs on.
log4cplus::Logger setupEngineLog(const std::string& exeDir);

// The engine logger (with whatever appenders it has).
log4cplus::Logger logger();

} // namespace enginelog
