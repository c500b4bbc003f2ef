// paxlet-cli: analyses positions with the game's own engine; also the
// outside check of the engine's figures.
#include <cstdio>

#include "cli.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    // A picture on standard input is read byte for byte, as from a file.
    platform::readBytesAsTheyAre(stdin);
    return runCli(argc, argv);
}
