#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../support/board_snapshot.h"

namespace {

std::string format(const Board& b, MoveIndex move) {
    char text[8];
    const int32_t length = b.formatMove(text, move);
    EXPECT_EQ(length, static_cast<int32_t>(std::string(text).size()));
    return text;
}

TEST(Notation, FormatsFourDotExamples) {
    Board b(4, 2);
    EXPECT_EQ(format(b, 0), "A1-B1");
    EXPECT_EQ(format(b, 2), "C1-D1");
    EXPECT_EQ(format(b, 3), "A1-A2");
    EXPECT_EQ(format(b, 6), "D1-D2");
    EXPECT_EQ(format(b, 7), "A2-B2");
    EXPECT_EQ(format(b, 10), "A2-A3");
    EXPECT_EQ(format(b, 20), "D3-D4");
    EXPECT_EQ(format(b, 23), "C4-D4");
}

// Every line of every board: the text names two neighbouring dots, the left
// or upper one first, and parses back to the same line.
TEST(Notation, RoundTripsEveryLineOfEverySize) {
    for (int32_t n = 2; n <= 26; ++n) {
        Board b(n, 2);
        for (MoveIndex m = 0; m < b.lineCount; ++m) {
            const std::string text = format(b, m);
            ASSERT_LE(text.size(), 7u);
            ASSERT_EQ(b.parseMove(text.c_str()), m) << text << " n=" << n;

            const int32_t row = m / (2 * n - 1), offset = m % (2 * n - 1);
            const bool horizontal = offset < n - 1;
            const int32_t x = horizontal ? offset : offset - (n - 1);
            char expected[32];
            std::snprintf(expected, sizeof expected, "%c%d-%c%d", 'A' + x, row + 1,
                          'A' + x + horizontal, row + 1 + !horizontal);
            ASSERT_EQ(text, expected);
        }
    }
}

TEST(Notation, EitherDotMayComeFirst) {
    Board b(4, 2);
    EXPECT_EQ(b.parseMove("A1-B1"), 0);
    EXPECT_EQ(b.parseMove("B1-A1"), 0);
    EXPECT_EQ(b.parseMove("A1-A2"), 3);
    EXPECT_EQ(b.parseMove("A2-A1"), 3);
    EXPECT_EQ(b.parseMove("D4-C4"), 23);
    EXPECT_EQ(b.parseMove("D4-D3"), 20);
}

TEST(Notation, WhiteSpaceAroundTheTextAndTheHyphen) {
    Board b(4, 2);
    EXPECT_EQ(b.parseMove("  A1-B1"), 0);
    EXPECT_EQ(b.parseMove("A1-B1 \t\r\n"), 0);
    EXPECT_EQ(b.parseMove("A1 - B1"), 0);
    EXPECT_EQ(b.parseMove("\tC2 -C3 "), 12);
    EXPECT_EQ(b.parseMove("A 1-B1"), -1);  // not between letter and number
    EXPECT_EQ(b.parseMove("A1-B 1"), -1);
}

// Texts that used to play some other line, and everything else that does not
// name two neighbouring dots of this board, give no move.
TEST(Notation, RefusesTextsThatNameNoLineOfTheBoard) {
    Board b(4, 2);
    for (const char* text : {"D1-E1",    "A1-Z9",    "A1-B12", "A1-A1",  "A1-C1",
                             "A1-B2",    "D4-E4",    "A0-B0",  "a1-b1",  "A1-B1x",
                             "",         "A1",       "A1-",    "-B1",    "A1B1",
                             "A1--B1",   "A+1-B1",   "A-1-B1", "A1-B-1", "A01x-B1",
                             "AA1-B1",   "A5-B5",    "E1-E2",  "A4-A5",  "A99999999999-B1",
                             "A1-B1-C1", "A1\x01-B1"}) {
        EXPECT_EQ(b.parseMove(text), -1) << '"' << text << '"';
    }
    EXPECT_EQ(b.parseMove(nullptr), -1);
}

TEST(Notation, LeadingZerosAreStillDecimal) {
    Board b(9, 2);
    EXPECT_EQ(b.parseMove("A08-B08"), 7 * 17);  // octal would refuse the 8
    EXPECT_EQ(b.parseMove("A010-B010"), -1);    // row 10 is off a 9-dot board
}

TEST(Notation, RefusedTextIsRefusedByPlayMove) {
    Board b(4, 2);
    const BoardSnapshot before = snapshot(b);
    try {
        b.playMove(b.parseMove("D1-E1"));
        FAIL() << "expected Invalid move";
    } catch (const char* error) {
        EXPECT_STREQ(error, "Invalid move");
    }
    EXPECT_EQ(snapshot(b), before);
}

TEST(Notation, LargestBoardCorners) {
    Board b(26, 2);
    EXPECT_EQ(b.parseMove("Y26-Z26"), 1299);
    EXPECT_EQ(b.parseMove("Z25-Z26"), 24 * 51 + 25 + 25);
    EXPECT_EQ(b.parseMove("Z26-Z27"), -1);
}

}  // namespace
