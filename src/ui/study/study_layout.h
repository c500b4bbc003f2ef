// Where the study window puts things: the control column at the left, the
// board scaled into the rest of the client area, each dot, line and quad, the
// line a click picks, and the box each line's value is written in.
//
// Lines are numbered as the model numbers them, in row blocks of 2n - 1: the
// n - 1 lines of dot row r, left to right, then the n lines from dot row r
// down to row r + 1. A value is written just above its line when the line
// runs along a row, just left of it when it runs down a column; so the
// values of one quad's bottom and right sides share that quad, those of the
// top row and the left column stand in the board's margin. The text height
// is the largest that keeps those two boxes apart, off every line and dot;
// when even the smallest readable one does not fit, there are no numbers
// (textHeight 0) rather than numbers over lines.
// Portable: the Win32 window and its test use it alike.
#pragma once

#include <cstdint>

#include "model/board.h"

// The control column: its width, and the size of each row in it.
inline constexpr int32_t kStudyPanelWidth = 210;
inline constexpr int32_t kStudyRowHeight = 24;
inline constexpr int32_t kStudyGap = 6;

// Text heights in pixels: below the smallest a number is not readable, above
// the largest it only crowds the board.
inline constexpr int32_t kStudyMinTextHeight = 10;
inline constexpr int32_t kStudyMaxTextHeight = 20;

// Colours of the board, red, green, blue; the end-to-end test looks for
// the best lines' on its screenshots.
struct StudyColour {
    uint8_t red, green, blue;
};
inline constexpr StudyColour kStudyBoardColour = {255, 255, 255};
inline constexpr StudyColour kStudyGridColour = {190, 190, 190};
inline constexpr StudyColour kStudyDotColour = {40, 40, 40};
inline constexpr StudyColour kStudyPlayerColours[2] = {{230, 180, 0}, {70, 130, 215}};
inline constexpr StudyColour kStudyQuadColours[2] = {{252, 238, 180}, {210, 226, 248}};
inline constexpr StudyColour kStudyLastMoveColour = {220, 60, 50};
inline constexpr StudyColour kStudyBestColour = {0, 160, 70};
inline constexpr StudyColour kStudyValueColour = {80, 80, 80};

struct StudyPoint {
    int32_t x, y;
};

// Pixels from left to right - 1 and top to bottom - 1.
struct StudyRect {
    int32_t left, top, right, bottom;
};

struct StudyLayout {
    int32_t dots = 0;
    int32_t originX = 0, originY = 0;  // the top left dot
    int32_t cell = 0;                  // pixels from a dot to the next
    int32_t dotRadius = 0;
    int32_t penWidth = 0;    // of a drawn line; an undrawn one is a 1 pixel grid line
    int32_t textHeight = 0;  // 0: the cells are too small for readable numbers
    int32_t labelWidth = 0;  // of the box for the longest value, "-12" on small boards
    int32_t labelGap = 0;    // between a box and its line
};

// Values run from -quads to quads: the characters of the longest one.
int32_t longestValueChars(int32_t dots);

// The board of dots dots per side in a client area of width x height.
StudyLayout layOutStudy(int32_t clientWidth, int32_t clientHeight, int32_t dots);

int32_t lineCountOf(int32_t dots);
StudyPoint dotCentre(const StudyLayout& layout, int32_t column, int32_t row);
// The line's end dots, left or top one first.
void lineEnds(const StudyLayout& layout, MoveIndex line, StudyPoint& from, StudyPoint& to);
// Inside the quad's four lines.
StudyRect quadRect(const StudyLayout& layout, int32_t quad);
// The nearest line to the point when it is within a third of a cell of its
// segment and clearly nearer than any other; -1 otherwise (the middle of a
// quad, right at a dot, far off the board).
MoveIndex pickLine(const StudyLayout& layout, int32_t x, int32_t y);
// The box for the line's value; meaningful only while textHeight > 0.
StudyRect labelBox(const StudyLayout& layout, MoveIndex line);
