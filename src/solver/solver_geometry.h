// The board as the solver sees it: which quads each line borders, which lines
// each quad has, and where each line goes under the eight symmetries of the
// square. Built from the numbering alone, so that a bare line set needs no
// Board.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct SolverGeometry {
    static constexpr int32_t kSymmetries = 8;

    int32_t dotsPerSide = 0;
    int32_t lineCount = 0;
    int32_t quadCount = 0;
    std::vector<std::array<int16_t, 2>> lineQuads;  // second is -1 on the edge
    std::vector<std::array<int16_t, 4>> quadLines;  // top, left, right, bottom
    // images[s * lineCount + l]: line l under symmetry s, but that the kept
    // line of a corner pair goes to the kept line of its image's pair.
    std::vector<int16_t> images;
    // A corner quad's two lines on the edge border it alone, so drawing
    // either leaves the same game: {kept, other}, the kept line the lower.
    // A position with one of them drawn is searched with the kept one (from
    // 3 dots; on 2 the pairs would overlap).
    std::vector<std::array<int16_t, 2>> cornerPairs;

    void build(int32_t n);
    // The quad across line from quad, or -1 for the edge.
    int32_t across(int32_t line, int32_t quad) const {
        const std::array<int16_t, 2>& q = lineQuads[line];
        return q[0] == quad ? q[1] : q[0];
    }
};
