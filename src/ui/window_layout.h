// What the main window looks like: its size, where each control of the left
// column stands, and the colours and widths of the pens and brushes the board
// is painted with. The Win32 window is built from these; the shell scripts
// that drive it read the same numbers from scripts/window_layout.sh, which a
// test checks against this file.
#pragma once

#include <cstdint>

// Outer size of the window, frame included, as created at 0, 0.
inline constexpr int32_t kWindowWidth = 750;
inline constexpr int32_t kWindowHeight = 560;

// A control's rectangle in client pixels.
struct ControlPlace {
    int32_t left, top, width, height;
};

// The column at the left, top to bottom. Every control is 100 pixels wide at
// x = 5; the move log is cut short by the list box to whole lines.
inline constexpr ControlPlace kMoveLogPlace = {5, 5, 100, 250};
inline constexpr ControlPlace kDepthFieldPlace = {5, 260, 100, 20};
inline constexpr ControlPlace kTimeLimitFieldPlace = {5, 280, 100, 20};
inline constexpr ControlPlace kSizeFieldPlace = {5, 300, 100, 20};
inline constexpr ControlPlace kMoveFieldPlace = {5, 320, 100, 20};
inline constexpr ControlPlace kNewGamePlace = {5, 340, 100, 20};
inline constexpr ControlPlace kExecuteMovePlace = {5, 360, 100, 20};
inline constexpr ControlPlace kComputerMovePlace = {5, 380, 100, 20};
inline constexpr ControlPlace kUndoPlace = {5, 400, 100, 20};
inline constexpr ControlPlace kDebugPlace = {5, 420, 100, 20};
inline constexpr ControlPlace kStatisticsPlace = {5, 440, 100, 90};

struct Colour {
    uint8_t red, green, blue;
};

inline constexpr Colour kPlayerColours[2] = {{240, 200, 0}, {95, 150, 220}};  // P1, P2
inline constexpr Colour kGridColour = {180, 180, 180};
inline constexpr Colour kLastMoveColour = {200, 230, 30};
inline constexpr Colour kLabelTextColour = {0, 180, 0};
inline constexpr Colour kLabelBackColour = {240, 240, 240};

struct Pen {
    Colour colour;
    int32_t width;
};

// By the numbers painting uses: 0 the grid (and every quad's outline), 1 and
// 2 the players' lines (a line's owner byte), 3 the last move.
inline constexpr Pen kPens[4] = {
    {kGridColour, 1}, {kPlayerColours[0], 5}, {kPlayerColours[1], 5}, {kLastMoveColour, 5}};
// Owned quads are hatched in their owner's colour; brush 0 is P1's.
inline constexpr Colour kQuadBrushColours[2] = {kPlayerColours[0], kPlayerColours[1]};
