// paxlet-cli show: the picture of the position.
#include <cstdio>

#include "commands.h"
#include "picture/picture.h"
#include "position.h"

int runShow(const CommandLine& args) {
    Position position;
    if (!position.setUp(args)) return 2;
    std::fputs(drawPicture(position.board).c_str(), cliOutput);
    return 0;
}
