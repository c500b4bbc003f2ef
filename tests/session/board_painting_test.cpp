// The board picture as exact primitive calls, and mouse picking, on a client
// area of 734 by 521 pixels unless a test says otherwise.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "session_fixture.h"

void PrintTo(const FillQuad& c, std::ostream* out) {
    *out << "fillQuad(" << c.brush << ", " << c.left << ", " << c.top << ", " << c.width << ", "
         << c.height << ')';
}
void PrintTo(const StrokeLine& c, std::ostream* out) {
    *out << "strokeLine(" << c.pen << ", " << c.x1 << ", " << c.y1 << ", " << c.x2 << ", " << c.y2
         << ')';
}
void PrintTo(const DrawLabel& c, std::ostream* out) {
    *out << "drawLabel(\"" << c.text << "\", " << c.x << ", " << c.y << ')';
}

namespace {

using Calls = std::vector<DrawCall>;

DrawCall label(const char* text, int32_t x, int32_t y) { return DrawLabel{text, x, y}; }
DrawCall fill(int32_t brush, int32_t left, int32_t top, int32_t width, int32_t height) {
    return FillQuad{brush, left, top, width, height};
}
DrawCall line(int32_t pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return StrokeLine{pen, x1, y1, x2, y2};
}

Calls paint(SessionHarness& h) {
    h.window.takeDrawCalls();
    h.session.paintBoard();
    return h.window.takeDrawCalls();
}

std::string pick(SessionHarness& h, int32_t x, int32_t y) {
    char buffer[20] = "unchanged";
    h.session.pickLine(buffer, x, y);
    return buffer;
}

}  // namespace

TEST(Painting, TwoDotsFinishedGame) {
    SessionHarness h;
    h.session.newGame(2);
    h.play({3, 1, 2, 0});  // P1 bottom, P2 left, P1 right, P2 top closes the quad
    // cellWidth 554, cellHeight 461; the single quad draws all four sides.
    const Calls expected = {
        label("A", 145, 15),
        label("1", 135, 24),
        label("B", 699, 15),
        label("2", 135, 485),
        fill(1, 150, 30, 554, 461),
        line(3, 150, 30, 704, 30),    // top: the last move, whoever drew it
        line(2, 150, 30, 150, 491),   // left, P2
        line(1, 704, 30, 704, 491),   // right, P1
        line(1, 150, 491, 704, 491),  // bottom, P1
        label("   P2 wins with 1 quads   ", 367, 260),
    };
    EXPECT_EQ(paint(h), expected);
    // Every paint draws the whole picture again, and nothing else.
    h.session.paintBoard();
    EXPECT_EQ(h.window.takeDrawCalls(), expected);
    EXPECT_TRUE(h.window.takeDrawCalls().empty());
}

TEST(Painting, TwoDotsDebugKeysOnEveryLine) {
    SessionHarness h;
    h.session.newGame(2);
    h.play({0});
    h.session.debugInfo = true;
    // Weight 4; the drawn line has key 104, the undrawn ones class 3 (their
    // only quad has one drawn side).
    const Calls expected = {
        label("A", 145, 15),        label("1", 135, 24),         label("B", 699, 15),
        label("2", 135, 485),       line(3, 150, 30, 704, 30),   label("104", 427, 30),
        line(0, 150, 30, 150, 491), label("7", 150, 260),        line(0, 704, 30, 704, 491),
        label("7", 704, 260),       line(0, 150, 491, 704, 491), label("7", 427, 491),
        label("", 367, 260),
    };
    EXPECT_EQ(paint(h), expected);
    h.session.debugInfo = false;
    EXPECT_EQ(paint(h).size(), 4u + 4u + 1u) << "keys gone at the next paint";
}

