// The study window's layout over every board size and a few client sizes:
// a click on a line's middle picks that line and no other, and each value's
// box stays off every other box, every line and every dot.
#include "ui/study/study_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ClientSize {
    int32_t width, height;
};
const ClientSize kClients[] = {{800, 600}, {640, 480}, {1280, 1000}, {420, 300}, {1900, 500}};

// Marks of one client area: 1 for a line's or a dot's pixels, then each
// value box adds 2, so that a pixel above 2 is a box over something.
struct Marks {
    int32_t width, height;
    std::vector<uint8_t> cells;
    Marks(int32_t w, int32_t h) : width(w), height(h), cells(size_t(w) * h, 0) {}
    // Adds to [left, right) x [top, bottom); false when the rectangle leaves
    // the client area or meets a pixel already above limit.
    bool add(StudyRect r, uint8_t amount, uint8_t limit) {
        if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height) return false;
        bool clear = true;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) {
                uint8_t& cell = cells[size_t(y) * width + x];
                if (cell > limit) clear = false;
                cell = static_cast<uint8_t>(cell < 2 ? amount : 3);
            }
        return clear;
    }
};

TEST(StudyLayout, AClickOnALineMiddlePicksThatLine) {
    for (const ClientSize client : kClients)
        for (int32_t dots = kMinDotsPerSide; dots <= kMaxDotsPerSide; ++dots) {
            const StudyLayout layout = layOutStudy(client.width, client.height, dots);
            ASSERT_EQ(layout.dots, dots);
            for (MoveIndex line = 0; line < lineCountOf(dots); ++line) {
                StudyPoint from, to;
                lineEnds(layout, line, from, to);
                const int32_t x = (from.x + to.x) / 2, y = (from.y + to.y) / 2;
                ASSERT_EQ(pickLine(layout, x, y), line) << dots << " dots, " << client.width;
                // A quarter cell off the line, towards a quad, still picks it.
                const int32_t off = layout.cell / 4;
                EXPECT_EQ(pickLine(layout, x + (from.y == to.y ? 0 : off),
                                   y + (from.y == to.y ? off : 0)),
                          line);
            }
            // A quad's middle and a dot are as near to two lines or more.
            const StudyRect quad = quadRect(layout, 0);
            EXPECT_EQ(pickLine(layout, (quad.left + quad.right) / 2, (quad.top + quad.bottom) / 2),
                      -1);
            const StudyPoint dot = dotCentre(layout, 1, 1);
            EXPECT_EQ(pickLine(layout, dot.x, dot.y), -1);
            EXPECT_EQ(pickLine(layout, 0, 0), -1);
        }
}

TEST(StudyLayout, ValueBoxesStayOffEachOtherTheLinesAndTheDots) {
    for (const ClientSize client : kClients)
        for (int32_t dots = kMinDotsPerSide; dots <= kMaxDotsPerSide; ++dots) {
            const StudyLayout layout = layOutStudy(client.width, client.height, dots);
            if (layout.textHeight == 0) continue;
            ASSERT_GE(layout.textHeight, kStudyMinTextHeight);
            // Wide enough for the longest value, about 0.55 of the height a digit.
            ASSERT_GE(layout.labelWidth * 20, layout.textHeight * 11 * longestValueChars(dots));
            Marks marks(client.width, client.height);
            const int32_t pen = layout.penWidth / 2, dot = layout.dotRadius;
            for (MoveIndex line = 0; line < lineCountOf(dots); ++line) {
                StudyPoint a, b;
                lineEnds(layout, line, a, b);
                marks.add({a.x - pen, a.y - pen, b.x + pen + 1, b.y + pen + 1}, 1, 255);
            }
            for (int32_t row = 0; row < dots; ++row)
                for (int32_t column = 0; column < dots; ++column) {
                    const StudyPoint c = dotCentre(layout, column, row);
                    marks.add({c.x - dot, c.y - dot, c.x + dot + 1, c.y + dot + 1}, 1, 255);
                }
            for (MoveIndex line = 0; line < lineCountOf(dots); ++line)
                ASSERT_TRUE(marks.add(labelBox(layout, line), 2, 0))
                    << "line " << line << ", " << dots << " dots in " << client.width << "x"
                    << client.height;
        }
}

TEST(StudyLayout, UsualBoardsGetNumbersAndTheBiggestNone) {
    for (int32_t dots = kMinDotsPerSide; dots <= 8; ++dots)
        EXPECT_GE(layOutStudy(800, 600, dots).textHeight, kStudyMinTextHeight) << dots;
    EXPECT_EQ(layOutStudy(800, 600, 4).textHeight, kStudyMaxTextHeight);
    EXPECT_EQ(layOutStudy(800, 600, kMaxDotsPerSide).textHeight, 0);
}

}  // namespace
