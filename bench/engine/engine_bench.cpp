// Search speed of the engine against the literal search of the tests (same
// moves, same node counts), and how quickly a stop request ends a deep search.
// Run from a release build:
//   cmake --preset release && cmake --build --preset release -j2 --target engine_bench
//   build/release/bench/engine/engine_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "engine_fixture.h"
#include "literal_search.h"

namespace {

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

// The search alone, in process and repeated: the iterations of a 26-dot
// depth-2 search without chooseMove's timer thread around them.
void searchAlone(benchmark::State& state) {
    Board board(26, 2);
    SearchEngine engine;
    engine.board = &board;
    engine.computerPlayer = 0;
    int64_t nodes = 0;
    for (auto _ : state) {
        engine.nodeCount = 0;
        engine.leafCount = 0;
        for (int32_t d = 1; d <= 2; ++d) {
            engine.currentDepth = d;
            engine.search(d, -1879048193, 2147483647);
        }
        if (engine.nodeCount != 5198 || engine.bestRootMove != 0)
            state.SkipWithError("figures differ");
        nodes += engine.nodeCount;
    }
    state.counters["nodes/s"] =
        benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
    state.SetLabel("26 dots, depth 2, search alone");
}

BENCHMARK(searchAlone)->Unit(benchmark::kMillisecond);

void searchLiteral(benchmark::State& state) {
    const auto& w = kWorkloads[state.range(0)];
    Board board(static_cast<int32_t>(w[0]), 2);
    literal::LiteralSearch search;
    search.board = &board;
    int64_t nodes = 0;
    for (auto _ : state) {
        search.chooseMove(static_cast<int32_t>(w[1]));
        if (search.nodeCount != w[2]) state.SkipWithError("node count differs");
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
