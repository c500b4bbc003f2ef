// Move ordering: the order in which the search tries a position's moves.
//
// Lines that complete quads come first, then lines after which no neighbour
// has three drawn sides, and last the lines that leave a quad to be taken.
// Alpha-beta keeps the first of equally valued moves, so the exact
// permutation of the quicksort below, ties included, decides which of them
// the computer plays: every function here gives exactly the permutation of
// the plain quicksort of repeated partitionLines steps.
#pragma once

#include <cstdint>

#include "model/board.h"

// weight + priority class (0 to 5 undrawn, 100 drawn); lower keys go first.
// Also the number the debug overlay writes next to each line.
int32_t priorityKey(const Line& line);

// Writes board.available in priority order into buffer and returns how many;
// throws kOutOfMemory, writing nothing, when capacity < availableCount.
int32_t orderedMoves(Board& board, MoveIndex* buffer, int32_t capacity);

// The unstable quicksort by ascending key: one partition step about
// items[first], and the whole sort of items[first..last].
void partitionLines(Line** items, int32_t first, int32_t last, int32_t& leftEnd,
                    int32_t& rightStart);
void sortLines(Line** items, int32_t first, int32_t last);
