// The budget word's changes, each one compare-exchange on the whole word.
#include "engine/time_budget.h"

void TimeBudget::requestStop() {
    uint64_t w = word.load();
    while (!word.compare_exchange_weak(w, (w & ~kBudgetMask) | kStopFlag)) {
    }
}

uint32_t TimeBudget::begin(int32_t limitMs) {
    uint64_t w = word.load();
    for (;;) {
        const uint32_t generation = (generationOf(w) + 1) & kGenerationMask;
        // A waiting stop request stays set: it belongs to this search now.
        const uint64_t budget = (w & kStopFlag) ? kStopFlag : static_cast<uint32_t>(limitMs);
        const uint64_t next = (uint64_t{generation} << kGenerationShift) | budget;
        if (word.compare_exchange_weak(w, next)) return generation;
    }
}

bool TimeBudget::expire(uint32_t generation) {
    uint64_t w = word.load();
    while (generationOf(w) == generation && (w & kBudgetMask) != 0) {
        if (word.compare_exchange_weak(w, w & ~kBudgetMask)) return true;
    }
    return false;
}
