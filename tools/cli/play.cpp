// paxlet-cli play: a game in the terminal against perfect play. The person
// types a move a line; the computer answers with a best line of the exact
// solver when the proof comes in time, and else with the engine's move.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "engine/search_engine.h"
#include "model/move_text.h"
#include "picture/picture.h"
#include "platform/platform.h"
#include "position.h"

namespace {

constexpr int32_t kDefaultPlayMs = 2000;
constexpr int32_t kEngineDepth = 25;  // the window's, so only the time limits the search
constexpr size_t kLongestMove = 256;  // a longer line is no move; the rest is dropped

struct Game {
    Board& board;
    Solver& solver;
    SearchEngine& engine;
    int32_t human;  // player index
    int32_t ms;
    bool echo;  // input that is not a terminal is written out, so the game reads as played
};

// One line of input without its end; false at the end of the input.
bool readLine(std::FILE* in, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        if (line.size() < kLongestMove) line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return c != EOF || !line.empty();
}

// The person's moves until the turn passes; false when the input ends.
bool humanTurn(Game& game) {
    Board& board = game.board;
    std::string line;
    while (board.availableCount > 0 && board.sideToMove == game.human) {
        std::fputs("your move: ", cliOutput);
        std::fflush(cliOutput);
        if (!readLine(cliInput, line)) {
            std::fputs("\n", cliOutput);
            return false;
        }
        if (game.echo) std::fprintf(cliOutput, "%s\n", line.c_str());
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        const MoveIndex move = board.parseMove(line.c_str());
        if (move < 0) {
            std::fprintf(cliOutput, "\"%s\" is not a line of this board\n", line.c_str());
            continue;
        }
        if (board.lines[move].owner != 0) {
            std::fprintf(cliOutput, "\"%s\" is already drawn\n", line.c_str());
            continue;
        }
        board.playMove(move);
        std::fputs(drawPicture(board).c_str(), cliOutput);
    }
    return true;
}

// The computer's moves until the turn passes, then the picture.
void computerTurn(Game& game) {
    Board& board = game.board;
    const int32_t player = board.sideToMove;
    while (board.availableCount > 0 && board.sideToMove == player) {
        const SolveResult proof = game.solver.solve(board, game.ms, SolveDetail::Best);
        const bool perfect = proof.solved && !proof.best.empty();
        MoveIndex move = perfect ? proof.best.front() : -1;
        if (move < 0) {
            game.engine.board = &board;
            game.engine.computerPlayer = player;
            move = game.engine.chooseMove(kEngineDepth, game.ms);
            // A search stopped before it looked at any move answers line 0,
            // which may be drawn: then any line will do.
            if (move < 0 || move >= board.lineCount || board.lines[move].owner != 0)
                move = board.available[0]->index;
        }
        std::fprintf(cliOutput, "P%d plays %s (%s)\n", player + 1, moveText(board, move).c_str(),
                     perfect ? "perfect" : "searched");
        board.playMove(move);
    }
    std::fputs(drawPicture(board).c_str(), cliOutput);
}

}  // namespace

int runPlay(const CommandLine& args) {
    if (args.boardGiven && args.boardFile == "-") {
        reportError("play reads its moves from standard input, so --board cannot be \"-\"");
        return 2;
    }
    if (args.timeGiven && args.timeLimitMs < 1) {
        reportError("--time must be at least 1 ms, got " + std::to_string(args.timeLimitMs));
        return 2;
    }
    Position position;
    if (!position.setUp(args)) return 2;
    const std::unique_ptr<Solver> solver = makeSolver(args);
    if (!solver) return 1;
    SearchEngine engine;
    Game game{position.board,
              *solver,
              engine,
              args.human - 1,
              args.timeGiven ? args.timeLimitMs : kDefaultPlayMs,
              !platform::isTerminal(cliInput)};
    Board& board = game.board;

    std::fputs(drawPicture(board).c_str(), cliOutput);
    while (board.availableCount > 0) {
        if (board.sideToMove == game.human) {
            if (!humanTurn(game)) break;
        } else {
            computerTurn(game);
        }
        std::fflush(cliOutput);
    }
    std::fprintf(cliOutput, "score: %d-%d\n", board.scores[0], board.scores[1]);
    return 0;
}
