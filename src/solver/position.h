// The position a search thread walks: the set of drawn lines with, kept in
// step by draw and undraw, the drawn sides of every quad, the counts of quads
// with two and three sides and of quads not yet taken, and the set's images
// under the square's symmetries, whose least is the table's key.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "solver/line_set.h"
#include "solver/solver_geometry.h"

template <int W>
class Position {
public:
    static constexpr int32_t kMaxLines = 64 * W;
    // Boards of more words are searched without symmetry: they only have to
    // end in time.
    static constexpr bool kSymmetric = W <= 2;

    // sides: the thread's own array of quadCount counts.
    Position(const SolverGeometry& geometry, uint8_t* sides, const uint8_t* drawnLines)
        : geometry_(geometry), sides_(sides) {
        for (int32_t l = 0; l < geometry_.lineCount; ++l) lineMask_.flip(l);
        if constexpr (W == 1) {
            for (int32_t q = 0; q < geometry_.quadCount; ++q)
                for (const int16_t l : geometry_.quadLines[q]) quadMasks_[q] |= uint64_t{1} << l;
        }
        if constexpr (kSymmetric) {
            for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s)
                for (int32_t l = 0; l < geometry_.lineCount; ++l) {
                    imageBits_[l][s] = {};
                    imageBits_[l][s].flip(geometry_.images[size_t(s) * geometry_.lineCount + l]);
                }
        }
        std::fill(sides_, sides_ + geometry_.quadCount, uint8_t{0});
        remaining_ = geometry_.quadCount;
        // The lone drawn line of a corner pair is searched as its kept line.
        std::vector<uint8_t> lines(drawnLines, drawnLines + geometry_.lineCount);
        for (const std::array<int16_t, 2>& pair : geometry_.cornerPairs) {
            pairs_[pairCount_++] = pair;
            if (lines[size_t(pair[1])] && !lines[size_t(pair[0])]) {
                std::swap(lines[size_t(pair[0])], lines[size_t(pair[1])]);
                rootSwaps_.push_back(pair);
            }
        }
        for (int32_t l = 0; l < geometry_.lineCount; ++l)
            if (lines[size_t(l)]) draw(l);
    }

    const SolverGeometry& geometry() const { return geometry_; }
    const LineSet<W>& drawn() const { return drawn_; }
    int32_t drawnCount() const { return drawnCount_; }
    int32_t linesLeft() const { return geometry_.lineCount - drawnCount_; }
    int32_t remaining() const { return remaining_; }  // quads not yet taken
    int32_t twos() const { return twos_; }            // quads with two sides drawn
    int32_t threes() const { return threes_; }        // and with three
    int32_t sides(int32_t q) const { return sides_[q]; }
    // One word: the undrawn lines; each quad's four lines.
    uint64_t openLines() const { return lineMask_.w[0] & ~drawn_.w[0]; }
    uint64_t quadMask(int32_t q) const { return quadMasks_[q]; }

    // Draws line l; returns the quads it completes (0 to 2).
    int32_t draw(int32_t l) {
        flipLine(l);
        ++drawnCount_;
        int32_t completed = 0;
        for (const int16_t q : geometry_.lineQuads[l]) {
            if (q < 0) continue;
            switch (++sides_[q]) {
                case 2:
                    ++twos_;
                    toggleTwo(q);
                    break;
                case 3:
                    --twos_;
                    toggleTwo(q);
                    ++threes_;
                    toggleThree(q);
                    break;
                case 4:
                    --threes_;
                    toggleThree(q);
                    ++completed;
                    break;
                default:
                    break;
            }
        }
        remaining_ -= completed;
        return completed;
    }

    void undraw(int32_t l) {
        flipLine(l);
        --drawnCount_;
        for (const int16_t q : geometry_.lineQuads[l]) {
            if (q < 0) continue;
            switch (sides_[q]--) {
                case 2:
                    --twos_;
                    toggleTwo(q);
                    break;
                case 3:
                    ++twos_;
                    toggleTwo(q);
                    --threes_;
                    toggleThree(q);
                    break;
                case 4:
                    ++threes_;
                    toggleThree(q);
                    ++remaining_;
                    break;
                default:
                    break;
            }
        }
    }

    // The one undrawn side of quad q other than line except (-1: any); the
    // first in the order of quadLines, which is that of the line numbers.
    int32_t otherSide(int32_t q, int32_t except) const {
        if constexpr (W == 1) {
            const uint64_t skip = except < 0 ? 0 : uint64_t{1} << except;
            const uint64_t open = quadMasks_[q] & ~drawn_.w[0] & ~skip;
            return open == 0 ? -1 : std::countr_zero(open);
        }
        for (const int16_t l : geometry_.quadLines[q])
            if (l != except && !drawn_.has(l)) return l;
        return -1;
    }

    // The first quad from q (at most quadCount) on with three sides, or
    // quadCount (64 on one word) when there is none.
    int32_t nextThree(int32_t q) const {
        if constexpr (W == 1) return std::countr_zero(threeQuads_ & (~uint64_t{0} << q));
        while (q < geometry_.quadCount && sides_[q] != 3) ++q;
        return q;
    }

    // A line that gives no quad its third side.
    bool isSafe(int32_t l) const {
        const std::array<int16_t, 2>& quads = geometry_.lineQuads[l];
        return sides_[quads[0]] != 2 && (quads[1] < 0 || sides_[quads[1]] != 2);
    }

    // The other line of a corner pair whose kept line is undrawn: the kept
    // one is tried for both. No sacrifice is such a line: a corner quad
    // with both lines on the edge undrawn is a chain of one, opened by the
    // lower of its open sides.
    bool standsIn(int32_t l) const {
        for (int32_t i = 0; i < pairCount_; ++i)
            if (pairs_[i][1] == l) return !drawn_.has(pairs_[i][0]);
        return false;
    }
    // One word: those lines.
    uint64_t standIns() const {
        uint64_t lines = 0;
        for (int32_t i = 0; i < pairCount_; ++i)
            lines |= (~drawn_.w[0] >> pairs_[i][0] & 1) << pairs_[i][1];
        return lines;
    }

    // One word: the lines of the quads with two sides, which open them.
    uint64_t twoQuadLines() const {
        uint64_t lines = 0;
        for (uint64_t quads = twoQuads_; quads != 0; quads &= quads - 1)
            lines |= quadMasks_[std::countr_zero(quads)];
        return lines;
    }

    // A bound proved of the value, brought to its parity (that of remaining).
    int32_t snapUp(int32_t v) const { return ((v - remaining_) & 1) ? v + 1 : v; }
    int32_t snapDown(int32_t v) const { return ((v - remaining_) & 1) ? v - 1 : v; }

    // The least image of the drawn lines; sym gets the symmetry that gives it.
    LineSet<W> canonical(int32_t& sym) const {
        sym = 0;
        LineSet<W> best = drawn_;
        if constexpr (kSymmetric) {
            for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                if (images_[s] < best) {
                    best = images_[s];
                    sym = s;
                }
        }
        return best;
    }

    // The least image of the drawn lines with n >= 1 more.
    LineSet<W> canonicalWith(const int16_t* lines, int32_t n) const {
        if constexpr (!kSymmetric) {
            LineSet<W> key = drawn_;
            for (int32_t j = 0; j < n; ++j) key.flip(lines[j]);
            return key;
        } else {
            // All eight images flipped side by side, then the least.
            LineSet<W> image[SolverGeometry::kSymmetries];
            for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s) {
                image[s] = images_[s];
                image[s].flip(imageBits_[lines[0]][s]);
            }
            for (int32_t j = 1; j < n; ++j)
                for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s)
                    image[s].flip(imageBits_[lines[j]][s]);
            LineSet<W> best = image[0];
            for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                if (image[s] < best) best = image[s];
            return best;
        }
    }

    // The symmetries are their own inverses but for the two quarter turns
    // (swap then one flip), which are each other's.
    static int32_t inverse(int32_t s) { return s == 5 ? 6 : s == 6 ? 5 : s; }

    // The lines that stand for all undrawn lines under the position's own
    // symmetries (those that map the drawn set onto itself), and for each
    // line of the position as given the one that stands for it. The other
    // line of an undrawn corner pair is worth what the kept one is.
    std::vector<int16_t> classes(std::vector<int16_t>& representative) const {
        representative.assign(size_t(geometry_.lineCount), -1);
        std::vector<int16_t> lines;
        for (int32_t l = 0; l < geometry_.lineCount; ++l) {
            if (drawn_.has(l) || standsIn(l)) continue;
            int32_t least = l;
            if constexpr (kSymmetric) {
                for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                    if (images_[s] == drawn_)
                        least = std::min<int32_t>(
                            least, geometry_.images[size_t(s) * geometry_.lineCount + l]);
            }
            representative[size_t(l)] = int16_t(least);
            if (least == l) lines.push_back(int16_t(l));
        }
        for (int32_t i = 0; i < pairCount_; ++i)
            if (standsIn(pairs_[i][1]))
                representative[size_t(pairs_[i][1])] = representative[size_t(pairs_[i][0])];
        // Where the position had the other line drawn, the search has the kept one.
        for (const std::array<int16_t, 2>& pair : rootSwaps_)
            std::swap(representative[size_t(pair[0])], representative[size_t(pair[1])]);
        return lines;
    }

