#pragma once
// The parser's tests read the real engine log: ENGINE_LOGGER is set up once per
// test program on "taviengine.log" in a temporary folder, and a tail object gives
// the text appended since it was made.

#include <cstdint>
#include <string>

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

// Runs the leak checker now: non-zero when unreachable blocks exist (always 0 when
// the program is not built with AddressSanitizer). Lets a test pin a leak to itself.
bool leakCheckAvailable();
int leaksNow();

} // namespace booktest
