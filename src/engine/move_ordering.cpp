// Move ordering. The fast paths only skip work that provably changes
// nothing (see sortRanked); the tests hold them to a literal quicksort.
#include "engine/move_ordering.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <utility>

namespace {

constexpr int32_t kDrawnClass = 100;

inline int32_t keyOf(const Line* line) {
    if (line->owner != 0) return line->weight + kDrawnClass;
    // The undrawn line is a side of both neighbours, so neither has 4 drawn.
    return line->weight + kClassOfShape[shapeOf(*line)];
}

// The fast sort works on entries that pack a rank (the position of the key
// among the distinct keys of the range, so ranks compare like keys) above a
// 16-bit payload: a MoveIndex, or a position in the range being sorted.
using Entry = int32_t;
constexpr int32_t kRankShift = kEntryClassShift;
constexpr Entry kPayloadMask = 0xFFFF;
// A board's lines have at most 7 distinct keys (6 classes and "drawn").
constexpr uint32_t kMaxRanks = 8;
// Longest range sorted by rank; a board has at most 1,300 lines.
constexpr int32_t kMaxRankedRange = 2048;

inline uint32_t rankOf(Entry entry) { return static_cast<uint32_t>(entry) >> kRankShift; }

static_assert(sizeof(RankCounts::count) / sizeof(uint16_t) == kMaxRanks);

// The literal quicksort on entries[first..last], where counts is the
// composition of the range and bit r of present is set exactly when
// counts.count[r] > 0. Two exact shortcuts:
// - a step whose pivot has the smallest rank of its range moves nothing (no
//   entry is strictly below it) and only advances first, so it costs O(1); a
//   range holding a single rank is therefore already in its final order;
// - a scan stops once every entry below the pivot has been swapped left,
//   since the rest of the literal scan swaps nothing.
// Each real partition leaves fewer ranks in both parts, so the recursion is
// at most kMaxRanks deep and the sort takes linear time per rank.
void sortRanked(Entry* entries, int32_t first, int32_t last, RankCounts counts, uint32_t present);

// One pass of the sort's outer loop over entries[first..last] (last is
// implied by the counts): a partition
// about entries[first] and the whole sort of its left part, after which
// entries before the new first are final. False when the range already is.
inline bool sortStep(Entry* entries, int32_t& first, RankCounts& counts, uint32_t& present) {
    if ((present & (present - 1u)) == 0) return false;
    const Entry pivot = entries[first];
    const uint32_t pivotRank = rankOf(pivot);
    const uint32_t below = present & ((1u << pivotRank) - 1u);
    if (below == 0) {
        if (--counts.count[pivotRank] == 0) present &= ~(1u << pivotRank);
        ++first;
        return true;
    }
    // Split the counts at the pivot's rank; a fixed-length loop, so that it
    // compiles to register moves rather than a memcpy.
    RankCounts left;
    int32_t smaller = 0;
    for (uint32_t r = 0; r < kMaxRanks; ++r) {
        const bool goesLeft = r < pivotRank;
        left.count[r] = goesLeft ? counts.count[r] : 0;
        counts.count[r] = goesLeft ? 0 : counts.count[r];
        smaller += left.count[r];
    }
    const Entry lowestOfPivotRank = static_cast<Entry>(pivotRank << kRankShift);
    int32_t j = first + 1;
    const int32_t leftStop = first + 1 + smaller;
    for (int32_t i = first + 1; j < leftStop; ++i) {
        // The literal exchange of entries i and j, without a branch: which
        // entries go left is unpredictable.
        const Entry entry = entries[i];
        const Entry other = entries[j];
        const bool goesLeft = entry < lowestOfPivotRank;
        // As masks: the compiler turns a select into a branch here, and
        // that branch is mispredicted half the time.
        const Entry swapped = (entry ^ other) & -static_cast<Entry>(goesLeft);
        entries[i] = entry ^ swapped;
        entries[j] = other ^ swapped;
        j += goesLeft;
    }
    entries[first] = entries[j - 1];
    entries[j - 1] = pivot;
    sortRanked(entries, first, j - 2, left, below);
    present &= ~below;
    if (--counts.count[pivotRank] == 0) present &= ~(1u << pivotRank);
    first = j;
    return true;
}

void sortRanked(Entry* entries, int32_t first, int32_t last, RankCounts counts, uint32_t present) {
    while (first < last)
        if (!sortStep(entries, first, counts, present)) return;
}

// The same steps as sortStep and sortRanked on at most 64 entries, with
// atRank in place of the counts: bit p of atRank[r] is set when entries[p]
// has rank r, kept so by every exchange.
void sortShort(Entry* entries, uint64_t atRank[kMaxRanks], int32_t first, int32_t last);

// Exchanges entries i and j, whose bits are bitI and bitJ.
inline void exchange(Entry* entries, uint64_t atRank[kMaxRanks], int32_t i, int32_t j,
                     uint64_t bitI, uint64_t bitJ) {
    const Entry a = entries[i];
    const Entry b = entries[j];
    entries[i] = b;
    entries[j] = a;
    // Both bits flip in both masks, which is nothing when the ranks agree.
    atRank[rankOf(a)] ^= bitI | bitJ;
    atRank[rankOf(b)] ^= bitI | bitJ;
}

inline bool shortStep(Entry* entries, uint64_t atRank[kMaxRanks], int32_t& first, int32_t last) {
    const uint64_t range = (~uint64_t{0} << first) & (~uint64_t{0} >> (63 - last));
    const uint32_t pivotRank = rankOf(entries[first]);
    if ((atRank[pivotRank] & range) == range) return false;
    uint64_t below = 0;
    for (uint32_t r = 0; r < pivotRank; ++r) below |= atRank[r];
    below &= range;
    if (below == 0) {
        // The pivot and the entries of its rank right after it each have the
        // smallest rank of the rest: steps that move nothing.
        first += std::countr_zero(~((atRank[pivotRank] & range) >> first));
        return true;
    }
    // The literal scan exchanges entries i and j for each i below the pivot,
    // in order; an exchange writes only at i and below, so the positions read
    // before it still hold. Those in a row right after the pivot exchange
    // with themselves: they are skipped (the add clears that run of bits).
    const uint64_t afterPivot = uint64_t{1} << (first + 1);
    int32_t j = first + 1 + std::countr_zero(~(below >> (first + 1)));
    uint64_t bitBeforeJ = uint64_t{1} << (j - 1);
    for (below &= below + afterPivot; below != 0; below &= below - 1, ++j) {
        bitBeforeJ <<= 1;
        exchange(entries, atRank, std::countr_zero(below), j, below & (0 - below), bitBeforeJ);
    }
    exchange(entries, atRank, first, j - 1, uint64_t{1} << first, bitBeforeJ);
    sortShort(entries, atRank, first, j - 2);
    first = j;
    return true;
}

void sortShort(Entry* entries, uint64_t atRank[kMaxRanks], int32_t first, int32_t last) {
    while (first < last)
        if (!shortStep(entries, atRank, first, last)) return;
}

// Fills in counts and present for entries[0..count-1] and sorts them.
void sortEntries(Entry* entries, int32_t count) {
    RankCounts counts{};
    uint32_t present = 0;
    for (int32_t i = 0; i < count; ++i) {
        ++counts.count[rankOf(entries[i])];
        present |= 1u << rankOf(entries[i]);
    }
    sortRanked(entries, 0, count - 1, counts, present);
}

// Sorts items[0..count-1] through sortRanked. Returns false, having changed
// nothing, when the range is too long or holds too many distinct keys.
bool sortByRank(Line** items, int32_t count) {
    if (count > kMaxRankedRange) return false;
    int32_t keys[kMaxRankedRange];
    for (int32_t i = 0; i < count; ++i) keys[i] = keyOf(items[i]);
    // Rank by the sorted distinct keys (lines of one board: at most 7).
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
    Entry entries[kMaxRankedRange];
    for (int32_t i = 0; i < count; ++i) {
        uint32_t r = 0;
        while (distinct[r] != keys[i]) ++r;
        entries[i] = static_cast<Entry>(r << kRankShift) | i;
    }
    sortEntries(entries, count);
    Line* original[kMaxRankedRange];
    for (int32_t i = 0; i < count; ++i) original[i] = items[i];
    for (int32_t i = 0; i < count; ++i) items[i] = original[entries[i] & kPayloadMask];
    return true;
}

// Whether the available lines fit entries: the class alone is the rank when
// every line is undrawn and of one weight, and the MoveIndex fits the
// payload. Always so on a board that only playMove and undoMove changed.
bool entriesHold(const Board& board) {
    if (board.availableCount > kMaxRankedRange) return false;
    for (int32_t i = 0; i < board.availableCount; ++i) {
        const Line& line = *board.available[i];
        if (line.owner != 0 || line.weight != board.available[0]->weight ||
            line.index > kPayloadMask)
            return false;
    }
    return true;
}

}  // namespace

