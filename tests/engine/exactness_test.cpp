// The engine's search and ordering against their literal versions: known
// figures first, then random positions of every size, whole and cut short
// after exactly N nodes, and orderings along random walks of plays and
// take-backs. The release-only test runs the same checks on many more.
#include <gtest/gtest.h>

#include "ordering_walk.h"
#include "search_exactness.h"

namespace {

using exactness::Figures;

Figures literalFigures(Board& b, int32_t player, int32_t depth) {
    literal::LiteralSearch plain;
    plain.board = &b;
    plain.computerPlayer = player;
    const MoveIndex move = plain.chooseMove(depth);
    return {move,
            plain.leafCount,
            plain.nodeCount,
            plain.lastValue,
            plain.currentDepth,
            plain.bestRootMove};
}

// The reference itself must be the engine's search: these are the figures
// of the engine as first written.
TEST(LiteralSearch, GivesTheKnownFiguresOfThreeDotBoards) {
    Board fresh(3, 2);
    EXPECT_EQ(literalFigures(fresh, 0, 1), (Figures{0, 12, 12, 0, 1, 0}));
    EXPECT_EQ(literalFigures(fresh, 0, 3), (Figures{3, 291, 352, 2, 3, 3}));

    Board quadToTake(3, 2);
    playAll(quadToTake, {0, 2, 11, 5});
    EXPECT_EQ(literalFigures(quadToTake, 0, 1), (Figures{3, 14, 15, 1, 1, 3}));
    EXPECT_EQ(literalFigures(quadToTake, 0, 2), (Figures{3, 53, 76, 101, 2, 3}));
}

TEST(LiteralSearch, EndsItsIterationsWhereTheBudgetRunsOut) {
    Board fresh(3, 2);
    literal::LiteralSearch plain;
    plain.board = &fresh;
    plain.chooseMove(3);
    ASSERT_EQ(plain.iterationEnds, (std::vector<int64_t>{12, 46, 352}));
    // A budget that runs out on the last node of an iteration discards it.
    plain.nodeBudget = 46;
    EXPECT_EQ(plain.chooseMove(3), 0);
    EXPECT_EQ(plain.currentDepth, 2);
    EXPECT_EQ(plain.iterationEnds, (std::vector<int64_t>{12}));
    plain.nodeBudget = 47;
    plain.chooseMove(3);
    EXPECT_EQ(plain.currentDepth, 3);
    EXPECT_EQ(plain.iterationEnds, (std::vector<int64_t>{12, 46}));
}

TEST(SearchExactness, KnownPositionsUnderEveryBudget) {
    exactness::Searchers searchers;
    Board fresh(3, 2);
    for (int64_t budget = 1; budget <= 353; ++budget) {
        const exactness::Comparison c =
            exactness::compareSearches(fresh, 0, 3, budget, false, searchers);
        ASSERT_EQ(c.fast, c.plain) << "node budget " << budget;
    }
    Board quadToTake(3, 2);
    playAll(quadToTake, {0, 2, 11, 5});
    for (int32_t player = 0; player < 2; ++player)
        for (int64_t budget = 1; budget <= 77; ++budget) {
            const exactness::Comparison c =
                exactness::compareSearches(quadToTake, player, 2, budget, false, searchers);
            ASSERT_EQ(c.fast, c.plain) << "player " << player << ", node budget " << budget;
        }
}

TEST(SearchExactness, RandomPositionsOfEverySize) {
    const exactness::Volume volume{60000, 20000, 8, 3};
    exactness::checkEverySize(150, 1000, volume);
}

TEST(SearchExactness, OrderingsAlongWalksOfPlaysAndTakeBacks) {
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n) {
        exactness::walkOrderings(n, static_cast<uint32_t>(77 + n), n <= 10 ? 600 : 150, 25);
        if (HasFailure()) return;
    }
}

}  // namespace
