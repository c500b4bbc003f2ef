// The move ordering along long random walks of plays and take-backs, mixed:
// after every step the fast ordering must equal the literal one, every line's
// key must be the one its neighbours' drawn sides give, and the board's
// scores and chain metric must be what its quads say. Now and then the
// engine searches the position on the way (a short budget), so that whatever
// a search leaves behind is walked on too.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "search_exactness.h"

namespace exactness {

// The priority class from the table of neighbour shapes, undrawn lines only.
inline int32_t literalPriorityClass(const Line& line) {
    if (line.owner != 0) return 100;
    const int32_t a = line.quadA ? line.quadA->drawnSides() : 0;
    const int32_t b = line.quadB ? line.quadB->drawnSides() : 0;
    if (a == 3 && b == 3) return 0;
    if (a == 3 || b == 3) return 1;
    if (a == 0 && b == 0) return 2;
    if (a <= 1 && b <= 1) return 3;
    if (a == 2 && b == 2) return 4;
    return 5;
}

inline void expectBoardAgreesWithItsQuads(const Board& b, int32_t step) {
    int32_t chains = 0;
    int32_t scores[2] = {0, 0};
    for (int32_t k = 0; k < b.quadCount; ++k) {
        chains += b.quads[k].drawnSides() == 2;
        if (b.quads[k].owner != 0) ++scores[b.quads[k].owner - 1];
    }
    ASSERT_EQ(b.chainMetric, chains) << "step " << step;
    ASSERT_EQ(b.scores[0], scores[0]) << "step " << step;
    ASSERT_EQ(b.scores[1], scores[1]) << "step " << step;
}

inline void expectKeysAgree(const Board& b, int32_t step) {
    for (int32_t i = 0; i < b.lineCount; ++i)
        ASSERT_EQ(priorityKey(b.lines[i]), b.lineCount + literalPriorityClass(b.lines[i]))
            << "line " << i << ", step " << step;
}

inline void expectOrderingAgrees(Board& b, std::vector<MoveIndex>& fast,
                                 std::vector<MoveIndex>& plain, int32_t step) {
    const int32_t count = orderedMoves(b, fast.data(), b.lineCount);
    literal::orderedMoves(b, plain.data(), b.lineCount);
    ASSERT_EQ(count, b.availableCount) << "step " << step;
    for (int32_t i = 0; i < count; ++i)
        ASSERT_EQ(fast[static_cast<size_t>(i)], plain[static_cast<size_t>(i)])
            << "entry " << i << " of " << count << ", step " << step;
}

// A walk of the given number of steps on a board of n dots. The chance to
// play rather than take back changes every few dozen steps, so the walk
// goes through long runs of plays, long runs of take-backs and mixtures.
inline void walkOrderings(int32_t n, uint32_t seed, int32_t steps, int32_t searchEvery) {
    SCOPED_TRACE(::testing::Message() << n << " dots, seed " << seed);
    std::mt19937 random(seed);
    Board b(n, 2);
    std::vector<MoveIndex> fast(static_cast<size_t>(b.lineCount));
    std::vector<MoveIndex> plain(static_cast<size_t>(b.lineCount));
    Searchers searchers;
    const uint32_t playChances[] = {90, 70, 50, 30, 10};
    uint32_t playChance = 50;
    for (int32_t step = 0; step < steps; ++step) {
        if (step % 37 == 0) playChance = playChances[random() % 5];
        const bool play =
            b.historyLength == 0 || (b.availableCount > 0 && random() % 100 < playChance);
        if (play)
            playRandomLine(b, random);
        else
            b.undoMove();
        expectBoardAgreesWithItsQuads(b, step);
        expectKeysAgree(b, step);
        // The literal sort is quadratic where most keys are equal: on big
        // boards it runs at every step only once few lines are left.
        const int32_t sortEvery = std::max(1, b.availableCount * b.availableCount / 14400);
        if (step % sortEvery == 0) expectOrderingAgrees(b, fast, plain, step);
        if (::testing::Test::HasFatalFailure()) return;

        if (searchEvery > 0 && step % searchEvery == searchEvery - 1) {
            const int32_t player = static_cast<int32_t>(random() % 2);
            const int32_t depth = 1 + static_cast<int32_t>(random() % 4);
            const int64_t budget = 1 + static_cast<int64_t>(random() % 400);
            const Comparison c = compareSearches(b, player, depth, budget, false, searchers);
            ASSERT_EQ(c.fast, c.plain)
                << "search at step " << step << ", depth " << depth << ", node budget " << budget;
            expectOrderingAgrees(b, fast, plain, step);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

}  // namespace exactness
