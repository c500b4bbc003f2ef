// The computer player's search: iterative deepening over a negamax
// alpha-beta search with fail-hard bounds, and the timer threads that end it.
#include "engine/search_engine.h"

#include <cassert>
#include <new>

#include "platform/platform.h"

namespace {

// The root window; both bounds lie far outside any evaluation (|v| <= 63,125).
constexpr int32_t kRootAlpha = -1879048193;
constexpr int32_t kRootBeta = 2147483647;

// What a timer thread needs; it holds one owner reference on clock.
struct TimerStart {
    SearchClock* clock;
    int32_t limitMs;
};

// Counters run for as long as a search does; they wrap instead of overflowing.
inline void bump(int32_t& counter) {
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + 1u);
}

void releaseClock(SearchClock* clock) {
    // acq_rel: the owner that frees the clock sees every other owner's last use.
    if (clock->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete clock;
}

void runTimer(void* argument) {
    const TimerStart start = *static_cast<TimerStart*>(argument);
    delete static_cast<TimerStart*>(argument);
    SearchEngine::searchTimer(start.clock, start.limitMs);
}

// Frees the clock when the MoveStack cannot be allocated, so that a failed
// construction leaks nothing.
MoveIndex* allocateMoveStack(SearchClock* clock) {
    try {
        return new MoveIndex[SearchEngine::kMoveStackEntries];
    } catch (...) {
        delete clock;
        throw;
    }
}

}  // namespace

SearchEngine::SearchEngine()
    : clock(new SearchClock),
      moveStack(allocateMoveStack(clock)),
      pendingTimers(clock->pendingTimers),
      timeBudget(clock->timeBudget) {}

SearchEngine::~SearchEngine() {
    delete[] moveStack;
    // Sleeping timers keep the clock alive; the engine never waits for them.
    releaseClock(clock);
}

void SearchEngine::searchTimer(SearchClock* clock, int32_t limitMs) {
    platform::sleepMilliseconds(static_cast<uint32_t>(limitMs));
    // Only the last timer to wake clears the budget, decided on the result
    // of its own decrement.
    if (clock->pendingTimers.fetch_sub(1) == 1) clock->timeBudget.store(0);
    releaseClock(clock);
}

int32_t SearchEngine::evaluate() const {
    const int32_t p = computerPlayer;
    const int32_t q = p == 0 ? 1 : 0;
    // chains(), read in place: this runs at every leaf.
    const int32_t chains = board->chainMetric < 0 ? 0 : board->chainMetric;
    const int32_t v = 100 * (board->scores[p] - board->scores[q]) + chains;
    return board->sideToMove == p ? v : -v;
}

int32_t SearchEngine::search(int32_t depth, int32_t alpha, int32_t beta) {
    if (depth == 0 || board->availableCount == 0 ||
        timeBudget.load(std::memory_order_relaxed) == 0) {
        bump(leafCount);
        return evaluate();
    }
    const int32_t n = board->availableCount;
    const int32_t side = board->sideToMove;
    const int32_t s = stackTop;
    stackTop = s + n;
    board->orderedMoves(moveStack + s, kOrderCapacity);
    for (int32_t i = 0; i < n; ++i) {
        const MoveIndex m = moveStack[s + i];
        bump(nodeCount);
        board->playMove(m);
        // A move that completes a quad keeps the turn: same depth, same window.
        // A child of depth 0 is a leaf whatever else holds, so it is
        // evaluated here rather than through a call.
        int32_t v;
        if (board->sideToMove == side) {
            v = search(depth, alpha, beta);
        } else if (depth == 1) {
            bump(leafCount);
            v = -evaluate();
        } else {
            v = -search(depth - 1, -beta, -alpha);
        }
        lastValue = v;
        board->undoMove();
        if (v >= beta) {
            stackTop = s;
            return beta;
        }
        if (v > alpha) {
            if (s == 0) bestRootMove = m;
            alpha = v;
        }
    }
    stackTop = s;
    return alpha;
}

MoveIndex SearchEngine::chooseMove(int32_t maxDepth, int32_t timeLimitMs) {
    assert(board != nullptr && (computerPlayer == 0 || computerPlayer == 1) && stackTop == 0);
    nodeCount = 0;
    leafCount = 0;
    currentDepth = 0;
    const uint32_t start = platform::millisecondClock();
    // A negative limit stops at once like 0; as an unsigned sleep it would
    // keep its timer asleep for weeks and freeze time control meanwhile.
    const int32_t limit = timeLimitMs < 0 ? 0 : timeLimitMs;

    // The new timer is counted before the budget is set, so that an earlier
    // timer waking in between cannot take itself for the last one and clear
    // the new budget.
    TimerStart* timer = new (std::nothrow) TimerStart{clock, limit};
    clock->owners.fetch_add(1);
    pendingTimers.fetch_add(1);
    timeBudget.store(limit);
    if (timer == nullptr || !platform::startDetachedThread(runTimer, timer)) {
        // No timer: the search ends at its depth limit or on a stop request.
        delete timer;
        pendingTimers.fetch_sub(1);
        releaseClock(clock);
    }

    MoveIndex result = 0;
    for (int32_t d = 1; d <= maxDepth; ++d) {
        currentDepth = d;
        search(d, kRootAlpha, kRootBeta);
        // An iteration cut short is discarded, even if it got to its end.
        if (timeBudget.load() == 0) break;
        result = bestRootMove;
    }
    elapsedMs = static_cast<int32_t>(platform::millisecondClock() - start);
    return result;
}
