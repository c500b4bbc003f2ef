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

// The neighbourhood of an undrawn line: the unordered pair of its two quads'
// drawn sides (0 for a missing quad). Shapes 0-5 leave the turn to the other
// side; 6-9 complete a quad and keep it. Ten shapes cover every line.
inline constexpr int32_t kShapeCount = 10;
inline constexpr int32_t kFirstCaptureShape = 6;
inline constexpr int8_t kShapeByNeighbours[4][4] = {
    {0, 1, 4, 6},  // {0,0} {0,1} {0,2} {0,3}
    {1, 2, 5, 7},  //       {1,1} {1,2} {1,3}
    {4, 5, 3, 8},  //             {2,2} {2,3}
    {6, 7, 8, 9},  //                   {3,3}
};
inline constexpr int8_t kClassOfShape[kShapeCount] = {2, 3, 3, 4, 5, 5, 1, 1, 1, 0};
// What drawing a line of each shape does to the chain metric: +1 for a
// neighbour reaching two drawn sides, -1 for one leaving two for three.
inline constexpr int8_t kChainDeltaOfShape[kShapeCount] = {0, 1, 2, -2, -1, 0, 0, 1, -1, 0};
// How many quads it completes.
inline constexpr int8_t kCompletedByShape[kShapeCount] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 2};

inline int32_t shapeOf(const Line& line) {
    const int32_t a = line.quadA->drawnSides();
    const int32_t b = line.quadB ? line.quadB->drawnSides() : 0;
    return kShapeByNeighbours[a][b];
}

// How many of a position's available lines have each shape.
struct ShapeCounts {
    int32_t count[kShapeCount] = {};

    bool anyCapture() const { return (count[6] | count[7] | count[8] | count[9]) != 0; }
    void classCounts(int32_t classCount[6]) const {
        for (int32_t c = 0; c < 6; ++c) classCount[c] = 0;
        for (int32_t s = 0; s < kShapeCount; ++s) classCount[kClassOfShape[s]] += count[s];
    }
};

// weight + priority class (0 to 5 undrawn, 100 drawn); lower keys go first.
// Also the number the debug overlay writes next to each line.
int32_t priorityKey(const Line& line);

// Writes board.available in priority order into buffer and returns how many;
// throws kOutOfMemory, writing nothing, when capacity < availableCount.
int32_t orderedMoves(Board& board, MoveIndex* buffer, int32_t capacity);

// The search's ordering in two steps, so that it can look at the shapes
// before it pays for the sort. An entry is class << kEntryClassShift |
// MoveIndex. shapeEntries writes one for each available line, in available
// order, and counts the shapes; orderEntries sorts such entries in place into
// exactly the order of orderedMoves and leaves the bare MoveIndex in each.
inline constexpr int32_t kEntryClassShift = 16;
inline constexpr int32_t kEntryPayloadMask = (1 << kEntryClassShift) - 1;
ShapeCounts shapeEntries(const Board& board, int32_t* buffer);
void orderEntries(int32_t* buffer, int32_t count, const ShapeCounts& shapes);

// How many entries of each rank (class) a range of the sort holds; 16 bytes,
// passed in registers.
struct RankCounts {
    uint16_t count[8];
};

// orderEntries in steps, for a search that may stop after its first few
// moves. The sort's outer loop runs only as far as the reader has got; what
// it has passed is final, and the same as the whole sort would make it.
struct EntryOrder {
    EntryOrder(int32_t* entries, int32_t count, const ShapeCounts& shapes);
    // Puts entries[0..i] in their final places, class bits still above the
    // payload (the reader masks them off); returns how many are final.
    int32_t finalThrough(int32_t i);

    int32_t* entries;
    int32_t last;
    int32_t sortFirst = 0;  // where the sort's outer loop stands
    RankCounts rankCounts;  // of entries[sortFirst..last]
    uint32_t present = 0;   // bit r: rankCounts[r] > 0
};

// EntryOrder for at most 64 entries, the same order step for step. The
// positions of each rank are kept as a mask, so that a partition finds the
// entries that go left with a few word operations and touches only those.
struct ShortEntryOrder {
    static constexpr int32_t kMaxEntries = 64;
    // The entries and atRank are to be written by the caller (or by
    // noteRanks, from the entries) before the first finalThrough.
    ShortEntryOrder(int32_t* unsorted, int32_t count) : entries(unsorted), last(count - 1) {}
    void noteRanks();
    int32_t finalThrough(int32_t i) { return i < sortFirst ? sortFirst : sortThrough(i); }

    int32_t* entries;
    int32_t last;
    int32_t sortFirst = 0;    // where the sort's outer loop stands
    uint64_t atRank[8] = {};  // bit p of atRank[r]: entries[p] has rank r

private:
    int32_t sortThrough(int32_t i);
};

// The unstable quicksort by ascending key: one partition step about
// items[first], and the whole sort of items[first..last].
void partitionLines(Line** items, int32_t first, int32_t last, int32_t& leftEnd,
                    int32_t& rightStart);
void sortLines(Line** items, int32_t first, int32_t last);
