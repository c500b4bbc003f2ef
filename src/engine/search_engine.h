// The computer player: iterative-deepening negamax alpha-beta with fail-hard
// bounds over the live board, stopped by a depth limit, a timer thread or a
// stop request (any thread storing 0 into timeBudget).
//
// timeBudget is the member that matters across threads: the search loads it
// once per interior node and treats every node as a leaf once it is 0.
#pragma once

#include <atomic>
#include <cstdint>

#include "model/board.h"

// State that timer threads share with the engine. Timers may outlive both the
// search that started them and the engine, so the last owner frees it.
struct SearchClock {
    std::atomic<int32_t> timeBudget{20000};   // milliseconds; 0 means stop
    std::atomic<int32_t> pendingTimers{0};    // timers still sleeping
    std::atomic<int32_t> owners{1};           // the engine plus each timer
};

class SearchEngine {
public:
    static constexpr int32_t kMoveStackEntries = 67108864;
    static constexpr int32_t kOrderCapacity = 65535;

    SearchEngine();   // throws std::bad_alloc, leaking nothing
    ~SearchEngine();
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    MoveIndex chooseMove(int32_t maxDepth, int32_t timeLimitMs);
    int32_t search(int32_t depth, int32_t alpha, int32_t beta);
    int32_t evaluate() const;
    // Body of a timer thread: sleeps, clears the budget if it is the last timer
    // to wake, and drops the owner reference that chooseMove took for it.
    static void searchTimer(SearchClock* clock, int32_t limitMs);

    SearchClock* clock;                   // shared with timer threads
    MoveIndex* moveStack;                 // all open plies' candidate moves
    int32_t stackTop = 0;
    std::atomic<int32_t>& pendingTimers;  // lives in *clock
    MoveIndex bestRootMove = 0;
    int32_t lastValue = 0;
    int32_t computerPlayer = -1;          // -1: no computer player
    std::atomic<int32_t>& timeBudget;     // lives in *clock
    Board* board = nullptr;               // the live board, not owned
    // Statistics, written and read by the computer turn thread only.
    int32_t leafCount = 0;
    int32_t nodeCount = 0;
    int32_t currentDepth = 0;
    int32_t elapsedMs = 0;
};
