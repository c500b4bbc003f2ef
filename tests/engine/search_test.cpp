// The search's exact figures: moves chosen, leaf and node counts, values.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

struct SearchTest : ::testing::Test {
    SearchEngine engine;
    void playFor(Board& board, int32_t player) {
        engine.board = &board;
        engine.computerPlayer = player;
    }
};

TEST_F(SearchTest, FreshThreeDotBoard) {
    OwnedBoard board(3);
    playFor(board.board, 0);
    EXPECT_EQ(searchFigures(engine, 1), (SearchFigures{0, 12, 12, 0, 1}));
    EXPECT_EQ(searchFigures(engine, 3), (SearchFigures{3, 291, 352, 2, 3}));
    EXPECT_EQ(engine.stackTop, 0);
    EXPECT_EQ(board->availableCount, 12);
    EXPECT_EQ(board->historyLength, 0);
}

TEST_F(SearchTest, ThreeDotBoardWithAQuadToTake) {
    OwnedBoard board(3);
    playAll(board.board, {0, 2, 11, 5});
    ASSERT_EQ(board->sideToMove, 0);
    playFor(board.board, 0);
    EXPECT_EQ(searchFigures(engine, 1), (SearchFigures{3, 14, 15, 1, 1}));
    EXPECT_EQ(searchFigures(engine, 2), (SearchFigures{3, 53, 76, 101, 2}));
}

}  // namespace
