// The platform layer's three calls on a clock that tests move by hand.
#include "manual_clock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/platform.h"

namespace {

struct State {
    std::mutex lock;
    std::condition_variable changed;
    uint64_t now = 0;     // milliseconds since the start, never wraps
    uint32_t offset = 0;  // added to now by the clock reading
    int32_t sleepers = 0;
    int32_t running = 0;
    bool finishing = false;  // every sleep ends at once
    std::function<void()> clockReadHook;
    std::function<void()> threadStartHook;
};

// Never destroyed: detached timer threads may still sleep when the program
// ends, and must not wake to a destroyed mutex.
State& state() {
    static State* s = new State;
    return *s;
}

std::function<void()> take(std::function<void()>& hook) {
    std::function<void()> taken;
    taken.swap(hook);
    return taken;
}

}  // namespace

namespace platform {

bool startDetachedThread(void (*entry)(void*), void* argument) {
    State& s = state();
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        hook = take(s.threadStartHook);
    }
    if (hook) hook();
    {
        std::lock_guard<std::mutex> hold(s.lock);
        ++s.running;
    }
    std::thread([entry, argument, &s] {
        entry(argument);
        std::lock_guard<std::mutex> hold(s.lock);
        --s.running;
        s.changed.notify_all();
    }).detach();
    return true;
}

void sleepMilliseconds(uint32_t milliseconds) {
    State& s = state();
    std::unique_lock<std::mutex> hold(s.lock);
    const uint64_t wake = s.now + milliseconds;
    ++s.sleepers;
    s.changed.notify_all();
    s.changed.wait(hold, [&] { return s.now >= wake || s.finishing; });
    --s.sleepers;
    s.changed.notify_all();
}

uint32_t millisecondClock() {
    State& s = state();
    std::function<void()> hook;
    uint32_t reading;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        hook = take(s.clockReadHook);
        reading = static_cast<uint32_t>(s.now) + s.offset;
    }
    if (hook) hook();
    return reading;
}

}  // namespace platform

namespace manual_clock {

void advance(uint32_t milliseconds) {
    State& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    s.now += milliseconds;
    s.changed.notify_all();
}

void setReading(uint32_t milliseconds) {
    State& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    s.offset = milliseconds - static_cast<uint32_t>(s.now);
}

int32_t sleepers() {
    State& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.sleepers;
}

int32_t runningThreads() {
    State& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.running;
}

void atNextClockRead(std::function<void()> hook) {
    State& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    s.clockReadHook = std::move(hook);
}

void atNextThreadStart(std::function<void()> hook) {
    State& s = state();
    std::lock_guard<std::mutex> hold(s.lock);
    s.threadStartHook = std::move(hook);
}

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void finishAllThreads() {
    State& s = state();
    std::unique_lock<std::mutex> hold(s.lock);
    // Also the sleeps of threads that have started but not yet gone to sleep.
    s.finishing = true;
    s.changed.notify_all();
    s.changed.wait_for(hold, std::chrono::minutes(1), [&] { return s.running == 0; });
    s.finishing = false;
}

}  // namespace manual_clock
