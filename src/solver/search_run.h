// What the search threads of one solve share while it runs, and nothing else:
// the bounds proved of the root's value, the clock, the lines handed out
// once the value is known, each thread's figures, the growth barrier, and
// the tags of the positions being searched (kept in SolverTables, as they
// outlive a solve). Every other field of a search belongs to one thread.
//
// The growth barrier: the table's part in use grows only while no thread
// reads it. A thread that finds it should grow sets growWanted; every thread
// still searching, at its next clock check, waits in awaitGrowth(); the last
// to come (or the last left, when the others have ended their search and
// called leave()) moves the entries while the rest wait, then wakes them.
#pragma once

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// A threshold of a test: none, that is a whole solve.
constexpr int32_t kNoTest = INT32_MIN;

struct SolveRun {
    using Clock = std::chrono::steady_clock;

    Clock::time_point start, deadline;
    bool limited = false;
    std::atomic<bool> timeUp{false};
    std::atomic<int32_t> lower{0}, upper{0};  // of the root's value, proved so far
    std::atomic<int32_t> nextJob{0};          // the next line to hand out, once the value is known
    std::vector<std::atomic<uint8_t>> settled;  // per line handed out: its result is written
    // Per thread, brought up to date at each clock check, a cache line each.
    struct alignas(64) Figures {
        std::atomic<uint64_t> nodes{0};
        std::atomic<uint64_t> entries{0};  // table entries it filled
    };
    std::vector<Figures> figures;
    // The growth barrier; the counts are kept under growLock.
    std::atomic<bool> growWanted{false};
    std::mutex growLock;
    std::condition_variable grown;
    int32_t searching = 0;  // threads in settle() or work()
    int32_t waiting = 0;    // of them, those waiting for a growth
    uint32_t growths = 0;

    explicit SolveRun(int32_t threads) : figures(size_t(threads)) {}
    int32_t threads() const { return int32_t(figures.size()); }

    void narrowLower(int32_t v) {
        int32_t now = lower.load(std::memory_order_relaxed);
        while (v > now && !lower.compare_exchange_weak(now, v, std::memory_order_relaxed)) {
        }
    }
    void narrowUpper(int32_t v) {
        int32_t now = upper.load(std::memory_order_relaxed);
        while (v < now && !upper.compare_exchange_weak(now, v, std::memory_order_relaxed)) {
        }
    }
    uint64_t total(std::atomic<uint64_t> Figures::*figure) const {
        uint64_t sum = 0;
        for (const Figures& f : figures) sum += (f.*figure).load(std::memory_order_relaxed);
        return sum;
    }

    // Every thread searching stops here while a growth is wanted; the last
    // to come runs grow() while the others wait.
    template <typename Grow>
    void awaitGrowth(Grow&& grow) {
        std::unique_lock<std::mutex> lock(growLock);
        if (!growWanted.load(std::memory_order_relaxed)) return;  // done meanwhile
        ++waiting;
        const uint32_t done = growths;
        grown.wait(lock, [&] { return growths != done || waiting == searching; });
        if (growths == done) {  // the last to come, or the others have left
            grow();
            waiting = 0;
            growWanted.store(false, std::memory_order_relaxed);
            ++growths;
            grown.notify_all();
        }
    }

    // Called by a thread once its search has ended: it touches the table no
    // more, and a growth need not wait for it.
    void leave() {
        const std::lock_guard<std::mutex> lock(growLock);
        --searching;
        grown.notify_all();
    }
};

// The lines being searched by some thread, by a tag of the position they
// lead to: a slot per tag's high bits, 0 when free. A lost or shared slot
// only makes a thread search a line sooner or later than it might.
class SearchedLines {
public:
    explicit SearchedLines(std::vector<std::atomic<uint64_t>>& slots) : slots_(slots) {}
    bool elsewhere(uint64_t tag) const {
        return slotOf(tag).load(std::memory_order_relaxed) == tag;
    }
    void claim(uint64_t tag) { slotOf(tag).store(tag, std::memory_order_relaxed); }
    void release(uint64_t tag) {
        uint64_t mine = tag;
        slotOf(tag).compare_exchange_strong(mine, 0, std::memory_order_relaxed);
    }

private:
    std::atomic<uint64_t>& slotOf(uint64_t tag) const {
        return slots_[size_t(tag >> 40) & (slots_.size() - 1)];
    }
    std::vector<std::atomic<uint64_t>>& slots_;
};
