// Helpers shared by the engine tests: playing a list of moves, built
// positions, and a search without time limit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

#include "engine/move_ordering.h"
#include "engine/search_engine.h"
#include "model/board.h"

inline void playAll(Board& board, std::initializer_list<MoveIndex> moves) {
    for (MoveIndex m : moves) board.playMove(m);
}

// A middle game: random moves that leave no quad with three drawn sides,
// played until no such move is left.
inline void playSafeMovesWhileAny(Board& board, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<MoveIndex> safe;
    for (;;) {
        safe.clear();
        for (int32_t i = 0; i < board.availableCount; ++i) {
            const int32_t priorityClass = priorityKey(*board.available[i]) - board.lineCount;
            if (priorityClass == 2 || priorityClass == 3) safe.push_back(board.available[i]->index);
        }
        if (safe.empty()) return;
        board.playMove(safe[random() % safe.size()]);
    }
}

// Its timer sleeps for about 24 days, so it never ends a test's search.
inline constexpr int32_t kNoTimeLimit = std::numeric_limits<int32_t>::max();

inline std::vector<MoveIndex> orderedMovesOf(Board& board) {
    std::vector<MoveIndex> moves(static_cast<size_t>(board.availableCount));
    orderedMoves(board, moves.data(), board.availableCount);
    return moves;
}

// An endgame that no search gets through at depth 1: every quad is part of
// one chain snaking row by row through the board, each with exactly two drawn
// sides, and the chain has just been opened in its middle. The side to move
// can take all of it, from both ends of the opening in any interleaving, and
// depth 1 enumerates them all. Returns the opening line.
inline MoveIndex playLongChainOpenedInTheMiddle(Board& board) {
    const int32_t n = board.dotsPerSide, m = n - 1, block = 2 * n - 1;
    auto horizontal = [&](int32_t x, int32_t y) { return y * block + x; };
    auto vertical = [&](int32_t x, int32_t y) { return y * block + n - 1 + x; };
    std::vector<std::pair<int32_t, int32_t>> chain;  // quads (column, row) in chain order
    for (int32_t row = 0; row < m; ++row)
        for (int32_t k = 0; k < m; ++k) chain.push_back({row % 2 == 0 ? k : m - 1 - k, row});
    // The undrawn lines: both open ends of the chain, and the line each pair
    // of neighbours in it shares.
    std::vector<MoveIndex> links = {vertical(0, 0)};
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        const auto [c1, r1] = chain[i];
        const auto [c2, r2] = chain[i + 1];
        links.push_back(r1 == r2 ? vertical(std::max(c1, c2), r1) : horizontal(c1, r2));
    }
    const auto [lastColumn, lastRow] = chain.back();
    links.push_back(lastColumn == m - 1 ? vertical(m, lastRow) : vertical(0, lastRow));
    for (MoveIndex line = 0; line < board.lineCount; ++line)
        if (std::find(links.begin(), links.end(), line) == links.end()) board.playMove(line);
    const MoveIndex opening = links[links.size() / 2];
    board.playMove(opening);
    return opening;
}

inline bool isUndrawnLine(const Board& board, MoveIndex move) {
    return move >= 0 && move < board.lineCount && board.lines[move].owner == 0;
}

// What a search leaves behind, for comparing with a table of figures.
struct SearchFigures {
    MoveIndex move;
    int64_t leafCount;
    int64_t nodeCount;
    int32_t lastValue;
    int32_t currentDepth;
    bool operator==(const SearchFigures&) const = default;
};

inline void PrintTo(const SearchFigures& f, std::ostream* out) {
    *out << "{move " << f.move << ", leaves " << f.leafCount << ", nodes " << f.nodeCount
         << ", lastValue " << f.lastValue << ", depth " << f.currentDepth << "}";
}

inline SearchFigures searchFigures(SearchEngine& engine, int32_t depth,
                                   int32_t timeLimitMs = kNoTimeLimit) {
    const MoveIndex move = engine.chooseMove(depth, timeLimitMs);
    return {move, engine.leafCount, engine.nodeCount, engine.lastValue, engine.currentDepth};
}
