// Which lines a node tries, and in what order: the safe lines (those that
// hand over nothing) first, then the sacrifices, with what each line is
// known to be worth at most before it is searched.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "solver/position.h"
#include "solver/solver_geometry.h"
#include "solver/solver_tables.h"

template <int W>
class MoveLists {
public:
    static constexpr int32_t kMaxLines = Position<W>::kMaxLines;
    // A cap no search result reaches: nothing known.
    static constexpr int16_t kNoCap = INT16_MAX;
    // Rows of cut-off counts: one per count of drawn lines, up to two words.
    static constexpr int32_t kHistoryRows = W <= 2 ? kMaxLines + 1 : 1;

    MoveLists(const SolverGeometry& geometry, SolverWorkspace& workspace)
        : geometry_(geometry), workspace_(workspace) {}

    // What the list being made knows of line l.
    Listed& facts(int32_t l) { return facts_[l]; }
    // One word, while a list is made: its safe lines.
    uint64_t safeOpen() const { return safeOpen_; }

    // A cut-off by line l in pos: it comes sooner in the next lists.
    void countCutoff(const Position<W>& pos, int32_t l) {
        historyRow(pos)[l] += historyWeight(pos);
    }

    // Lists the safe lines at the front of moves, in the order of insertSafe;
    // returns how many.
    int32_t listSafe(const Position<W>& pos, int16_t* moves) {
        int32_t safe = 0;
        if constexpr (W == 1) {
            safeOpen_ = pos.openLines() & ~pos.twoQuadLines() & ~pos.standIns();
            for (uint64_t lines = safeOpen_; lines != 0; lines &= lines - 1)
                insertSafe(pos, moves, safe, int16_t(std::countr_zero(lines)));
        } else {
            for (int32_t l = 0; l < geometry_.lineCount; ++l)
                if (!pos.drawn().has(l) && pos.isSafe(l) && !pos.standsIn(l))
                    insertSafe(pos, moves, safe, int16_t(l));
        }
        return safe;
    }

    // Lists the sacrifices after the count lines of moves, smallest first;
    // returns the new count. They are gathered from the back of the list,
    // which the lines before them leave free.
    int32_t appendSacrifices(const Position<W>& pos, int16_t* moves, int32_t count) {
        const uint32_t stamp = ++workspace_.stamp;
        int32_t risky = geometry_.lineCount;
        if constexpr (W == 1) {
            for (uint64_t lines = pos.openLines() & pos.twoQuadLines(); lines != 0;
                 lines &= lines - 1)
                risky = listSacrificesOf(pos, std::countr_zero(lines), moves, risky, stamp);
        } else {
            for (int32_t l = 0; l < geometry_.lineCount; ++l)
                if (!pos.drawn().has(l) && !pos.isSafe(l))
                    risky = listSacrificesOf(pos, l, moves, risky, stamp);
        }
        std::reverse(moves + risky, moves + geometry_.lineCount);
        std::copy(moves + risky, moves + geometry_.lineCount, moves + count);
        return count + (geometry_.lineCount - risky);
    }

private:
    // The sacrifices of the chain or loop that unsafe line l opens, unless
    // they are listed already.
    int32_t listSacrificesOf(const Position<W>& pos, int32_t l, int16_t* moves, int32_t top,
                             uint32_t stamp) {
        const std::array<int16_t, 2>& quads = geometry_.lineQuads[l];
        const int32_t quad = pos.sides(quads[0]) == 2 ? quads[0] : quads[1];
        if (workspace_.marks[quad] == stamp) return top;  // its chain was listed
        return listSacrifices(pos, quad, moves, top, stamp);
    }

    // Safe lines that leave the fewest safe lines behind come first (the
    // measured best order), then those with more cut-offs.
    void insertSafe(const Position<W>& pos, int16_t* moves, int32_t& count, int16_t line) {
        int32_t spoilt = 0;
        for (const int16_t q : geometry_.lineQuads[line]) {
            if (q < 0 || pos.sides(q) != 1) continue;
            if constexpr (W == 1) {
                // No quad has three sides here: the other lines of q that
                // are safe are those it would spoil.
                // At most three bits: counted without a population count,
                // which the build does not assume the processor has.
                for (uint64_t l = pos.quadMask(q) & safeOpen_ & ~(uint64_t{1} << line); l != 0;
                     l &= l - 1)
                    ++spoilt;
                continue;
            }
            for (const int16_t l : geometry_.quadLines[q]) {
                if (l == line || pos.drawn().has(l)) continue;
                const int32_t other = geometry_.across(l, q);
                if (other < 0 || pos.sides(other) < 2) ++spoilt;
            }
        }
        weights_[line] = int16_t(spoilt);
        facts_[line] = {kNoCap, 0, {}};
        const uint32_t* history = historyRow(pos);
        int32_t at = count++;
        for (; at > 0; --at) {
            const int16_t before = moves[at - 1];
            if (weights_[before] > spoilt ||
                (weights_[before] == spoilt && history[before] >= history[line]))
                break;
            moves[at] = before;
        }
        moves[at] = line;
    }

