// paxlet-cli order: the move order the search would use, and every line's key.
#include <cstdio>
#include <vector>

#include "commands.h"
#include "engine/move_ordering.h"
#include "position.h"

int runOrder(const CommandLine& args) {
    Position position;
    if (!position.setUp(args)) return 2;
    Board& board = position.board;
    std::vector<MoveIndex> order(static_cast<size_t>(board.lineCount));
    const int32_t count = orderedMoves(board, order.data(), board.lineCount);
    std::fprintf(cliOutput, "{\"order\":[");
    for (int32_t i = 0; i < count; ++i) std::fprintf(cliOutput, i == 0 ? "%d" : ",%d", order[i]);
    std::fprintf(cliOutput, "],\"keys\":[");
    for (int32_t i = 0; i < board.lineCount; ++i)
        std::fprintf(cliOutput, i == 0 ? "%d" : ",%d", priorityKey(board.lines[i]));
    std::fprintf(cliOutput, "]}\n");
    return 0;
}
