// The engine against the literal search on random positions: the same move,
// leafCount, nodeCount, lastValue, currentDepth and best root move, whole
// searches and searches cut short after exactly N nodes, and the board left
// exactly as it was. Shared by the quick test and the release-only one, which
// differ only in volume.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../support/board_snapshot.h"
#include "engine_fixture.h"
#include "literal_search.h"

namespace exactness {

// How a random position is reached from the fresh board.
enum class Opening {
    randomMoves,     // any lines: quads to take and long chains appear
    safeThenRandom,  // a middle game with no quad to take, then a few random lines
    longChain,       // one chain through the whole board, opened in its middle
    finished,        // every line drawn
};

inline const char* openingName(Opening o) {
    switch (o) {
        case Opening::randomMoves:
            return "random moves";
        case Opening::safeThenRandom:
            return "safe moves, then random";
        case Opening::longChain:
            return "long chain opened in the middle";
        case Opening::finished:
            return "finished game";
        default:
            return "?";
    }
}

inline bool captureAvailable(const Board& b) {
    for (int32_t i = 0; i < b.availableCount; ++i)
        if (priorityKey(*b.available[i]) - b.lineCount <= 1) return true;
    return false;
}

inline void playRandomLine(Board& b, std::mt19937& random) {
    b.playMove(b.available[random() % static_cast<uint32_t>(b.availableCount)]->index);
}

// Plays a position of the given kind. Random-move positions end, half of
// them, where a quad can be taken; the other half are taken on by the side
// to move until none can, so that both kinds are common at every stage of
// the game (random play late in a game nearly always leaves a quad to take).
inline void playOpening(Board& b, Opening opening, std::mt19937& random) {
    switch (opening) {
        case Opening::randomMoves: {
            const int32_t target = static_cast<int32_t>(random() % (b.lineCount + 1));
            while (b.historyLength < target) playRandomLine(b, random);
            if (random() % 2 == 0) {
                while (b.availableCount > 0 && !captureAvailable(b)) playRandomLine(b, random);
            } else {
                while (captureAvailable(b)) b.playMove(orderedMovesOf(b).front());
                // Taken to the end: back to the last position where the side
                // to move had lines left and none of them took a quad.
                while (b.historyLength > 0 && (b.availableCount == 0 || captureAvailable(b)))
                    b.undoMove();
            }
            break;
        }
        case Opening::safeThenRandom: {
            playSafeMovesWhileAny(b, random());
            const int32_t extra = static_cast<int32_t>(random() % 4);
            for (int32_t k = 0; k < extra && b.availableCount > 0; ++k) playRandomLine(b, random);
            break;
        }
        case Opening::longChain: {
            playLongChainOpenedInTheMiddle(b);
            // Some of the chain taken already, by either side.
            const int32_t taken = static_cast<int32_t>(random() % (b.availableCount + 1));
            for (int32_t k = 0; k < taken; ++k) playRandomLine(b, random);
            break;
        }
        default:
            while (b.availableCount > 0) playRandomLine(b, random);
            break;
    }
}

// How much work one position may cost the literal search: it sorts every
// interior node with a quadratic sort, so big boards get fewer nodes.
struct Volume {
    int64_t work;      // about nodes x available lines
    int64_t maxNodes;  // whatever the board
    int32_t maxDepth;
    int32_t randomBudgets;  // random N per position, besides the fixed ones
};

struct Figures {
    MoveIndex move;
    int64_t leafCount;
    int64_t nodeCount;
    int32_t lastValue;
    int32_t currentDepth;
    MoveIndex bestRootMove;
    bool operator==(const Figures&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Figures& f) {
    return out << "{move " << f.move << ", leaves " << f.leafCount << ", nodes " << f.nodeCount
               << ", lastValue " << f.lastValue << ", depth " << f.currentDepth << ", bestRootMove "
               << f.bestRootMove << "}";
}

// The two searches compared: the engine and the literal search.
struct Searchers {
    SearchEngine engine;
    literal::LiteralSearch plain;
};

struct Comparison {
    Figures fast;
    Figures plain;
    std::vector<int64_t> iterationEnds;  // the literal search's
};

// Both searches of one position with one node budget; each must leave the
// board exactly as it found it. The literal search starts from the engine's
// best root move and last value, which a position without moves leaves
// unchanged.
inline Comparison compareSearches(Board& b, int32_t player, int32_t depth, int64_t nodeBudget,
                                  bool stopFirst, Searchers& searchers) {
    SearchEngine& engine = searchers.engine;
    literal::LiteralSearch& plain = searchers.plain;
    const BoardSnapshot before = snapshot(b);
    plain.board = &b;
    plain.computerPlayer = player;
    plain.nodeBudget = nodeBudget;
    plain.stopBeforeStart = stopFirst;
    plain.bestRootMove = engine.bestRootMove;
    plain.lastValue = engine.lastValue;
    Comparison c;
    c.plain.move = plain.chooseMove(depth);
    c.plain.leafCount = plain.leafCount;
    c.plain.nodeCount = plain.nodeCount;
    c.plain.lastValue = plain.lastValue;
    c.plain.currentDepth = plain.currentDepth;
    c.plain.bestRootMove = plain.bestRootMove;
    c.iterationEnds = plain.iterationEnds;
    EXPECT_TRUE(snapshot(b) == before) << "the literal search changed the board";

    engine.board = &b;
    engine.computerPlayer = player;
    engine.nodeBudget = nodeBudget;
    if (stopFirst) engine.requestStop();
    c.fast.move = engine.chooseMove(depth, kNoTimeLimit);
    c.fast.leafCount = engine.leafCount;
    c.fast.nodeCount = engine.nodeCount;
    c.fast.lastValue = engine.lastValue;
    c.fast.currentDepth = engine.currentDepth;
    c.fast.bestRootMove = engine.bestRootMove;
    EXPECT_TRUE(snapshot(b) == before) << "the engine changed the board";
    EXPECT_EQ(engine.stackTop, 0);
    engine.nodeBudget = INT64_MAX;
    return c;
}

// Budgets that cut a search of T nodes at its edges: the first nodes, the
// last ones, around the end of every iteration, and random ones.
inline std::vector<int64_t> budgetsToTry(int64_t total, const std::vector<int64_t>& ends,
                                         int32_t randomCount, std::mt19937& random) {
    std::vector<int64_t> budgets = {1, 2, total - 1, total, total + 1};
    for (int64_t e : ends) budgets.insert(budgets.end(), {e - 1, e, e + 1, e + 2});
    for (int32_t k = 0; k < randomCount; ++k)
        budgets.push_back(1 + static_cast<int64_t>(random() % static_cast<uint64_t>(total)));
    std::sort(budgets.begin(), budgets.end());
    budgets.erase(std::unique(budgets.begin(), budgets.end()), budgets.end());
    budgets.erase(std::remove_if(budgets.begin(), budgets.end(),
                                 [&](int64_t n) { return n < 1 || n > total + 1; }),
                  budgets.end());
    return budgets;
}

// Everything for one position of n dots, reached from seed: searches of
// depth 1, 2, ... while they fit the volume, then the deepest whole one cut
// at many budgets, and a stop asked for before the search. Returns the number
// of comparisons made.
inline int32_t checkPosition(int32_t n, Opening opening, uint32_t seed, const Volume& volume,
                             Searchers& searchers) {
    std::mt19937 random(seed);
    Board b(n, 2);
    playOpening(b, opening, random);
    const int32_t player = static_cast<int32_t>(random() % 2);
    SCOPED_TRACE(::testing::Message()
                 << n << " dots, seed " << seed << ", " << openingName(opening) << ", "
                 << b.historyLength << " lines drawn, " << b.availableCount << " left, scores "
                 << b.scores[0] << ":" << b.scores[1] << ", player " << b.sideToMove
                 << " to move, computer plays " << player);
    // At least a whole first iteration and a little of the second.
    const int64_t cap = std::clamp<int64_t>(volume.work / std::max(1, b.availableCount),
                                            2 * b.availableCount + 2, volume.maxNodes);
    int32_t comparisons = 0;

    int32_t wholeDepth = 0;  // deepest search that ran to its end within the cap
    int64_t wholeNodes = 0;
    std::vector<int64_t> wholeEnds;
    for (int32_t depth = 1; depth <= volume.maxDepth; ++depth) {
        const Comparison c = compareSearches(b, player, depth, cap, false, searchers);
        ++comparisons;
        EXPECT_EQ(c.fast, c.plain) << "depth " << depth << ", node budget " << cap;
        if (c.fast != c.plain || ::testing::Test::HasFatalFailure()) return comparisons;
        if (c.plain.nodeCount >= cap) break;
        wholeDepth = depth;
        wholeNodes = c.plain.nodeCount;
        wholeEnds = c.iterationEnds;
        // Past the end of the game every iteration searches the same tree.
        if (depth > b.availableCount) break;
    }

    if (wholeDepth > 0 && wholeNodes > 0) {
        for (int64_t budget : budgetsToTry(wholeNodes, wholeEnds, volume.randomBudgets, random)) {
            const Comparison c = compareSearches(b, player, wholeDepth, budget, false, searchers);
            ++comparisons;
            EXPECT_EQ(c.fast, c.plain) << "depth " << wholeDepth << " of " << wholeNodes
                                       << " nodes, node budget " << budget;
            if (c.fast != c.plain) return comparisons;
        }
    }

    const int32_t stopDepth = std::max(1, wholeDepth);
    const Comparison c = compareSearches(b, player, stopDepth, cap, true, searchers);
    ++comparisons;
    EXPECT_EQ(c.fast, c.plain) << "stop asked for before a search of depth " << stopDepth;
    return comparisons;
}

// Positions of every size, more of the small boards, whose searches are
// cheap and deep; seeds follow from firstSeed.
inline void checkEverySize(int32_t positionsOfTwoDots, uint32_t firstSeed, const Volume& volume) {
    Searchers searchers;
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n) {
        const int32_t positionsPerSize = std::max(4, positionsOfTwoDots * 4 / (n * n));
        for (int32_t p = 0; p < positionsPerSize; ++p) {
            const uint32_t seed = firstSeed + static_cast<uint32_t>(n * 100000 + p);
            // Every kind of opening on every size, even where there are few;
            // random moves twice as often as the others.
            constexpr Opening kinds[] = {Opening::randomMoves, Opening::safeThenRandom,
                                         Opening::randomMoves, Opening::longChain,
                                         Opening::finished};
            const Opening opening = kinds[(n + p) % 5];
            checkPosition(n, opening, seed, volume, searchers);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace exactness
