// Helpers shared by the engine tests: an owning board, playing a list of
// moves, and a search without time limit.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include "engine/search_engine.h"
#include "model/board.h"

struct OwnedBoard {
    Board board;
    explicit OwnedBoard(int32_t n) { board.createBoard(n, 2); }
    ~OwnedBoard() { board.releaseBoard(); }
    OwnedBoard(const OwnedBoard&) = delete;
    OwnedBoard& operator=(const OwnedBoard&) = delete;
    Board* operator->() { return &board; }
};

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
            const int32_t priorityClass = board.available[i]->priorityKey() - board.lineCount;
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
    board.orderedMoves(moves.data(), board.availableCount);
    return moves;
}

// What a search leaves behind, for comparing with a table of figures.
struct SearchFigures {
    MoveIndex move;
    int32_t leafCount;
    int32_t nodeCount;
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
