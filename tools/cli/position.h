// What analyze and order share: reading their options, and setting up the
// position from a fresh board and a list of moves in move notation.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "cli.h"
#include "model/board.h"

// Parsed command line of a subcommand. Fields left unset keep these values.
struct PositionArgs {
    int32_t size = 0;  // 0: --size not given
    // The window's initial depth and time fields, so that analyze answers as
    // the computer would in a new window, and in bounded time.
    int32_t depth = 25;
    int32_t timeLimitMs = 5000;
    std::vector<std::string> moves;
};

// "--time none": the largest limit, which no search outlives. "--time 0" is
// already taken: the engine stops at once.
inline constexpr int32_t kNoTimeLimit = std::numeric_limits<int32_t>::max();

// Reads, after argv[0] (the subcommand's name), "--size N", and "--depth D" and "--time MS|none"
// where allowTiming is set; every other argument not starting with "--" is a move. An option given
// twice keeps its last value. On bad input reports the reason and returns false.
bool parsePositionArgs(int argc, char** argv, bool allowTiming, PositionArgs& args);

// Owns the board built from args: a fresh board of args.size dots with the
// moves played in order.
struct Position {
    Board board;
    // Reports the first move that is not a line that can be drawn, with its
    // place in the list, and returns false.
    bool setUp(const PositionArgs& args);
};
