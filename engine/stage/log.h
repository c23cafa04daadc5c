// Where the stage reports problems (a missing picture, a rejected action). The program routes these into
// its own log; by default they go to standard error.
#pragma once

#include <functional>
#include <string>

namespace stage {

enum class LogLevel { Debug, Info, Warning, Error };

using LogSink = std::function<void(LogLevel, const std::string&)>;

// Replaces the sink; an empty function restores the default (standard error).
void setLogSink(LogSink sink);
void log(LogLevel level, const std::string& message);

} // namespace stage
