#include "solver/solver.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "platform/platform.h"
#include "solver/root_search.h"

namespace {

// Words of a line set for n dots: 1 up to 6 dots, 2 up to 8, else the largest.
constexpr int32_t kWideWords = (2 * kMaxDotsPerSide * (kMaxDotsPerSide - 1) + 63) / 64;

int32_t wordsFor(int32_t lineCount) {
    if (lineCount <= 64) return 1;
    if (lineCount <= 128) return 2;
    return kWideWords;
}

// Runs job(k) for every thread k, the first on the calling thread.
template <typename Job>
void onEveryThread(int32_t threads, Job&& job) {
    std::vector<std::thread> helpers;
    for (int32_t k = 1; k < threads; ++k) helpers.emplace_back(job, k);
    job(0);
    for (std::thread& helper : helpers) helper.join();
}

// Once the value is known: the best lines and, with values, every line's
// value, testing one line of each class of lines the position's symmetries
// make alike. Leaves result unsolved when time runs out.
template <typename Search>
void findLines(std::vector<std::unique_ptr<Search>>& searches, SolveRun& run, bool values,
               SolveResult& result) {
    std::vector<int16_t> representative;
    const std::vector<int16_t> lines = searches[0]->classes(representative);
    std::vector<int32_t> found(representative.size(), 0);
    std::vector<uint8_t> ended(searches.size(), 0);
    run.settled = std::vector<std::atomic<uint8_t>>(lines.size());
    run.searching = int32_t(searches.size());
    onEveryThread(int32_t(searches.size()), [&](int32_t k) {
        ended[size_t(k)] = searches[size_t(k)]->work(lines, result.value, values, found.data());
        searches[size_t(k)]->leave();
    });
    if (std::find(ended.begin(), ended.end(), 0) != ended.end()) {
        result.solved = false;
        return;
    }
    if (values) result.values.assign(representative.size(), SolveResult::kDrawn);
    for (size_t l = 0; l < representative.size(); ++l) {
        if (representative[l] < 0) continue;
        const int32_t r = found[size_t(representative[l])];
        if (values) result.values[l] = r;
        if (values ? r == result.value : r != 0) result.best.push_back(MoveIndex(l));
    }
}

// threshold: kNoTest for a whole solve, else the one test to make.
template <int W, bool Packed>
SolveResult runSearch(SolverTables& tables, int32_t threads, const uint8_t* drawn,
                      SolveRun::Clock::time_point start, int64_t ms, SolveDetail detail,
                      int32_t threshold, const Solver& owner) {
    using Search = RootSearch<W, Packed>;
    SolveRun run(threads);
    run.start = start;
    run.limited = ms >= 0;
    if (run.limited) run.deadline = run.start + std::chrono::milliseconds(ms);
    run.lower = INT32_MIN;
    run.upper = INT32_MAX;
    if (run.limited && ms == 0) run.timeUp = true;
    // A page is zeroed as it is first touched, and a search touches the
    // table's pages at random: a long solve soon touches them all, and small
    // pages cost it a fault each (seconds for 2 GiB). A short solve would pay
    // to zero huge pages it barely uses, and a fault of one (about a
    // millisecond) could carry it past its limit: it keeps small ones.
    if (!tables.hugePages && (!run.limited || ms >= 10000)) {
        platform::preferHugePages(tables.table, tables.tableBytes);
        tables.hugePages = true;
    }
    std::vector<std::unique_ptr<Search>> searches;
    for (int32_t k = 0; k < threads; ++k)
        searches.push_back(std::make_unique<Search>(tables, run, k, drawn, owner));

    run.searching = threads;
    onEveryThread(threads, [&](int32_t k) {
        searches[size_t(k)]->settle(threshold);
        searches[size_t(k)]->leave();
    });
    SolveResult result;
    result.threads = threads;
    result.lower = run.lower;
    result.upper = run.upper;
    result.value = result.lower;
    const bool timeUp = run.timeUp;
    if (threshold != kNoTest)
        result.solved = !timeUp;
    else
        result.solved = !timeUp && result.lower == result.upper;

    if (result.solved && threshold == kNoTest && detail != SolveDetail::Value)
        findLines(searches, run, detail == SolveDetail::Values, result);
    for (const std::unique_ptr<Search>& search : searches) {
        search->publish();
        result.nodes += search->nodes();
    }
    tables.tableEntriesUsed += run.total(&SolveRun::Figures::entries);
    result.ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(SolveRun::Clock::now() - run.start)
            .count();
    return result;
}

SolveResult searchLines(SolverTables& tables, int32_t threads, int32_t dotsPerSide,
                        const uint8_t* drawn, int64_t ms, SolveDetail detail, int32_t threshold,
                        const Solver& owner) {
    const int32_t words = wordsFor(2 * dotsPerSide * (dotsPerSide - 1));
    // The limit counts from here: setting up a large board takes a while.
    const SolveRun::Clock::time_point start = SolveRun::Clock::now();
    tables.prepare(dotsPerSide);
    if (tables.geometry.lineCount <= kPackedLines)
        return runSearch<1, true>(tables, threads, drawn, start, ms, detail, threshold, owner);
    if (words == 1)
        return runSearch<1, false>(tables, threads, drawn, start, ms, detail, threshold, owner);
    if (words == 2)
        return runSearch<2, false>(tables, threads, drawn, start, ms, detail, threshold, owner);
    return runSearch<kWideWords, false>(tables, threads, drawn, start, ms, detail, threshold,
                                        owner);
}

}  // namespace

