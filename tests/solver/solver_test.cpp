// The solver against the exhaustive reference: values and best lines of
// random positions of 3 to 8 dots, and of every line set of 3 dots.
#include "solver/solver.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "exhaustive.h"
#include "model/board.h"

namespace {

std::string describe(int32_t n, const std::vector<uint8_t>& drawn) {
    std::ostringstream text;
    text << n << " dots, drawn:";
    for (size_t l = 0; l < drawn.size(); ++l)
        if (drawn[l]) text << ' ' << l;
    return text.str();
}

void expectAgrees(Solver& solver, int32_t n, const std::vector<uint8_t>& drawn) {
    const Exhaustive reference(n, drawn);
    const SolveResult result = solver.solveLines(n, drawn.data(), -1);
    ASSERT_TRUE(result.solved) << describe(n, drawn);
    ASSERT_EQ(result.value, reference.value()) << describe(n, drawn);
    ASSERT_EQ(result.lower, result.value);
    ASSERT_EQ(result.upper, result.value);
    ASSERT_EQ(result.best, reference.best()) << describe(n, drawn);
    ASSERT_EQ(result.threads, solver.threads());
    // Every line's value, and the best lines read off them.
    const SolveResult valued = solver.solveLines(n, drawn.data(), -1, SolveDetail::Values);
    ASSERT_TRUE(valued.solved);
    ASSERT_EQ(valued.best, result.best) << describe(n, drawn);
    std::vector<int32_t> values(drawn.size(), SolveResult::kDrawn);
    for (size_t i = 0; i < reference.open.size(); ++i)
        values[size_t(reference.open[i])] = reference.moveValue(0, int32_t(i));
    ASSERT_EQ(valued.values, values) << describe(n, drawn);
    // A single test says which side of its threshold the value lies, and
    // what it proves is true.
    for (int32_t t = result.value - 2; t <= result.value + 2; ++t) {
        const SolveResult test = solver.testLines(n, drawn.data(), t, -1);
        ASSERT_TRUE(test.solved);
        ASSERT_EQ(test.lower >= t, result.value >= t)
            << "threshold " << t << ", " << describe(n, drawn);
        ASSERT_LE(test.lower, result.value);
        ASSERT_GE(test.upper, result.value);
    }
}

TEST(Solver, EveryLineSetOfThreeDots) {
    Solver solver(1);
    const Exhaustive all(3, std::vector<uint8_t>(12, 0));
    for (uint32_t mask = 0; mask < 4096; ++mask) {
        std::vector<uint8_t> drawn(12);
        for (int32_t l = 0; l < 12; ++l) drawn[l] = mask >> l & 1;
        const SolveResult result = solver.solveLines(3, drawn.data(), -1, SolveDetail::Value);
        ASSERT_EQ(result.value, all.values[mask]) << describe(3, drawn);
    }
}

// With one thread and with two sharing the table; positions with few
// lines left are often symmetric, so the classes of lines are tried too.
TEST(Solver, RandomPositionsOfThreeToEightDots) {
    for (const int32_t threads : {1, 2}) {
        const uint32_t seed = 20261208;
        std::mt19937 random(seed);
        Solver solver(4, threads);
        for (int32_t round = 0; round < 40; ++round) {
            for (int32_t n = 3; n <= 8; ++n) {
                const int32_t lineCount = 2 * n * (n - 1);
                const int32_t left = std::min(lineCount, int32_t(random() % 15) + 1);
                SCOPED_TRACE(testing::Message()
                             << "seed " << seed << ", round " << round << ", threads " << threads);
                expectAgrees(solver, n, randomPosition(n, left, random));
            }
        }
    }
}

// Positions large enough that the part of the table in use doubles several
// times during each solve, two threads waiting on each other for it: they
// find what one thread finds (the reference would take too long here).
TEST(Solver, TwoThreadsAgreeWithOneWhileTheTableGrows) {
    const uint32_t seed = 20261209;
    std::mt19937 random(seed);
    Solver one(1), two(1, 2);
    for (int32_t round = 0; round < 3; ++round) {
        const std::vector<uint8_t> drawn = randomPosition(5, 26, random);
        const SolveResult alone = one.solveLines(5, drawn.data(), -1, SolveDetail::Values);
        const SolveResult shared = two.solveLines(5, drawn.data(), -1, SolveDetail::Values);
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << describe(5, drawn));
        ASSERT_TRUE(alone.solved && shared.solved);
        EXPECT_EQ(shared.value, alone.value);
        EXPECT_EQ(shared.best, alone.best);
        EXPECT_EQ(shared.values, alone.values);
    }
}

