// The computer player's search: iterative deepening over a negamax
// alpha-beta search with fail-hard bounds, and the timer threads that end it.
#include "engine/search_engine.h"

#include <cassert>
#include <new>

#include "engine/move_ordering.h"
#include "platform/platform.h"

namespace {

// The root window; both bounds lie far outside any evaluation (|v| <= 63,125).
constexpr int32_t kRootAlpha = -1879048193;
constexpr int32_t kRootBeta = 2147483647;

// What a timer thread needs; it holds one owner reference on clock.
struct TimerStart {
    SearchClock* clock;
    uint32_t generation;
    int32_t limitMs;
};

// A root entered with an empty budget is a leaf, and its iteration yields no
// move, unless a stop request emptied the budget before the first iteration
// got to its root: asked to play at once, the computer still tries each root
// move, one leaf each, rather than answer with line 0, which may be drawn.
bool rootTakesStop(const SearchEngine& engine) {
    return engine.stackTop == 0 && engine.currentDepth.load(std::memory_order_relaxed) == 1 &&
           engine.timeBudget.stopRequested(std::memory_order_relaxed);
}

void releaseClock(SearchClock* clock) {
    // acq_rel: the owner that frees the clock sees every other owner's last use.
    if (clock->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete clock;
}

void runTimer(void* argument) {
    const TimerStart start = *static_cast<TimerStart*>(argument);
    delete static_cast<TimerStart*>(argument);
    SearchEngine::searchTimer(start.clock, start.generation, start.limitMs);
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

void SearchEngine::searchTimer(SearchClock* clock, uint32_t generation, int32_t limitMs) {
    platform::sleepMilliseconds(static_cast<uint32_t>(limitMs));
    clock->pendingTimers.fetch_sub(1);
    // A timer of an earlier search neither cuts a later one short nor keeps
    // it going: each search ends at its own limit.
    clock->timeBudget.expire(generation);
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
        (timeBudget.load(std::memory_order_relaxed) == 0 && !rootTakesStop(*this))) {
        ++leafCount;
        return evaluate();
    }
    const int32_t n = board->availableCount;
    const int32_t side = board->sideToMove;
    const int32_t s = stackTop;
    // The promised capacity is really there: no board has more than 1,300
    // lines, so its plies never use more than 845,650 entries.
    assert(s + kOrderCapacity <= kMoveStackEntries);
    stackTop = s + n;
    orderedMoves(*board, moveStack + s, kOrderCapacity);
    for (int32_t i = 0; i < n; ++i) {
        const MoveIndex m = moveStack[s + i];
        countNodes(1);
        board->playMove(m);
        // A move that completes a quad keeps the turn: same depth, same window.
        // A child of depth 0 is a leaf whatever else holds, so it is
        // evaluated here rather than through a call.
        int32_t v;
        if (board->sideToMove == side) {
            v = search(depth, alpha, beta);
        } else if (depth == 1) {
            ++leafCount;
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
    // keep its timer asleep for weeks.
    const int32_t limit = timeLimitMs < 0 ? 0 : timeLimitMs;
    searchGeneration = timeBudget.begin(limit);
    startTimer(searchGeneration, limit);

    MoveIndex result = 0;
    // 64-bit, so that a depth limit of INT32_MAX ends the loop.
    for (int64_t d = 1; d <= maxDepth; ++d) {
        currentDepth.store(static_cast<int32_t>(d), std::memory_order_relaxed);
        search(static_cast<int32_t>(d), kRootAlpha, kRootBeta);
        if (timeBudget.load() == 0) {
            // An iteration cut short is discarded, even if it got to its end;
            // but when the first one is, its best root move so far beats no
            // move at all. It has one once the root has played a move, since
            // the first root move always raises alpha.
            if (d == 1 && nodeCount > 0) result = bestRootMove;
            break;
        }
        result = bestRootMove;
    }
    // A stop request that came during this search was for this search.
    timeBudget.clearStopRequest();
    elapsedMs = static_cast<int32_t>(platform::millisecondClock() - start);
    return result;
}

void SearchEngine::startTimer(uint32_t generation, int32_t limitMs) {
    // Counted before its thread runs, so that pendingTimers includes every
    // timer this engine has asked for as soon as chooseMove goes on.
    TimerStart* timer = new (std::nothrow) TimerStart{clock, generation, limitMs};
    clock->owners.fetch_add(1);
    pendingTimers.fetch_add(1);
    if (timer == nullptr || !platform::startDetachedThread(runTimer, timer)) {
        // No timer: the search ends at its depth limit or on a stop request.
        delete timer;
        pendingTimers.fetch_sub(1);
        releaseClock(clock);
    }
}
