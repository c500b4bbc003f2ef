// The board as a picture in text, drawn as the window draws it (row 1 at the
// top, column A at the left) and read back from what a person types:
//
//       A   B   C
//     1 +---+---+           '+' every dot
//       | 1 |               "---" a drawn line between two dots of a row,
//     2 +---+   +           '|' one between two dots of a column, blanks an
//               |           undrawn one; a taken quad has its owner's number
//     3 +   +---+           (1 or 2) in its middle
//    P2 to move, 1-0        who is to move, then the score, player 1 first
//
// Dots stand four characters apart. The letters, the numbers, blank space
// around the grid and at the ends of lines may be there or not; the score on
// the last line may be left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/board.h"
#include "solver/solver.h"

// The picture of board, each line ended by a newline, with no blanks at line
// ends. texts, when not empty, has one entry per line index: each undrawn
// line with a non-empty text shows it in its place (centred in a row's gap,
// ending on the dot column in a column's gap), and the gaps widen to keep a
// blank either side of the longest. Such a picture is for reading only.
std::string drawPicture(const Board& board, const std::vector<std::string>& texts = {});

// "P1 to move, 3-2": the picture's last line, without a newline.
std::string sideAndScore(const Board& board);

// Sets up board as the position of the picture text: its lines drawn, each
// taken quad owned by the player written in it, the scores those owners give
// and the side to move of the last line. The picture has dotsPerSide dots per
// side, or when that is 0 as many as its first row of dots shows. A fault
// gives "board line L, column C: reason" for the first one found (characters
// top to bottom first, then the quads, then the score) and false; the board
// is then left as it was.
bool readPicture(const std::string& text, int32_t dotsPerSide, Board& board, std::string& fault);

// The picture of a solved position with each line's value in its place: every
// undrawn line's when values (result holds SolveDetail::Values), else the best
// lines' alone; then "value V, best" and the best lines, a newline last.
std::string solvedPicture(const Board& board, const SolveResult& result, bool values);
