// The few calls that differ between Windows and Linux. The Windows build uses
// CreateThread, Sleep and timeGetTime; the Linux build the standard library.
#pragma once

#include <cstdint>

namespace platform {

// Starts a thread that runs entry(argument) and is never waited for.
// Returns false when no thread could be started.
bool startDetachedThread(void (*entry)(void*), void* argument);

void sleepMilliseconds(uint32_t milliseconds);

// A wrapping millisecond clock: take differences as uint32_t.
uint32_t millisecondClock();

}  // namespace platform
