// How deep the engine gets in a fixed amount of its own CPU time: for each
// board size, a fresh board, the computer playing player 0, stopped once the
// search thread has used the given CPU seconds. CPU time rather than wall
// time, so that other work on the machine does not move the figures.
//   build/release/bench/engine/depth_bench [--cpu-seconds S] [--sizes 4,8] [--max-depth D]
#include <pthread.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/search_engine.h"
#include "model/board.h"

namespace {

double threadCpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Options {
    double cpuSeconds = 5;
    std::vector<int32_t> sizes = {4, 5, 6, 8, 10, 14, 20, 26};
    int32_t maxDepth = 1000;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--cpu-seconds") {
            options.cpuSeconds = std::atof(value);
        } else if (arg == "--max-depth") {
            options.maxDepth = std::atoi(value);
        } else if (arg == "--sizes") {
            options.sizes.clear();
            for (const char* p = value; *p != 0;) {
                const int32_t n = std::atoi(p);
                if (n < kMinDotsPerSide || n > kMaxDotsPerSide) return false;
                options.sizes.push_back(n);
                p = std::strchr(p, ',');
                if (p == nullptr) break;
                ++p;
            }
        } else {
            return false;
        }
    }
    return options.cpuSeconds > 0 && options.maxDepth >= 1 && !options.sizes.empty();
}

void measure(int32_t n, const Options& options) {
    Board board(n, 2);
    SearchEngine engine;
    engine.board = &board;
    engine.computerPlayer = 0;
    std::atomic<bool> done{false};
    std::thread search([&] {
        // No time limit: only the watcher's stop ends it, or the depth limit.
        engine.chooseMove(options.maxDepth, 2147483647);
        done = true;
    });
    clockid_t clock{};
    pthread_getcpuclockid(search.native_handle(), &clock);
    // CPU seconds at which each iteration was seen to end: iteration d has
    // ended once currentDepth passes d.
    std::vector<double> ends;
    double used = 0;
    while (!done) {
        used = threadCpuSeconds(clock);
        const int32_t depth = engine.currentDepth.load();
        while (static_cast<int32_t>(ends.size()) + 1 < depth) ends.push_back(used);
        if (used >= options.cpuSeconds) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool stopped = !done;
    engine.requestStop();
    search.join();
    // A stopped iteration is discarded; a finished search completed them all.
    const int32_t completed = stopped ? engine.currentDepth - 1 : engine.currentDepth.load();
    while (static_cast<int32_t>(ends.size()) < completed) ends.push_back(used);
    std::printf("%2d dots: depth %d, %lld nodes in %.2f CPU s%s\n", n, completed,
                static_cast<long long>(engine.nodeCount), used, stopped ? "" : " (finished)");
    double previous = 0;
    for (int32_t d = 0; d < completed; ++d) {
        std::printf("    iteration %d: %.3f CPU s\n", d + 1,
                    ends[static_cast<size_t>(d)] - previous);
        previous = ends[static_cast<size_t>(d)];
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: depth_bench [--cpu-seconds S] [--sizes 4,8] [--max-depth D]\n");
        return 2;
    }
    for (int32_t n : options.sizes) measure(n, options);
    return 0;
}
