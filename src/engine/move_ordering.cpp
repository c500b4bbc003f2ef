// Move ordering: the priority key of a line and the unstable quicksort that
// arranges the available moves by it.
//
// The sort's permutation, ties included, decides which of several equally
// valued moves the computer plays. sortLines therefore reproduces exactly the
// permutation of repeated partitionLines steps; it only skips the work that
// provably changes nothing (see sortRanked).
#include <cstdint>
#include <utility>

#include "model/board.h"

namespace {

// Priority class of an undrawn line by the drawn sides of its two neighbours
// (an absent neighbour counts 0). Symmetric: only the pair matters.
constexpr int8_t kClassByNeighbours[4][4] = {
    {2, 3, 5, 1},
    {3, 3, 5, 1},
    {5, 5, 4, 1},
    {1, 1, 1, 0},
};
constexpr int32_t kDrawnClass = 100;

inline int32_t drawnSidesOf(const Quad* quad) {
    return (quad->sides[0]->owner != 0) + (quad->sides[1]->owner != 0) +
           (quad->sides[2]->owner != 0) + (quad->sides[3]->owner != 0);
}

inline int32_t keyOf(const Line* line) {
    if (line->owner != 0) return line->weight + kDrawnClass;
    // The undrawn line is a side of both neighbours, so neither has 4 drawn.
    const int32_t a = drawnSidesOf(line->quadA);
    const int32_t b = line->quadB ? drawnSidesOf(line->quadB) : 0;
    return line->weight + kClassByNeighbours[a][b];
}

// Keys are replaced by their rank among the distinct keys of the range; a
// board's lines have at most 7 distinct keys (6 classes and "drawn").
constexpr uint32_t kMaxRanks = 8;
// Longest range sorted by rank; a board has at most 1,300 lines.
constexpr int32_t kMaxRankedRange = 2048;

// How many items of each rank a range holds; bit r of present is set exactly
// when count[r] > 0.
struct RankCounts {
    int32_t count[kMaxRanks];
    uint32_t present;
};

// The literal quicksort on items[first..last], with rank[i] the cached rank of
// items[i] and counts the composition of the range. Two exact shortcuts:
// - a step whose pivot has the smallest rank of its range moves nothing (no
//   item is strictly below it) and only advances first, so it costs O(1); a
//   range holding a single rank is therefore already in its final order;
// - a scan stops once every item below the pivot has been swapped left, since
//   the rest of the literal scan swaps nothing.
// Each real partition removes at least one rank from both parts, so the
// recursion is at most kMaxRanks deep and the sort is linear per rank.
void sortRanked(Line** items, uint8_t* rank, int32_t first, int32_t last, RankCounts counts) {
    while (first < last) {
        if ((counts.present & (counts.present - 1u)) == 0) return;
        const uint32_t pivotRank = rank[first];
        const uint32_t below = counts.present & ((1u << pivotRank) - 1u);
        if (below == 0) {
            if (--counts.count[pivotRank] == 0) counts.present &= ~(1u << pivotRank);
            ++first;
            continue;
        }
        RankCounts left{};
        left.present = below;
        int32_t smaller = 0;
        for (uint32_t r = 0; r < pivotRank; ++r) {
            left.count[r] = counts.count[r];
            smaller += counts.count[r];
            counts.count[r] = 0;
        }
        Line* const pivot = items[first];
        int32_t j = first + 1;
        const int32_t leftStop = first + 1 + smaller;
        for (int32_t i = first + 1; j < leftStop; ++i) {
            if (rank[i] < pivotRank) {
                std::swap(items[i], items[j]);
                std::swap(rank[i], rank[j]);
                ++j;
            }
        }
        items[first] = items[j - 1];
        rank[first] = rank[j - 1];
        items[j - 1] = pivot;
        rank[j - 1] = static_cast<uint8_t>(pivotRank);
        sortRanked(items, rank, first, j - 2, left);
        counts.present &= ~below;
        if (--counts.count[pivotRank] == 0) counts.present &= ~(1u << pivotRank);
        first = j;
    }
}

// Sorts items[0..count-1] through sortRanked. Returns false, having changed
// nothing, when the range is too long or holds too many distinct keys.
bool sortByRank(Line** items, int32_t count) {
    if (count > kMaxRankedRange) return false;
    int32_t keys[kMaxRankedRange];
    uint8_t rank[kMaxRankedRange];
    int32_t low = INT32_MAX;
    int32_t high = INT32_MIN;
    for (int32_t i = 0; i < count; ++i) {
        keys[i] = keyOf(items[i]);
        if (keys[i] < low) low = keys[i];
        if (keys[i] > high) high = keys[i];
    }
    RankCounts counts{};
    if (static_cast<int64_t>(high) - low < static_cast<int64_t>(kMaxRanks)) {
        for (int32_t i = 0; i < count; ++i) rank[i] = static_cast<uint8_t>(keys[i] - low);
    } else {
        // Mixed drawn and undrawn lines: rank by the sorted distinct keys.
        int32_t distinct[kMaxRanks];
        uint32_t distinctCount = 0;
        for (int32_t i = 0; i < count; ++i) {
            uint32_t at = 0;
            while (at < distinctCount && distinct[at] < keys[i]) ++at;
            if (at < distinctCount && distinct[at] == keys[i]) continue;
            if (distinctCount == kMaxRanks) return false;
            for (uint32_t k = distinctCount; k > at; --k) distinct[k] = distinct[k - 1];
            distinct[at] = keys[i];
            ++distinctCount;
        }
        for (int32_t i = 0; i < count; ++i) {
            uint8_t r = 0;
            while (distinct[r] != keys[i]) ++r;
            rank[i] = r;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        ++counts.count[rank[i]];
        counts.present |= 1u << rank[i];
    }
    sortRanked(items, rank, 0, count - 1, counts);
    return true;
}

}  // namespace

int32_t Line::priorityKey() const { return keyOf(this); }

void partitionLines(Line** items, int32_t first, int32_t last, int32_t& leftEnd,
                    int32_t& rightStart) {
    Line* const pivot = items[first];
    // A key cannot change during the sort, so the pivot's is taken once.
    const int32_t pivotKey = keyOf(pivot);
    int32_t j = first + 1;
    for (int32_t i = first + 1; i <= last; ++i) {
        if (keyOf(items[i]) < pivotKey) {
            std::swap(items[i], items[j]);
            ++j;
        }
    }
    items[first] = items[j - 1];
    items[j - 1] = pivot;
    leftEnd = j - 2;
    rightStart = j;
}

void sortLines(Line** items, int32_t first, int32_t last) {
    if (first >= last) return;
    if (sortByRank(items + first, last - first + 1)) return;
    // Ranges the rank sort cannot take: the plain quicksort, recursing into
    // the left part and looping over the right one.
    while (first < last) {
        int32_t leftEnd = 0;
        int32_t rightStart = 0;
        partitionLines(items, first, last, leftEnd, rightStart);
        sortLines(items, first, leftEnd);
        first = rightStart;
    }
}

int32_t Board::orderedMoves(MoveIndex* buffer, int32_t capacity) {
    if (capacity < availableCount) throw kOutOfMemory;
    const int32_t count = availableCount;
    for (int32_t i = 0; i < count; ++i) sortScratch[i] = available[i];
    sortLines(sortScratch, 0, count - 1);
    for (int32_t i = 0; i < count; ++i) buffer[i] = sortScratch[i]->index;
    return count;
}
