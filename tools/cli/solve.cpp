// paxlet-cli solve: the exact value of the position and every line that
// achieves it, and on request every line's value, as JSON or on the picture.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "model/move_text.h"
#include "picture/picture.h"
#include "platform/platform.h"
#include "position.h"

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

// 0 when the system does not say.
int64_t physicalMegabytes() {
    return static_cast<int64_t>(platform::physicalMemoryBytes() / (1024 * 1024));
}

std::string valuesJson(const Board& board, const SolveResult& result) {
    std::string json;
    for (MoveIndex line = 0; line < board.lineCount; ++line) {
        if (board.lines[line].owner != 0) continue;
        json += std::string(json.empty() ? "" : ",") + "{\"line\":\"" + moveText(board, line) +
                "\",\"value\":" + std::to_string(result.values[line]) + "}";
    }
    return json;
}

void printJson(const Board& board, const SolveResult& result, bool values) {
    std::string best;
    for (const MoveIndex line : result.best)
        best += std::string(best.empty() ? "\"" : ",\"") + moveText(board, line) + "\"";
    const std::string lineValues =
        values ? ",\"values\":[" + valuesJson(board, result) + "]" : std::string();
    std::fprintf(cliOutput,
                 "{\"value\":%d,\"best\":[%s]%s,\"solved\":true,\"threads\":%d,\"nodes\":%llu,"
                 "\"ms\":%lld}\n",
                 result.value, best.c_str(), lineValues.c_str(), result.threads,
                 static_cast<unsigned long long>(result.nodes), static_cast<long long>(result.ms));
}

}  // namespace

std::unique_ptr<Solver> makeSolver(const CommandLine& args) {
    const int64_t memory = physicalMegabytes();
    if (memory > 0 && args.hashMegabytes > memory) {
        reportError("--hash must be at most the machine's memory, " + std::to_string(memory) +
                    " MiB, got " + std::to_string(args.hashMegabytes));
        return nullptr;
    }
    try {
        return std::make_unique<Solver>(size_t(args.hashMegabytes), args.threads);
    } catch (const char*) {
        reportError("out of memory: no table of " + std::to_string(args.hashMegabytes) + " MiB");
        return nullptr;
    }
}

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

    const std::unique_ptr<Solver> solver = makeSolver(args);
    if (!solver) return 1;
    if (platform::isTerminal(cliErrors)) {
        solver->progress = showProgress;
        solver->progressContext = cliErrors;
    }
    const SolveResult result =
        solver->solve(board, limit, args.values ? SolveDetail::Values : SolveDetail::Best);
    if (!result.solved) {
        std::fprintf(cliOutput,
                     "{\"lower\":%d,\"upper\":%d,\"solved\":false,\"threads\":%d,\"nodes\":%llu,"
                     "\"ms\":%lld}\n",
                     result.lower, result.upper, result.threads,
                     static_cast<unsigned long long>(result.nodes),
                     static_cast<long long>(result.ms));
        reportError("time ran out before the value was proved: it is " +
                    std::to_string(result.lower) + " to " + std::to_string(result.upper));
        return 1;
    }
    if (args.picture)
        std::fputs(solvedPicture(board, result, args.values).c_str(), cliOutput);
    else
        printJson(board, result, args.values);
    return 0;
}
