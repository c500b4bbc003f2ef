// The fast move ordering against the literal one on random positions: both
// must give the very same permutation, ties included.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine_fixture.h"
#include "literal_ordering.h"

// Plays random games on a board of n dots per side. Each position (a random
// number of random moves from the fresh board, quads completed on the way)
// is ordered both ways; then a random range of a shuffled list of all lines,
// drawn ones included, is sorted both ways. The board is restored by taking
// every move back.
inline void expectOrderingMatchesLiteral(int32_t n, int32_t positions, uint32_t seed) {
    SCOPED_TRACE(::testing::Message() << "dots per side " << n << ", seed " << seed);
    std::mt19937 random(seed);
    Board board(n, 2);
    Board& b = board;
    std::vector<MoveIndex> fast(static_cast<size_t>(b.lineCount));
    std::vector<MoveIndex> plain(static_cast<size_t>(b.lineCount));
    std::vector<Line*> all;
    for (int32_t i = 0; i < b.lineCount; ++i) all.push_back(&b.lines[i]);
    std::vector<Line*> mixedFast(all.size() + 2);
    std::vector<Line*> mixedPlain(all.size() + 2);

    for (int32_t p = 0; p < positions; ++p) {
        const int32_t moves =
            static_cast<int32_t>(random() % static_cast<uint32_t>(b.lineCount + 1));
        for (int32_t k = 0; k < moves; ++k)
            b.playMove(b.available[random() % static_cast<uint32_t>(b.availableCount)]->index);

        const int32_t count = orderedMoves(b, fast.data(), b.availableCount);
        literal::orderedMoves(b, plain.data(), b.availableCount);
        ASSERT_EQ(count, b.availableCount);
        ASSERT_TRUE(std::equal(fast.begin(), fast.begin() + count, plain.begin()))
            << "position " << p << " after " << moves << " moves";

        // Mixed drawn and undrawn lines, sorted within a sub-range only.
        std::shuffle(all.begin(), all.end(), random);
        std::copy(all.begin(), all.end(), mixedFast.begin() + 1);
        mixedFast.front() = mixedFast.back() = nullptr;
        mixedPlain = mixedFast;
        const int32_t last = 1 + static_cast<int32_t>(random() % all.size());
        const int32_t first = 1 + static_cast<int32_t>(random() % static_cast<uint32_t>(last));
        sortLines(mixedFast.data(), first, last);
        literal::sortLines(mixedPlain.data(), first, last);
        ASSERT_EQ(mixedFast, mixedPlain) << "position " << p << ", range " << first << ".." << last;

        for (int32_t k = 0; k < moves; ++k) b.undoMove();
    }
}
