#include "position.h"

#include <string>

bool Position::setUp(const CommandLine& args) {
    board.createBoard(args.size, 2);
    for (size_t i = 0; i < args.moves.size(); ++i) {
        const MoveIndex move = board.parseMove(args.moves[i].c_str());
        if (move < 0 || board.lines[move].owner != 0) {
            reportError("move " + std::to_string(i + 1) + " \"" + args.moves[i] +
                        "\" is not a line that can be drawn " +
                        (move < 0 ? "on this board" : "here: it is already drawn"));
            return false;
        }
        board.playMove(move);
    }
    return true;
}
