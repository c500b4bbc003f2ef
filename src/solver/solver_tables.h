// What a Solver keeps between solves: the transposition table (allocated
// once), the chain-and-loop memo, and the geometry of the last board size with
// the working arrays sized for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/chain_values.h"
#include "solver/solver_geometry.h"

// A line of a list of moves: what the mover can get at most by it, and for a
// single quad or two-chain handed over, its quads and the lines drawn once
// they are taken.
struct Listed {
    int16_t cap;
    int16_t taken;
    int16_t lines[3];
};

struct SolverTables {
    void* table = nullptr;  // zeroed; entries laid out by the search for its word count
    size_t tableBytes = 0;
    size_t tableEntriesUsed = 0;
    size_t tableBytesTouched = 0;  // the front part that searches have used
    int32_t tableDots = 0;         // board size the entries belong to; 0 none yet
    uint8_t generation = 0;        // of the running solve; 0 marks an empty entry

    ChainValues chains;
    SolverGeometry geometry;
    std::vector<int16_t> moves;   // a list of lineCount per count of drawn lines
    std::vector<Listed> listed;   // the same, in step with moves once ordered
    std::vector<uint8_t> sides;   // drawn sides per quad
    std::vector<uint32_t> marks;  // per quad, stamped by the endgame walk
    uint32_t stamp = 0;

    // Sets up geometry and arrays for n dots; clears the table when its
    // entries belong to another size, whose keys would read the same bits.
    void prepare(int32_t n);
};
