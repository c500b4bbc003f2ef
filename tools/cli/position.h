// What the subcommands that take a position share: setting it up from a
// fresh board or a board picture, and the command line's moves in move
// notation.
#pragma once

#include "args.h"
#include "cli.h"
#include "model/board.h"

// Owns the board built from args: the picture of --board, or else a fresh
// board of args.size dots, with the moves played in order.
struct Position {
    Board board;
    // Reports a picture that cannot be read, or the first move that is not a
    // line that can be drawn, with its place in the list, and returns false.
    bool setUp(const CommandLine& args);
};

// The whole text of file, or of cliInput for "-"; false, with the reason
// reported, when it cannot be read.
bool readTextFile(const std::string& file, std::string& text);
