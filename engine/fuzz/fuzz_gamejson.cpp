// Fuzz target: the book descriptor, and the point and rect readers on the same
// bytes.

#include "sparse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>
#include <string>

namespace {

SParser& parser() {
    static SParser* instance = [] {
        log4cplus::initialize();
        log4cplus::Logger::getInstance("ENGINE_LOGGER")
            .addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
        return new SParser;
    }();
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SParser& p = parser();
    GameJson* game = p.gameJsonFromText(text.c_str());
    p.release(game, 0);

    SPoint point{0, 0};
    p.getPoint(&point, text.c_str());
    SRect rect{0, 0, 0, 0};
    p.getRect(&rect, text.c_str());
    // Summed as 64-bit: the harness itself must not overflow on extreme values.
    volatile long long sink = static_cast<long long>(sParse_toInt(text.c_str())) +
                              sParse_truncToInt(sParse_toReal(text.c_str())) + sParse_truncToInt(point.x) +
                              sParse_truncToInt(rect.height);
    (void)sink;
    return 0;
}
