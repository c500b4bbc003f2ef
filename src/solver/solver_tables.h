// What a Solver keeps between solves: the transposition table (allocated
// once), the chain-and-loop memo, and the geometry of the last board size with
// the working arrays sized for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/chain_values.h"
#include "solver/solver_geometry.h"

// Line sets up to this many 64-bit words get table-driven symmetry; larger
// boards are searched without it (they only have to end in time).
inline constexpr int32_t kSymmetryWords = 2;

struct SolverTables {
    void* table = nullptr;  // zeroed; entries laid out by the search for its word count
    size_t tableBytes = 0;
    size_t tableEntriesUsed = 0;
    size_t tableBytesTouched = 0;  // the front part that searches have used
    int32_t tableDots = 0;         // board size the entries belong to; 0 none yet
    uint8_t generation = 0;        // of the running solve; 0 marks an empty entry

    ChainValues chains;
    SolverGeometry geometry;
    // symmetry[((s * bytes + p) * 256 + v) * words + w]: word w of the image
    // under symmetry s of the lines whose bits are byte p of the set, valued v.
    std::vector<uint64_t> symmetry;
    std::vector<int16_t> moves;   // a list of lineCount per count of drawn lines
    std::vector<uint8_t> sides;   // drawn sides per quad
    std::vector<uint32_t> marks;  // per quad, stamped by the endgame walk
    uint32_t stamp = 0;

    // Sets up geometry and arrays for n dots; clears the table when its
    // entries belong to another size, whose keys would read the same bits.
    void prepare(int32_t n, int32_t words);
};
