// The word copy of a small board against the board it mirrors: along random
// walks of plays and take-backs on every size it holds, with the processor's
// population count and without it, its side to move, scores, chain metric,
// available order, shapes, ordering entries and their ranks, and children's
// counts must be the board's.
#include "engine/bit_position.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/move_ordering.h"
#include "model/board.h"

namespace {

// The words count the three shapes that complete one quad under shape 6.
ShapeCounts asCountedInWords(ShapeCounts shapes) {
    shapes.count[6] += shapes.count[7] + shapes.count[8];
    shapes.count[7] = shapes.count[8] = 0;
    return shapes;
}

void expectCounts(const ShapeCounts& got, const ShapeCounts& want, const char* what) {
    for (int32_t shape = 0; shape < kShapeCount; ++shape)
        EXPECT_EQ(got.count[shape], want.count[shape]) << what << ", shape " << shape;
}

template <PopCount kCount>
void expectWordsFollowTheBoard(Board& board, BitPosition& words) {
    ASSERT_EQ(words.availableCount(), board.availableCount);
    EXPECT_EQ(words.sideToMove(), board.sideToMove);
    EXPECT_EQ(words.chainMetric(), board.chainMetric);
    EXPECT_EQ(words.score(0), board.scores[0]);
    EXPECT_EQ(words.score(1), board.scores[1]);

    // Room for the blocks of 8 that the words copy entries in.
    std::vector<int32_t> want(static_cast<size_t>(board.lineCount) + 8);
    std::vector<int32_t> got(want.size());
    const ShapeCounts shapes = shapeEntries(board, want.data());
    expectCounts(words.shapes<kCount>(), asCountedInWords(shapes), "shapes");
    ShortEntryOrder order(got.data(), board.availableCount);
    words.entries(order);
    ShortEntryOrder noted(want.data(), board.availableCount);
    noted.noteRanks();
    for (int32_t rank = 0; rank < 8; ++rank)
        EXPECT_EQ(order.atRank[rank], noted.atRank[rank]) << "rank " << rank;
    for (int32_t i = 0; i < board.availableCount; ++i) {
        ASSERT_EQ(got[i], want[i]) << "entry " << i;
        const MoveIndex m = board.available[i]->index;
        EXPECT_EQ(words.shapeOf(m), shapeOf(board.lines[m])) << "line " << m;
    }

    // Each child's quiet counts, or only that it has a quad to take.
    for (int32_t i = 0; i < board.availableCount; ++i) {
        const MoveIndex m = board.available[i]->index;
        const ShapeCounts after = words.shapesAfter<kCount>(m);
        board.playMove(m);
        ShapeCounts child = shapeEntries(board, want.data());
        board.undoMove();
        if (child.anyCapture()) child = ShapeCounts{}, child.count[9] = 1;
        expectCounts(after, child, "after a line");
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(BitPosition, FollowsTheBoardAlongRandomWalks) {
    for (int32_t n = kMinDotsPerSide; n <= BitPosition::kMaxDots; ++n) {
        for (const bool instruction : {true, false}) {
            const uint32_t seed = 500u + static_cast<uint32_t>(n) * 2u + instruction;
            SCOPED_TRACE(::testing::Message()
                         << n << " dots, seed " << seed << (instruction ? "" : ", portable count"));
            std::mt19937 random(seed);
            Board board(n, 2);
            auto randomLine = [&] {
                return board.available[random() % static_cast<uint32_t>(board.availableCount)]
                    ->index;
            };
            // Built in the middle of a game, so that the available order is
            // no longer the fresh one.
            const auto opening = static_cast<int32_t>(random() % (board.lineCount / 2 + 1));
            for (int32_t k = 0; k < opening; ++k) board.playMove(randomLine());
            BitPosition words;
            words.build(board);
            std::vector<MoveIndex> played;
            for (int32_t step = 0; step < 300; ++step) {
                if (board.availableCount > 0 && (played.empty() || random() % 3 != 0)) {
                    const MoveIndex m = randomLine();
                    board.playMove(m);
                    words.play(m);
                    played.push_back(m);
                } else {
                    board.undoMove();
                    words.undo(played.back());
                    played.pop_back();
                }
                if (instruction)
                    expectWordsFollowTheBoard<PopCount::instruction>(board, words);
                else
                    expectWordsFollowTheBoard<PopCount::portable>(board, words);
                if (HasFailure()) return;
            }
        }
    }
}

}  // namespace
