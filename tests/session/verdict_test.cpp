// The verdict texts for every kind of ending, and the check that tells them
// from any other status text.
#include "session/verdict.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "session/game_session.h"

namespace {

std::string verdictOf(int32_t p1, int32_t p2, int32_t computerPlayer) {
    const int32_t scores[2] = {p1, p2};
    char text[80] = "unchanged";
    formatVerdict(text, sizeof text, scores, p1 + p2, computerPlayer);
    return text;
}

}  // namespace

TEST(VerdictText, EveryEnding) {
    struct Case {
        int32_t p1, p2, computer;
        const char* text;
    };
    const Case cases[] = {
        {2, 2, -1, "   Draw   "},
        {3, 1, -1, "   P1 wins with 3 quads   "},
        {1, 3, -1, "   P2 wins with 3 quads   "},
        {5, 4, -1, "   P1 wins with 5 quads   "},  // odd: never a draw
        {0, 1, -1, "   P2 wins with 1 quads   "},
        {313, 312, -1, "   P1 wins with 313 quads   "},
        {3, 1, 0, "   I win >:)   "},
        {3, 1, 1, "   You win :(   "},
        {1, 3, 1, "   I win >:)   "},
        {2, 2, 0, "   Draw :/   "},
        {2, 2, 1, "   Draw :/   "},
        {4, 5, 0, "   You win :(   "},
        {5, 4, 0, "   I win >:)   "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.p1) + ":" + std::to_string(c.p2) + ", computer " +
                     std::to_string(c.computer));
        const std::string text = verdictOf(c.p1, c.p2, c.computer);
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(isVerdict(text.c_str()));
    }
}

TEST(VerdictText, OnlyTheExactTextsAreVerdicts) {
    for (const char* text : {"   Draw   ", "   Draw :/   ", "   I win >:)   ", "   You win :(   ",
                             "   P1 wins with 0 quads   ", "   P2 wins with 12 quads   "})
        EXPECT_TRUE(isVerdict(text)) << '"' << text << '"';
    for (const char* text : {"",
                             "Draw",
                             "   Draw  ",
                             "    Draw   ",
                             "   draw   ",
                             "   I win >:)  ",
                             "   P1 wins with 3 quads",
                             "P1 wins with 3 quads   ",
                             "   P1 wins with 3 quads    ",
                             "   P1  wins with 3 quads   ",
                             "   P3 wins with 1 quads   ",
                             "   P0 wins with 1 quads   ",
                             "   P1 wins with 03 quads   ",
                             "   P1 wins with +3 quads   ",
                             "   P01 wins with 3 quads   ",
                             "   P1 wins with quads   ",
                             "   P1 wins with 3 quads   x",
                             "chains: 1",
                             kAiThinking,
                             kAiErrored})
        EXPECT_FALSE(isVerdict(text)) << '"' << text << '"';
}
