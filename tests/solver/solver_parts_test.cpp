// The solver's parts on their own: the entry layouts, the symmetry keys,
// the chain and loop walk against the exhaustive reference, and the table's
// growth.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "exhaustive.h"
#include "platform/platform.h"
#include "solver/chain_walks.h"
#include "solver/position.h"
#include "solver/solver_tables.h"
#include "solver/table.h"

namespace {

auto fields(const EntryData& d) {
    return std::make_tuple(d.lower, d.upper, d.move, d.sizeBits, d.generation);
}

TEST(SolverParts, AnEntryKeepsEveryFieldInBothLayouts) {
    const uint32_t seed = 3201;
    std::mt19937_64 random(seed);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    for (int32_t round = 0; round < 20000; ++round) {
        const EntryData wide{int16_t(random()), int16_t(random()), int16_t(random()),
                             uint8_t(random()), uint8_t(random())};
        ASSERT_EQ(fields(EntryData::unpack(wide.pack())), fields(wide));
        // One word: bounds of -32 to 31, a move of -1 to 62, four bits of
        // size and two of generation.
        const EntryData narrow{
            int16_t(int32_t(random() % 64) - 32), int16_t(int32_t(random() % 64) - 32),
            int16_t(int32_t(random() % 64) - 1), uint8_t(random() % 16), uint8_t(random() % 4)};
        using Narrow = EntryFormat<1, true>;
        using Wide = EntryFormat<2, false>;
        const uint64_t key = random() & Narrow::kPackedKey;
        const uint64_t word = narrow.packWith(key);
        ASSERT_EQ(word & Narrow::kPackedKey, key);
        ASSERT_EQ(fields(EntryData::unpackWord(word)), fields(narrow));

        // Written in either layout, an entry holds its key and data alone.
        LineSet<2> wideKey{{random(), random()}}, otherKey = wideKey, readKey;
        otherKey.flip(int32_t(random() % 128));
        Wide::Slot slot;
        EntryData d = wide, read;
        d.generation = uint8_t(d.generation | 1);
        Wide::write(slot, wideKey, d);
        ASSERT_TRUE(Wide::holds(slot, wideKey, read));
        ASSERT_EQ(fields(read), fields(d));
        ASSERT_FALSE(Wide::holds(slot, otherKey, read));
        ASSERT_TRUE(Wide::keyOf(slot, readKey, read));
        ASSERT_TRUE(readKey == wideKey);
    }
}

// A position on the caller's arrays; big, so on the heap.
template <int W>
struct Built {
    std::vector<uint8_t> sides;
    std::unique_ptr<Position<W>> pos;
    Built(const SolverGeometry& geometry, const std::vector<uint8_t>& drawn)
        : sides(size_t(geometry.quadCount)),
          pos(std::make_unique<Position<W>>(geometry, sides.data(), drawn.data())) {}
};

// The key of a line set is the least of its eight images, whichever image
// the position starts from, and a key with lines added is that of the
// position with them drawn.
template <int W>
void expectOneKeyPerImages(int32_t n, std::mt19937& random) {
    SolverGeometry geometry;
    geometry.build(n);
    const int32_t lines = geometry.lineCount;
    std::vector<uint8_t> drawn = randomPosition(n, int32_t(random() % lines) + 1, random);
    // The search keys the lone drawn line of a corner pair as the pair's kept
    // line, and never draws the other one alone.
    for (const std::array<int16_t, 2>& pair : geometry.cornerPairs)
        if (drawn[size_t(pair[1])] && !drawn[size_t(pair[0])])
            std::swap(drawn[size_t(pair[0])], drawn[size_t(pair[1])]);
    LineSet<W> least{};
    for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s) {
        LineSet<W> image{};
        for (int32_t l = 0; l < lines; ++l)
            if (drawn[size_t(l)]) image.flip(geometry.images[size_t(s) * lines + l]);
        if (s == 0 || image < least) least = image;
    }
    for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s) {
        std::vector<uint8_t> image(size_t(lines), 0);
        for (int32_t l = 0; l < lines; ++l)
            image[size_t(geometry.images[size_t(s) * lines + l])] = drawn[size_t(l)];
        const Built<W> built(geometry, image);
        int32_t sym;
        ASSERT_TRUE(built.pos->canonical(sym) == least) << n << " dots, image " << s;
    }
    const Built<W> before(geometry, drawn);
    std::vector<int16_t> open;
    for (int32_t l = 0; l < lines; ++l)
        if (!drawn[size_t(l)] && !before.pos->standsIn(l)) open.push_back(int16_t(l));
    std::shuffle(open.begin(), open.end(), random);
    std::vector<uint8_t> after = drawn;
    for (size_t k = 0; k < std::min<size_t>(open.size(), 3); ++k) {
        after[size_t(open[k])] = 1;
        int32_t sym;
        ASSERT_TRUE(before.pos->canonicalWith(open.data(), int32_t(k + 1)) ==
                    Built<W>(geometry, after).pos->canonical(sym))
            << n << " dots, " << k + 1 << " lines added";
    }
}

