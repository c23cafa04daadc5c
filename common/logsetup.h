#pragma once
// Both programs log through log4cplus with one layout into a rolling file.

#include <log4cplus/logger.h>
#include <string>

namespace tavilog {

// The layout every log line of both programs uses.
extern const char* const kPattern;

// Attaches a rolling file appender (immediate flush) with kPattern to the named
// logger. createDirs: create missing parent folders of the file. Returns the logger.
log4cplus::Logger setupRollingFile(const std::string& loggerName, const std::string& file, long maxFileSize,
                                   int maxBackupIndex, bool createDirs);

// Sets the process-wide C++ locale to the user's UTF-8 locale (falling back to
// C.UTF-8) so Chinese text reaches the log file intact.
void useUtf8Locale();

} // namespace tavilog
