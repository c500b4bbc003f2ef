// The search's exact figures: moves chosen, leaf and node counts, values, and
// the results of searches that cannot run a single iteration.
#include <gtest/gtest.h>

#include <climits>
#include <string>

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
    Board board(3, 2);
    playFor(board, 0);
    EXPECT_EQ(searchFigures(engine, 1), (SearchFigures{0, 12, 12, 0, 1}));
    EXPECT_EQ(searchFigures(engine, 3), (SearchFigures{3, 291, 352, 2, 3}));
    EXPECT_EQ(engine.stackTop, 0);
    EXPECT_EQ(board.availableCount, 12);
    EXPECT_EQ(board.historyLength, 0);
    // The same search again sees the same move order: the same figures.
    EXPECT_EQ(searchFigures(engine, 3), (SearchFigures{3, 291, 352, 2, 3}));
}

TEST_F(SearchTest, ThreeDotBoardWithAQuadToTake) {
    // Top-left quad at three drawn sides; move 3 completes it, and the depth-1
    // search carries on with player 0's next moves before it evaluates.
    Board board(3, 2);
    playAll(board, {0, 2, 11, 5});
    ASSERT_EQ(board.sideToMove, 0);
    playFor(board, 0);
    EXPECT_EQ(searchFigures(engine, 1), (SearchFigures{3, 14, 15, 1, 1}));
    EXPECT_EQ(searchFigures(engine, 2), (SearchFigures{3, 53, 76, 101, 2}));
    EXPECT_EQ(board.historyLength, 4);
    EXPECT_EQ(board.sideToMove, 0);
}

TEST_F(SearchTest, EvaluationIsSeenFromTheSideToMove) {
    Board board(4, 2);
    playFor(board, 0);
    board.scores[0] = 3;
    board.scores[1] = 1;
    board.chainMetric = 4;
    board.sideToMove = 0;
    EXPECT_EQ(engine.evaluate(), 204);
    board.sideToMove = 1;
    EXPECT_EQ(engine.evaluate(), -204);
    // The chain metric counts for the engine's player, whoever that is.
    engine.computerPlayer = 1;
    EXPECT_EQ(engine.evaluate(), -196);
    board.sideToMove = 0;
    EXPECT_EQ(engine.evaluate(), 196);
}

TEST_F(SearchTest, NoIterationForADepthBelowOne) {
    Board board(3, 2);
    playAll(board, {0, 2, 11, 5});
    playFor(board, 0);
    ASSERT_EQ(engine.chooseMove(1, kNoTimeLimit), 3);
    for (int32_t depth : {0, -4, INT32_MIN})
        EXPECT_EQ(searchFigures(engine, depth), (SearchFigures{0, 0, 0, 1, 0}));
    // A timer was started all the same, one per call.
    EXPECT_EQ(engine.pendingTimers.load(), 4);
}

TEST_F(SearchTest, TimeLimitZeroGivesOneLeafAtTheRoot) {
    Board board(3, 2);
    playAll(board, {0, 2, 11, 5});
    playFor(board, 0);
    ASSERT_EQ(engine.chooseMove(1, kNoTimeLimit), 3);
    const SearchFigures f = searchFigures(engine, 5, 0);
    EXPECT_EQ(f.move, 0);
    EXPECT_EQ(f.leafCount, 1);
    EXPECT_EQ(f.nodeCount, 0);
    EXPECT_EQ(f.currentDepth, 1);
    EXPECT_EQ(engine.timeBudget.load(), 0);
}

TEST_F(SearchTest, FinishedGameReturnsThePreviousBestRootMove) {
    Board earlier(3, 2);
    playAll(earlier, {0, 2, 11, 5});
    playFor(earlier, 0);
    ASSERT_EQ(engine.chooseMove(2, kNoTimeLimit), 3);

    Board done(2, 2);
    playAll(done, {0, 1, 2, 3});
    playFor(done, 1);
    const SearchFigures f = searchFigures(engine, 6);
    EXPECT_EQ(f.move, 3);
    EXPECT_EQ(f.leafCount, 6);
    EXPECT_EQ(f.nodeCount, 0);
    EXPECT_EQ(f.currentDepth, 6);
}

