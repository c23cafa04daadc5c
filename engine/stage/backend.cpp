#include "stage/backend.h"

#include <chrono>
#include <thread>

namespace stage {

void Backend::waitEvents(std::vector<InputEvent>& out, double seconds) {
    pollEvents(out);
    if (out.empty() && seconds > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        pollEvents(out);
    }
}

} // namespace stage
