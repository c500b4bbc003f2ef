#include <gtest/gtest.h>

#include "../support/board_snapshot.h"

namespace {

// The quads next to a line, derived from the dots it joins rather than from
// the numbering formulas that createBoard uses.
struct Expected {
    int32_t quadA, quadB;
};

Expected neighboursOf(int32_t n, int32_t move) {
    const int32_t row = move / (2 * n - 1), offset = move % (2 * n - 1);
    const int32_t w = n - 1;
    if (offset < n - 1) {  // horizontal, column offset, dot row `row`
        const int32_t above = row >= 1 ? (row - 1) * w + offset : -1;
        const int32_t below = row <= n - 2 ? row * w + offset : -1;
        return above >= 0 ? Expected{above, below} : Expected{below, -1};
    }
    const int32_t x = offset - (n - 1);
    const int32_t left = x >= 1 ? row * w + x - 1 : -1;
    const int32_t right = x <= n - 2 ? row * w + x : -1;
    return left >= 0 ? Expected{left, right} : Expected{right, -1};
}

int32_t quadIndex(const Board& b, const Quad* q) {
    return q == nullptr ? -1 : static_cast<int32_t>(q - b.quads);
}

TEST(Geometry, CountsAndLinksForEverySize) {
    for (int32_t n = 2; n <= 26; ++n) {
        Board b(n, 2);
        ASSERT_EQ(b.lineCount, 2 * n * (n - 1));
        ASSERT_EQ(b.quadCount, (n - 1) * (n - 1));
        for (int32_t i = 0; i < b.lineCount; ++i) {
            const Expected e = neighboursOf(n, i);
            EXPECT_EQ(quadIndex(b, b.lines[i].quadA), e.quadA) << "n=" << n << " line " << i;
            EXPECT_EQ(quadIndex(b, b.lines[i].quadB), e.quadB) << "n=" << n << " line " << i;
            EXPECT_EQ(b.lines[i].linkCount, e.quadB < 0 ? 1 : 2);
        }
        // Every quad lists itself as a neighbour of each of its four sides.
        for (int32_t k = 0; k < b.quadCount; ++k)
            for (const Line* side : b.quads[k].sides)
                EXPECT_TRUE(side->quadA == &b.quads[k] || side->quadB == &b.quads[k]);
    }
}

TEST(Geometry, SmallestBoard) {
    Board b(2, 2);
    EXPECT_EQ(b.lineCount, 4);
    EXPECT_EQ(b.quadCount, 1);
    const Quad& q = b.quads[0];
    for (int32_t side = 0; side < 4; ++side) EXPECT_EQ(q.sides[side], &b.lines[side]);
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(b.lines[i].quadA, &b.quads[0]);
        EXPECT_EQ(b.lines[i].quadB, nullptr);
    }
}

TEST(Geometry, FourDotExamples) {
    Board b(4, 2);
    const Quad& q4 = b.quads[4];
    EXPECT_EQ(q4.sides[0]->index, 8);
    EXPECT_EQ(q4.sides[1]->index, 11);
    EXPECT_EQ(q4.sides[2]->index, 12);
    EXPECT_EQ(q4.sides[3]->index, 15);
    EXPECT_EQ(b.lines[8].quadA, &b.quads[1]);
    EXPECT_EQ(b.lines[8].quadB, &b.quads[4]);
    EXPECT_EQ(b.lines[11].quadA, &b.quads[3]);
    EXPECT_EQ(b.lines[11].quadB, &b.quads[4]);
    EXPECT_EQ(b.lines[0].quadA, &b.quads[0]);
    EXPECT_EQ(b.lines[0].quadB, nullptr);
    EXPECT_EQ(b.lines[3].quadA, &b.quads[0]);
    EXPECT_EQ(b.lines[3].quadB, nullptr);

    int32_t column = -1, row = -1;
    EXPECT_EQ(b.quadAt(5, column, row), &b.quads[5]);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(row, 1);
}

TEST(Geometry, LargestBoard) {
    Board b(26, 2);
    EXPECT_EQ(b.lineCount, 1300);
    EXPECT_EQ(b.quadCount, 625);
    char text[8];
    b.formatMove(text, 1299);
    EXPECT_STREQ(text, "Y26-Z26");
    int32_t column = -1, row = -1;
    b.quadAt(624, column, row);
    EXPECT_EQ(column, 24);
    EXPECT_EQ(row, 24);
}

TEST(Geometry, FreshBoardFields) {
    for (int32_t n : {2, 3, 4, 9, 26}) {
        Board b(n, 2);
        EXPECT_EQ(b.dotsPerSide, n);
        EXPECT_EQ(b.availableCount, b.lineCount);
        EXPECT_EQ(b.historyLength, 0);
        EXPECT_EQ(b.chainMetric, 0);
        EXPECT_EQ(b.sideToMove, 0);
        EXPECT_EQ(b.playerCount, 2);
        EXPECT_EQ(b.scores[0], 0);
        EXPECT_EQ(b.scores[1], 0);
        EXPECT_EQ(b.lastMove(), -1);
        for (int32_t i = 0; i < b.lineCount; ++i) {
            EXPECT_EQ(b.lines[i].owner, 0);
            EXPECT_EQ(b.lines[i].weight, b.lineCount);
            EXPECT_EQ(b.lines[i].index, i);
            EXPECT_EQ(b.lines[i].slot, i);
            EXPECT_EQ(b.available[i], &b.lines[i]);
        }
        for (int32_t k = 0; k < b.quadCount; ++k) EXPECT_EQ(b.quads[k].owner, 0);
    }
}

TEST(Geometry, ReleaseLeavesNoDanglingArrays) {
    Board b;
    b.createBoard(5, 2);
    b.releaseBoard();
    EXPECT_EQ(b.lines, nullptr);
    EXPECT_EQ(b.quads, nullptr);
    EXPECT_EQ(b.available, nullptr);
    EXPECT_EQ(b.history, nullptr);
    EXPECT_EQ(b.scores, nullptr);
    EXPECT_EQ(b.sortScratch, nullptr);
    EXPECT_EQ(b.lineCount, 40);  // nothing but the arrays changes
}

TEST(Geometry, CopyLinesFromTakesOwnersOnly) {
    Board live(3, 2), display(3, 2);
    const BoardSnapshot fresh = snapshot(display);
    for (MoveIndex m : {0, 2, 5, 1, 4, 6, 3}) live.playMove(m);  // 3 closes quads 0 and 1
    display.copyLinesFrom(live);

    for (int32_t i = 0; i < live.lineCount; ++i)
        EXPECT_EQ(display.lines[i].owner, live.lines[i].owner);
    for (int32_t k = 0; k < live.quadCount; ++k) {
        EXPECT_EQ(display.quads[k].owner, live.quads[k].owner);
        // The debug overlay's keys on the display board read these.
        EXPECT_EQ(display.quads[k].drawnSides(), live.quads[k].drawnSides());
    }
    EXPECT_EQ(display.quads[0].owner, 1);
    BoardSnapshot after = snapshot(display);
    EXPECT_EQ(after.counts, fresh.counts);
    EXPECT_EQ(after.available, fresh.available);
    EXPECT_EQ(after.scores, fresh.scores);
    for (int32_t i = 0; i < display.lineCount; ++i) EXPECT_EQ(display.lines[i].slot, i);
}

}  // namespace
