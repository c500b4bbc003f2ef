// A set of lines as W 64-bit words, the form of a position's drawn lines and
// of the table's keys.
#pragma once

#include <cstdint>
#include <cstring>

// No initialiser: arrays of keys are filled before they are read.
template <int W>
struct LineSet {
    uint64_t w[W];
    bool has(int32_t l) const { return (w[l >> 6] >> (l & 63)) & 1; }
    void flip(int32_t l) { w[l >> 6] ^= uint64_t{1} << (l & 63); }
    void flip(const LineSet& lines) {
        for (int i = 0; i < W; ++i) w[i] ^= lines.w[i];
    }
    bool operator<(const LineSet& o) const {
        for (int i = W - 1; i >= 0; --i)
            if (w[i] != o.w[i]) return w[i] < o.w[i];
        return false;
    }
    bool operator==(const LineSet& o) const { return std::memcmp(w, o.w, sizeof w) == 0; }
};

// Spreads a key over 64 bits: the table's buckets and the threads' tags.
template <int W>
uint64_t hashOf(const LineSet<W>& key) {
    uint64_t h = 0x2545f4914f6cdd1dull;
    for (int i = 0; i < W; ++i) {
        h ^= key.w[i] + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
        h *= 0xbf58476d1ce4e5b9ull;
        h ^= h >> 31;
    }
    return h;
}
