#include "stage/log.h"

#include <cstdio>

namespace stage {

namespace {

LogSink& sink() {
    static LogSink s;
    return s;
}

const char* levelName(LogLevel level) {
    switch (level) {
    case LogLevel::Debug:
        return "DEBUG";
    case LogLevel::Info:
        return "INFO";
    case LogLevel::Warning:
        return "WARN";
    case LogLevel::Error:
        return "ERROR";
    }
    return "?";
}

} // namespace

void setLogSink(LogSink s) {
    sink() = std::move(s);
}

void log(LogLevel level, const std::string& message) {
    if (sink()) {
        sink()(level, message);
        return;
    }
    if (level == LogLevel::Debug) {
        return;
    }
    std::fprintf(stderr, "stage %s: %s\n", levelName(level), message.c_str());
}

} // namespace stage