void SolverWorkspace::prepare(const SolverGeometry& geometry) {
    const size_t lines = size_t(geometry.lineCount);
    // Left unset: a list is written before it is read, and the lists of
    // depths a solve never reaches cost no memory.
    moves.reset(new int16_t[lines * (lines + 1)]);
    listed.reset(new Listed[lines * (lines + 1)]);
    sides.assign(size_t(geometry.quadCount), 0);
    marks.assign(size_t(geometry.quadCount), 0);
    stamp = 0;
}

void SolverTables::prepare(int32_t n) {
    if (tableDots != 0 && tableDots != n) {
        std::memset(table, 0, tableBytesTouched);
        tableEntriesUsed = 0;
        tableBytesTouched = 0;
        activeBuckets = 0;
    }
    tableDots = n;
    generation = uint8_t(generation == 255 ? 1 : generation + 1);
    if (geometry.dotsPerSide == n) return;

    geometry.build(n);
    for (SolverWorkspace& workspace : workspaces) workspace.prepare(geometry);
}

Solver::Solver(size_t hashMegabytes, int32_t threads)
    : tables_(std::make_unique<SolverTables>()), threads_(threads) {
    if (threads < 1 || threads > kMaxThreads)
        throw std::invalid_argument("a solver has 1 to 256 threads");
    // Zeroed pages are had from the system as they are first written, so a
    // small board touches little of a large table. The table starts on a
    // page, so that a bucket is one cache line.
    const size_t bytes = hashMegabytes << 20;
    if (hashMegabytes == 0 || bytes >> 20 != hashMegabytes) throw kOutOfMemory;
    tables_->table = platform::allocateTable(bytes);
    if (tables_->table == nullptr) throw kOutOfMemory;
    tables_->tableBytes = bytes;
    tables_->workspaces.resize(size_t(threads));
    if (threads > 1) tables_->searching = std::vector<std::atomic<uint64_t>>(size_t{1} << 16);
}

Solver::~Solver() { platform::releaseTable(tables_->table, tables_->tableBytes); }

SolveResult Solver::solve(const Board& board, int64_t timeLimitMs, SolveDetail detail) {
    std::vector<uint8_t> drawn(size_t(board.lineCount));
    for (int32_t l = 0; l < board.lineCount; ++l) drawn[l] = board.lines[l].owner != 0;
    return solveLines(board.dotsPerSide, drawn.data(), timeLimitMs, detail);
}

SolveResult Solver::solveLines(int32_t dotsPerSide, const uint8_t* drawn, int64_t timeLimitMs,
                               SolveDetail detail) {
    return searchLines(*tables_, threads_, dotsPerSide, drawn, timeLimitMs, detail, kNoTest, *this);
}

SolveResult Solver::testLines(int32_t dotsPerSide, const uint8_t* drawn, int32_t threshold,
                              int64_t timeLimitMs) {
    return searchLines(*tables_, threads_, dotsPerSide, drawn, timeLimitMs, SolveDetail::Value,
                       threshold, *this);
}
