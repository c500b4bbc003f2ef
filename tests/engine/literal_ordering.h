// A plain transcription of the move ordering, kept as the reference that the
// fast sort must match permutation for permutation: keys are computed at
// every comparison (the pivot's included), and a partition scans its whole
// range even when nothing can move.
#pragma once

#include <cstdint>
#include <utility>

#include "engine/move_ordering.h"
#include "model/board.h"

namespace literal {

inline void partitionLines(Line** items, int32_t first, int32_t last, int32_t& leftEnd,
                           int32_t& rightStart) {
    Line* pivot = items[first];
    int32_t j = first + 1;
    for (int32_t i = first + 1; i <= last; ++i) {
        if (priorityKey(*items[i]) < priorityKey(*pivot)) {
            std::swap(items[i], items[j]);
            ++j;
        }
    }
    items[first] = items[j - 1];
    items[j - 1] = pivot;
    leftEnd = j - 2;
    rightStart = j;
}

inline void sortLines(Line** items, int32_t first, int32_t last) {
    while (first < last) {
        int32_t leftEnd = 0;
        int32_t rightStart = 0;
        literal::partitionLines(items, first, last, leftEnd, rightStart);
        literal::sortLines(items, first, leftEnd);
        first = rightStart;
    }
}

inline int32_t orderedMoves(Board& board, MoveIndex* buffer, int32_t capacity) {
    if (capacity < board.availableCount) throw kOutOfMemory;
    for (int32_t i = 0; i < board.availableCount; ++i) board.sortScratch[i] = board.available[i];
    literal::sortLines(board.sortScratch, 0, board.availableCount - 1);
    for (int32_t i = 0; i < board.availableCount; ++i) buffer[i] = board.sortScratch[i]->index;
    return board.availableCount;
}

}  // namespace literal
