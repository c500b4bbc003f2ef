// A platform layer in which no timer thread ever starts, for programs that
// run thousands of searches without a time limit: each would otherwise leave
// a thread asleep for weeks. Their searches end at their depth limit, on a
// stop request or when their node budget runs out.
#include "platform/platform.h"

namespace platform {

bool startDetachedThread(void (*)(void*), void*) { return false; }

void sleepMilliseconds(uint32_t) {}

// Time stands still: elapsedMs is 0, which no exactness test looks at.
uint32_t millisecondClock() { return 0; }

}  // namespace platform
