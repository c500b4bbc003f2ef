// A small board (up to 6 dots per side, 60 lines) held in machine words for
// the search: drawn lines as bits, and each quad's drawn-side count in three
// bit planes. A line's neighbourhood shape, the shape counts of a position or
// of a child, and the capture moves then come from a few shifts, masks and
// population counts instead of walks over Line and Quad.
//
// The search plays on this copy alone while it runs; the Board it was built
// from is not touched. The copy keeps its own available array, changed by
// the very swap-remove of playMove and undoMove, because the ordering breaks
// ties by that array's order: it must be the board's, move for move. From 5
// dots on it keeps the ordering entries in that order too, with the slots
// of each class as masks: a move changes the class of at most six other
// lines, where writing every line's entry afresh took a third of the search
// at 5 dots. On 4 dots keeping them cost more than it saved.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "engine/move_ordering.h"
#include "model/board.h"

// The processor's population count instruction is used where it has one; the
// build does not assume it, so that the program runs on every x86-64. The
// search over the word copy is compiled for the instruction (PAXLET_POPCNT_
// TARGET) and takes the counts with PopCount::instruction only where
// PAXLET_HAS_POPCNT() says so; PopCount::portable counts out of line.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define PAXLET_POPCNT_TARGET __attribute__((target("popcnt")))
#define PAXLET_HAS_POPCNT() __builtin_cpu_supports("popcnt")
#else
#define PAXLET_POPCNT_TARGET
#define PAXLET_HAS_POPCNT() true
#endif

enum class PopCount { instruction, portable };

// A quad's plane bit stands at the MoveIndex of its top side, so that the
// planes shifted by a fixed amount line up with the lines they border: the
// quad above a horizontal line is 2n - 1 positions before it, the quad to the
// left of a vertical line n before it, the one to its right n - 1 before it,
// and the quad below a horizontal line stands at the line's own position.
class BitPosition {
public:
    static constexpr int32_t kMaxDots = 6;
    static constexpr int32_t kMaxLines = 2 * kMaxDots * (kMaxDots - 1);

    static bool fits(const Board& board) { return board.dotsPerSide <= kMaxDots; }
    // Takes over the board's position, its available order included.
    void build(const Board& board);

    int32_t availableCount() const { return count; }
    int32_t sideToMove() const { return side; }
    int32_t chainMetric() const { return chains; }
    int32_t score(int32_t player) const { return scores[player]; }

    // playMove and undoMove of the board, for two players.
    void play(MoveIndex move) {
        const uint64_t quads = quadsOf[move];
        undrawn &= ~(uint64_t{1} << move);
        // Add one to the drawn count of the line's quads.
        const uint64_t carry = q0 & quads;
        q0 ^= quads;
        q1 ^= carry;
        q2 |= carry & ~q1;
        const uint64_t completed = q2 & quads;
        chains += upToTwo(q1 & ~q0 & quads) - upToTwo(q1 & q0 & quads);
        if (completed != 0)
            scores[side] += upToTwo(completed);
        else
            side ^= 1;
        ++drawnOf[quadA[move]];
        ++drawnOf[quadB[move]];
        drawnOf[kNoQuad] = 0;
        const int32_t s = slot[move];
        --count;
        available[s] = available[count];
        slot[available[s]] = static_cast<uint8_t>(s);
        if (keepEntries) {
            // The last entry takes the move's slot (when the move had the
            // last slot, that slot is only emptied).
            const uint64_t last = uint64_t{1} << count;
            slotsOfClass[entryOf[s] >> kEntryClassShift] &= ~(uint64_t{1} << s);
            entryOf[s] = entryOf[count];
            uint64_t& moved = slotsOfClass[entryOf[s] >> kEntryClassShift];
            moved = (moved & ~last) | ((uint64_t{1} << s) & ~last);
            noteSides(move);
        }
    }

