// Where the board stands in the window's client area: the grid's top left
// dot at 150, 30, with 30 pixels to spare right of and below it, cells that
// share what is left, and the coordinate labels above and left of the grid.
// Painting and picking both work from these; the shell scripts that click
// and check pixels read them from scripts/window_layout.sh.
#pragma once

#include <cstdint>

inline constexpr int32_t kGridLeft = 150;
inline constexpr int32_t kGridTop = 30;
inline constexpr int32_t kGridRightMargin = 30;
inline constexpr int32_t kGridBottomMargin = 30;

// Column letters stand above their dots, row numbers left of theirs; the
// first of each at these points, the others a cell further on.
inline constexpr int32_t kColumnLabelLeft = 145;
inline constexpr int32_t kColumnLabelTop = 15;
inline constexpr int32_t kRowLabelLeft = 135;
inline constexpr int32_t kRowLabelTop = 24;

struct CellSize {
    int32_t width, height;
};

// dotsPerSide - 1 >= 1; a small client area may give zero or negative cells,
// which only collapse the picture.
inline CellSize cellSize(int32_t clientWidth, int32_t clientHeight, int32_t dotsPerSide) {
    return {(clientWidth - kGridLeft - kGridRightMargin) / (dotsPerSide - 1),
            (clientHeight - kGridTop - kGridBottomMargin) / (dotsPerSide - 1)};
}