ShapeCounts shapeEntries(const Board& board, int32_t* buffer) {
    // Two sets of counters, for even and odd lines: with one, a line would
    // wait for the previous line's count whenever the two share a shape.
    int32_t counts[2][kShapeCount] = {};
    for (int32_t i = 0; i < board.availableCount; ++i) {
        const Line& line = *board.available[i];
        const int32_t shape = shapeOf(line);
        ++counts[i & 1][shape];
        buffer[i] = kClassOfShape[shape] << kEntryClassShift | line.index;
    }
    ShapeCounts shapes;
    for (int32_t shape = 0; shape < kShapeCount; ++shape)
        shapes.count[shape] = counts[0][shape] + counts[1][shape];
    return shapes;
}

EntryOrder::EntryOrder(int32_t* unsorted, int32_t count, const ShapeCounts& shapes)
    : entries(unsorted), last(count - 1) {
    int32_t classCount[6];
    shapes.classCounts(classCount);
    for (uint32_t r = 0; r < kMaxRanks; ++r) {
        rankCounts.count[r] = static_cast<uint16_t>(r < 6 ? classCount[r] : 0);
        present |= rankCounts.count[r] != 0 ? 1u << r : 0;
    }
}

int32_t EntryOrder::finalThrough(int32_t i) {
    while (sortFirst <= i && sortFirst < last) {
        if (!sortStep(entries, sortFirst, rankCounts, present)) {
            sortFirst = last + 1;
            break;
        }
    }
    // A range of one is in place.
    if (sortFirst >= last) sortFirst = last + 1;
    return sortFirst;
}

