// A move's text as a std::string, for the tools and benchmarks that build
// their output in strings. The game itself writes moves into fixed buffers
// with Board::formatMove, which allocates nothing.
#pragma once

#include <string>

#include "model/board.h"

// The move notation of move ("A1-B1"), as Board::formatMove writes it.
std::string moveText(const Board& board, MoveIndex move);