TEST_F(SearchTest, CountersGoPastTwoToTheThirtyFirst) {
    Board board(3, 2);
    playFor(board, 0);
    engine.timeBudget.begin(1000);
    engine.leafCount = INT32_MAX;
    engine.nodeCount = INT32_MAX - 1;
    engine.search(1, -1879048193, 2147483647);
    EXPECT_EQ(engine.leafCount, int64_t{INT32_MAX} + 12);
    EXPECT_EQ(engine.nodeCount, int64_t{INT32_MAX} + 11);
    EXPECT_EQ(engine.stackTop, 0);
}

TEST_F(SearchTest, SearchLeavesTheBoardExactlyAsItWas) {
    // Also after a search that completes quads on the way: available order,
    // slots, scores and turn all come back.
    Board board(4, 2);
    playAll(board, {0, 3, 7, 1, 5, 12, 15});
    std::vector<MoveIndex> available;
    for (int32_t i = 0; i < board.lineCount; ++i) available.push_back(board.available[i]->index);
    const int32_t side = board.sideToMove;
    playFor(board, side);
    engine.chooseMove(4, kNoTimeLimit);
    std::vector<MoveIndex> after;
    for (int32_t i = 0; i < board.lineCount; ++i) after.push_back(board.available[i]->index);
    EXPECT_EQ(after, available);
    EXPECT_EQ(board.sideToMove, side);
    EXPECT_EQ(board.scores[0] + board.scores[1], 0);
    EXPECT_EQ(board.historyLength, 7);
}

}  // namespace

// Endgames in which depth 1 alone runs for minutes: a long chain opened in
// its middle can be taken from both ends in any interleaving. Time runs out
// in the first iteration, and the computer must still answer with a line it
// can draw, not line 0, which is drawn in all of these.
namespace {

// From a game on 6 dots that ended in "AI-Errored".
const char* const kSixDotEndgame[] = {"C5-D5", "E2-E3", "C5-C6", "B2-C2", "A1-B1", "B5-B6", "C3-D3",
                                      "B3-B4", "E4-F4", "A5-A6", "D2-E2", "E5-F5", "D4-D5", "E3-F3",
                                      "B1-B2", "E1-F1", "D1-E1", "F5-F6", "D6-E6", "E5-E6", "D4-E4",
                                      "D5-E5", "C4-D4", "A4-B4", "A6-B6", "B3-C3", "D3-E3", "C4-C5",
                                      "A3-B3", "C2-C3", "C6-D6", "E2-F2", "A2-A3", "E3-E4"};

void expectADrawableLineWithinTheLimit(SearchEngine& engine, Board& board) {
    const int32_t played = board.historyLength;
    engine.board = &board;
    engine.computerPlayer = board.sideToMove;
    const MoveIndex move = engine.chooseMove(25, 300);
    EXPECT_TRUE(isUndrawnLine(board, move)) << "move " << move;
    EXPECT_GT(engine.nodeCount, 0);
    EXPECT_EQ(board.historyLength, played);
    EXPECT_EQ(engine.stackTop, 0);
}

}  // namespace

TEST_F(SearchTest, TimeRunningOutInTheFirstIterationStillGivesADrawableLine) {
    {
        Board board(6, 2);
        for (const char* text : kSixDotEndgame) board.playMove(board.parseMove(text));
        ASSERT_NE(board.lines[0].owner, 0);
        SCOPED_TRACE("the six-dot endgame");
        expectADrawableLineWithinTheLimit(engine, board);
    }
    for (int32_t n : {6, 8, 10}) {
        Board board(n, 2);
        playLongChainOpenedInTheMiddle(board);
        ASSERT_EQ(board.availableCount, (n - 1) * (n - 1));
        ASSERT_NE(board.lines[0].owner, 0);
        SCOPED_TRACE(std::to_string(n) + " dots, a long chain opened in its middle");
        expectADrawableLineWithinTheLimit(engine, board);
    }
}