void ShortEntryOrder::noteRanks() {
    assert(last < kMaxEntries);
    for (int32_t i = 0; i <= last; ++i) atRank[rankOf(entries[i])] |= uint64_t{1} << i;
}

int32_t ShortEntryOrder::sortThrough(int32_t i) {
    while (sortFirst <= i && sortFirst < last) {
        if (!shortStep(entries, atRank, sortFirst, last)) {
            sortFirst = last + 1;
            break;
        }
    }
    // A range of one is in place.
    if (sortFirst >= last) sortFirst = last + 1;
    return sortFirst;
}

void orderEntries(int32_t* buffer, int32_t count, const ShapeCounts& shapes) {
    EntryOrder(buffer, count, shapes).finalThrough(count - 1);
    for (int32_t k = 0; k < count; ++k) buffer[k] &= kPayloadMask;
}

int32_t priorityKey(const Line& line) { return keyOf(&line); }

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

int32_t orderedMoves(Board& board, MoveIndex* buffer, int32_t capacity) {
    if (capacity < board.availableCount) throw kOutOfMemory;
    const int32_t count = board.availableCount;
    if (entriesHold(board)) {
        orderEntries(buffer, count, shapeEntries(board, buffer));
        return count;
    }
    for (int32_t i = 0; i < count; ++i) board.sortScratch[i] = board.available[i];
    sortLines(board.sortScratch, 0, count - 1);
    for (int32_t i = 0; i < count; ++i) buffer[i] = board.sortScratch[i]->index;
    return count;
}
