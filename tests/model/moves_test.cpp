#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "../support/board_snapshot.h"

// Counts heap allocations while `countingAllocations` is set, to show that
// playing and taking back moves allocate nothing.
namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<int> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (countingAllocations) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// GCC cannot see that these pair with the operator new above, which takes
// its memory from malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

std::vector<int32_t> availableOrder(const Board& b) {
    std::vector<int32_t> order;
    for (int32_t i = 0; i < b.lineCount; ++i) order.push_back(b.available[i]->index);
    return order;
}

TEST(Moves, TwoDotGameMoveByMove) {
    Board b(2, 2);
    b.playMove(0);
    EXPECT_EQ(b.sideToMove, 1);
    EXPECT_EQ(b.chainMetric, 0);
    b.playMove(1);
    EXPECT_EQ(b.sideToMove, 0);
    EXPECT_EQ(b.chainMetric, 1);
    b.playMove(2);
    EXPECT_EQ(b.sideToMove, 1);
    EXPECT_EQ(b.chainMetric, 0);
    b.playMove(3);
    EXPECT_EQ(b.quads[0].owner, 2);
    EXPECT_EQ(b.scores[0], 0);
    EXPECT_EQ(b.scores[1], 1);
    EXPECT_EQ(b.sideToMove, 1);
    EXPECT_EQ(b.availableCount, 0);
    EXPECT_EQ(b.chainMetric, 0);
    EXPECT_EQ(b.lastMove(), 3);

    for (int i = 0; i < 4; ++i) b.undoMove();
    Board fresh(2, 2);
    EXPECT_EQ(snapshot(b), snapshot(fresh));
    EXPECT_EQ(availableOrder(b), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(Moves, SwapRemoveLeavesTheMovedLinePastTheEnd) {
    Board b(2, 2);
    b.playMove(1);
    EXPECT_EQ(b.availableCount, 3);
    EXPECT_EQ(availableOrder(b), (std::vector<int32_t>{0, 3, 2, 3}));
    EXPECT_EQ(b.lines[3].slot, 1);
    EXPECT_EQ(b.lines[1].slot, 1);
    b.undoMove();
    EXPECT_EQ(availableOrder(b), (std::vector<int32_t>{0, 1, 2, 3}));
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(b.lines[i].slot, i);
}

TEST(Moves, OneLineClosesTwoQuads) {
    Board b(3, 2);
    for (MoveIndex m : {0, 2, 5, 1, 4, 6}) b.playMove(m);
    ASSERT_EQ(b.sideToMove, 0);
    EXPECT_EQ(b.chainMetric, 0);  // quads 0 and 1 at three sides, 2 and 3 at one
    b.playMove(3);
    EXPECT_EQ(b.scores[0], 2);
    EXPECT_EQ(b.scores[1], 0);
    EXPECT_EQ(b.quads[0].owner, 1);
    EXPECT_EQ(b.quads[1].owner, 1);
    EXPECT_EQ(b.sideToMove, 0);
    b.undoMove();
    EXPECT_EQ(b.scores[0], 0);
    EXPECT_EQ(b.quads[0].owner, 0);
    EXPECT_EQ(b.quads[1].owner, 0);
    EXPECT_EQ(b.sideToMove, 0);
}

TEST(Moves, ThreeDotAvailableOrderAfterFourMoves) {
    Board b(3, 2);
    for (MoveIndex m : {0, 2, 11, 5}) b.playMove(m);
    EXPECT_EQ(b.availableCount, 8);
    const std::vector<int32_t> order = availableOrder(b);
    EXPECT_EQ(std::vector<int32_t>(order.begin(), order.begin() + 8),
              (std::vector<int32_t>{9, 1, 10, 3, 4, 8, 6, 7}));
    EXPECT_EQ(b.sideToMove, 0);
}

TEST(Moves, InvalidMovesChangeNothing) {
    Board b(4, 2);
    b.playMove(5);
    const BoardSnapshot before = snapshot(b);
    for (MoveIndex m : {5, -1, 24, 1000, -7}) {
        try {
            b.playMove(m);
            ADD_FAILURE() << "move " << m << " was accepted";
        } catch (const char* error) {
            EXPECT_STREQ(error, "Invalid move");
        }
        EXPECT_EQ(snapshot(b), before);
    }
}

TEST(Moves, UndoOnAFreshBoard) {
    Board b(3, 2);
    const BoardSnapshot before = snapshot(b);
    try {
        b.undoMove();
        ADD_FAILURE() << "undo on a fresh board was accepted";
    } catch (const char* error) {
        EXPECT_STREQ(error, "Undo Limit Exceeded");
    }
    EXPECT_EQ(snapshot(b), before);
}

TEST(Moves, LastMoveFollowsHistory) {
    Board b(3, 2);
    EXPECT_EQ(b.lastMove(), -1);
    b.playMove(7);
    EXPECT_EQ(b.lastMove(), 7);
    b.playMove(2);
    EXPECT_EQ(b.lastMove(), 2);
    b.undoMove();
    EXPECT_EQ(b.lastMove(), 7);
    b.undoMove();
    EXPECT_EQ(b.lastMove(), -1);
}

// A take-back of a line that is not drawn only drops the history entry; the
// display board never gets there, but the model must not corrupt itself.
TEST(Moves, UndoOfAnUndrawnHistoryEntryOnlyDropsIt) {
    Board b(3, 2);
    b.playMove(4);
    b.lines[4].owner = 0;  // as if cleared behind the model's back
    b.undoMove();
    EXPECT_EQ(b.historyLength, 0);
    EXPECT_EQ(b.sideToMove, 1);
}

TEST(Moves, ChainsIsTheClampedMetric) {
    Board b(3, 2);
    b.chainMetric = -3;
    EXPECT_EQ(b.chains(), 0);
    b.chainMetric = 4;
    EXPECT_EQ(b.chains(), 4);
}

TEST(Moves, EdgeAndInnerLinesChangeTheChainMetric) {
    Board b(3, 2);
    b.playMove(0);  // quad 0 has one side: no change
    EXPECT_EQ(b.chainMetric, 0);
    b.playMove(2);  // quad 0 two sides
    EXPECT_EQ(b.chainMetric, 1);
    b.playMove(3);  // quad 0 three sides (-1), quad 1 one side (no change)
    EXPECT_EQ(b.chainMetric, 0);
    // Nothing was completed: no owner, no score, and the turn passed each time.
    EXPECT_EQ(b.quads[0].owner, 0);
    EXPECT_EQ(b.quads[1].owner, 0);
    EXPECT_EQ(b.scores[0] + b.scores[1], 0);
    EXPECT_EQ(b.sideToMove, 1);
    b.undoMove();
    EXPECT_EQ(b.chainMetric, 1);
}

TEST(Moves, PlayingAndTakingBackAllocateNothing) {
    Board b(26, 2);
    allocations = 0;
    countingAllocations = true;
    for (MoveIndex m = 0; m < b.lineCount; ++m) b.playMove(m);
    while (b.historyLength > 0) b.undoMove();
    countingAllocations = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(b.availableCount, 1300);
}

}  // namespace
