#include "solver/chain_values.h"

#include <algorithm>
#include <cassert>
#include <functional>

namespace {

constexpr uint8_t kLoopBit = 64;
constexpr size_t kMemoEntries = size_t{1} << 14;

uint64_t mix(uint64_t x) {
    x ^= x >> 31;
    x *= 0x9e3779b97f4a7c15ull;
    return x ^ (x >> 29);
}

}  // namespace

// An all-zero entry is the empty set, whose value 0 it already holds.
ChainValues::ChainValues() : memo_(kMemoEntries, Entry{{0, 0}, 0}) {}

int32_t ChainValues::value(Part* parts, int32_t count) {
    assert(count <= kMaxParts);
    uint8_t codes[kMaxParts];
    for (int32_t i = 0; i < count; ++i) {
        assert(parts[i].length >= 1 && parts[i].length < 64);
        codes[i] = static_cast<uint8_t>(parts[i].length | (parts[i].loop ? kLoopBit : 0));
    }
    std::sort(codes, codes + count, std::greater<>());
    return lookup(codes, count);
}

// codes: sorted, largest first.
int32_t ChainValues::lookup(const uint8_t* codes, int32_t count) {
    if (count == 0) return 0;
    uint64_t key[2] = {0, 0};
    for (int32_t i = 0; i < count; ++i) key[i / 8] |= uint64_t{codes[i]} << (8 * (i % 8));
    Entry& entry = memo_[mix(key[0] ^ mix(key[1])) & (kMemoEntries - 1)];
    if (entry.key[0] == key[0] && entry.key[1] == key[1]) return entry.value;

    int32_t best = -1000;
    uint8_t rest[kMaxParts];
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0 && codes[i] == codes[i - 1]) continue;  // the same part again
        std::copy(codes, codes + i, rest);
        std::copy(codes + i + 1, codes + count, rest + i);
        // after: the value of the rest for whoever moves first in it.
        const int32_t after = lookup(rest, count - 1);
        const int32_t length = codes[i] & (kLoopBit - 1);
        const bool loop = (codes[i] & kLoopBit) != 0;
        // The controller takes all and moves on, or leaves the last two (four)
        // and makes the opener move on.
        int32_t controller = length + after;
        if (loop)
            controller = std::max(controller, length - 8 - after);
        else if (length >= 3)
            controller = std::max(controller, length - 4 - after);
        best = std::max(best, -controller);
    }
    // Recomputed: the slot may have been taken over by the recursion.
    Entry& slot = memo_[mix(key[0] ^ mix(key[1])) & (kMemoEntries - 1)];
    slot = Entry{{key[0], key[1]}, best};
    return best;
}
