// Subcommands of paxlet-cli. Each gets the arguments from its own name on
// (argv[0] is the subcommand's name) and returns the process exit code: 0 success, 1 nothing to do
// (a finished game), 2 bad input. Output is one JSON object on one line; errors go to stderr.
#pragma once

int runAnalyze(int argc, char** argv);
int runOrder(int argc, char** argv);

#ifdef PAXLET_CLI_SELFPLAY
#include "selfplay.h"
#endif
