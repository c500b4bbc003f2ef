// paxlet-cli analyze: the engine's choice for the side to move.
#include <cstdio>
#include <string>

#include "commands.h"
#include "engine/search_engine.h"
#include "model/move_text.h"
#include "position.h"

namespace {

// Why move is not a line the side to move could draw; empty when it is one.
std::string undrawable(const Board& board, MoveIndex move) {
    if (move < 0 || move >= board.lineCount)
        return "line " + std::to_string(move) + " is not a line of this board";
    if (board.lines[move].owner == 0) return "";
    return "line " + std::to_string(move) + " (" + moveText(board, move) + ") is already drawn";
}

}  // namespace

int runAnalyze(const CommandLine& args) {
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
    // Plain copies: the statistics' own types are the engine's business.
    const long long leaves = engine.leafCount;
    const long long nodes = engine.nodeCount;
    const long long value = engine.lastValue;
    const int32_t depth = engine.currentDepth;
    const long long elapsed = engine.elapsedMs;

    // A search cut short before it looked at any move answers with a line
    // that may already be drawn; that is no answer to print as a move.
    const std::string problem = undrawable(board, move);
    const std::string moveJson =
        problem.empty() ? std::string("\"") + moveText(board, move) + "\"" : "null";
    std::fprintf(cliOutput,
                 "{\"move\":%s,\"index\":%d,\"leafCount\":%lld,\"nodeCount\":%lld,"
                 "\"lastValue\":%lld,\"currentDepth\":%d,\"elapsedMs\":%lld}\n",
                 moveJson.c_str(), move, leaves, nodes, value, depth, elapsed);
    if (problem.empty()) return 0;
    reportError("the engine returned no move of this position: " + problem);
    return 1;
}
