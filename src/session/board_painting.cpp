// The board picture and mouse picking. Both read only the display board, the
// last move copied with it, the status text and debugInfo, under displayLock,
// so a refresh at the end of a computer turn is never seen halfway.
#include <cstdio>

#include "engine/move_ordering.h"
#include "main_window.h"
#include "session/board_geometry.h"
#include "session/game_session.h"

namespace {

// Cells smaller than this have quarters of 0 pixels, which cannot be picked.
constexpr int32_t kSmallestPickableCell = 4;

enum Side { Top = 0, Left = 1, Right = 2, Bottom = 3 };
// Pens 1 and 2 are the players'; a line's owner byte names its pen.
constexpr int32_t kGridPen = 0;
constexpr int32_t kLastMovePen = 3;

}  // namespace

void GameSession::paintBoard() {
    std::lock_guard<std::mutex> hold(displayLock);
    const Board& board = *displayBoard;
    const int32_t n = board.dotsPerSide;
    const auto [cellWidth, cellHeight] = cellSize(window->clientWidth, window->clientHeight, n);

    char label[16];
    for (int32_t i = 1; i <= n; ++i) {
        std::snprintf(label, sizeof label, "%c", 64 + i);
        window->drawLabel(label, kColumnLabelLeft + (i - 1) * cellWidth, kColumnLabelTop);
        std::snprintf(label, sizeof label, "%i", i);
        window->drawLabel(label, kRowLabelLeft, kRowLabelTop + (i - 1) * cellHeight);
    }

    // Each line once: inner lines as a top or left side, the right border
    // with the last column, the bottom border with the last row. Fills come
    // before their quad's lines so that the lines lie on top.
    for (int32_t k = 0; k < board.quadCount; ++k) {
        int32_t i, j;
        const Quad& quad = *board.quadAt(k, i, j);
        const int32_t x = kGridLeft + i * cellWidth;
        const int32_t y = kGridTop + j * cellHeight;
        if (quad.owner != 0) window->fillQuad(quad.owner == 1 ? 0 : 1, x, y, cellWidth, cellHeight);
        drawLineSegment(*quad.sides[Top], 0, x, y, cellWidth);
        drawLineSegment(*quad.sides[Left], 1, x, y, cellHeight);
        if (i == n - 2) drawLineSegment(*quad.sides[Right], 1, x + cellWidth, y, cellHeight);
        if (j == n - 2) drawLineSegment(*quad.sides[Bottom], 0, x, y + cellHeight, cellWidth);
    }

    // Drawn last, over the board, starting at the centre (not centred on it).
    window->drawLabel(statusText, window->clientWidth / 2, window->clientHeight / 2);
}

void GameSession::drawLineSegment(const Line& line, uint8_t vertical, int32_t x, int32_t y,
                                  int32_t length) {
    int32_t pen = line.owner == 1 || line.owner == 2 ? int32_t{line.owner} : kGridPen;
    if (line.index == displayLastMove) pen = kLastMovePen;
    if (vertical)
        window->strokeLine(pen, x, y, x, y + length);
    else
        window->strokeLine(pen, x, y, x + length, y);
    if (debugInfo.load()) {
        char key[16];
        std::snprintf(key, sizeof key, "%i", priorityKey(line));
        if (vertical)
            window->drawLabel(key, x, y + length / 2);
        else
            window->drawLabel(key, x + length / 2, y);
    }
}

void GameSession::pickLine(char* buffer, int32_t x, int32_t y) {
    buffer[0] = '\0';
    std::lock_guard<std::mutex> hold(displayLock);
    const Board& board = *displayBoard;
    const int32_t n = board.dotsPerSide;
    const auto [cellWidth, cellHeight] = cellSize(window->clientWidth, window->clientHeight, n);
    if (cellWidth < kSmallestPickableCell || cellHeight < kSmallestPickableCell) return;

    // 64 bits: client coordinates may be anything, the grid origin subtracted.
    int64_t gridX = static_cast<int64_t>(x) - kGridLeft;
    int64_t gridY = static_cast<int64_t>(y) - kGridTop;
    if (gridX < 0) gridX = 0;
    if (gridY < 0) gridY = 0;
    // Clicks right of or below the grid count as the last quarter of the last
    // column or row.
    const int64_t gridWidth = static_cast<int64_t>(cellWidth) * (n - 1);
    const int64_t gridHeight = static_cast<int64_t>(cellHeight) * (n - 1);
    if (gridX >= gridWidth) gridX = gridWidth - cellWidth / 4;
    if (gridY >= gridHeight) gridY = gridHeight - cellHeight / 4;

    const int32_t i = static_cast<int32_t>(gridX / cellWidth);
    const int32_t j = static_cast<int32_t>(gridY / cellHeight);
    // Quarters run 0 to 3; leftover pixels past the fourth quarter give 4.
    const int32_t qx = static_cast<int32_t>(gridX - int64_t{i} * cellWidth) / (cellWidth / 4);
    const int32_t qy = static_cast<int32_t>(gridY - int64_t{j} * cellHeight) / (cellHeight / 4);
    Side side = Top;
    if (qx == 0)
        side = Left;
    else if (qy == 3)
        side = Bottom;
    else if (qx == 3)
        side = Right;
    const Line& line = *board.quads[j * (n - 1) + i].sides[side];
    board.formatMove(buffer, line.index);
}
