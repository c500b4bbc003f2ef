// What analyze and order share: setting up the position from a fresh board and
// the command line's moves in move notation.
#pragma once

#include "args.h"
#include "cli.h"
#include "model/board.h"

// Owns the board built from args: a fresh board of args.size dots with the
// moves played in order.
struct Position {
    Board board;
    // Reports the first move that is not a line that can be drawn, with its
    // place in the list, and returns false.
    bool setUp(const CommandLine& args);
};