TEST(SolverParts, TheEightImagesOfALineSetGiveOneKey) {
    const uint32_t seed = 3202;
    std::mt19937 random(seed);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    for (int32_t round = 0; round < 50; ++round) {
        for (int32_t n = 2; n <= 6; ++n) expectOneKeyPerImages<1>(n, random);
        for (int32_t n = 7; n <= 8; ++n) expectOneKeyPerImages<2>(n, random);
    }
}

// A position of only chains and loops (each quad with two sides or four),
// at most maxLeft lines undrawn: a ring of quads round a rectangle now and
// then, and walks across untouched quads from the edge to the edge.
std::vector<uint8_t> chainsAndLoopsOnly(const SolverGeometry& geometry, int32_t maxLeft,
                                        std::mt19937& random) {
    const int32_t n = geometry.dotsPerSide, side = n - 1;
    std::vector<uint8_t> drawn(size_t(geometry.lineCount), 1), touched(size_t(side * side), 0);
    int32_t left = 0;
    const auto quadAt = [&](int32_t row, int32_t column) { return row * side + column; };
    const auto between = [&](int32_t a, int32_t b) {  // the line two quads share
        for (const int16_t l : geometry.quadLines[size_t(a)])
            if (geometry.across(l, a) == b) return int32_t(l);
        return -1;
    };
    if (side >= 2 && random() % 2) {
        const int32_t h = 2 + int32_t(random() % uint32_t(side - 1));
        const int32_t w = 2 + int32_t(random() % uint32_t(side - 1));
        const int32_t top = int32_t(random() % uint32_t(side - h + 1));
        const int32_t leftColumn = int32_t(random() % uint32_t(side - w + 1));
        std::vector<int32_t> ring;  // clockwise from the top left corner
        for (int32_t c = 0; c < w; ++c) ring.push_back(quadAt(top, leftColumn + c));
        for (int32_t r = 1; r < h; ++r) ring.push_back(quadAt(top + r, leftColumn + w - 1));
        for (int32_t c = w - 2; c >= 0; --c) ring.push_back(quadAt(top + h - 1, leftColumn + c));
        for (int32_t r = h - 2; r >= 1; --r) ring.push_back(quadAt(top + r, leftColumn));
        if (int32_t(ring.size()) <= maxLeft) {
            for (size_t i = 0; i < ring.size(); ++i) {
                touched[size_t(ring[i])] = 1;
                drawn[size_t(between(ring[i], ring[(i + 1) % ring.size()]))] = 0;
            }
            left += int32_t(ring.size());
        }
    }
    for (int32_t attempt = 0; attempt < 6; ++attempt) {
        int32_t line = int32_t(random() % uint32_t(geometry.lineCount));
        const std::array<int16_t, 2>& quads = geometry.lineQuads[size_t(line)];
        if (quads[1] >= 0 || touched[size_t(quads[0])]) continue;  // not an edge line, or used
        std::vector<int32_t> walk{line}, visited;
        int32_t quad = quads[0];
        while (quad >= 0) {
            visited.push_back(quad);
            touched[size_t(quad)] = 1;
            std::vector<int32_t> ways;
            for (const int16_t l : geometry.quadLines[size_t(quad)]) {
                const int32_t next = geometry.across(l, quad);
                if (l != line && (next < 0 || !touched[size_t(next)])) ways.push_back(l);
            }
            if (ways.empty()) break;
            line = ways[random() % ways.size()];
            walk.push_back(line);
            quad = geometry.across(line, quad);
        }
        if (quad >= 0 || left + int32_t(walk.size()) > maxLeft) {  // stuck, or too long
            for (const int32_t q : visited) touched[size_t(q)] = 0;
            continue;
        }
        for (const int32_t l : walk) drawn[size_t(l)] = 0;
        left += int32_t(walk.size());
    }
    return drawn;
}

