// Release-build checks too heavy for the sanitizer builds: the node counts of
// whole searches, and the ordering exactness on many more positions.
#include <gtest/gtest.h>

#include <climits>

#include "engine_fixture.h"
#include "exactness.h"

namespace {

TEST(SearchFigures, FreshBoardsWithoutTimeLimit) {
    const struct {
        int32_t dots, depth;
        MoveIndex move;
        int32_t nodeCount;
    } table[] = {
        {4, 9, 1, 15930832},
        {5, 6, 0, 1947474},
        {8, 4, 0, 165147},
        {26, 2, 0, 5198},
    };
    SearchEngine engine;
    for (const auto& row : table) {
        Board board(row.dots, 2);
        engine.board = &board;
        engine.computerPlayer = 0;
        EXPECT_EQ(engine.chooseMove(row.depth, kNoTimeLimit), row.move) << row.dots << " dots";
        EXPECT_EQ(engine.nodeCount, row.nodeCount) << row.dots << " dots";
        EXPECT_EQ(engine.currentDepth, row.depth);
        EXPECT_EQ(engine.stackTop, 0);
        EXPECT_EQ(board.historyLength, 0);
    }
}

TEST(SearchFigures, DepthLimitOfInt32MaxEndsItsLoop) {
    // A finished game: each of the 2^31 - 1 iterations is one leaf at the
    // root, and the loop must end after the last of them.
    Board done(2, 2);
    playAll(done, {0, 1, 2, 3});
    SearchEngine engine;
    engine.board = &done;
    engine.computerPlayer = 1;
    EXPECT_EQ(searchFigures(engine, INT32_MAX), (SearchFigures{0, INT32_MAX, 0, 0, INT32_MAX}));
}

TEST(OrderedMoves, MatchesTheLiteralSortOnThousandsOfPositionsOfEverySize) {
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n)
        expectOrderingMatchesLiteral(n, 2000, static_cast<uint32_t>(5000 + n));
}

}  // namespace
