// Subcommands of paxlet-cli. Each gets the arguments from its own name on
// (argv[0] is the subcommand's name) and returns the process exit code: 0 success, 1 nothing to
// play, 2 bad input. Output is one JSON object per line on cliOutput; errors go to cliErrors.
#pragma once

int runAnalyze(int argc, char** argv);
int runOrder(int argc, char** argv);
int runSelfplay(int argc, char** argv);
