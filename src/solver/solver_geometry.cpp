#include "solver/solver_geometry.h"

#include <algorithm>
#include <utility>

namespace {

// The line joining two neighbouring dots, in the board's row-block numbering.
int32_t lineBetween(int32_t n, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (y0 == y1) return y0 * (2 * n - 1) + std::min(x0, x1);
    return std::min(y0, y1) * (2 * n - 1) + n - 1 + x0;
}

// Dot (x, y) under symmetry s of a square with last coordinate m.
std::pair<int32_t, int32_t> mapDot(int32_t s, int32_t m, int32_t x, int32_t y) {
    if (s & 4) std::swap(x, y);
    if (s & 1) x = m - x;
    if (s & 2) y = m - y;
    return {x, y};
}

}  // namespace

void SolverGeometry::build(int32_t n) {
    dotsPerSide = n;
    lineCount = 2 * n * (n - 1);
    quadCount = (n - 1) * (n - 1);
    lineQuads.assign(lineCount, {-1, -1});
    quadLines.assign(quadCount, {});
    for (int32_t k = 0; k < quadCount; ++k) {
        const int32_t b = k + n * (k / (n - 1));
        quadLines[k] = {int16_t(b), int16_t(b + n - 1), int16_t(b + n), int16_t(b + 2 * n - 1)};
        // Quads come in ascending order, so the first neighbour is the one
        // above or to the left, as on the Board.
        for (const int16_t line : quadLines[k]) {
            std::array<int16_t, 2>& q = lineQuads[line];
            q[q[0] < 0 ? 0 : 1] = int16_t(k);
        }
    }
    images.assign(size_t(kSymmetries) * lineCount, 0);
    for (int32_t y = 0; y < n; ++y) {
        for (int32_t x = 0; x < n; ++x) {
            // The line to the right and the line below of dot (x, y).
            const int32_t ends[2][2] = {{x + 1, y}, {x, y + 1}};
            for (const auto& end : ends) {
                if (end[0] >= n || end[1] >= n) continue;
                const int32_t line = lineBetween(n, x, y, end[0], end[1]);
                for (int32_t s = 0; s < kSymmetries; ++s) {
                    const auto [ax, ay] = mapDot(s, n - 1, x, y);
                    const auto [bx, by] = mapDot(s, n - 1, end[0], end[1]);
                    images[size_t(s) * lineCount + line] = int16_t(lineBetween(n, ax, ay, bx, by));
                }
            }
        }
    }
    cornerPairs.clear();
    if (n < 3) return;
    // Top and left, top and right, left and bottom, right and bottom.
    const int32_t corners[4][3] = {
        {0, 0, 1}, {n - 2, 0, 2}, {(n - 2) * (n - 1), 1, 3}, {quadCount - 1, 2, 3}};
    for (const auto& [quad, a, b] : corners) {
        const std::array<int16_t, 4>& sides = quadLines[size_t(quad)];
        cornerPairs.push_back({std::min(sides[a], sides[b]), std::max(sides[a], sides[b])});
    }
    // A symmetry carries pairs onto pairs; sending kept lines to kept lines
    // as well, a set whose lone line of each pair is the kept one is so in
    // every image, and its least image is one key for all the sets alike.
    for (const std::array<int16_t, 2>& pair : cornerPairs) {
        for (int32_t s = 0; s < kSymmetries; ++s) {
            int16_t* image = images.data() + size_t(s) * lineCount;
            if (image[pair[0]] > image[pair[1]]) std::swap(image[pair[0]], image[pair[1]]);
        }
    }
}
