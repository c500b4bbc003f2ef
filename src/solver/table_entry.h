// The table's entries: what one holds, and its two layouts in memory. Every
// thread reads and writes them without a lock, so each layout is made to
// read back a torn write as a miss, never as wrong bounds.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "solver/line_set.h"

// What the table knows of a position: proved bounds of its value.
struct EntryData {
    int16_t lower, upper;
    int16_t move;        // best line found, in the key's frame; -1 none
    uint8_t work;        // bit length of the subtree's node count (a one-word entry: half)
    uint8_t generation;  // 0 empty

    uint64_t pack() const {
        return uint64_t(uint16_t(lower)) | uint64_t(uint16_t(upper)) << 16 |
               uint64_t(uint16_t(move)) << 32 | uint64_t(work) << 48 | uint64_t(generation) << 56;
    }
    static EntryData unpack(uint64_t d) {
        return {int16_t(d), int16_t(d >> 16), int16_t(d >> 32), uint8_t(d >> 48), uint8_t(d >> 56)};
    }

    // An entry of one word: the key in the low 40 bits; above it the bounds
    // (plus 32: 5 dots have at most 16 quads) and the move in six bits each
    // (63: none), the work in four and the generation in two.
    uint64_t packWith(uint64_t key) const {
        return key | uint64_t(lower + 32) << 40 | uint64_t(upper + 32) << 46 |
               uint64_t(move & 63) << 52 | uint64_t(work) << 58 | uint64_t(generation) << 62;
    }
    static EntryData unpackWord(uint64_t word) {
        const int32_t move = int32_t(word >> 52 & 63);
        return {int16_t(int32_t(word >> 40 & 63) - 32), int16_t(int32_t(word >> 46 & 63) - 32),
                int16_t(move == 63 ? -1 : move), uint8_t(word >> 58 & 15), uint8_t(word >> 62)};
    }
};

// One table entry of W + 1 words: each word of the full canonical key is
// stored mixed (xor) with the data word, so an entry torn by two writers
// reads back as another key, that is as a miss.
template <int W>
struct TableEntry {
    uint64_t check[W];
    uint64_t data;
};

// Up to this many lines (5 dots) an entry is one word, twice as many to the
// table: the key in the low bits and the data above, so that it cannot tear.
constexpr int32_t kPackedLines = 40;

// Reading and writing an entry of either layout. Packed: entries of one
// word, only for boards of up to kPackedLines lines.
template <int W, bool Packed>
struct EntryFormat {
    static_assert(!Packed || W == 1);
    using Slot = std::conditional_t<Packed, uint64_t, TableEntry<W>>;
    static constexpr uint64_t kPackedKey = (uint64_t{1} << kPackedLines) - 1;

    static uint64_t load(const uint64_t& word) {
        return std::atomic_ref<const uint64_t>(word).load(std::memory_order_relaxed);
    }
    static void save(uint64_t& word, uint64_t value) {
        std::atomic_ref<uint64_t>(word).store(value, std::memory_order_relaxed);
    }

    // The key an entry holds and its data; false for an empty entry. For the
    // table's growth, when no other thread reads it.
    static bool keyOf(const Slot& e, LineSet<W>& key, EntryData& d) {
        if constexpr (Packed) {
            key.w[0] = e & kPackedKey;
            d = EntryData::unpackWord(e);
        } else {
            for (int i = 0; i < W; ++i) key.w[i] = e.check[i] ^ e.data;
            d = EntryData::unpack(e.data);
        }
        return d.generation != 0;
    }

    // Whether entry e holds key; if so, d gets its data. The key is
    // compared first: most entries read are another key's.
    static bool holds(const Slot& e, const LineSet<W>& key, EntryData& d) {
        if constexpr (Packed) {
            const uint64_t word = load(e);
            // Only an empty entry has generation 0, and its key bits are 0 too.
            if ((word & kPackedKey) != key.w[0] || (word >> 62) == 0) return false;
            d = EntryData::unpackWord(word);
            return true;
        } else {
            const uint64_t data = load(e.data);
            for (int i = 0; i < W; ++i)
                if ((load(e.check[i]) ^ data) != key.w[i]) return false;
            d = EntryData::unpack(data);
            return d.generation != 0;  // not an empty entry
        }
    }

    static EntryData dataOf(const Slot& e) {
        if constexpr (Packed)
            return EntryData::unpackWord(load(e));
        else
            return EntryData::unpack(load(e.data));
    }

    static void write(Slot& e, const LineSet<W>& key, const EntryData& d) {
        if constexpr (Packed) {
            save(e, d.packWith(key.w[0]));
        } else {
            const uint64_t data = d.pack();
            for (int i = 0; i < W; ++i) save(e.check[i], key.w[i] ^ data);
            save(e.data, data);
        }
    }
};
