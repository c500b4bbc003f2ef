// A platform layer for the time-control tests: threads are real, but time
// only passes when a test moves it. A sleep ends once advance() has moved the
// clock past its wake-up time, and the millisecond clock reads the same time,
// so every interleaving of timers and searches is chosen by the test, not by
// the scheduler.
#pragma once

#include <cstdint>
#include <functional>

namespace manual_clock {

// Moves the clock on and wakes every sleep that is due.
void advance(uint32_t milliseconds);
// What millisecondClock() reads from now on, as if the clock had been set.
void setReading(uint32_t milliseconds);

// Threads inside a sleep, and threads started and not yet returned.
int32_t sleepers();
int32_t runningThreads();

// Runs hook once, on the calling thread, at the next clock read or at the
// next thread start (before that thread runs).
void atNextClockRead(std::function<void()> hook);
void atNextThreadStart(std::function<void()> hook);

// Waits, with a one-minute deadline, until condition() holds; false if it
// never did. The condition is polled, so it may read anything thread-safe.
bool eventually(const std::function<bool()>& condition);

// Ends every sleep, however long, also those about to begin, and waits until
// every thread started through the platform layer has returned.
void finishAllThreads();

}  // namespace manual_clock