    void undo(MoveIndex move) {
        const uint64_t quads = quadsOf[move];
        const uint64_t completed = q2 & quads;
        chains -= upToTwo(q1 & ~q0 & quads) - upToTwo(q1 & q0 & quads);
        if (completed != 0)
            scores[side] -= upToTwo(completed);
        else
            side ^= 1;
        // Take one from the drawn count of the line's quads.
        const uint64_t borrow = ~q0 & quads;
        q0 ^= quads;
        q2 &= ~(borrow & ~q1);
        q1 ^= borrow;
        --drawnOf[quadA[move]];
        --drawnOf[quadB[move]];
        drawnOf[kNoQuad] = 0;
        undrawn |= uint64_t{1} << move;
        // The other sides first, while the line moved into the move's slot
        // still has it.
        if (keepEntries) noteSides(move);
        const int32_t s = slot[move];
        available[s] = static_cast<uint8_t>(move);
        slot[available[count]] = static_cast<uint8_t>(count);
        if (keepEntries) {
            // The entry in the move's slot goes back to the last one.
            uint64_t& moved = slotsOfClass[entryOf[s] >> kEntryClassShift];
            moved = (moved & ~(uint64_t{1} << s)) | uint64_t{1} << count;
            entryOf[count] = entryOf[s];
            note(move, s);
        }
        ++count;
    }

    // The shape counts of the position. The three shapes that complete one
    // quad are counted together under the first of them: the ordering and
    // the search's verdicts read them only as a class.
    template <PopCount kCount>
    ShapeCounts shapes() {
        const Neighbours n(*this, undrawn, q0, q1);
        if (!keepEntries) noteClasses(n);
        return countShapes<kCount>(n, false);
    }
    // Notes the classes as shapes() does, for a position whose counts the
    // search knows.
    void noteClasses() {
        if (!keepEntries) noteClasses(Neighbours(*this, undrawn, q0, q1));
    }
    // Its ordering entries, in available order, and their ranks: the kept
    // ones from 5 dots, else from the classes that the last shapes() or
    // noteClasses() call noted, at the position the search asks at. From 5
    // dots up to 7 entries past the last are overwritten (blocks of 8).
    void entries(ShortEntryOrder& order) const;
    int32_t shapeOf(MoveIndex move) const {
        return kShapeByNeighbours[drawnOf[quadA[move]]][drawnOf[quadB[move]]];
    }

    // The quiet shape counts after the undrawn line move is drawn, or, when a
    // line would complete a quad there, only that (one line of shape 9): that
    // child is searched and counted then.
    template <PopCount kCount>
    ShapeCounts shapesAfter(MoveIndex move) const {
        const uint64_t quads = quadsOf[move];
        const uint64_t carry = q0 & quads;
        return countShapes<kCount>(
            Neighbours(*this, undrawn & ~(uint64_t{1} << move), q0 ^ quads, q1 ^ carry), true);
    }

    // Whether the processor has the population count instruction, as
    // build() found: the search then counts with PopCount::instruction.
    bool countInstruction = false;

    // Drawn sides of each undrawn line's first (a) and second (b) quad, 0
    // to 3, as masks; 0 for a missing quad.
    struct Neighbours {
        Neighbours(const BitPosition& p, uint64_t undrawnLines, uint64_t plane0, uint64_t plane1) {
            const uint64_t x0 =
                (plane0 * p.aboveFactor & p.horizontal) | (plane0 * p.leftFactor & p.vertical);
            const uint64_t x1 =
                (plane1 * p.aboveFactor & p.horizontal) | (plane1 * p.leftFactor & p.vertical);
            const uint64_t y0 = (plane0 & p.horizontal) | (plane0 * p.rightFactor & p.vertical);
            const uint64_t y1 = (plane1 & p.horizontal) | (plane1 * p.rightFactor & p.vertical);
            const uint64_t u = undrawnLines;
            a[0] = u & ~(x0 | x1);
            a[1] = u & x0 & ~x1;
            a[2] = u & ~x0 & x1;
            a[3] = u & x0 & x1;
            b[0] = u & ~(y0 | y1);
            b[1] = u & y0 & ~y1;
            b[2] = u & ~y0 & y1;
            b[3] = u & y0 & y1;
        }
        uint64_t shape(int32_t first, int32_t second) const {
            return first == second ? a[first] & b[first]
                                   : (a[first] & b[second]) | (a[second] & b[first]);
        }
        uint64_t captures() const { return a[3] | b[3]; }

