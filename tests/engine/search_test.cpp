// The search's exact figures: moves chosen, leaf and node counts, values, and
// the results of searches that cannot run a single iteration.
#include <gtest/gtest.h>

#include <climits>

#include "engine_fixture.h"

namespace {

struct SearchTest : ::testing::Test {
    SearchEngine engine;
    void playFor(Board& board, int32_t player) {
        engine.board = &board;
        engine.computerPlayer = player;
    }
};

TEST_F(SearchTest, InitialState) {
    EXPECT_EQ(engine.stackTop, 0);
    EXPECT_EQ(engine.pendingTimers.load(), 0);
    EXPECT_EQ(engine.timeBudget.load(), 20000);
    EXPECT_EQ(engine.computerPlayer, -1);
    EXPECT_EQ(engine.board, nullptr);
    EXPECT_EQ(engine.bestRootMove, 0);
    EXPECT_EQ(engine.lastValue, 0);
    EXPECT_EQ(engine.leafCount + engine.nodeCount + engine.currentDepth + engine.elapsedMs, 0);
}

TEST_F(SearchTest, FreshThreeDotBoard) {
    OwnedBoard board(3);
    playFor(board.board, 0);
    EXPECT_EQ(searchFigures(engine, 1), (SearchFigures{0, 12, 12, 0, 1}));
    EXPECT_EQ(searchFigures(engine, 3), (SearchFigures{3, 291, 352, 2, 3}));
    EXPECT_EQ(engine.stackTop, 0);
    EXPECT_EQ(board->availableCount, 12);
    EXPECT_EQ(board->historyLength, 0);
    // The same search again sees the same move order: the same figures.
    EXPECT_EQ(searchFigures(engine, 3), (SearchFigures{3, 291, 352, 2, 3}));
}

TEST_F(SearchTest, ThreeDotBoardWithAQuadToTake) {
    // Top-left quad at three drawn sides; move 3 completes it, and the depth-1
    // search carries on with player 0's next moves before it evaluates.
    OwnedBoard board(3);
    playAll(board.board, {0, 2, 11, 5});
    ASSERT_EQ(board->sideToMove, 0);
    playFor(board.board, 0);
    EXPECT_EQ(searchFigures(engine, 1), (SearchFigures{3, 14, 15, 1, 1}));
    EXPECT_EQ(searchFigures(engine, 2), (SearchFigures{3, 53, 76, 101, 2}));
    EXPECT_EQ(board->historyLength, 4);
    EXPECT_EQ(board->sideToMove, 0);
}

TEST_F(SearchTest, EvaluationIsSeenFromTheSideToMove) {
    OwnedBoard board(4);
    playFor(board.board, 0);
    board->scores[0] = 3;
    board->scores[1] = 1;
    board->chainMetric = 4;
    board->sideToMove = 0;
    EXPECT_EQ(engine.evaluate(), 204);
    board->sideToMove = 1;
    EXPECT_EQ(engine.evaluate(), -204);
    // The chain metric counts for the engine's player, whoever that is.
    engine.computerPlayer = 1;
    EXPECT_EQ(engine.evaluate(), -196);
    board->sideToMove = 0;
    EXPECT_EQ(engine.evaluate(), 196);
}

TEST_F(SearchTest, NoIterationForADepthBelowOne) {
    OwnedBoard board(3);
    playAll(board.board, {0, 2, 11, 5});
    playFor(board.board, 0);
    ASSERT_EQ(engine.chooseMove(1, kNoTimeLimit), 3);
    for (int32_t depth : {0, -4}) {
        EXPECT_EQ(searchFigures(engine, depth), (SearchFigures{0, 0, 0, 1, 0}));
        EXPECT_GE(engine.elapsedMs, 0);
    }
    // A timer was started all the same, one per call.
    EXPECT_EQ(engine.pendingTimers.load(), 3);
}

TEST_F(SearchTest, TimeLimitZeroGivesOneLeafAtTheRoot) {
    OwnedBoard board(3);
    playAll(board.board, {0, 2, 11, 5});
    playFor(board.board, 0);
    ASSERT_EQ(engine.chooseMove(1, kNoTimeLimit), 3);
    const SearchFigures f = searchFigures(engine, 5, 0);
    EXPECT_EQ(f.move, 0);
    EXPECT_EQ(f.leafCount, 1);
    EXPECT_EQ(f.nodeCount, 0);
    EXPECT_EQ(f.currentDepth, 1);
    EXPECT_EQ(engine.timeBudget.load(), 0);
}

TEST_F(SearchTest, FinishedGameReturnsThePreviousBestRootMove) {
    OwnedBoard earlier(3);
    playAll(earlier.board, {0, 2, 11, 5});
    playFor(earlier.board, 0);
    ASSERT_EQ(engine.chooseMove(2, kNoTimeLimit), 3);

    OwnedBoard done(2);
    playAll(done.board, {0, 1, 2, 3});
    playFor(done.board, 1);
    const SearchFigures f = searchFigures(engine, 6);
    EXPECT_EQ(f.move, 3);
    EXPECT_EQ(f.leafCount, 6);
    EXPECT_EQ(f.nodeCount, 0);
    EXPECT_EQ(f.currentDepth, 6);
}

TEST_F(SearchTest, CountersWrapInsteadOfOverflowing) {
    OwnedBoard board(3);
    playFor(board.board, 0);
    engine.timeBudget = 1000;
    engine.leafCount = INT32_MAX;
    engine.nodeCount = INT32_MAX - 1;
    engine.search(1, -1879048193, 2147483647);
    EXPECT_EQ(engine.leafCount, INT32_MIN + 11);
    EXPECT_EQ(engine.nodeCount, INT32_MIN + 10);
    EXPECT_EQ(engine.stackTop, 0);
}

TEST_F(SearchTest, SearchLeavesTheBoardExactlyAsItWas) {
    // Also after a search that completes quads on the way: available order,
    // slots, scores and turn all come back.
    OwnedBoard board(4);
    playAll(board.board, {0, 3, 7, 1, 5, 12, 15});
    std::vector<MoveIndex> available;
    for (int32_t i = 0; i < board->lineCount; ++i) available.push_back(board->available[i]->index);
    const int32_t side = board->sideToMove;
    playFor(board.board, side);
    engine.chooseMove(4, kNoTimeLimit);
    std::vector<MoveIndex> after;
    for (int32_t i = 0; i < board->lineCount; ++i) after.push_back(board->available[i]->index);
    EXPECT_EQ(after, available);
    EXPECT_EQ(board->sideToMove, side);
    EXPECT_EQ(board->scores[0] + board->scores[1], 0);
    EXPECT_EQ(board->historyLength, 7);
}

}  // namespace
