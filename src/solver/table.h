// The transposition table as one search thread sees it: buckets of entries
// in the front part of the shared table in use now, the choice of the entry
// a store replaces, and the growth of the part in use.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "solver/line_set.h"
#include "solver/solver_tables.h"
#include "solver/table_entry.h"

template <int W, bool Packed>
class Table {
public:
    using Format = EntryFormat<W, Packed>;
    using Slot = typename Format::Slot;
    static constexpr int32_t kBucket = Packed ? 8 : 4;  // one cache line at one word
    // The part in use at first.
    static constexpr size_t kFirstBytes = size_t{64} << 10;

    // Sizes the part of the table in use, for a board of lineCount lines;
    // runs before any search thread starts.
    Table(SolverTables& tables, int32_t lineCount) : t_(tables) {
        entries_ = static_cast<Slot*>(t_.table);
        // A small board cannot fill a large table, and spread over all of it
        // its entries would touch a page each: it uses a front part of the
        // table in step with its line sets, the same for every solve on it.
        const size_t wanted = size_t{1} << std::clamp(lineCount - 3, 10, 40);
        maxBuckets_ =
            std::min(t_.tableBytes / sizeof(Slot) / kBucket, std::max<size_t>(wanted / kBucket, 1));
        // And it starts small: a read at random costs more the more memory
        // it may fall in (up to three times as much in 8 GiB as in 256 MiB),
        // so the part in use grows only as the entries fill it.
        if (t_.activeBuckets == 0)
            t_.activeBuckets = std::min(maxBuckets_, kFirstBytes / (kBucket * sizeof(Slot)));
        buckets_ = t_.activeBuckets;
        t_.tableBytesTouched = std::max(t_.tableBytesTouched, buckets_ * kBucket * sizeof(Slot));
    }

    // Catches up with a growth made by another thread.
    void refresh() { buckets_ = t_.activeBuckets; }
    size_t buckets() const { return buckets_; }
    uint64_t entriesFilled() const { return entriesFilled_; }
    // Whether the part in use should grow, with used entries in all.
    bool wantsGrowth(size_t used) const {
        return buckets_ < maxBuckets_ && used > buckets_ * kBucket / 2;
    }
    // The share of the most this board may use that used entries fill.
    int32_t permille(size_t used) const {
        const size_t capacity = maxBuckets_ * kBucket;
        return capacity ? int32_t(std::min(used, capacity) * 1000 / capacity) : 0;
    }

    Slot* bucketOf(const LineSet<W>& key) const {
        return entries_ + indexOf(key, buckets_) * kBucket;
    }

    static bool find(const Slot* bucket, const LineSet<W>& key, EntryData& hit) {
        for (int32_t i = 0; i < kBucket; ++i)
            if (Format::holds(bucket[i], key, hit)) return true;
        return false;
    }

    void store(Slot* bucket, const LineSet<W>& key, int32_t lo, int32_t hi, uint64_t work,
               int32_t move) {
        // The bit length of the subtree's node count; in a word, half of it.
        const int32_t length = std::bit_width(work);
        const uint8_t bits = uint8_t(Packed ? std::min(15, (length + 1) / 2) : length);
        const uint8_t now = generation();
        Slot* victim = nullptr;
        int32_t victimRank = 0;
        for (int32_t i = 0; i < kBucket; ++i) {
            Slot& e = bucket[i];
            EntryData d;
            if (Format::holds(e, key, d)) {
                d.lower = int16_t(std::max(lo, int32_t(d.lower)));
                d.upper = int16_t(std::min(hi, int32_t(d.upper)));
                d.work = std::max(d.work, bits);
                d.generation = now;
                if (move >= 0) d.move = int16_t(move);
                Format::write(e, key, d);
                return;
            }
            // Empty first, then entries of earlier solves, then the cheapest.
            const int32_t r = rank(Format::dataOf(e), now);
            if (victim == nullptr || r < victimRank) {
                victim = &e;
                victimRank = r;
            }
        }
        if (victimRank < 0) ++entriesFilled_;
        Format::write(*victim, key, {int16_t(lo), int16_t(hi), int16_t(move), bits, now});
    }

    // Doubles the part in use, with no other thread searching. With n
    // buckets a key's bucket is the high part of hash * n, so with more
    // buckets it moves up or stays: walked from the top, each bucket's
    // entries go to buckets already walked or to itself. An entry that
    // finds its new bucket full gives way to the least worth keeping, or is
    // dropped. A growth cut short (stop() true, asked every 4096 buckets)
    // leaves the entries not yet moved where reads will seldom look for
    // them: they are lost, never wrong, since each holds its whole key.
    // Returns false when cut short.
    template <typename Stop>
    bool grow(Stop&& stop) {
        const size_t from = t_.activeBuckets, to = std::min(maxBuckets_, 2 * from);
        const uint8_t now = generation();
        bool whole = true;
        for (size_t b = from; b-- > 0;) {
            if ((b & 4095) == 0 && stop()) {
                whole = false;
                break;
            }
            Slot moved[kBucket];
            Slot* bucket = entries_ + b * kBucket;
            std::memcpy(moved, bucket, sizeof moved);
            std::memset(static_cast<void*>(bucket), 0, sizeof moved);
            for (const Slot& e : moved) {
                LineSet<W> key;
                EntryData d;
                if (!Format::keyOf(e, key, d)) continue;
                // store()'s choice of victim, written apart: shared, it cost
                // every store 4 % more instructions in all.
                Slot* into = entries_ + indexOf(key, to) * kBucket;
                Slot* victim = nullptr;
                int32_t victimRank = 0;
                for (int32_t i = 0; i < kBucket; ++i) {
                    LineSet<W> other;
                    EntryData o;
                    const int32_t r = Format::keyOf(into[i], other, o) ? rank(o, now) : -1;
                    if (victim == nullptr || r < victimRank) {
                        victim = into + i;
                        victimRank = r;
                    }
                }
                if (victimRank < rank(d, now)) *victim = e;  // no other thread reads meanwhile
            }
        }
        t_.activeBuckets = to;
        t_.tableBytesTouched = std::max(t_.tableBytesTouched, to * kBucket * sizeof(Slot));
        return whole;
    }

private:
    static size_t indexOf(const LineSet<W>& key, size_t buckets) {
        return size_t((unsigned __int128)hashOf(key) * buckets >> 64);
    }

    // The running solve's generation as entries hold it: 1 to 3 in a word.
    uint8_t generation() const {
        return Packed ? uint8_t((t_.generation - 1) % 3 + 1) : t_.generation;
    }

    static int32_t rank(const EntryData& e, uint8_t now) {
        if (e.generation == 0) return -1;
        return (e.generation == now ? 256 : 0) + e.work;
    }

    SolverTables& t_;
    Slot* entries_ = nullptr;
    size_t buckets_ = 0;          // in use, as of this thread's last look
    size_t maxBuckets_ = 0;       // the most this board may use
    uint64_t entriesFilled_ = 0;  // empty entries this thread filled
};