    // Lists the lines worth trying of the chain or loop through two-sided
    // quad start, below position top of moves (filled downwards, kept in
    // order of the parts' lengths, largest lowest). Marks its quads; returns
    // the new top.
    int32_t listSacrifices(const Position<W>& pos, int32_t start, int16_t* moves, int32_t top,
                           uint32_t stamp) {
        uint32_t* marks = workspace_.marks.data();
        // Walk to one end: the line that leaves the two-sided quads.
        int32_t quad = start, line = pos.otherSide(start, -1);
        for (;;) {
            const int32_t next = geometry_.across(line, quad);
            if (next < 0 || pos.sides(next) != 2) break;
            if (next == start) {  // a loop: opened anywhere, it is the same loop
                const int16_t opened = int16_t(line);
                int32_t length = 0;
                quad = start;
                do {
                    marks[quad] = stamp;
                    ++length;
                    quad = geometry_.across(line, quad);
                    line = pos.otherSide(quad, line);
                } while (quad != start);
                return pushSacrifices(pos, moves, top, &opened, 1, 2 * geometry_.quadCount + 1,
                                      {int16_t(4 - length), 0, {}});
            }
            line = pos.otherSide(next, line);
            quad = next;
        }
        // From that end, quad left by line, back along the chain to the other
        // end, which line leaves at last.
        const int32_t firstQuad = quad;
        int16_t lines[3];  // the first end, the first quad's other side, the last end
        int32_t length = 0;
        lines[0] = int16_t(line);
        for (;;) {
            marks[quad] = stamp;
            ++length;
            line = pos.otherSide(quad, line);
            const int32_t next = geometry_.across(line, quad);
            if (length == 1) lines[1] = int16_t(line);
            if (next < 0 || pos.sides(next) != 2) break;
            quad = next;
        }
        lines[2] = int16_t(line);
        if (length <= 2) {
            // Taken, the quads leave these lines drawn: kept for the probe.
            const int16_t opened = lines[length == 1 ? 0 : 1];
            return pushSacrifices(pos, moves, top, &opened, 1, 2 * length,
                                  {kNoCap, int16_t(length), {lines[0], lines[1], lines[2]}});
        }
        // Ends that meet the same quad, or both the edge, make the chain the
        // same seen from either: one end will do.
        const bool mirrored = geometry_.across(lines[0], firstQuad) == geometry_.across(line, quad);
        lines[1] = lines[2];
        return pushSacrifices(pos, moves, top, lines, mirrored ? 1 : 2, 2 * length,
                              {int16_t(2 - length), 0, {}});
    }

    // Inserts lines below top, keeping those of smaller weight higher up,
    // and of those of the same weight the ones with more cut-offs.
    int32_t pushSacrifices(const Position<W>& pos, int16_t* moves, int32_t top,
                           const int16_t* lines, int32_t n, int32_t weight, const Listed& facts) {
        const uint32_t* history = historyRow(pos);
        for (int32_t i = 0; i < n; ++i) {
            int32_t at = --top;
            for (; at + 1 < geometry_.lineCount; ++at) {
                const int16_t next = moves[at + 1];
                if (weights_[next] < weight ||
                    (weights_[next] == weight && history[next] >= history[lines[i]]))
                    break;
                moves[at] = next;
            }
            moves[at] = lines[i];
            weights_[lines[i]] = int16_t(weight);
            facts_[lines[i]] = facts;
        }
        return top;
    }

    // Per count of drawn lines, per line: the cut-offs it made. They order
    // the safe lines and, after their sizes, the sacrifices. A line that
    // refutes at one depth often does not at another, so each depth keeps
    // counts of its own; boards of more than two words keep one row for all,
    // as a row per depth would be megabytes, and weight a cut-off by its
    // depth there. In a row of one depth that weight would be a constant
    // factor, which only brings the 32-bit counts sooner to wrapping.
    uint32_t* historyRow(const Position<W>& pos) {
        return history_[kHistoryRows > 1 ? pos.drawnCount() : 0];
    }
    uint32_t historyWeight(const Position<W>& pos) const {
        const uint32_t left = uint32_t(pos.linesLeft());
        return kHistoryRows > 1 ? 1 : left * left;
    }

    const SolverGeometry& geometry_;
    SolverWorkspace& workspace_;
    uint64_t safeOpen_ = 0;
    uint32_t history_[kHistoryRows][kMaxLines] = {};
    // Per line, its sort key while it waits in a list of safe lines or of
    // sacrifices.
    int16_t weights_[kMaxLines] = {};
    // Per line, while the list it is in is made. Its cap: opening a chain of
    // k >= 3, the taker may take all and move on, or decline the last two
    // and leave the opener to move on the same lines: the opener gets at
    // most the lesser, 2 - k (4 - k for a loop, declining four).
    Listed facts_[kMaxLines] = {};
};
