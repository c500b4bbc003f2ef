// The computer player: iterative-deepening negamax alpha-beta with fail-hard
// bounds over the live board, stopped by a depth limit, its own timer thread
// or a stop request (requestStop, from any thread).
//
// timeBudget is the member that matters across threads: the search loads it
// once per interior node and treats every node as a leaf once it is 0.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/bit_position.h"
#include "engine/line_shapes.h"
#include "engine/time_budget.h"
#include "model/board.h"

// State that timer threads share with the engine. Timers may outlive both the
// search that started them and the engine, so the last owner frees it.
struct SearchClock {
    TimeBudget timeBudget{20000};
    std::atomic<int32_t> pendingTimers{0};  // timers still sleeping
    std::atomic<int32_t> owners{1};         // the engine plus each timer
};

class SearchEngine {
public:
    static constexpr int32_t kMoveStackEntries = 67108864;
    static constexpr int32_t kOrderCapacity = 65535;

    SearchEngine();  // throws std::bad_alloc, leaking nothing
    ~SearchEngine();
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    // The best root move of the last iteration that finished; when time runs
    // out in the first one, that iteration's best root move so far.
    MoveIndex chooseMove(int32_t maxDepth, int32_t timeLimitMs);
    int32_t search(int32_t depth, int32_t alpha, int32_t beta);
    int32_t evaluate() const;
    // Any thread: the running search, or else the next one, plays its best
    // move so far at once. One request stops one search.
    void requestStop() { timeBudget.requestStop(); }
    // Body of a timer thread: sleeps, ends its own search's budget if that
    // search is still the current one, and drops the owner reference that
    // chooseMove took for it.
    static void searchTimer(SearchClock* clock, uint32_t generation, int32_t limitMs);

    // Starts the timer thread of the search of this generation.
    void startTimer(uint32_t generation, int32_t limitMs);

    SearchClock* clock;    // shared with timer threads
    MoveIndex* moveStack;  // all open plies' candidate moves
    int32_t stackTop = 0;
    std::atomic<int32_t>& pendingTimers;  // lives in *clock
    MoveIndex bestRootMove = 0;
    int32_t lastValue = 0;
    int32_t computerPlayer = -1;  // -1: no computer player
    TimeBudget& timeBudget;       // lives in *clock
    Board* board = nullptr;       // the live board, not owned
    // Statistics, written and read by the computer turn thread only. The
    // counts are 64-bit: a long search passes 2^31 nodes within a minute.
    int64_t leafCount = 0;
    int64_t nodeCount = 0;
    // Depth of the iteration started last. Atomic so that other threads may
    // follow a running search; only the searching thread writes it.
    std::atomic<int32_t> currentDepth{0};
    int32_t elapsedMs = 0;
    uint32_t searchGeneration = 0;  // of the running or last search
    bool timeLimited = false;       // the running search has a limit of 1 ms or more

#if defined(PAXLET_NODE_BUDGET_SEAM)
    // Test builds only: the budget runs out the moment nodeCount reaches
    // nodeBudget, as if the timer had woken there, at the same node on every
    // machine. Searches that take shortcuts must stop exactly where the plain
    // search would.
    int64_t nodeBudget = INT64_MAX;
#endif

    // Boards that fit in machine words (up to BitPosition::kMaxDots per
    // side) are searched on a copy in words. Larger ones, from this many
    // dots per side, have their line shapes kept up to date during the
    // search: there it costs less than counting them.
    static constexpr int32_t kTrackShapesFromDots = 6;
    enum class Mirror { none, keptShapes, words };
    Mirror mirror = Mirror::none;  // during a chooseMove
    LineShapes lineShapes;
    BitPosition bitPosition;

private:
    // The search itself, compiled for the population count instruction:
    // only the word copy's PopCount::instruction counts use it, where the
    // processor has it; no other instantiation may count bits at all, since
    // the compiler would turn the counting into the instruction here.
    template <typename Position>
    PAXLET_POPCNT_TARGET int32_t searchNode(Position& position, int32_t depth, int32_t alpha,
                                            int32_t beta);
    template <typename Position>
    PAXLET_POPCNT_TARGET int32_t searchLeafParent(Position& position, int32_t alpha, int32_t beta);
    struct QuietValues;
    template <typename Position>
    PAXLET_POPCNT_TARGET int32_t searchLeafMoves(Position& position, const ShapeCounts& shapes,
                                                 const QuietValues& values, int32_t skipped,
                                                 int32_t alpha, int32_t beta);
    template <typename Position, typename ChildValue>
    PAXLET_POPCNT_TARGET int32_t searchMoves(const Position& position, const ShapeCounts& shapes,
                                             int32_t first, int32_t& alpha, int32_t beta,
                                             ChildValue childValue);
    template <typename Position>
    PAXLET_POPCNT_TARGET int32_t searchChildOfDepth1(Position& position, MoveIndex move,
                                                     int32_t shape, const ShapeCounts& shapes,
                                                     int32_t alpha, int32_t beta);
    struct QuietValues {
        int32_t value[kFirstCaptureShape];
    };
    QuietValues quietValues(int32_t mover, int32_t metric, int32_t lead) const;
    int32_t valueOf(int32_t mover, int32_t metric, int32_t lead) const;
    template <typename Position>
    int32_t leadAfter(const Position& position, int32_t mover, int32_t completed) const;

    // Every count of played (or, by a shortcut, accounted) moves goes here.
    void countNodes(int64_t count) {
        nodeCount += count;
#if defined(PAXLET_NODE_BUDGET_SEAM)
        if (nodeCount >= nodeBudget) timeBudget.expire(searchGeneration);
#endif
    }
};
