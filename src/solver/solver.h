// The exact solver: the value of a position under perfect play from here on,
// and every line that achieves it.
//
// The future of a game depends only on the set of drawn lines, not on the
// score so far or on who drew what, so a position is that set and its value is
// the net number of quads the side to move will still take. The search is a
// null-window negamax over line sets with a transposition table of value
// bounds (keyed by the set's least image under the square's symmetries), the
// capture reductions of the game, and an exact evaluation of endgames made of
// independent chains and loops. Solver::solve is the member that matters; the
// table is allocated once, in the constructor, and nothing else grows.
#pragma once

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/board.h"

// What a solve finds beyond the value; each asks for more searches than the last.
enum class SolveDetail : uint8_t {
    Value,   // the value alone
    Best,    // and every undrawn line that achieves it
    Values,  // and every undrawn line's own value, the best lines with them
};

struct SolveResult {
    static constexpr int32_t kDrawn = INT32_MIN;  // in values: a line already drawn

    bool solved = false;  // false: time ran out; lower/upper hold what was proved
    int32_t value = 0;    // exact when solved: quads the side to move still takes minus the other's
    int32_t lower = 0, upper = 0;
    std::vector<MoveIndex>
        best;  // every undrawn line achieving value, in index order (when solved)
    // With SolveDetail::Values, when solved: per line index, what drawing it
    // is worth to the side to move with perfect play afterwards, the quads it
    // completes included; kDrawn for drawn lines.
    std::vector<int32_t> values;
    uint64_t nodes = 0;  // of all threads together
    int64_t ms = 0;
    int32_t threads = 1;
};

// What a long solve reports about itself, at most once a second.
struct SolveProgress {
    uint64_t nodes = 0;
    int64_t ms = 0;
    int32_t lower = 0, upper = 0;  // bounds of the value proved so far
    int32_t tablePermille = 0;     // share of the table's entries in use
};

struct SolverTables;

class Solver {
public:
    static constexpr int32_t kMaxThreads = 256;

    // Allocates the table of hashMegabytes MiB once; throws kOutOfMemory when
    // it cannot be had. threads (1 to kMaxThreads) search each solve together,
    // sharing the table; 1 searches on the calling thread alone.
    explicit Solver(size_t hashMegabytes, int32_t threads = 1);
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // Any board of 2 to 26 dots; a negative limit is none. Results never
    // depend on what earlier solves left in the table.
    // The value, best lines and line values are the same for any number of
    // threads; the node counts are not.
    SolveResult solve(const Board& board, int64_t timeLimitMs,
                      SolveDetail detail = SolveDetail::Best);
    // The same for a bare line set: drawn[i] non-zero for each drawn line of a
    // board of dotsPerSide dots.
    SolveResult solveLines(int32_t dotsPerSide, const uint8_t* drawn, int64_t timeLimitMs,
                           SolveDetail detail = SolveDetail::Best);

    // One null-window test of the value against threshold, for splitting a
    // long solve over processes: solved when it ended in time, and then
    // lower >= threshold (it holds) or upper < threshold (it does not).
    SolveResult testLines(int32_t dotsPerSide, const uint8_t* drawn, int32_t threshold,
                          int64_t timeLimitMs);

    int32_t threads() const { return threads_; }

    // Called from the first search thread with the figures of a running solve, at
    // most once a second; null for silence.
    void (*progress)(const SolveProgress& figures, void* context) = nullptr;
    void* progressContext = nullptr;
    // Set by another thread to end a running solve at its next clock check
    // (a few thousand nodes at most): it then reports what it proved, as one
    // out of time does. Null for none; its owner clears it between solves.
    const std::atomic<bool>* stop = nullptr;

private:
    std::unique_ptr<SolverTables> tables_;
    int32_t threads_ = 1;
};