private:
    // The drawn set and, where symmetry is used, its images move together.
    void flipLine(int32_t l) {
        drawn_.flip(l);
        if constexpr (kSymmetric) {
            // All eight, the identity's too: a whole number of vector words.
            for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s)
                images_[s].flip(imageBits_[l][s]);
        }
    }
    void toggleTwo(int32_t q) {
        if constexpr (W == 1) twoQuads_ ^= uint64_t{1} << q;
    }
    void toggleThree(int32_t q) {
        if constexpr (W == 1) threeQuads_ ^= uint64_t{1} << q;
    }

    const SolverGeometry& geometry_;
    LineSet<W> drawn_{};
    alignas(
        64) LineSet<W> images_[kSymmetric ? SolverGeometry::kSymmetries : 1] = {};  // [0] drawn_
    LineSet<W> lineMask_{};                     // every line of the board
    uint64_t quadMasks_[W == 1 ? 64 : 1] = {};  // one word: each quad's four lines
    uint64_t twoQuads_ = 0;                     // one word: the quads with two sides, by number
    uint64_t threeQuads_ = 0;                   // and those with three
    // imageBits_[l][s]: the image of line l under symmetry s, as a set; a
    // line's images side by side, as a move flips them all.
    alignas(64) LineSet<W> imageBits_[kSymmetric ? kMaxLines : 1]
                                     [kSymmetric ? SolverGeometry::kSymmetries : 1] = {};
    std::array<int16_t, 2> pairs_[4] = {};  // the board's corner pairs: kept, other
    int32_t pairCount_ = 0;
    std::vector<std::array<int16_t, 2>> rootSwaps_;  // pairs whose other line the position had
    uint8_t* sides_ = nullptr;
    int32_t drawnCount_ = 0;
    int32_t remaining_ = 0;
    int32_t twos_ = 0;
    int32_t threes_ = 0;
};
