// Peak resident memory of this process, for benchmarks that report memory next to time.
#pragma once

#include <fstream>
#include <string>

namespace stagebench {

// VmHWM from /proc/self/status in KiB; 0 where it cannot be read.
inline long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

} // namespace stagebench
