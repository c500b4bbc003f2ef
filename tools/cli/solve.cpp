// paxlet-cli solve: the exact value of the position and every line that
// achieves it.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "position.h"
#include "solver/solver.h"

namespace {

constexpr int32_t kDefaultSolveMs = 60000;
constexpr int64_t kQuietMs = 2000;  // solves shorter than this say nothing while they run

// A line on a terminal's standard error; a pipe or a file gets none.
void showProgress(const SolveProgress& figures, void* context) {
    std::FILE* errors = static_cast<std::FILE*>(context);
    if (figures.ms < kQuietMs) return;
    std::fprintf(errors,
                 "paxlet-cli: solving: %llu nodes, table %d.%d%% full, value %d to %d, %lld s\n",
                 static_cast<unsigned long long>(figures.nodes), figures.tablePermille / 10,
                 figures.tablePermille % 10, figures.lower, figures.upper,
                 static_cast<long long>(figures.ms / 1000));
    std::fflush(errors);
}

}  // namespace

int runSolve(const CommandLine& args) {
    Position position;
    if (!position.setUp(args)) return 2;
    const Board& board = position.board;
    if (board.availableCount == 0) {
        reportError("no line left to draw");
        return 1;
    }
    // The solver reads a negative limit as none; here, as for analyze, a
    // negative time is no time at all.
    int64_t limit = args.timeGiven ? std::max(args.timeLimitMs, 0) : kDefaultSolveMs;
    if (args.timeGiven && args.timeLimitMs == kNoTimeLimit) limit = -1;

    std::unique_ptr<Solver> solver;
    try {
        solver = std::make_unique<Solver>(size_t(args.hashMegabytes));
    } catch (const char*) {
        reportError("out of memory: no table of " + std::to_string(args.hashMegabytes) + " MiB");
        return 1;
    }
    if (isatty(fileno(cliErrors))) {
        solver->progress = showProgress;
        solver->progressContext = cliErrors;
    }
    const SolveResult result = solver->solve(board, limit);
    const unsigned long long nodes = result.nodes;
    const long long ms = result.ms;
    if (!result.solved) {
        std::fprintf(cliOutput,
                     "{\"lower\":%d,\"upper\":%d,\"solved\":false,\"nodes\":%llu,\"ms\":%lld}\n",
                     result.lower, result.upper, nodes, ms);
        reportError("time ran out before the value was proved: it is " +
                    std::to_string(result.lower) + " to " + std::to_string(result.upper));
        return 1;
    }
    std::string best;
    for (const MoveIndex line : result.best) {
        char text[8];
        board.formatMove(text, line);
        best += std::string(best.empty() ? "\"" : ",\"") + text + "\"";
    }
    std::fprintf(cliOutput,
                 "{\"value\":%d,\"best\":[%s],\"solved\":true,\"nodes\":%llu,\"ms\":%lld}\n",
                 result.value, best.c_str(), nodes, ms);
    return 0;
}
