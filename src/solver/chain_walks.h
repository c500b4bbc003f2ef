// Walks along runs of quads with two sides: the runs a capture opens, and
// the chains and loops of an endgame where every quad has two sides.
#pragma once

#include <cstdint>

#include "solver/chain_values.h"
#include "solver/position.h"
#include "solver/solver_tables.h"

// Follows the run that starts at capturable quad q (missing line) through
// quads of two sides. Returns the line that declines its last quads, or -1
// when the run must simply be taken; end gets a capturable far end.
template <int W>
int32_t declineOf(const Position<W>& pos, int32_t q, int32_t line, int32_t& end) {
    const SolverGeometry& g = pos.geometry();
    int32_t length = 1, cur = g.across(line, q), entry = line, firstExit = -1;
    for (;;) {
        ++length;
        const int32_t exit = pos.otherSide(cur, entry);
        if (firstExit < 0) firstExit = exit;
        const int32_t next = g.across(exit, cur);
        if (next < 0 || pos.sides(next) < 2) return length == 2 ? firstExit : -1;
        if (pos.sides(next) == 3) {
            end = next;
            return length + 1 == 4 ? firstExit : -1;
        }
        if (length >= 4) return -1;
        entry = exit;
        cur = next;
    }
}

// Every quad left has two sides: split into chains and loops and read their
// value. False when there are too many parts for the memo.
template <int W>
bool chainsAndLoops(const Position<W>& pos, SolverWorkspace& w, int32_t& value) {
    const SolverGeometry& g = pos.geometry();
    ChainValues::Part parts[ChainValues::kMaxParts];
    int32_t count = 0;
    const uint32_t stamp = ++w.stamp;
    uint32_t* marks = w.marks.data();
    for (int32_t q = 0; q < g.quadCount; ++q) {
        if (pos.sides(q) != 2 || marks[q] == stamp) continue;
        if (count == ChainValues::kMaxParts) return false;
        marks[q] = stamp;
        int32_t length = 1;
        bool loop = false;
        const int32_t first = pos.otherSide(q, -1);
        int32_t entries[2] = {first, pos.otherSide(q, first)};
        for (int32_t dir = 0; dir < 2 && !loop; ++dir) {
            int32_t cur = q, line = entries[dir];
            for (;;) {
                const int32_t next = g.across(line, cur);
                if (next < 0) break;
                if (next == q) {
                    loop = true;
                    break;
                }
                marks[next] = stamp;
                ++length;
                line = pos.otherSide(next, line);
                cur = next;
            }
        }
        if (length >= 64) return false;
        parts[count++] = {length, loop};
    }
    value = w.chains.value(parts, count);
    return true;
}
