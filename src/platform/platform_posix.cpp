// Linux (and any other standard-library host): threads, sleeping and the clock
// come from the standard library.
#include <chrono>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace platform {

bool startDetachedThread(void (*entry)(void*), void* argument) {
    try {
        std::thread(entry, argument).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void sleepMilliseconds(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t millisecondClock() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Truncation to 32 bits is the point: callers take unsigned differences.
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace platform
