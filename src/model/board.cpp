// Building and releasing a board; its geometry and the per-quad queries.
#include "model/board.h"

#include <cassert>
#include <memory>

void Line::attachQuad(Quad* quad) {
    if (linkCount >= 2) throw kLineSharedTwice;
    (linkCount == 0 ? quadA : quadB) = quad;
    ++linkCount;
}

void Quad::linkSides(Line* top, Line* left, Line* right, Line* bottom) {
    sides[0] = top;
    sides[1] = left;
    sides[2] = right;
    sides[3] = bottom;
    for (Line* side : sides) side->attachQuad(this);
}

Board& Board::createBoard(int32_t n, int32_t players) {
    assert(n >= kMinDotsPerSide && n <= kMaxDotsPerSide);
    const int32_t count = 2 * n * n - 2 * n;
    const int32_t quadTotal = (n - 1) * (n - 1);

    // Everything is allocated before any field changes, so a failure leaves
    // the record as it was and nothing allocated.
    auto newScores = std::make_unique<int32_t[]>(players);
    auto newHistory = std::make_unique<MoveIndex[]>(count);
    auto newLines = std::make_unique<Line[]>(count);
    auto newAvailable = std::make_unique<Line*[]>(count);
    auto newScratch = std::make_unique<Line*[]>(count);
    auto newQuads = std::make_unique<Quad[]>(quadTotal);

    for (int32_t i = 0; i < count; ++i) {
        newLines[i].index = i;
        newLines[i].slot = i;
        newAvailable[i] = &newLines[i];
    }
    for (int32_t k = 0; k < quadTotal; ++k) {
        const int32_t row = k / (n - 1);
        const int32_t b = k + n * row;  // row * (2n - 1) + column
        Line* l = newLines.get();
        newQuads[k].linkSides(&l[b], &l[b + n - 1], &l[b + n], &l[b + 2 * n - 1]);
    }
    for (int32_t i = 0; i < count; ++i) newLines[i].weight = count;

    releaseBoard();
    dotsPerSide = n;
    lineCount = count;
    availableCount = count;
    quadCount = quadTotal;
    playerCount = players;
    chainMetric = 0;
    historyLength = 0;
    sideToMove = 0;
    scores = newScores.release();
    history = newHistory.release();
    lines = newLines.release();
    available = newAvailable.release();
    sortScratch = newScratch.release();
    quads = newQuads.release();
    return *this;
}

void Board::releaseBoard() {
    delete[] scores;
    delete[] history;
    delete[] available;
    delete[] lines;
    delete[] quads;
    delete[] sortScratch;
    scores = nullptr;
    history = nullptr;
    available = nullptr;
    lines = nullptr;
    quads = nullptr;
    sortScratch = nullptr;
}

Quad* Board::quadAt(int32_t k, int32_t& column, int32_t& row) const {
    column = k % (dotsPerSide - 1);
    row = k / (dotsPerSide - 1);
    return &quads[k];
}

void Board::copyLinesFrom(const Board& source) {
    for (int32_t i = 0; i < lineCount; ++i) {
        lines[i].weight = source.lines[i].weight;
        lines[i].owner = source.lines[i].owner;
    }
    for (int32_t k = 0; k < quadCount; ++k) {
        quads[k].owner = source.quads[k].owner;
        quads[k].drawn = source.quads[k].drawn;
    }
}
