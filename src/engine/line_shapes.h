// How many of a board's available lines have each neighbourhood shape, and
// on large boards their ordering entries, kept in step with every move the
// search plays and takes back.
//
// On a large board computing every line's key at every node costs more than
// the search's other work together; a move changes the shape of at most six
// other lines, so keeping the shapes up to date turns a node's ordering into
// a copy and its leaf parents' verdicts into a few counts.
#pragma once

#include <cassert>
#include <cstdint>

#include "engine/move_ordering.h"
#include "model/board.h"

// The lines whose shape drawing or taking back line changes: the undrawn
// sides of its quads other than itself, each with the quad it shares with
// line. Sides of different quads are different lines.
template <typename Visit>
void forEachOtherSide(const Line& line, Visit visit) {
    for (const Quad* quad : {line.quadA, line.quadB}) {
        if (quad == nullptr) continue;
        for (const Line* side : quad->sides)
            if (side != &line && side->owner == 0) visit(*side, *quad);
    }
}

struct LineShapes {
    static constexpr int32_t kMaxLines = 2 * kMaxDotsPerSide * (kMaxDotsPerSide - 1);

    ShapeCounts shapes;
    // Per slot of board.available: class << kEntryClassShift | MoveIndex.
    int32_t entries[kMaxLines];

    void build(const Board& board) { shapes = shapeEntries(board, entries); }

    // playMove and undoMove with the shapes and entries kept in step. The
    // lines whose shape a move changes are the other sides of its quads.
    void play(Board& board, MoveIndex move) {
        Line& line = board.lines[move];
        forgetSides(line);
        --shapes.count[shapeOf(line)];
        const int32_t slot = line.slot;
        board.playMove(move);
        // The swap-remove moved the last entry into the line's slot.
        entries[slot] = entries[board.availableCount];
        noteSides(line);
    }

    void undo(Board& board) {
        Line& line = board.lines[board.lastMove()];
        forgetSides(line);
        const int32_t slot = line.slot;
        board.undoMove();
        // The line takes its slot back and the entry there returns to the end.
        entries[board.availableCount - 1] = entries[slot];
        note(line);
        noteSides(line);
    }

private:
    void note(const Line& line) {
        const int32_t shape = shapeOf(line);
        ++shapes.count[shape];
        entries[line.slot] = kClassOfShape[shape] << kEntryClassShift | line.index;
    }
    void forgetSides(const Line& line) {
        forEachOtherSide(line,
                         [this](const Line& side, const Quad&) { --shapes.count[shapeOf(side)]; });
    }
    void noteSides(const Line& line) {
        forEachOtherSide(line, [this](const Line& side, const Quad&) { note(side); });
    }
};
