// Helpers shared by the model and engine tests: a full snapshot of every field of a
// board, so that "nothing changed" can be checked exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/board.h"

// Everything a board holds, including the entries past availableCount and
// past historyLength, as indices so that two boards can be compared.
struct BoardSnapshot {
    std::vector<int32_t> counts;      // the scalar fields
    std::vector<int32_t> available;   // all lineCount entries, as line indices
    std::vector<int32_t> history;     // the first historyLength entries
    std::vector<int32_t> lineFields;  // owner, slot, weight, index per line
    std::vector<int32_t> quadOwners;
    std::vector<int32_t> scores;

    bool operator==(const BoardSnapshot&) const = default;
};

inline BoardSnapshot snapshot(const Board& b) {
    BoardSnapshot s;
    s.counts = {b.dotsPerSide,   b.chainMetric,    b.lineCount,   b.quadCount,
                b.historyLength, b.availableCount, b.playerCount, b.sideToMove};
    for (int32_t i = 0; i < b.lineCount; ++i) s.available.push_back(b.available[i]->index);
    s.history.assign(b.history, b.history + b.historyLength);
    for (int32_t i = 0; i < b.lineCount; ++i) {
        const Line& l = b.lines[i];
        s.lineFields.insert(s.lineFields.end(), {l.owner, l.slot, l.weight, l.index});
    }
    for (int32_t k = 0; k < b.quadCount; ++k) s.quadOwners.push_back(b.quads[k].owner);
    s.scores.assign(b.scores, b.scores + b.playerCount);
    return s;
}
