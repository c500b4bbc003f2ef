// The solver against the exhaustive reference at volume (release build): the
// value of every one of the 2^24 line sets of 4 dots, with the best lines of a
// sample of them (with one thread and with two), and positions of 5, 6 and 8
// dots with 24 lines left (two threads).
#include <gtest/gtest.h>

#include <string>

#include "exhaustive.h"
#include "solver/solver.h"

namespace {

TEST(SolverSlow, EveryLineSetOfFourDots) {
    const Exhaustive all(4, std::vector<uint8_t>(24, 0));
    Solver solver(64);
    Solver pair(64, 2);  // two threads on one table, for the sets whose best lines are checked
    std::vector<uint8_t> drawn(24);
    for (uint32_t mask = 0; mask < (1u << 24); ++mask) {
        for (int32_t l = 0; l < 24; ++l) drawn[l] = mask >> l & 1;
        // The best lines of every 61st set; each costs a search per line.
        const bool withBest = mask % 61 == 0;
        const SolveResult result = solver.solveLines(
            4, drawn.data(), -1, withBest ? SolveDetail::Best : SolveDetail::Value);
        ASSERT_EQ(result.value, all.values[mask]) << "4 dots, mask " << mask;
        if (!withBest) continue;
        // From the empty board every line is open, so open line i is line i.
        std::vector<MoveIndex> best;
        for (int32_t l = 0; l < 24; ++l)
            if (!drawn[l] && all.moveValue(mask, l) == all.values[mask]) best.push_back(l);
        ASSERT_EQ(result.best, best) << "4 dots, mask " << mask;
        const SolveResult shared = pair.solveLines(4, drawn.data(), -1);
        ASSERT_EQ(shared.value, result.value) << "4 dots, two threads, mask " << mask;
        ASSERT_EQ(shared.best, best) << "4 dots, two threads, mask " << mask;
    }
}

TEST(SolverSlow, TwentyFourLinesLeftOnFiveSixAndEightDots) {
    const uint32_t seed = 1208;
    std::mt19937 random(seed);
    Solver solver(64, 2);
    for (const int32_t n : {5, 6, 8}) {
        for (int32_t round = 0; round < 4; ++round) {
            const std::vector<uint8_t> drawn = randomPosition(n, 24, random);
            const Exhaustive reference(n, drawn);
            const SolveResult result = solver.solveLines(n, drawn.data(), -1);
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", " << n << " dots, round " << round);
            ASSERT_TRUE(result.solved);
            ASSERT_EQ(result.value, reference.value());
            ASSERT_EQ(result.best, reference.best());
        }
    }
}

}  // namespace