TEST(Painting, ThreeDotsOwnedQuadsOfBothPlayers) {
    SessionHarness h;
    h.session.newGame(3);
    // P1 closes quad 0 with line 3; P2 closes quad 1 with line 6, the last move.
    h.play({0, 2, 11, 5, 3, 1, 4, 7, 6});
    ASSERT_EQ(h.session.liveBoard->scores[0], 1);
    ASSERT_EQ(h.session.liveBoard->scores[1], 1);
    h.session.setStatusText("chains: 1");
    // cellWidth 277, cellHeight 230.
    const Calls expected = {
        label("A", 145, 15),
        label("1", 135, 24),
        label("B", 422, 15),
        label("2", 135, 254),
        label("C", 699, 15),
        label("3", 135, 484),
        // quad 0, column 0 row 0, P1's
        fill(0, 150, 30, 277, 230),
        line(1, 150, 30, 427, 30),
        line(2, 150, 30, 150, 260),
        // quad 1, column 1 row 0, P2's; last column, so its right side too
        fill(1, 427, 30, 277, 230),
        line(1, 427, 30, 704, 30),
        line(1, 427, 30, 427, 260),
        line(2, 704, 30, 704, 260),
        // quad 2, column 0 row 1, open; last row, so its bottom side too
        line(2, 150, 260, 427, 260),
        line(1, 150, 260, 150, 490),
        line(0, 150, 490, 427, 490),
        // quad 3, column 1 row 1: last column and last row
        line(3, 427, 260, 704, 260),
        line(0, 427, 260, 427, 490),
        line(0, 704, 260, 704, 490),
        line(1, 427, 490, 704, 490),
        label("chains: 1", 367, 260),
    };
    EXPECT_EQ(paint(h), expected);
}

TEST(Painting, ThreeDotsDebugKeys) {
    SessionHarness h;
    h.session.newGame(3);
    h.play({0, 2, 11, 5, 3, 1, 4, 7, 6});
    h.session.debugInfo = true;
    Calls labels;
    for (const DrawCall& call : paint(h))
        if (std::holds_alternative<DrawLabel>(call)) labels.push_back(call);
    // Weight 12: drawn lines 112; line 8 between two quads at two drawn sides
    // each is class 4; the border lines 9 and 10 beside one such quad class 5.
    const Calls expected = {
        label("A", 145, 15),    label("1", 135, 24),    label("B", 422, 15),
        label("2", 135, 254),   label("C", 699, 15),    label("3", 135, 484),
        label("112", 288, 30),  label("112", 150, 145),                          // quad 0
        label("112", 565, 30),  label("112", 427, 145), label("112", 704, 145),  // quad 1
        label("112", 288, 260), label("112", 150, 375), label("17", 288, 490),   // quad 2
        label("112", 565, 260), label("16", 427, 375),  label("17", 704, 375),   // quad 3
        label("112", 565, 490), label("", 367, 260),
    };
    EXPECT_EQ(labels, expected);
}

TEST(Painting, ReadsTheDisplayBoardNotTheLiveOne) {
    SessionHarness h;
    h.session.newGame(2);
    h.play({0});
    const Calls before = paint(h);
    // Moves on the live board without a refresh, as the search makes them.
    h.session.liveBoard->playMove(1);
    h.session.liveBoard->playMove(3);
    EXPECT_EQ(paint(h), before);
    h.session.liveBoard->undoMove();
    h.session.liveBoard->undoMove();
}

TEST(Painting, LastMoveClosingAQuadAndNoHighlightBeforeTheFirstMove) {
    SessionHarness h;
    h.session.newGame(2);
    for (const DrawCall& call : paint(h)) {
        if (const StrokeLine* stroke = std::get_if<StrokeLine>(&call)) {
            EXPECT_EQ(stroke->pen, 0) << "fresh board: grid pen";
        }
    }
    h.play({0, 1, 2, 3});  // P2 closes the quad with the bottom line
    const Calls calls = paint(h);
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls[4], fill(1, 150, 30, 554, 461));
    EXPECT_EQ(calls[8], line(3, 150, 491, 704, 491));
    h.session.undoLast();
    EXPECT_EQ(paint(h)[6], line(3, 704, 30, 704, 491)) << "after undo, line 2 is the last move";
}

TEST(Painting, TwentySixDotsLabelsAndLineCount) {
    SessionHarness h;
    h.session.newGame(26);
    const Calls calls = paint(h);
    int32_t strokes = 0;
    for (const DrawCall& call : calls) strokes += std::holds_alternative<StrokeLine>(call);
    EXPECT_EQ(strokes, 1300);
    EXPECT_EQ(calls.size(), 52u + 1300u + 1u);
    EXPECT_EQ(calls[0], label("A", 145, 15));
    EXPECT_EQ(calls[50], label("Z", 145 + 25 * 22, 15));   // cellWidth 554 / 25 = 22
    EXPECT_EQ(calls[51], label("26", 135, 24 + 25 * 18));  // cellHeight 461 / 25 = 18
}

