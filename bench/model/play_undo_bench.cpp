// Cost of one playMove + undoMove pair, the work of every search node.
// Run from a release build: build/release/bench/model/model_bench
#include <benchmark/benchmark.h>

#include <random>

#include "model/board.h"

namespace {

// Plays and takes back each available line in turn, from a fresh position and
// from one a third of the way through a random game.
void playUndoPair(benchmark::State& state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    const bool midGame = state.range(1) != 0;
    Board board;
    board.createBoard(n, 2);
    std::mt19937 random(12345);
    if (midGame)
        while (board.historyLength < board.lineCount / 3)
            board.playMove(board.available[random() % board.availableCount]->index);

    int32_t next = 0;
    for (auto _ : state) {
        board.playMove(board.available[next]->index);
        board.undoMove();
        if (++next == board.availableCount) next = 0;
    }
    benchmark::DoNotOptimize(board.chainMetric);
    state.SetLabel(midGame ? "mid-game" : "fresh");
    board.releaseBoard();
}

BENCHMARK(playUndoPair)
    ->ArgNames({"n", "mid"})
    ->Args({4, 0})
    ->Args({4, 1})
    ->Args({26, 0})
    ->Args({26, 1});

}  // namespace
