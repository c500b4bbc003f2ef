// What a Solver keeps between solves: the transposition table (allocated
// once, shared by every search thread), the geometry of the last board size,
// and one workspace per thread with the working arrays sized for it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
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

// One search thread's own arrays; nothing in it is shared, and it starts on a
// cache line of its own, since the next thread's is written at every node.
struct alignas(64) SolverWorkspace {
    ChainValues chains;
    std::unique_ptr<int16_t[]> moves;  // a list of lineCount per count of drawn lines
    std::unique_ptr<Listed[]> listed;  // the same, in step with moves once ordered
    std::vector<uint8_t> sides;        // drawn sides per quad
    std::vector<uint32_t> marks;       // per quad, stamped by the endgame walk
    uint32_t stamp = 0;

    void prepare(const SolverGeometry& geometry);
};

struct SolverTables {
    void* table = nullptr;  // zeroed, cache-line aligned; entries laid out by the search
    size_t tableBytes = 0;
    size_t tableEntriesUsed = 0;   // as of the last solve's end
    size_t tableBytesTouched = 0;  // the front part that searches have used
    size_t activeBuckets = 0;      // the front part in use now, in the board's buckets; 0 none yet
    int32_t tableDots = 0;         // board size the entries belong to; 0 none yet
    uint8_t generation = 0;        // of the running solve; 0 marks an empty entry
    bool hugePages = false;        // asked for, by the first solve that may run long

    SolverGeometry geometry;
    std::vector<SolverWorkspace> workspaces;  // one per thread
    // Tags of the positions that threads are searching, for the others to
    // put off (a power of two of slots; empty with one thread).
    std::vector<std::atomic<uint64_t>> searching;

    // Sets up geometry and arrays for n dots; clears the table when its
    // entries belong to another size, whose keys would read the same bits.
    void prepare(int32_t n);
};
