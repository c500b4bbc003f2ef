// paxlet-cli analyze: the engine's choice for the side to move.
#include <cstdio>

#include "commands.h"
#include "engine/search_engine.h"
#include "position.h"

int runAnalyze(int argc, char** argv) {
    PositionArgs args;
    if (!parsePositionArgs(argc, argv, true, args)) return 2;
    Position position;
    if (!position.setUp(args)) return 2;
    Board& board = position.board;
    if (board.availableCount == 0) {
        reportError("no line left to draw");
        return 1;
    }
    SearchEngine engine;
    engine.board = &board;
    engine.computerPlayer = board.sideToMove;
    const MoveIndex move = engine.chooseMove(args.depth, args.timeLimitMs);
    char text[8];
    board.formatMove(text, move);
    std::fprintf(cliOutput,
                 "{\"move\":\"%s\",\"index\":%d,\"leafCount\":%d,\"nodeCount\":%d,\"lastValue\":%d,"
                 "\"currentDepth\":%d,\"elapsedMs\":%d}\n",
                 text, move, engine.leafCount, engine.nodeCount, engine.lastValue,
                 engine.currentDepth, engine.elapsedMs);
    return 0;
}
