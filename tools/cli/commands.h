// Subcommands of paxlet-cli. Each gets its command line already read and
// returns the process exit code: 0 success, 1 nothing to play (or, for solve, no proof in time),
// 2 bad input.
// Output is one JSON object per line on cliOutput; errors go to cliErrors.
#pragma once

#include "args.h"

int runAnalyze(const CommandLine& line);
int runOrder(const CommandLine& line);
int runSelfplay(const CommandLine& line);
int runSolve(const CommandLine& line);
int runGrade(const CommandLine& line);
