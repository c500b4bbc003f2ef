// paxlet-cli as a function: the program's main() and the fuzzing harness both
// run a command line through runCli, in one process as often as they like.
#pragma once

#include <cstdio>
#include <string>

// Runs one command line (argv[0] is the program's name) and returns the exit
// code: 0 success, 1 nothing to play or out of memory, 2 bad input. Catches
// every error the model and the engine throw.
int runCli(int argc, char** argv);

// Where the JSON lines and the error messages go: stdout and stderr unless the
// harness points them at files of its own to read back what was said.
extern std::FILE* cliOutput;
extern std::FILE* cliErrors;
// Where "--board -" and play's moves are read from: stdin unless the harness
// hands over a stream of its own.
extern std::FILE* cliInput;

// Prints "paxlet-cli: <message>" on cliErrors. Every failure that ends a
// command with a non-zero exit code goes through here, with its reason.
void reportError(const std::string& message);
