// Building the word copy of a small board, and counting its shapes.
#include "engine/bit_position.h"

#include <algorithm>
#include <cassert>
#include <iterator>

ShapeCounts BitPosition::countPortably(const Neighbours& n, bool quietOnly) {
    return countShapesWith(n, quietOnly, [](uint64_t word) {
        word -= word >> 1 & 0x5555555555555555u;
        word = (word & 0x3333333333333333u) + (word >> 2 & 0x3333333333333333u);
        word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
        return static_cast<int32_t>(word * 0x0101010101010101u >> 56);
    });
}

void BitPosition::build(const Board& board) {
    assert(fits(board) && board.playerCount == 2);
    const int32_t n = board.dotsPerSide;
    aboveFactor = uint64_t{1} << (2 * n - 1);
    leftFactor = uint64_t{1} << n;
    rightFactor = uint64_t{1} << (n - 1);
    lineBytes = (board.lineCount + 7) / 8 * 8;
    horizontal = vertical = undrawn = q0 = q1 = q2 = 0;
    std::fill(std::begin(drawnOf), std::end(drawnOf), uint8_t{0});
    // Where quad k's bit stands: the MoveIndex of its top side.
    auto planePosition = [&board, n](const Quad* quad) {
        if (quad == nullptr) return kNoQuad;
        const auto k = static_cast<int32_t>(quad - board.quads);
        return k + n * (k / (n - 1));
    };
    for (MoveIndex m = 0; m < board.lineCount; ++m) {
        const Line& line = board.lines[m];
        const uint64_t bit = uint64_t{1} << m;
        (m % (2 * n - 1) < n - 1 ? horizontal : vertical) |= bit;
        if (line.owner == 0) undrawn |= bit;
        quadA[m] = static_cast<uint8_t>(planePosition(line.quadA));
        quadB[m] = static_cast<uint8_t>(planePosition(line.quadB));
        quadsOf[m] = uint64_t{1} << quadA[m];
        if (line.quadB != nullptr) quadsOf[m] |= uint64_t{1} << quadB[m];
        available[m] = static_cast<uint8_t>(board.available[m]->index);
        slot[m] = static_cast<uint8_t>(line.slot);
    }
    for (MoveIndex m = 0; m < board.lineCount; ++m) {
        otherSides[m] = 0;
        for (MoveIndex other = 0; other < board.lineCount; ++other)
            if (other != m && (quadsOf[other] & quadsOf[m]) != 0)
                otherSides[m] |= uint64_t{1} << other;
    }
    for (int32_t k = 0; k < board.quadCount; ++k) {
        const uint64_t bit = uint64_t{1} << planePosition(&board.quads[k]);
        const int32_t drawn = board.quads[k].drawnSides();
        if (drawn & 1) q0 |= bit;
        if (drawn & 2) q1 |= bit;
        if (drawn & 4) q2 |= bit;
        drawnOf[planePosition(&board.quads[k])] = static_cast<uint8_t>(drawn);
    }
    count = board.availableCount;
    keepEntries = n >= kKeepEntriesFromDots;
    std::fill(std::begin(slotsOfClass), std::end(slotsOfClass), uint64_t{0});
    for (int32_t s = 0; s < count; ++s) note(available[s], s);
    side = board.sideToMove;
    chains = board.chainMetric;
    scores[0] = board.scores[0];
    scores[1] = board.scores[1];
    countInstruction = PAXLET_HAS_POPCNT();
}
