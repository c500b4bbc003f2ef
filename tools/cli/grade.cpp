// paxlet-cli grade: the computer's moves in seeded random positions, each
// graded against the exact value of the position. One JSON line per position
// and a summary.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cli.h"
#include "commands.h"
#include "engine/search_engine.h"
#include "model/move_text.h"
#include "solver/solver.h"

namespace {

// No position of the table should need more; one that does is reported, not
// waited for forever.
constexpr int64_t kSolveLimitMs = 600000;

std::string moveJson(const Board& board, MoveIndex move) {
    std::string json = "\"";
    json += moveText(board, move);
    return json + '"';
}

std::string moveList(const Board& board, const MoveIndex* moves, size_t count) {
    std::string list = "[";
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) list += ',';
        list += moveJson(board, moves[i]);
    }
    return list + "]";
}

bool completesQuad(const Line& line) {
    return (line.quadA && line.quadA->drawn == 3) || (line.quadB && line.quadB->drawn == 3);
}

bool givesThirdSide(const Line& line) {
    return (line.quadA && line.quadA->drawn == 2) || (line.quadB && line.quadB->drawn == 2);
}

// The play of a beginner: a quad when there is one to take, else a line that
// hands over nothing, else any line, each drawn at random among its kind. It
// gives the positions of real games, which purely random lines would not.
void playBeginner(Board& board, int32_t linesLeft, std::mt19937& random) {
    std::vector<MoveIndex> takes, safe, any;
    while (board.availableCount > linesLeft) {
        takes.clear();
        safe.clear();
        any.clear();
        for (int32_t i = 0; i < board.availableCount; ++i) {
            const Line& line = *board.available[i];
            any.push_back(line.index);
            if (completesQuad(line))
                takes.push_back(line.index);
            else if (!givesThirdSide(line))
                safe.push_back(line.index);
        }
        const std::vector<MoveIndex>& pool = !takes.empty() ? takes : !safe.empty() ? safe : any;
        board.playMove(pool[random() % pool.size()]);
    }
}

// The exact value, for the side that drew it, of drawing move: the quads it
// completes plus what perfect play gives that side afterwards.
int32_t valueOfMove(Solver& solver, Board& board, MoveIndex move, bool& solved) {
    const int32_t mover = board.sideToMove;
    const int32_t before = board.scores[mover];
    board.playMove(move);
    const int32_t taken = board.scores[mover] - before;
    const SolveResult after = solver.solve(board, kSolveLimitMs);
    const int32_t value = board.sideToMove == mover ? after.value : -after.value;
    board.undoMove();
    solved = after.solved;
    return taken + value;
}

}  // namespace

int runGrade(const CommandLine& args) {
    const int32_t lineCount = 2 * args.size * (args.size - 1);
    const int32_t linesLeft = args.linesLeft < 0 ? lineCount / 2 : args.linesLeft;
    if (linesLeft < 1 || linesLeft > lineCount) {
        reportError("--lines-left must be 1 to " + std::to_string(lineCount) + " on " +
                    std::to_string(args.size) + " dots, got " + std::to_string(linesLeft));
        return 2;
    }
    const uint32_t firstSeed = args.seeded ? args.seed : std::random_device{}();
    const std::unique_ptr<Solver> table = makeSolver(args);
    if (!table) return 1;
    Solver& solver = *table;
    SearchEngine engine;

    int32_t belowPerfect = 0;
    int64_t quadsGivenAway = 0;
    int64_t totalMs = 0;
    for (int32_t k = 0; k < args.positions; ++k) {
        const uint32_t seed = firstSeed + static_cast<uint32_t>(k);
        std::mt19937 random(seed);
        Board board(args.size, 2);
        playBeginner(board, linesLeft, random);
        const std::string moves = moveList(board, board.history, board.historyLength);

        engine.board = &board;
        engine.computerPlayer = board.sideToMove;
        const MoveIndex move = engine.chooseMove(args.depth, args.timeLimitMs);
        const int64_t ms = engine.elapsedMs;
        totalMs += ms;
        if (move < 0 || move >= board.lineCount || board.lines[move].owner != 0) {
            reportError("position of seed " + std::to_string(seed) +
                        ": the engine returned no move of this position");
            return 1;
        }

        const SolveResult exact = solver.solve(board, kSolveLimitMs);
        bool solved = exact.solved;
        int32_t moveValue = exact.value;
        bool best = false;
        for (MoveIndex candidate : exact.best) best = best || candidate == move;
        if (solved && !best) moveValue = valueOfMove(solver, board, move, solved);
        if (!solved) {
            reportError("position of seed " + std::to_string(seed) + " was not solved in " +
                        std::to_string(kSolveLimitMs / 1000) + " s");
            return 1;
        }
        const int32_t loss = exact.value - moveValue;
        belowPerfect += loss > 0;
        quadsGivenAway += loss;
        std::fprintf(cliOutput,
                     "{\"seed\":%u,\"moves\":%s,\"move\":%s,\"moveValue\":%d,\"value\":%d,"
                     "\"best\":%s,\"loss\":%d,\"ms\":%lld}\n",
                     seed, moves.c_str(), moveJson(board, move).c_str(), moveValue, exact.value,
                     moveList(board, exact.best.data(), exact.best.size()).c_str(), loss,
                     static_cast<long long>(ms));
        std::fflush(cliOutput);
    }
    const std::string time =
        args.timeLimitMs == kNoTimeLimit ? "\"none\"" : std::to_string(args.timeLimitMs);
    std::fprintf(cliOutput,
                 "{\"size\":%d,\"linesLeft\":%d,\"depth\":%d,\"time\":%s,\"seed\":%u,"
                 "\"positions\":%d,\"threads\":%d,\"belowPerfect\":%d,\"quadsGivenAway\":%lld,"
                 "\"meanMs\":%lld}\n",
                 args.size, linesLeft, args.depth, time.c_str(), firstSeed, args.positions,
                 solver.threads(), belowPerfect, static_cast<long long>(quadsGivenAway),
                 static_cast<long long>(totalMs / args.positions));
    return 0;
}