// A corner quad's two lines on the edge border it alone, so either drawn
// alone is the same game: fresh solvers make the same nodes on both, and
// every other line is worth the same.
TEST(Solver, EitherLineOfACornerPairDrawnAloneIsTheSameGame) {
    const uint32_t seed = 20261210;
    std::mt19937 random(seed);
    for (int32_t round = 0; round < 24; ++round) {
        const int32_t n = 3 + int32_t(random() % 4), row = 2 * n - 1;
        // Each corner's line along the top or bottom and its line down the side.
        const int32_t pairs[4][2] = {{0, n - 1},
                                     {n - 2, 2 * n - 2},
                                     {(n - 1) * row, (n - 2) * row + n - 1},
                                     {(n - 1) * row + n - 2, (n - 2) * row + 2 * n - 2}};
        const int32_t* pair = pairs[random() % 4];
        std::vector<uint8_t> one = randomPosition(n, 8 + int32_t(random() % 10), random);
        one[size_t(pair[0])] = 1;
        one[size_t(pair[1])] = 0;
        std::vector<uint8_t> other = one;
        std::swap(other[size_t(pair[0])], other[size_t(pair[1])]);
        Solver first(4), second(4);
        const SolveResult a = first.solveLines(n, one.data(), -1, SolveDetail::Values);
        SolveResult b = second.solveLines(n, other.data(), -1, SolveDetail::Values);
        SCOPED_TRACE(testing::Message()
                     << "seed " << seed << ", round " << round << ", " << describe(n, one));
        ASSERT_TRUE(a.solved && b.solved);
        EXPECT_EQ(a.nodes, b.nodes);
        EXPECT_EQ(a.value, b.value);
        std::swap(b.values[size_t(pair[0])], b.values[size_t(pair[1])]);
        EXPECT_EQ(a.values, b.values);
    }
}

// The empty boards are as symmetric as positions get: every line's value by
// classes against the reference's, on 3 dots, with two threads.
TEST(Solver, ValuesOfTheEmptyThreeDotBoard) {
    Solver solver(4, 2);
    const std::vector<uint8_t> empty(12, 0);
    const Exhaustive reference(3, empty);
    const SolveResult result = solver.solveLines(3, empty.data(), -1, SolveDetail::Values);
    for (int32_t l = 0; l < 12; ++l) EXPECT_EQ(result.values[size_t(l)], reference.moveValue(0, l));
}

TEST(Solver, BoardOfTwoDotsAndThePlayedMovesOfABoard) {
    Solver solver(1);
    Board board(2, 2);
    SolveResult result = solver.solve(board, -1);
    EXPECT_TRUE(result.solved);
    EXPECT_EQ(result.value, -1);
    EXPECT_EQ(result.best, (std::vector<MoveIndex>{0, 1, 2, 3}));
    board.playMove(0);
    board.playMove(1);
    board.playMove(2);  // the side to move takes the quad with the last line
    result = solver.solve(board, -1);
    EXPECT_EQ(result.value, 1);
    EXPECT_EQ(result.best, (std::vector<MoveIndex>{3}));
    board.playMove(3);
    result = solver.solve(board, -1);
    EXPECT_TRUE(result.solved);
    EXPECT_EQ(result.value, 0);
    EXPECT_TRUE(result.best.empty());
}

TEST(Solver, LargeBoardEndsByItsTimeLimitWithBounds) {
    for (const int32_t threads : {1, 2}) {
        Solver solver(1, threads);
        Board board(26, 2);
        // Long enough for the first line of search to reach the bottom of
        // the board, 1,300 calls deep, where a small stack would overflow.
        const SolveResult result = solver.solve(board, 1000, SolveDetail::Values);
        EXPECT_FALSE(result.solved);
        EXPECT_LE(-625, result.lower);
        EXPECT_LE(result.lower, result.upper);
        EXPECT_LE(result.upper, 625);
        EXPECT_TRUE(result.best.empty());
        EXPECT_TRUE(result.values.empty());
    }
}

TEST(Solver, RefusesATableThatCannotBeHad) { EXPECT_THROW(Solver(size_t{1} << 50), const char*); }

}  // namespace
