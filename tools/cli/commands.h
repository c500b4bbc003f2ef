// Subcommands of paxlet-cli. Each gets its command line already read and
// returns the process exit code: 0 success, 1 nothing to play (or, for solve, no proof in time),
// 2 bad input.
// Output is one JSON object per line on cliOutput, but for the pictures of
// show, play and solve --picture; errors go to cliErrors.
#pragma once

#include <memory>

#include "args.h"
#include "solver/solver.h"

int runAnalyze(const CommandLine& line);
int runOrder(const CommandLine& line);
int runSelfplay(const CommandLine& line);
int runSolve(const CommandLine& line);
int runGrade(const CommandLine& line);
int runShow(const CommandLine& line);
int runPlay(const CommandLine& line);

// The solver of args' --hash and --threads; null, with the reason reported,
// when the table is larger than the machine's memory or cannot be had. The
// size is checked before anything is allocated.
std::unique_ptr<Solver> makeSolver(const CommandLine& args);
