// Playing and taking back moves: scores, extra turns, the available set and
// the chain metric, all kept incrementally.
#include <cassert>

#include "model/board.h"

void Board::playMove(MoveIndex move) {
    if (move < 0 || move >= lineCount || lines[move].owner != 0) throw kInvalidMove;
    applyLine(move, true);
    history[historyLength++] = move;
}

void Board::undoMove() {
    if (historyLength <= 0) throw kUndoLimitExceeded;
    const MoveIndex move = history[--historyLength];
    if (lines[move].owner != 0) applyLine(move, false);
}

MoveIndex Board::lastMove() const { return historyLength == 0 ? -1 : history[historyLength - 1]; }

int32_t Board::chains() const { return chainMetric < 0 ? 0 : chainMetric; }

// Drawn-side counts of a line's two neighbours (0 for a missing one). Drawing
// and taking back read each neighbour once through this, instead of once for
// completeness and again for the chain metric: same results, half the loads.
namespace {
struct NeighbourSides {
    int32_t a, b;
    int32_t completed() const { return (a == 4) + (b == 4); }
    int32_t chainDelta() const { return (a == 2) + (b == 2) - (a == 3) - (b == 3); }
};

NeighbourSides neighbourSides(const Line& line) {
    return {line.quadA->drawnSides(), line.quadB ? line.quadB->drawnSides() : 0};
}
}  // namespace

void Board::applyLine(MoveIndex move, bool draw) {
    assert(move >= 0 && move < lineCount);
    assert((lines[move].owner == 0) == draw);
    Line& line = lines[move];
    if (draw) {
        line.owner = static_cast<uint8_t>(sideToMove + 1);
        ++line.quadA->drawn;
        if (line.quadB) ++line.quadB->drawn;
        const NeighbourSides sides = neighbourSides(line);  // now that the line is drawn
        // Complete neighbours take the drawer's owner, quadA first.
        if (sides.a == 4) line.quadA->owner = line.owner;
        if (sides.b == 4) line.quadB->owner = line.owner;
        const int32_t completed = sides.completed();
        if (completed > 0)
            scores[sideToMove] += completed;
        else
            ++sideToMove;
        chainMetric += sides.chainDelta();
        // Swap-remove; the entry just past the new end keeps pointing at the
        // moved line, which is what the take-back restores from.
        --availableCount;
        available[line.slot] = available[availableCount];
        available[line.slot]->slot = line.slot;
    } else {
        const NeighbourSides sides = neighbourSides(line);  // while still drawn
        chainMetric -= sides.chainDelta();
        const int32_t completed = sides.completed();
        // A quad stays complete only while all its sides are drawn.
        line.owner = 0;
        line.quadA->owner = 0;
        --line.quadA->drawn;
        if (line.quadB) {
            line.quadB->owner = 0;
            --line.quadB->drawn;
        }
        if (completed > 0)
            scores[sideToMove] -= completed;
        else
            --sideToMove;
        available[line.slot] = &line;
        available[availableCount]->slot = availableCount;
        ++availableCount;
    }
    if (sideToMove >= playerCount) sideToMove = 0;
    if (sideToMove < 0) sideToMove = playerCount - 1;
}
