// paxlet-cli: analyses positions with the game's own engine; also the
// outside check of the engine's figures.
#include "cli.h"

int main(int argc, char** argv) { return runCli(argc, argv); }
