// Walks along runs of quads with two sides: the runs a capture opens, and
// the chains and loops of an endgame where every quad has two sides.
#pragma once

#include <cstdint>

#include "solver/chain_values.h"
#include "solver/position.h"
#include "solver/solver_tables.h"

// Follows the run that starts at capturable quad start, whose missing line
// is line, through quads of two sides. Returns the line that declines its
// last quads, or -1 when the run must simply be taken; end gets a
// capturable far end.
template <int W>
int32_t declineOf(const Position<W>& pos, int32_t start, int32_t line, int32_t& end) {
    const SolverGeometry& geometry = pos.geometry();
    int32_t length = 1, quad = geometry.across(line, start), firstExit = -1;
    for (;;) {
        ++length;
        line = pos.otherSide(quad, line);  // the way out of quad
        if (firstExit < 0) firstExit = line;
        const int32_t next = geometry.across(line, quad);
        if (next < 0 || pos.sides(next) < 2) return length == 2 ? firstExit : -1;
        if (pos.sides(next) == 3) {
            end = next;
            return length + 1 == 4 ? firstExit : -1;
        }
        if (length >= 4) return -1;
        quad = next;
    }
}

// Every quad left has two sides: split into chains and loops and read their
// value. False when there are too many parts for the memo.
template <int W>
bool chainsAndLoops(const Position<W>& pos, SolverWorkspace& workspace, int32_t& value) {
    const SolverGeometry& geometry = pos.geometry();
    ChainValues::Part parts[ChainValues::kMaxParts];
    int32_t count = 0;
    const uint32_t stamp = ++workspace.stamp;
    uint32_t* marks = workspace.marks.data();
    for (int32_t start = 0; start < geometry.quadCount; ++start) {
        if (pos.sides(start) != 2 || marks[start] == stamp) continue;
        if (count == ChainValues::kMaxParts) return false;
        marks[start] = stamp;
        int32_t length = 1;
        bool loop = false;
        // Out of start both ways, until the edge or start again.
        const int32_t firstWay = pos.otherSide(start, -1);
        const int32_t ways[2] = {firstWay, pos.otherSide(start, firstWay)};
        for (int32_t way = 0; way < 2 && !loop; ++way) {
            int32_t quad = start, line = ways[way];
            for (;;) {
                const int32_t next = geometry.across(line, quad);
                if (next < 0) break;
                if (next == start) {
                    loop = true;
                    break;
                }
                marks[next] = stamp;
                ++length;
                line = pos.otherSide(next, line);
                quad = next;
            }
        }
        if (length >= 64) return false;
        parts[count++] = {length, loop};
    }
    value = workspace.chains.value(parts, count);
    return true;
}