TEST(SolverParts, ChainsAndLoopsAgreeWithTheReference) {
    const uint32_t seed = 3203;
    std::mt19937 random(seed);
    for (int32_t n = 2; n <= 5; ++n) {
        SolverGeometry geometry;
        geometry.build(n);
        SolverWorkspace workspace;
        workspace.prepare(geometry);
        for (int32_t round = 0; round < 60; ++round) {
            const std::vector<uint8_t> drawn = chainsAndLoopsOnly(geometry, 16, random);
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", " << n << " dots, round " << round);
            const Built<1> built(geometry, drawn);
            ASSERT_EQ(built.pos->twos(), built.pos->remaining());
            ASSERT_EQ(built.pos->threes(), 0);
            int32_t value = 0;
            ASSERT_TRUE(chainsAndLoops(*built.pos, workspace, value));
            ASSERT_EQ(value, Exhaustive(n, drawn).value());
        }
    }
}

// Keys stored at random until the part in use is half full, then grown:
// what each key read before, it reads after, and a growth cut short loses
// entries but never changes one.
template <int W, bool Packed>
void expectGrowthKeepsEntries(int32_t lineCount, uint32_t seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << lineCount << " lines");
    std::mt19937_64 random(seed);
    constexpr size_t kBytes = size_t{1} << 20;
    SolverTables tables;
    struct Memory {  // zeroed, page aligned, as the solver's own
        void* block = platform::allocateTable(kBytes);
        ~Memory() { platform::releaseTable(block, kBytes); }
    } memory;
    ASSERT_NE(memory.block, nullptr);
    tables.table = memory.block;
    tables.tableBytes = kBytes;
    tables.generation = 1;
    Table<W, Packed> table(tables, lineCount);
    const size_t first = tables.activeBuckets;
    std::vector<LineSet<W>> keys;
    std::set<std::vector<uint64_t>> seen;
    for (size_t i = 0; i < first * Table<W, Packed>::kBucket / 2; ++i) {
        LineSet<W> key{};
        for (int32_t l = 0; l < lineCount; ++l)
            if (random() & 1) key.flip(l);
        if (!seen.insert(std::vector<uint64_t>(key.w, key.w + W)).second) continue;
        keys.push_back(key);
        const int32_t lo = int32_t(random() % 33) - 16;
        table.store(table.bucketOf(key), key, lo, lo + int32_t(random() % 16), random() % 100000,
                    int32_t(random() % uint64_t(lineCount + 1)) - 1);
    }
    const auto readAll = [&] {
        std::vector<std::tuple<bool, int16_t, int16_t, int16_t, uint8_t, uint8_t>> reads;
        for (const LineSet<W>& key : keys) {
            EntryData hit{};
            const bool found = table.find(table.bucketOf(key), key, hit);
            reads.push_back(
                std::tuple_cat(std::make_tuple(found), found ? fields(hit) : fields(EntryData{})));
        }
        return reads;
    };
    const auto before = readAll();
    ASSERT_TRUE(table.grow([] { return false; }));
    table.refresh();
    ASSERT_EQ(tables.activeBuckets, 2 * first);
    ASSERT_EQ(readAll(), before);
    // Cut short at its first look: the entries not moved are lost.
    int32_t looks = 0;
    ASSERT_FALSE(table.grow([&] { return ++looks > 0; }));
    table.refresh();
    const auto cut = readAll();
    int32_t kept = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!std::get<0>(cut[i])) continue;
        ++kept;
        ASSERT_EQ(cut[i], before[i]) << "key " << i;
    }
    EXPECT_EQ(looks, 1);
    EXPECT_GT(kept, 0);
}

TEST(SolverParts, ATableThatGrowsKeepsEveryEntry) {
    expectGrowthKeepsEntries<1, true>(40, 3204);
    expectGrowthKeepsEntries<1, false>(60, 3205);
    expectGrowthKeepsEntries<2, false>(112, 3206);
}

}  // namespace