        uint64_t a[4], b[4];
    };

private:
    // The bits of each line's priority class, as masks.
    void noteClasses(const Neighbours& n) {
        const uint64_t class1 = n.a[3] ^ n.b[3];
        const uint64_t class2 = n.shape(0, 0);
        const uint64_t class3 = (n.a[0] | n.a[1]) & (n.b[0] | n.b[1]) & ~class2;
        const uint64_t class4 = n.shape(2, 2);
        const uint64_t class5 = (n.a[2] & (n.b[0] | n.b[1])) | (n.b[2] & (n.a[0] | n.a[1]));
        classBits[0] = class1 | class3 | class5;
        classBits[1] = class2 | class3;
        classBits[2] = class4 | class5;
#ifndef NDEBUG
        classesNotedFor = undrawn;
#endif
    }

    // The entry of the undrawn line in slot s, from its shape now.
    void note(MoveIndex line, int32_t s) {
        const int32_t now = kClassOfShape[shapeOf(line)];
        entryOf[s] = now << kEntryClassShift | line;
        slotsOfClass[now] |= uint64_t{1} << s;
    }
    // The entries of the undrawn lines whose shape drawing or taking back
    // the line changed: the other sides of its quads.
    void noteSides(MoveIndex line) {
        for (uint64_t sides = otherSides[line] & undrawn; sides != 0; sides &= sides - 1) {
            const auto other = static_cast<MoveIndex>(std::countr_zero(sides));
            const int32_t s = slot[other];
            slotsOfClass[entryOf[s] >> kEntryClassShift] &= ~(uint64_t{1} << s);
            note(other, s);
        }
    }

    // The shape counts from the masks (quiet shapes only, or only whether a
    // capture exists, when quietOnly). Inline with the instruction, in a
    // caller compiled for it; portably a count takes a dozen steps, and they
    // stay out of line, where the compiler cannot turn them into the
    // instruction.
    template <PopCount kCount>
    static ShapeCounts countShapes(const Neighbours& n, bool quietOnly) {
        if constexpr (kCount == PopCount::portable)
            return countPortably(n, quietOnly);
        else
            return countShapesWith(n, quietOnly, [](uint64_t word) { return std::popcount(word); });
    }
    static ShapeCounts countPortably(const Neighbours& n, bool quietOnly);
    // The counts of each shape, with bits(word) the population count.
    template <typename Bits>
    static ShapeCounts countShapesWith(const Neighbours& n, bool quietOnly, Bits bits) {
        ShapeCounts shapes;
        int32_t* c = shapes.count;
        if (quietOnly && n.captures() != 0) {
            c[9] = 1;
            return shapes;
        }
        c[0] = bits(n.shape(0, 0));
        c[1] = bits(n.shape(0, 1));
        c[2] = bits(n.shape(1, 1));
        c[3] = bits(n.shape(2, 2));
        c[4] = bits(n.shape(0, 2));
        c[5] = bits(n.shape(1, 2));
        if (quietOnly) return shapes;
        c[6] = bits(n.a[3] ^ n.b[3]);  // shapes 6 to 8 together
        c[9] = bits(n.shape(3, 3));
        return shapes;
    }

    // Population count of a word with at most two bits set.
    static int32_t upToTwo(uint64_t bits) { return (bits != 0) + ((bits & (bits - 1)) != 0); }

