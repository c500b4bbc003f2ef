// Search speed with the fast move ordering against a plain transcription of
// the ordering (same search, same node counts), and how quickly a stop
// request ends a deep search.
// Run from a release build:
//   cmake --preset release -B build/engine-release
//   cmake --build build/engine-release -j2 --target engine_bench
//   build/engine-release/bench/engine/engine_bench
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine_fixture.h"
#include "literal_ordering.h"

namespace {

// The engine's search, move for move, with the literal ordering: the
// baseline that the fast ordering is measured against.
struct LiteralSearch {
    Board* board = nullptr;
    MoveIndex* moveStack = nullptr;
    int32_t stackTop = 0;
    int32_t computerPlayer = 0;
    MoveIndex bestRootMove = 0;
    int32_t lastValue = 0;
    uint32_t nodeCount = 0;
    uint32_t leafCount = 0;
    std::atomic<int32_t> timeBudget{1};

    int32_t evaluate() const {
        const int32_t p = computerPlayer;
        const int32_t q = p == 0 ? 1 : 0;
        const int32_t v = 100 * (board->scores[p] - board->scores[q]) + board->chains();
        return board->sideToMove == p ? v : -v;
    }

    int32_t search(int32_t depth, int32_t alpha, int32_t beta) {
        if (depth == 0 || board->availableCount == 0 ||
            timeBudget.load(std::memory_order_relaxed) == 0) {
            ++leafCount;
            return evaluate();
        }
        const int32_t n = board->availableCount;
        const int32_t side = board->sideToMove;
        const int32_t s = stackTop;
        stackTop = s + n;
        literal::orderedMoves(*board, moveStack + s, 65535);
        for (int32_t i = 0; i < n; ++i) {
            const MoveIndex m = moveStack[s + i];
            ++nodeCount;
            board->playMove(m);
            const int32_t v = board->sideToMove == side ? search(depth, alpha, beta)
                                                        : -search(depth - 1, -beta, -alpha);
            lastValue = v;
            board->undoMove();
            if (v >= beta) {
                stackTop = s;
                return beta;
            }
            if (v > alpha) {
                if (s == 0) bestRootMove = m;
                alpha = v;
            }
        }
        stackTop = s;
        return alpha;
    }

    MoveIndex chooseMove(int32_t maxDepth) {
        nodeCount = 0;
        leafCount = 0;
        MoveIndex result = 0;
        for (int32_t d = 1; d <= maxDepth; ++d) {
            search(d, -1879048193, 2147483647);
            result = bestRootMove;
        }
        return result;
    }
};

// The four workloads: dots per side, depth, and the node count both
// orderings must reproduce.
constexpr int64_t kWorkloads[][3] = {
    {4, 9, 15930832},
    {5, 6, 1947474},
    {8, 4, 165147},
    {26, 2, 5198},
};

void searchFast(benchmark::State& state) {
    const auto& w = kWorkloads[state.range(0)];
    Board board(static_cast<int32_t>(w[0]), 2);
    SearchEngine engine;
    engine.board = &board;
    engine.computerPlayer = 0;
    int64_t nodes = 0;
    for (auto _ : state) {
        // A long limit rather than none, so the sleeping timers end in time.
        engine.chooseMove(static_cast<int32_t>(w[1]), 600000);
        if (engine.nodeCount != w[2]) state.SkipWithError("node count differs");
        nodes += engine.nodeCount;
    }
    state.counters["nodes/s"] =
        benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
    state.SetLabel(std::to_string(w[0]) + " dots, depth " + std::to_string(w[1]));
}

void searchLiteral(benchmark::State& state) {
    const auto& w = kWorkloads[state.range(0)];
    Board board(static_cast<int32_t>(w[0]), 2);
    SearchEngine engine;  // for its MoveStack only
    LiteralSearch search;
    search.board = &board;
    search.moveStack = engine.moveStack;
    int64_t nodes = 0;
    for (auto _ : state) {
        search.chooseMove(static_cast<int32_t>(w[1]));
        if (search.nodeCount != static_cast<uint32_t>(w[2]))
            state.SkipWithError("node count differs");
        nodes += search.nodeCount;
    }
    state.counters["nodes/s"] =
        benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
    state.SetLabel(std::to_string(w[0]) + " dots, depth " + std::to_string(w[1]) + ", literal");
}

BENCHMARK(searchFast)->ArgName("workload")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(searchLiteral)
    ->ArgName("workload")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// One orderedMoves call, fast and literal, on a fresh 26-dot board (every key
// equal) and on the 26-dot middle game below.
void orderOnce(benchmark::State& state) {
    const bool literalSort = state.range(0) != 0;
    const bool middleGame = state.range(1) != 0;
    Board board(26, 2);
    if (middleGame) playSafeMovesWhileAny(board, 1);
    std::vector<MoveIndex> buffer(1300);
    for (auto _ : state) {
        if (literalSort)
            literal::orderedMoves(board, buffer.data(), 1300);
        else
            orderedMoves(board, buffer.data(), 1300);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetLabel(std::string(middleGame ? "26-dot middle game" : "fresh 26-dot board") +
                   (literalSort ? ", literal" : ", fast"));
}

BENCHMARK(orderOnce)->ArgNames({"literal", "middle"})->ArgsProduct({{0, 1}, {0, 1}});

// From storing 0 into timeBudget to chooseMove returning, on a 26-dot middle
// game (618 safe moves played, 682 lines left) whose third iteration runs for
// minutes: the stop arrives deep inside it.
void stopLatency(benchmark::State& state) {
    Board board(26, 2);
    playSafeMovesWhileAny(board, 1);
    SearchEngine engine;
    engine.board = &board;
    engine.computerPlayer = board.sideToMove;
    double worstMs = 0;
    for (auto _ : state) {
        std::chrono::steady_clock::time_point returned;
        std::thread search([&] {
            engine.chooseMove(25, 600000);
            returned = std::chrono::steady_clock::now();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
        const auto stopped = std::chrono::steady_clock::now();
        engine.requestStop();
        search.join();
        const double seconds = std::chrono::duration<double>(returned - stopped).count();
        if (engine.currentDepth < 3) state.SkipWithError("stop came before iteration 3");
        worstMs = std::max(worstMs, seconds * 1000);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worstMs;
}

BENCHMARK(stopLatency)
    ->ArgName("stop_after_ms")
    ->Arg(200)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(15);

}  // namespace