TEST(Painting, CollapsedCellsStillPaint) {
    SessionHarness h;
    h.play({0, 4});
    for (auto [width, height] :
         {std::pair{0, 0}, std::pair{180, 60}, std::pair{100, 30}, std::pair{182, 61}}) {
        h.window.setClientSize(width, height);
        const Calls calls = paint(h);
        ASSERT_EQ(calls.size(), 8u + 24u + 1u) << width << "x" << height;
        EXPECT_EQ(calls.back(), label("", width / 2, height / 2));
    }
    // 0 by 0: cells of -60 by -20 pixels; line 0 is P1's, line 4 the last move.
    h.window.setClientSize(0, 0);
    const Calls calls = paint(h);
    EXPECT_EQ(calls[8], line(1, 150, 30, 90, 30));
    EXPECT_EQ(calls[11], line(3, 90, 30, 90, 10));
}

TEST(Picking, WorkedExampleFourDots) {
    SessionHarness h;  // 734 by 521, 4 dots: cells 184 by 153, quarters 46 by 38
    EXPECT_EQ(pick(h, 344, 253), "B2-B3");  // qx 0: left
    EXPECT_EQ(pick(h, 424, 233), "B2-C2");  // qx 1, qy 1: top
    EXPECT_EQ(pick(h, 504, 203), "C2-C3");  // qx 3, qy 0: right
    EXPECT_EQ(pick(h, 434, 323), "B3-C3");  // qx 2, qy 3: bottom
    EXPECT_EQ(pick(h, 10, 10), "A1-A2");    // clamped to 0, 0
    EXPECT_EQ(pick(h, 900, 600), "C4-D4");  // pulled back to 506, 421
}

TEST(Picking, QuarterRules) {
    SessionHarness h;
    EXPECT_EQ(pick(h, 100, 400), "A3-A4") << "left of the grid: always a left side";
    EXPECT_EQ(pick(h, 340, 176), "B1-B2") << "left and bottom quarters meet: left";
    EXPECT_EQ(pick(h, 510, 176), "B2-C2") << "bottom and right quarters meet: bottom";
    EXPECT_EQ(pick(h, 510, 100), "C1-C2") << "right quarter column";
    EXPECT_EQ(pick(h, 150, 30), "A1-A2");
    EXPECT_EQ(pick(h, 900, 40), "D1-D2") << "right of the grid: the last quarter column";
    EXPECT_EQ(pick(h, 400, -5), "B1-C1") << "above the grid";
    // 741 wide: cells of 187, quarters of 46, so the last 3 pixels of a cell
    // make quarter 4, which belongs to the top side.
    h.window.setClientSize(741, 521);
    EXPECT_EQ(pick(h, 150 + 185, 70), "A1-B1");
    EXPECT_EQ(pick(h, 150 + 185, 170), "A2-B2") << "quarter 4 in the bottom row is the bottom";
}

TEST(Picking, DrawnLinesArePickedToo) {
    SessionHarness h;
    h.play({0});
    EXPECT_EQ(pick(h, 200, 35), "A1-B1");
}

TEST(Picking, CellsUnderFourPixelsLeaveTheBufferEmpty) {
    SessionHarness h;
    struct Size {
        int32_t n, width, height;
    };
    for (Size s : {Size{4, 0, 0}, Size{4, 191, 521}, Size{4, 734, 71}, Size{26, 250, 521},
                   Size{4, 100, 30}, Size{2, 180, 60}}) {
        h.session.newGame(s.n);
        h.window.setClientSize(s.width, s.height);
        for (auto [x, y] : {std::pair{0, 0}, std::pair{160, 40}, std::pair{5000, 5000}})
            EXPECT_EQ(pick(h, x, y), "") << s.n << " dots, " << s.width << "x" << s.height;
    }
    // Four pixels is enough: quarters of one pixel.
    h.session.newGame(4);
    h.window.setClientSize(192, 72);
    EXPECT_EQ(pick(h, 150, 30), "A1-A2");
    EXPECT_EQ(pick(h, 152, 30), "A1-B1");
    EXPECT_EQ(pick(h, 10000, 10000), "C4-D4");
}
