// The time budget of the computer's search: what the search reads at every
// interior node, what its timer clears and what a stop request empties.
//
// The budget shares one 64-bit atomic word with the generation of the search
// it belongs to and a stop-request flag, so that every change is one atomic
// step. A timer therefore clears the budget only while its own search is
// still the current one, and a stop request made between two searches is
// taken by the next search instead of being overwritten by its limit.
#pragma once

#include <atomic>
#include <cstdint>

class TimeBudget {
public:
    explicit TimeBudget(int32_t initialMs) : word(static_cast<uint32_t>(initialMs)) {}
    TimeBudget(const TimeBudget&) = delete;
    TimeBudget& operator=(const TimeBudget&) = delete;

    // Milliseconds the current search may still take; 0 means stop.
    int32_t load(std::memory_order order = std::memory_order_seq_cst) const {
        return static_cast<int32_t>(word.load(order) & kBudgetMask);
    }

    // Any thread. A running search stops at its next node; between searches,
    // the next search starts stopped.
    void requestStop();
    // True from a stop request until the end of the search that took it.
    bool stopRequested(std::memory_order order = std::memory_order_seq_cst) const {
        return (word.load(order) & kStopFlag) != 0;
    }
    // Drops a stop request: at the end of the search it stopped, and when a
    // new computer turn begins, so that a late click stops nothing later.
    void clearStopRequest() { word.fetch_and(~kStopFlag); }

    // Opens a new search with a budget of limitMs (not negative), or with none
    // when a stop request is waiting for it. Returns the new generation.
    uint32_t begin(int32_t limitMs);
    // A timer of the given generation has woken: the budget goes to 0 if that
    // search is still the current one. Returns whether it did.
    bool expire(uint32_t generation);

private:
    static constexpr uint64_t kBudgetMask = 0xFFFFFFFFu;
    static constexpr uint64_t kStopFlag = uint64_t{1} << 32;
    // 31 bits of generation: a timer sleeps at most 2^31 ms, and no session
    // runs 2^31 searches in that time, so a generation never comes back
    // while one of its timers still sleeps.
    static constexpr int kGenerationShift = 33;
    static constexpr uint32_t kGenerationMask = 0x7FFFFFFFu;

    static uint32_t generationOf(uint64_t w) {
        return static_cast<uint32_t>(w >> kGenerationShift) & kGenerationMask;
    }

    std::atomic<uint64_t> word;
};
