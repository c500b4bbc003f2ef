// The command line of every paxlet-cli subcommand, read by one parser from a
// table of the options each subcommand takes. The usage text is written from
// the same table.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <span>
#include <string>
#include <vector>

enum class Option : uint8_t {
    Size,        // --size N, required unless --board is taken
    Games,       // --games K, 1 to kMaxGames
    Depth,       // --depth D
    Time,        // --time MS
    TimeOrNone,  // --time MS|none
    Seed,        // --seed S, 0 to 2^32 - 1
    Hash,        // --hash MB, 1 to kMaxHashMegabytes
    Positions,   // --positions K, 1 to kMaxPositions
    LinesLeft,   // --lines-left L, checked against the board by grade
    Threads,     // --threads N, 1 to kMaxThreads
    Board,       // --board FILE, a board picture; "-" is standard input
    Values,      // --values, no value
    Picture,     // --picture, no value
    As,          // --as 1|2
};

// What a subcommand accepts: its options, in the order the usage names them,
// and whether its other arguments are moves.
struct Syntax {
    std::span<const Option> options;
    bool takesMoves = false;
};

inline constexpr int32_t kMaxGames = 1000000;
inline constexpr int32_t kMaxHashMegabytes = 65536;
inline constexpr int32_t kMaxPositions = 100000;
inline constexpr int32_t kMaxThreads = 256;

// The machine's hardware threads, 1 to kMaxThreads: what solve and grade
// search with unless --threads says otherwise.
int32_t defaultThreads();

// "--time none": the largest limit, which no search outlives. "--time 0" is
// already taken: the engine stops at once.
inline constexpr int32_t kNoTimeLimit = std::numeric_limits<int32_t>::max();

// A parsed command line. Options not given keep these values; depth and time
// are the window's initial fields, so that the computer answers as it would in
// a new window, and in bounded time.
struct CommandLine {
    int32_t size = 0;
    int32_t games = 1;
    int32_t depth = 25;
    int32_t timeLimitMs = 5000;
    bool timeGiven = false;  // solve has a default of its own
    int32_t hashMegabytes = 256;
    int32_t positions = 20;
    int32_t linesLeft = -1;  // -1: half the board's lines
    bool seeded = false;
    uint32_t seed = 0;  // of the first game; game k plays seed + k
    int32_t threads = defaultThreads();
    bool boardGiven = false;  // else the board starts empty
    std::string boardFile;
    bool values = false;
    bool picture = false;
    int32_t human = 1;  // play: the player the person takes
    std::vector<std::string> moves;
};

// Reads argv after argv[0] (the subcommand's name). An option given twice
// keeps its last value; the ranges of --size, --games, --positions, --hash,
// --threads and --as are checked on the values that stand at the end. Where
// --board is taken, --size may be left out: the picture gives the size, and
// size stays 0. On bad input reports the first reason found and returns false.
bool parseCommandLine(const Syntax& syntax, int argc, char** argv, CommandLine& line);

// "paxlet-cli NAME --size N [--opt V] ... [MOVE ...]", without a newline;
// "[--size N]" where --board may give the size instead.
std::string usageLine(const char* name, const Syntax& syntax);
