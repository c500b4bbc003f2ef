#include "solver/solver.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "solver/solver_search.h"

namespace {

// Words of a line set for n dots: 1 up to 6 dots, 2 up to 8, else the largest.
constexpr int32_t kWideWords = (2 * kMaxDotsPerSide * (kMaxDotsPerSide - 1) + 63) / 64;

int32_t wordsFor(int32_t lineCount) {
    if (lineCount <= 64) return 1;
    if (lineCount <= 128) return 2;
    return kWideWords;
}

// threshold: INT32_MIN for a whole solve, else the one test to make.
template <int W>
SolveResult runSearch(SolverTables& tables, const uint8_t* drawn, int64_t ms, bool allBest,
                      int32_t threshold, const Solver& owner) {
    SolverSearch<W> search(tables, drawn, ms, owner);
    return threshold == INT32_MIN ? search.run(allBest) : search.test(threshold);
}

SolveResult searchLines(SolverTables& tables, int32_t dotsPerSide, const uint8_t* drawn, int64_t ms,
                        bool allBest, int32_t threshold, const Solver& owner) {
    const int32_t words = wordsFor(2 * dotsPerSide * (dotsPerSide - 1));
    tables.prepare(dotsPerSide);
    if (words == 1) return runSearch<1>(tables, drawn, ms, allBest, threshold, owner);
    if (words == 2) return runSearch<2>(tables, drawn, ms, allBest, threshold, owner);
    return runSearch<kWideWords>(tables, drawn, ms, allBest, threshold, owner);
}

}  // namespace

void SolverTables::prepare(int32_t n) {
    if (tableDots != 0 && tableDots != n) {
        std::memset(table, 0, tableBytesTouched);
        tableEntriesUsed = 0;
        tableBytesTouched = 0;
    }
    tableDots = n;
    generation = uint8_t(generation == 255 ? 1 : generation + 1);
    if (geometry.dotsPerSide == n) return;

    geometry.build(n);
    const size_t lines = size_t(geometry.lineCount);
    moves.assign(lines * (lines + 1), 0);
    listed.assign(lines * (lines + 1), Listed{});
    sides.assign(size_t(geometry.quadCount), 0);
    marks.assign(size_t(geometry.quadCount), 0);
    stamp = 0;
}

Solver::Solver(size_t hashMegabytes) : tables_(std::make_unique<SolverTables>()) {
    // Zeroed pages are had from the system as they are first written, so a
    // small board touches little of a large table.
    const size_t bytes = hashMegabytes << 20;
    if (hashMegabytes == 0 || bytes >> 20 != hashMegabytes) throw kOutOfMemory;
    tables_->table = std::calloc(bytes, 1);
    if (tables_->table == nullptr) throw kOutOfMemory;
    tables_->tableBytes = bytes;
}

Solver::~Solver() { std::free(tables_->table); }

SolveResult Solver::solve(const Board& board, int64_t timeLimitMs) {
    std::vector<uint8_t> drawn(size_t(board.lineCount));
    for (int32_t l = 0; l < board.lineCount; ++l) drawn[l] = board.lines[l].owner != 0;
    return solveLines(board.dotsPerSide, drawn.data(), timeLimitMs, true);
}

SolveResult Solver::solveLines(int32_t dotsPerSide, const uint8_t* drawn, int64_t timeLimitMs,
                               bool allBest) {
    return searchLines(*tables_, dotsPerSide, drawn, timeLimitMs, allBest, INT32_MIN, *this);
}

SolveResult Solver::testLines(int32_t dotsPerSide, const uint8_t* drawn, int32_t threshold,
                              int64_t timeLimitMs) {
    return searchLines(*tables_, dotsPerSide, drawn, timeLimitMs, false, threshold, *this);
}
