// The plain exhaustive solver the fast one is held to: the value of every
// line set reachable from a position, by the rules alone, memoised on a
// bitmask of the lines that were left undrawn there.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

struct Exhaustive {
    std::vector<int32_t> open;    // the position's undrawn lines; bit i of a mask is open[i]
    std::vector<int8_t> values;   // per mask of open lines drawn since
    std::vector<int32_t> sides;   // per quad: drawn sides in the position
    std::vector<uint32_t> local;  // per quad: mask of its open sides
    std::vector<std::vector<int32_t>> quadsOfOpen;

    Exhaustive(int32_t n, const std::vector<uint8_t>& drawn) {
        const int32_t quads = (n - 1) * (n - 1);
        for (int32_t l = 0; l < 2 * n * (n - 1); ++l)
            if (!drawn[l]) open.push_back(l);
        const int32_t k = int32_t(open.size());
        sides.assign(quads, 0);
        local.assign(quads, 0);
        quadsOfOpen.assign(k, {});
        for (int32_t q = 0; q < quads; ++q) {
            const int32_t b = q + n * (q / (n - 1));  // top; left b+n-1, right b+n, bottom b+2n-1
            for (const int32_t l : {b, b + n - 1, b + n, b + 2 * n - 1}) {
                if (drawn[l]) {
                    ++sides[q];
                    continue;
                }
                const int32_t i = int32_t(std::find(open.begin(), open.end(), l) - open.begin());
                local[q] |= 1u << i;
                quadsOfOpen[i].push_back(q);
            }
        }
        const uint32_t full = uint32_t((uint64_t{1} << k) - 1);
        values.assign(size_t(full) + 1, 0);
        // A child sets one more bit, so it is a larger number: count down.
        for (uint32_t mask = full; mask-- > 0;) {
            int32_t best = -1000;
            for (int32_t i = 0; i < k; ++i)
                if (!(mask >> i & 1)) best = std::max(best, moveValue(mask, i));
            values[mask] = int8_t(best);
        }
    }

    // Drawing open line i after the lines of mask: the quads it completes, and
    // the same side moves again when there are any.
    int32_t moveValue(uint32_t mask, int32_t i) const {
        int32_t completed = 0;
        for (const int32_t q : quadsOfOpen[i])
            completed += sides[q] + std::popcount(local[q] & mask) == 3;
        const int32_t child = values[mask | 1u << i];
        return completed + (completed > 0 ? child : -child);
    }

    int32_t value() const { return values[0]; }
    std::vector<int32_t> best() const {
        std::vector<int32_t> lines;
        for (int32_t i = 0; i < int32_t(open.size()); ++i)
            if (moveValue(0, i) == value()) lines.push_back(open[i]);
        return lines;
    }
};

// A position of n dots with left lines undrawn, drawn at random.
inline std::vector<uint8_t> randomPosition(int32_t n, int32_t left, std::mt19937& random) {
    const int32_t lineCount = 2 * n * (n - 1);
    std::vector<int32_t> order(lineCount);
    for (int32_t l = 0; l < lineCount; ++l) order[l] = l;
    std::shuffle(order.begin(), order.end(), random);
    std::vector<uint8_t> drawn(lineCount, 0);
    for (int32_t i = 0; i < lineCount - left; ++i) drawn[order[i]] = 1;
    return drawn;
}
