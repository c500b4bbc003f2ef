// Move ordering: priority classes, the worked orders, the capacity check and
// exactness against the literal sort.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "engine_fixture.h"
#include "exactness.h"
#include "literal_ordering.h"

namespace {

// Lines of a chosen priority class, each with its own two neighbour quads.
struct SyntheticLines {
    std::deque<Quad> quads;
    std::deque<Line> lines;
    Line drawn;
    Line blank;

    SyntheticLines() { drawn.owner = 1; }

    Quad* quadWith(int32_t drawnSides) {
        Quad& q = quads.emplace_back();
        for (int32_t s = 0; s < 4; ++s) q.sides[s] = s < drawnSides ? &drawn : &blank;
        q.drawn = static_cast<uint8_t>(drawnSides);
        return &q;
    }
    Line* line(int32_t priorityClass, int32_t weight = 24) {
        // Neighbour pairs that give each class.
        static constexpr int32_t kPairs[6][2] = {{3, 3}, {0, 3}, {0, 0}, {0, 1}, {2, 2}, {0, 2}};
        Line& l = lines.emplace_back();
        l.weight = weight;
        l.index = static_cast<int32_t>(lines.size()) - 1;
        l.quadA = quadWith(kPairs[priorityClass][0]);
        l.quadB = quadWith(kPairs[priorityClass][1]);
        return &l;
    }
    // Sorts lines of the given classes, listed in available order; returns
    // the positions (in that list) of the lines in sorted order.
    std::vector<int32_t> sortedPositions(std::initializer_list<int32_t> classes) {
        std::vector<Line*> items;
        for (int32_t c : classes) items.push_back(line(c));
        const int32_t base = items.front()->index;
        std::vector<Line*> plain = items;
        sortLines(items.data(), 0, static_cast<int32_t>(items.size()) - 1);
        literal::sortLines(plain.data(), 0, static_cast<int32_t>(plain.size()) - 1);
        EXPECT_EQ(items, plain);
        std::vector<int32_t> positions;
        for (Line* l : items) positions.push_back(l->index - base);
        return positions;
    }
};

TEST(PriorityKey, ClassByNeighbourPair) {
    SyntheticLines s;
    const struct {
        int32_t a, b, priorityClass;
    } table[] = {{3, 3, 0}, {0, 3, 1}, {3, 1, 1}, {2, 3, 1}, {0, 0, 2}, {0, 1, 3},
                 {1, 0, 3}, {1, 1, 3}, {2, 2, 4}, {0, 2, 5}, {2, 1, 5}, {1, 2, 5}};
    for (const auto& row : table) {
        Line l;
        l.weight = 40;
        l.quadA = s.quadWith(row.a);
        l.quadB = s.quadWith(row.b);
        EXPECT_EQ(priorityKey(l), 40 + row.priorityClass) << "pair " << row.a << ", " << row.b;
        l.owner = 2;
        EXPECT_EQ(priorityKey(l), 140);
    }
}

TEST(PriorityKey, EdgeLinesCountTheMissingNeighbourAsZero) {
    // Line 0 of a 3-dot board is the top edge of quad 0 (sides 0, 2, 3, 5).
    Board board(3, 2);
    Line& edge = board.lines[0];
    EXPECT_EQ(priorityKey(edge), 12 + 2);
    board.playMove(2);
    EXPECT_EQ(priorityKey(edge), 12 + 3);
    board.playMove(5);
    EXPECT_EQ(priorityKey(edge), 12 + 5);
    board.playMove(3);
    EXPECT_EQ(priorityKey(edge), 12 + 1);
    board.playMove(0);
    EXPECT_EQ(priorityKey(edge), 12 + 100);
}

TEST(PriorityKey, InnerLineBetweenTwoQuads) {
    // Line 3 ("B1-B2") parts quad 0 (0, 2, 3, 5) from quad 1 (1, 3, 4, 6).
    const struct {
        std::initializer_list<MoveIndex> moves;
        int32_t priorityClass;
    } table[] = {
        {{}, 2},           {{0}, 3},          {{0, 1}, 3},    {{0, 5}, 5},
        {{0, 5, 1}, 5},    {{0, 5, 1, 6}, 4}, {{0, 2, 5}, 1}, {{0, 2, 5, 1, 4, 6}, 0},
        {{0, 2, 5, 1}, 1},
    };
    for (const auto& row : table) {
        Board board(3, 2);
        playAll(board, row.moves);
        EXPECT_EQ(priorityKey(board.lines[3]), 12 + row.priorityClass)
            << "after " << row.moves.size() << " moves";
    }
}

TEST(SortLines, WorkedOrders) {
    SyntheticLines s;
    // p 3, q 3, r 3, s 2 gives s, p, r, q.
    EXPECT_EQ(s.sortedPositions({3, 3, 3, 2}), (std::vector<int32_t>{3, 0, 2, 1}));
    // p 3, q 2, r 3, s 3, t 2 gives t, q, p, s, r.
    EXPECT_EQ(s.sortedPositions({3, 2, 3, 3, 2}), (std::vector<int32_t>{4, 1, 0, 3, 2}));
    // u 2, v 5, w 2, x 0, y 5, z 1 gives x, z, u, w, v, y.
    EXPECT_EQ(s.sortedPositions({2, 5, 2, 0, 5, 1}), (std::vector<int32_t>{3, 5, 0, 2, 1, 4}));
    // All keys equal: unchanged.
    EXPECT_EQ(s.sortedPositions({4, 4, 4, 4, 4}), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    // Completing moves first, class 4 before class 5.
    EXPECT_EQ(s.sortedPositions({5, 4, 5, 4, 1, 0}), (std::vector<int32_t>{5, 4, 1, 3, 0, 2}));
}

TEST(SortLines, EmptyAndSingleRangesStayUnchanged) {
    SyntheticLines s;
    std::vector<Line*> items = {s.line(5), s.line(0)};
    const std::vector<Line*> before = items;
    sortLines(items.data(), 1, 0);
    sortLines(items.data(), 0, 0);
    sortLines(items.data(), 1, 1);
    EXPECT_EQ(items, before);
}

TEST(SortLines, ManyDistinctKeysAndLongRangesMatchTheLiteralSort) {
    // Lines of several board sizes have different weights, so a list of them
    // can hold more distinct keys than one board ever has.
    SyntheticLines s;
    std::mt19937 random(7);
    std::vector<Line*> items;
    for (int32_t i = 0; i < 300; ++i)
        items.push_back(s.line(static_cast<int32_t>(random() % 6), 12 + 12 * (i % 5)));
    std::vector<Line*> plain = items;
    sortLines(items.data(), 0, 299);
    literal::sortLines(plain.data(), 0, 299);
    EXPECT_EQ(items, plain);

    // Longer than any board: the same line may appear many times.
    std::vector<Line*> repeated;
    for (int32_t i = 0; i < 2500; ++i) repeated.push_back(&s.lines[random() % 300]);
    std::vector<Line*> repeatedPlain = repeated;
    sortLines(repeated.data(), 0, 2499);
    literal::sortLines(repeatedPlain.data(), 0, 2499);
    EXPECT_EQ(repeated, repeatedPlain);
}

TEST(ShortEntryOrder, ReadInStepsGivesTheLiteralOrder) {
    // 64 lines of each class; a list takes distinct lines of the classes it draws.
    SyntheticLines s;
    std::vector<Line*> ofClass[6];
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t k = 0; k < ShortEntryOrder::kMaxEntries; ++k) ofClass[c].push_back(s.line(c));
    std::mt19937 random(16);
    for (int32_t trial = 0; trial < 4000; ++trial) {
        const auto count = static_cast<int32_t>(1 + random() % ShortEntryOrder::kMaxEntries);
        const uint32_t classes = 1 + random() % 63;
        std::vector<Line*> lines;
        std::vector<int32_t> entries;
        size_t used[6] = {};
        while (static_cast<int32_t>(lines.size()) < count) {
            const auto c = static_cast<int32_t>(random() % 6);
            if ((classes >> c & 1) == 0) continue;
            entries.push_back(c << kEntryClassShift | static_cast<int32_t>(lines.size()));
            lines.push_back(ofClass[c][used[c]++]);
        }
        std::vector<Line*> sorted = lines;
        literal::sortLines(sorted.data(), 0, count - 1);
        ShortEntryOrder order(entries.data(), count);
        order.noteRanks();
        // Read as a search does: from some move on, one at a time.
        for (auto i = static_cast<int32_t>(random() % static_cast<uint32_t>(count)); i < count;
             ++i) {
            const int32_t ready = order.finalThrough(i);
            ASSERT_GT(ready, i) << "trial " << trial;
            for (int32_t k = 0; k < ready; ++k)
                ASSERT_EQ(lines[static_cast<size_t>(entries[k] & kEntryPayloadMask)], sorted[k])
                    << "trial " << trial << ", entry " << k << " of " << count;
        }
    }
}

TEST(OrderedMoves, FreshBoardKeepsIndexOrder) {
    Board board(4, 2);
    for (int32_t i = 0; i < 24; ++i) EXPECT_EQ(priorityKey(board.lines[i]), 26);
    std::vector<MoveIndex> expected(24);
    for (int32_t i = 0; i < 24; ++i) expected[static_cast<size_t>(i)] = i;
    EXPECT_EQ(orderedMovesOf(board), expected);
    board.playMove(5);
    EXPECT_EQ(priorityKey(board.lines[5]), 124);
}

TEST(OrderedMoves, ThreeDotPositionWithAQuadToTake) {
    Board board(3, 2);
    playAll(board, {0, 2, 11, 5});
    std::vector<MoveIndex> available;
    std::vector<int32_t> classes;
    for (int32_t i = 0; i < board.availableCount; ++i) {
        available.push_back(board.available[i]->index);
        classes.push_back(priorityKey(*board.available[i]) - 12);
    }
    EXPECT_EQ(available, (std::vector<MoveIndex>{9, 1, 10, 3, 4, 8, 6, 7}));
    EXPECT_EQ(classes, (std::vector<int32_t>{3, 2, 3, 1, 2, 3, 3, 3}));
    EXPECT_EQ(orderedMovesOf(board), (std::vector<MoveIndex>{3, 4, 1, 9, 10, 8, 6, 7}));
}

TEST(OrderedMoves, CapacityIsCheckedBeforeAnythingIsWritten) {
    Board board(3, 2);
    std::vector<MoveIndex> buffer(13, -7);
    EXPECT_EQ(orderedMoves(board, buffer.data(), 12), 12);
    EXPECT_EQ(buffer[11], 11);
    EXPECT_EQ(buffer[12], -7);

    std::fill(buffer.begin(), buffer.end(), -7);
    try {
        orderedMoves(board, buffer.data(), 11);
        ADD_FAILURE() << "no error for a capacity below availableCount";
    } catch (const char* error) {
        EXPECT_STREQ(error, "Out of memory");
    }
    EXPECT_EQ(buffer, std::vector<MoveIndex>(13, -7));

    // A finished game: nothing to write, any capacity of 0 or more will do.
    Board done(2, 2);
    playAll(done, {0, 1, 2, 3});
    EXPECT_EQ(orderedMoves(done, buffer.data(), 0), 0);
    EXPECT_EQ(buffer, std::vector<MoveIndex>(13, -7));
    EXPECT_THROW(orderedMoves(done, buffer.data(), -1), const char*);
}

TEST(OrderedMoves, MatchesTheLiteralSortOnRandomPositionsOfEverySize) {
    // Large boards cost the literal sort O(lines^2) per position, so they get
    // fewer positions here; the slow test runs many more of every size.
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n)
        expectOrderingMatchesLiteral(n,
                                     n <= 8    ? 2000
                                     : n <= 16 ? 300
                                               : 60,
                                     static_cast<uint32_t>(1000 + n));
}

}  // namespace
