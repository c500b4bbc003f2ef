// The exact value of an endgame made only of independent chains and loops.
//
// When every quad not yet taken has exactly two drawn sides, every line left
// hands the opponent a chain or a loop. The player in control then takes it
// all, or declines the last two quads of a chain (four of a loop) to keep
// control; the player who opens a two-chain opens it in the middle, so that
// nothing can be declined. The value depends only on the multiset of chain
// and loop lengths, and is memoised on it in a fixed table.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class ChainValues {
public:
    // One component: a chain or loop of length quads.
    struct Part {
        int32_t length;
        bool loop;
    };
    static constexpr int32_t kMaxParts = 16;

    ChainValues();
    // Value for the player who must open one of parts (at most kMaxParts,
    // lengths 1 to 63, loops at least 4 long); reorders parts.
    int32_t value(Part* parts, int32_t count);

private:
    struct Entry {
        uint64_t key[2];
        int32_t value;
    };
    int32_t lookup(const uint8_t* codes, int32_t count);
    std::vector<Entry> memo_;  // direct-mapped on the sorted codes
};
