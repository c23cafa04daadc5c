#pragma once
// The parser's tests read the real engine log: ENGINE_LOGGER is set up once per
// test program on "taviengine.log" in a temporary folder, and a tail object gives
// the text appended since it was made.

#include <cstdint>
#include <string>
#include <vector>

namespace booktest {

class EngineLogTail {
public:
    EngineLogTail();
    // Text appended to the engine log since construction.
    std::string text() const;
    // The log file (set up on first use).
    static const std::string& file();

private:
    std::uintmax_t start_;
};

// One line of the common layout "%D{%Y/%m/%d %X.%q} %-5p - %m (%l)".
struct LogLine {
    std::string level;   // "INFO", "ERROR", ...
    std::string message; // %m
    std::string file;    // source file of the logging call, as the compiler named it
    int line = 0;
};

// The lines of text that have the layout's shape (others are skipped).
std::vector<LogLine> logLines(const std::string& text);

// The texts of the parser's "ERR:sparse.cpp <line> <text>" entries at ERROR level
// written from sparse.cpp, in order.
std::vector<std::string> parserErrors(const std::string& text);

// Runs the leak checker now: non-zero when unreachable blocks exist (always 0 when
// the program is not built with AddressSanitizer). Lets a test pin a leak to itself.
bool leakCheckAvailable();
int leaksNow();

} // namespace booktest