    uint64_t undrawn = 0;
    uint64_t q0 = 0, q1 = 0, q2 = 0;  // bits 0, 1 and 2 of each quad's drawn sides
    int32_t count = 0;                // available lines
    int32_t side = 0;
    int32_t chains = 0;
    int32_t scores[2] = {};
    // Drawn sides of the quad at each plane position, as the planes say;
    // always 0 at kNoQuad, which plays and take-backs touch and then reset.
    uint8_t drawnOf[64] = {};
    uint8_t available[kMaxLines] = {};  // as Board::available, by MoveIndex
    uint8_t slot[kMaxLines] = {};       // as Line::slot
    // Kept from kKeepEntriesFromDots on. By slot of the available array:
    // class << kEntryClassShift | MoveIndex, for the slots below count; 8
    // more, so that copies go in blocks of 8.
    static constexpr int32_t kKeepEntriesFromDots = 5;
    bool keepEntries = false;
    int32_t entryOf[kMaxLines + 8] = {};
    uint64_t slotsOfClass[8] = {};  // bit s of slotsOfClass[c]: entryOf[s] has class c
    // Noted by shapes() up to 4 dots: the bits of each line's class.
    uint64_t classBits[3] = {};
#ifndef NDEBUG
    uint64_t classesNotedFor = 0;  // the undrawn lines when classBits were noted
#endif

    // Geometry of the board built from.
    uint64_t horizontal = 0, vertical = 0;  // lines of each direction
    // The shifts by 2n - 1, n and n - 1, as factors: a multiplication by a
    // constant power of two shifts in one step, a shift by a variable
    // amount takes several on common processors.
    uint64_t aboveFactor = 0, leftFactor = 0, rightFactor = 0;
    int32_t lineBytes = 0;                // lines rounded up to a multiple of 8
    uint64_t quadsOf[kMaxLines] = {};     // plane bits of each line's quads
    uint64_t otherSides[kMaxLines] = {};  // the other sides of each line's quads
    // Plane position of each line's quads; kNoQuad for a missing one.
    static constexpr int32_t kNoQuad = 63;
    uint8_t quadA[kMaxLines] = {};
    uint8_t quadB[kMaxLines] = {};
};

inline void BitPosition::entries(ShortEntryOrder& order) const {
    if (keepEntries) {
        for (int32_t i = 0; i < count; i += 8)
            std::memcpy(order.entries + i, entryOf + i, 8 * sizeof(int32_t));
        std::memcpy(order.atRank, slotsOfClass, sizeof slotsOfClass);
        return;
    }
    assert(classesNotedFor == undrawn);
    // Each line's class in a byte of its own, eight lines at a time: each bit
    // of a mask's byte is copied into a byte of a word, and set bytes are
    // made 1 by an add that carries into their top bit.
    static_assert(std::endian::native == std::endian::little);
    auto spread = [](uint64_t eightBits) {
        return (((eightBits * 0x0101010101010101u) & 0x8040201008040201u) + 0x7F7F7F7F7F7F7F7Fu) >>
                   7 &
               0x0101010101010101u;
    };
    uint8_t lineClass[64];
    for (int32_t at = 0; at < lineBytes; at += 8) {
        const uint64_t classes = spread(classBits[0] >> at & 0xFF) |
                                 spread(classBits[1] >> at & 0xFF) << 1 |
                                 spread(classBits[2] >> at & 0xFF) << 2;
        std::memcpy(lineClass + at, &classes, sizeof classes);
    }
    // Local copies: the writes to the entries might otherwise alias them.
    const int32_t n = count;
    int32_t* const buffer = order.entries;
    uint64_t* const atRank = order.atRank;
    uint64_t bit = 1;  // of slot i
    for (int32_t i = 0; i < n; ++i, bit <<= 1) {
        const int32_t m = available[i];
        const int32_t c = lineClass[m];
        buffer[i] = c << kEntryClassShift | m;
        atRank[c] |= bit;
    }
}
