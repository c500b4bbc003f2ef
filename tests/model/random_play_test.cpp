// Random games on every board size, checking after every step the invariants
// that the search relies on, recomputed from scratch.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "../support/board_snapshot.h"

namespace {

// Returns the first invariant that does not hold, or an empty text.
std::string brokenInvariant(const Board& b, const std::vector<MoveIndex>& played) {
    if (b.historyLength != static_cast<int32_t>(played.size())) return "historyLength";
    if (b.historyLength + b.availableCount != b.lineCount) return "history + available";
    if (!std::equal(played.begin(), played.end(), b.history)) return "history entries";

    std::vector<int> seenInAvailable(b.lineCount, 0);
    for (int32_t s = 0; s < b.availableCount; ++s) {
        const Line* line = b.available[s];
        if (line->owner != 0) return "drawn line " + std::to_string(line->index) + " available";
        if (line->slot != s) return "slot of line " + std::to_string(line->index);
        ++seenInAvailable[line->index];
    }
    int32_t drawn = 0;
    for (int32_t i = 0; i < b.lineCount; ++i) {
        const bool isDrawn = b.lines[i].owner != 0;
        drawn += isDrawn;
        if (seenInAvailable[i] != (isDrawn ? 0 : 1))
            return "line " + std::to_string(i) + " in available";
    }
    if (drawn != b.historyLength) return "drawn lines vs history";

    int32_t owned = 0, twoSided = 0;
    for (int32_t k = 0; k < b.quadCount; ++k) {
        const Quad& q = b.quads[k];
        int32_t sides = 0;
        for (const Line* side : q.sides) sides += side->owner != 0;
        if (q.drawnSides() != sides) return "drawn sides of quad " + std::to_string(k);
        if ((q.owner != 0) != (sides == 4)) return "owner of quad " + std::to_string(k);
        owned += q.owner != 0;
        twoSided += sides == 2;
    }
    if (b.scores[0] + b.scores[1] != owned) return "scores vs owned quads";
    if (b.chainMetric != twoSided) return "chainMetric";
    if (b.sideToMove != 0 && b.sideToMove != 1) return "sideToMove";
    return "";
}

// Plays a random number of random moves, taking some back on the way, then
// takes everything back; the board must equal a fresh one in every field.
void playAndTakeBack(int32_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Board b(n, 2);
    Board fresh(n, 2);
    std::vector<MoveIndex> played;
    std::vector<int32_t> scoresBefore[2], sideBefore;

    const int32_t steps = std::uniform_int_distribution<int32_t>(1, 2 * b.lineCount)(random);
    for (int32_t step = 0; step < steps; ++step) {
        const bool takeBack = !played.empty() && (b.availableCount == 0 || random() % 4 == 0);
        if (takeBack) {
            b.undoMove();
            played.pop_back();
            // The score and the turn come back exactly.
            ASSERT_EQ(b.scores[0], scoresBefore[0].back());
            ASSERT_EQ(b.scores[1], scoresBefore[1].back());
            ASSERT_EQ(b.sideToMove, sideBefore.back());
            scoresBefore[0].pop_back();
            scoresBefore[1].pop_back();
            sideBefore.pop_back();
        } else {
            const Line* line = b.available[random() % b.availableCount];
            const int32_t mover = b.sideToMove;
            const int32_t before = b.scores[mover];
            scoresBefore[0].push_back(b.scores[0]);
            scoresBefore[1].push_back(b.scores[1]);
            sideBefore.push_back(mover);
            b.playMove(line->index);
            played.push_back(line->index);
            // A move that closes quads keeps the turn; any other passes it.
            const int32_t gained = b.scores[mover] - before;
            ASSERT_TRUE(gained >= 0 && gained <= 2);
            ASSERT_EQ(b.sideToMove, gained > 0 ? mover : 1 - mover);
            ASSERT_EQ(b.lines[line->index].owner, mover + 1);
        }
        // Checking is linear in the board, so large boards check every 8th step.
        if (n <= 8 || step % 8 == 0 || b.availableCount == 0) {
            const std::string broken = brokenInvariant(b, played);
            ASSERT_EQ(broken, "") << "seed " << seed << ", n " << n << ", step " << step;
        }
    }
    while (!played.empty()) {
        b.undoMove();
        played.pop_back();
    }
    ASSERT_EQ(snapshot(b), snapshot(fresh)) << "seed " << seed << ", n " << n;
}

TEST(RandomPlay, InvariantsHoldAndTakeBacksRestoreEveryField) {
    int32_t games = 0;
    for (int32_t n = 2; n <= 26; ++n) {
        // Small boards are cheap: play more of them.
        const int32_t count = n <= 8 ? 200 : 12;
        for (int32_t g = 0; g < count; ++g, ++games) {
            playAndTakeBack(n, static_cast<uint32_t>(n * 100003 + g));
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(games, 7 * 200 + 18 * 12);
}

// The last line of a game always completes a quad, so its drawer keeps the
// turn, and a full game's scores add up to the number of quads.
TEST(RandomPlay, WholeGamesEndWithTheMoverKeepingTheTurn) {
    for (int32_t n = 2; n <= 26; ++n) {
        const uint32_t seed = 77u + n;
        std::mt19937 random(seed);
        Board b(n, 2);
        while (b.availableCount > 0) {
            const int32_t mover = b.sideToMove;
            b.playMove(b.available[random() % b.availableCount]->index);
            if (b.availableCount == 0) {
                EXPECT_EQ(b.sideToMove, mover) << "seed " << seed;
            }
        }
        EXPECT_EQ(b.scores[0] + b.scores[1], b.quadCount);
        EXPECT_EQ(b.chainMetric, 0);
        try {
            b.playMove(0);
            ADD_FAILURE() << "a finished game accepted a move";
        } catch (const char* error) {
            EXPECT_STREQ(error, "Invalid move");
        }
    }
}

// What a position is, whatever order reached it: the owner of every line and
// quad, the scores, the metric, the side to move and the set of moves left.
// (The order of the available set depends on the path; the ordering's
// permutation may too, so it is not compared.)
struct Position {
    std::vector<int32_t> lineOwners, quadOwners, scores, undrawn;
    int32_t chainMetric, sideToMove, availableCount;
    bool operator==(const Position&) const = default;
};

Position positionOf(const Board& b) {
    Position p{
        {}, {}, {b.scores[0], b.scores[1]}, {}, b.chainMetric, b.sideToMove, b.availableCount};
    for (int32_t i = 0; i < b.lineCount; ++i) p.lineOwners.push_back(b.lines[i].owner);
    for (int32_t k = 0; k < b.quadCount; ++k) p.quadOwners.push_back(b.quads[k].owner);
    for (int32_t s = 0; s < b.availableCount; ++s) p.undrawn.push_back(b.available[s]->index);
    std::sort(p.undrawn.begin(), p.undrawn.end());
    return p;
}

// Moves that complete no quad, so the turn alternates; each side's moves are
// then replayed in another order. Without a completed quad on the way, every
// reordering of one side's moves reaches the same position.
TEST(RandomPlay, OnePositionByTwoMoveOrdersIsOneBoard) {
    for (int32_t n = 2; n <= 26; ++n) {
        for (uint32_t g = 0; g < 20; ++g) {
            const uint32_t seed = 5003u * n + g;
            SCOPED_TRACE(::testing::Message() << "n " << n << ", seed " << seed);
            std::mt19937 random(seed);
            Board first(n, 2);
            std::vector<MoveIndex> moves;
            const int32_t wanted = static_cast<int32_t>(random() % (first.lineCount + 1));
            for (int32_t k = 0; k < wanted; ++k) {
                std::vector<MoveIndex> quiet;
                for (int32_t s = 0; s < first.availableCount; ++s) {
                    const Line& l = *first.available[s];
                    if (l.quadA->drawnSides() < 3 && (!l.quadB || l.quadB->drawnSides() < 3))
                        quiet.push_back(l.index);
                }
                if (quiet.empty()) break;
                moves.push_back(quiet[random() % quiet.size()]);
                first.playMove(moves.back());
            }
            std::vector<MoveIndex> mine, theirs;
            for (size_t k = 0; k < moves.size(); ++k)
                (k % 2 == 0 ? mine : theirs).push_back(moves[k]);
            std::shuffle(mine.begin(), mine.end(), random);
            std::shuffle(theirs.begin(), theirs.end(), random);
            Board second(n, 2);
            for (size_t k = 0; k < moves.size(); ++k)
                second.playMove(k % 2 == 0 ? mine[k / 2] : theirs[k / 2]);
            ASSERT_EQ(positionOf(first), positionOf(second));
            ASSERT_EQ(first.scores[0] + first.scores[1], 0);
        }
    }
}

// Building a built board replaces it (the sanitizer build catches a leak of
// the old arrays) and gives a fresh board of the new size.
TEST(RandomPlay, BuildingABuiltBoardGivesAFreshOne) {
    Board b(3, 2);
    for (MoveIndex m : {0, 2, 5, 1, 4, 6, 3}) b.playMove(m);
    b.createBoard(5, 2);
    Board fresh(5, 2);
    EXPECT_EQ(snapshot(b), snapshot(fresh));
}

}  // namespace
