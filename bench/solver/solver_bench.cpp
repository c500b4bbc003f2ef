// Whole solves, one line of figures each: value, nodes, time and the
// process's peak resident size, which must stay near the table's size.
//
//   solver_bench [--hash MB] [--time MS] [--threads N]
//                [--value-only | --values | --at-least T]
//                [[--moves "A1-B1 ..."] SIZE LEFT SEED ...]
//
// --threads is the machine's hardware threads unless given; --values solves
// every line's value too.
//
// --at-least T makes one null-window test of each position instead of a
// solve ("holds": whether its value is at least T), so that the tests of a
// long solve can run in processes of their own. Progress goes to standard
// error once a second.
//
// Without positions: the empty 4-dot board and 5-dot positions with 30, 34
// and 36 lines left. A position SIZE LEFT SEED is reached from the empty
// board (after the --moves given just before it, if any) by seeded random
// lines that give no quad its third side while there are such lines, until
// LEFT lines are left.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/board.h"
#include "model/move_text.h"
#include "solver/solver.h"

namespace {

struct Workload {
    int32_t size, left;
    uint32_t seed;
    std::string moves;
};

long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    return -1;
}

void playOut(Board& board, int32_t left, uint32_t seed) {
    std::mt19937 random(seed);
    while (board.availableCount > left) {
        std::vector<MoveIndex> quiet, all;
        for (int32_t i = 0; i < board.availableCount; ++i) {
            const Line& line = *board.available[i];
            all.push_back(line.index);
            const bool third = line.quadA->drawn == 2 || (line.quadB && line.quadB->drawn == 2);
            if (!third) quiet.push_back(line.index);
        }
        const std::vector<MoveIndex>& from = quiet.empty() ? all : quiet;
        board.playMove(from[random() % from.size()]);
    }
}

void showProgress(const SolveProgress& figures, void*) {
    std::fprintf(stderr, "%llu nodes, table %d.%d%% full, %lld s\n",
                 static_cast<unsigned long long>(figures.nodes), figures.tablePermille / 10,
                 figures.tablePermille % 10, static_cast<long long>(figures.ms / 1000));
}

}  // namespace

int main(int argc, char** argv) {
    size_t hash = 256;
    int64_t timeMs = 60000;
    std::vector<Workload> workloads;
    SolveDetail detail = SolveDetail::Best;
    int32_t threads = int32_t(std::max(1u, std::thread::hardware_concurrency()));
    bool testing = false;
    int32_t threshold = 0;
    std::string givenMoves;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hash") == 0 && i + 1 < argc) {
            hash = std::strtoul(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--time") == 0 && i + 1 < argc) {
            timeMs = std::strtoll(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--value-only") == 0) {
            detail = SolveDetail::Value;
        } else if (std::strcmp(argv[i], "--values") == 0) {
            detail = SolveDetail::Values;
        } else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
            threads = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--at-least") == 0 && i + 1 < argc) {
            testing = true;
            threshold = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--moves") == 0 && i + 1 < argc) {
            givenMoves = argv[++i];
        } else if (i + 2 < argc) {
            workloads.push_back({std::atoi(argv[i]), std::atoi(argv[i + 1]),
                                 uint32_t(std::strtoul(argv[i + 2], nullptr, 10)), givenMoves});
            givenMoves.clear();
            i += 2;
        } else {
            std::fprintf(stderr,
                         "usage: solver_bench [--hash MB] [--time MS] [--threads N] "
                         "[--value-only | --values | --at-least T] "
                         "[[--moves \"A1-B1 ...\"] SIZE LEFT SEED ...]\n");
            return 2;
        }
    }
    if (workloads.empty())
        workloads = {{4, 24, 0, {}}, {5, 30, 1, {}}, {5, 30, 2, {}},
                     {5, 34, 1, {}}, {5, 34, 2, {}}, {5, 36, 1, {}}};
    if (threads < 1 || threads > Solver::kMaxThreads) {
        std::fprintf(stderr, "solver_bench: --threads must be 1 to %d\n", Solver::kMaxThreads);
        return 2;
    }
    Solver solver(hash, threads);
    solver.progress = showProgress;
    for (const Workload& workload : workloads) {
        Board board(workload.size, 2);
        std::istringstream given(workload.moves);
        for (std::string text; given >> text;) {
            const MoveIndex move = board.parseMove(text.c_str());
            if (move < 0 || board.lines[move].owner != 0) {
                std::fprintf(stderr, "solver_bench: cannot play %s\n", text.c_str());
                return 2;
            }
            board.playMove(move);
        }
        playOut(board, workload.left, workload.seed);
        // The moves in notation, for the same position on paxlet-cli solve.
        std::string moves;
        for (int32_t i = 0; i < board.historyLength; ++i) {
            if (i > 0) moves += ' ';
            moves += moveText(board, board.history[i]);
        }
        std::vector<uint8_t> drawn(size_t(board.lineCount));
        for (int32_t l = 0; l < board.lineCount; ++l) drawn[l] = board.lines[l].owner != 0;
        if (testing) {
            const SolveResult result =
                solver.testLines(workload.size, drawn.data(), threshold, timeMs);
            std::printf(
                "{\"size\":%d,\"left\":%d,\"seed\":%u,\"threads\":%d,\"atLeast\":%d,\"ended\":%s,"
                "\"holds\":%s,\"lower\":%d,\"upper\":%d,\"nodes\":%llu,\"ms\":%lld,"
                "\"peakKiB\":%ld}\n",
                workload.size, workload.left, workload.seed, threads, threshold,
                result.solved ? "true" : "false", result.lower >= threshold ? "true" : "false",
                result.lower, result.upper, static_cast<unsigned long long>(result.nodes),
                static_cast<long long>(result.ms), peakResidentKiB());
            std::fflush(stdout);
            continue;
        }
        const SolveResult result = solver.solveLines(workload.size, drawn.data(), timeMs, detail);
        std::printf(
            "{\"size\":%d,\"left\":%d,\"seed\":%u,\"threads\":%d,\"solved\":%s,\"value\":%d,"
            "\"lower\":%d,\"upper\":%d,\"best\":%zu,\"nodes\":%llu,\"ms\":%lld,"
            "\"peakKiB\":%ld,\"moves\":\"%s\"}\n",
            workload.size, workload.left, workload.seed, threads, result.solved ? "true" : "false",
            result.value, result.lower, result.upper, result.best.size(),
            static_cast<unsigned long long>(result.nodes), static_cast<long long>(result.ms),
            peakResidentKiB(), moves.c_str());
        std::fflush(stdout);
    }
    return 0;
}
