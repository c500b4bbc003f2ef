// The search of the root behind Solver::solve, for line sets of W 64-bit
// words: MTD(f) on the value, then the best lines and every line's value.
//
// Each search thread has a RootSearch of its own, on its own workspace; the
// threads share the table and a SolveRun, through which they learn the
// bounds the others proved.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "solver/node_search.h"
#include "solver/search_run.h"
#include "solver/solver.h"
#include "solver/solver_tables.h"

template <int W, bool Packed>
class RootSearch {
public:
    // Sets up the position on thread's workspace. Runs on the calling thread,
    // before any search thread starts: it also sizes the part of the table in use.
    RootSearch(SolverTables& tables, SolveRun& run, int32_t thread, const uint8_t* drawnLines,
               const Solver& owner)
        : search_(tables, run, thread, drawnLines, owner), pos_(search_.position()), run_(run) {
        run_.narrowLower(-pos_.remaining());
        run_.narrowUpper(pos_.remaining());
    }

    // Narrows the run's bounds until the value is known (threshold kNoTest)
    // or until it is known whether the value reaches threshold, or time runs
    // out. MTD(f): null-window tests of "value >= t" for t of the value's
    // parity (it is remaining mod 2). Every thread runs this loop at once;
    // a test that another thread has decided meanwhile is dropped.
    void settle(int32_t threshold) {
        search_.table().refresh();
        int32_t guess = pos_.remaining() & 1;
        for (;;) {
            const int32_t lo = run_.lower.load(std::memory_order_relaxed);
            const int32_t hi = run_.upper.load(std::memory_order_relaxed);
            if ((threshold == kNoTest ? lo >= hi : lo >= threshold || hi < threshold) ||
                run_.timeUp.load(std::memory_order_relaxed)) {
                search_.setTest(kNoTest);
                return;
            }
            guess = std::clamp(guess, lo, hi);
            const int32_t test = threshold != kNoTest ? threshold : guess == lo ? guess + 2 : guess;
            search_.setTest(test);
            const int32_t r = search_.node(test - 1, test);
            if (search_.stopped()) {
                search_.resume();  // dropped, or out of time: the loop's head tells
                continue;
            }
            if (r >= test) {
                run_.narrowLower(pos_.snapUp(r));
                guess = run_.lower.load(std::memory_order_relaxed);
            } else {
                run_.narrowUpper(pos_.snapDown(r));
                guess = run_.upper.load(std::memory_order_relaxed);
            }
        }
    }

    // The lines that stand for all undrawn lines under the position's own
    // symmetries, and for each line the one that stands for it.
    std::vector<int16_t> classes(std::vector<int16_t>& representative) const {
        return pos_.classes(representative);
    }

    // Takes lines from the run's list until none is left, then joins the
    // threads still searching theirs, until every line is settled or time
    // runs out: with values, each line's exact value, else whether it
    // achieves value (1 or 0). The first thread to settle a line writes its
    // result; the others drop it. Returns false when time ran out.
    bool work(const std::vector<int16_t>& lines, int32_t value, bool values, int32_t* results) {
        search_.table().refresh();
        for (;;) {
            size_t j = size_t(run_.nextJob.fetch_add(1, std::memory_order_relaxed));
            for (size_t k = 0; j >= lines.size() && k < lines.size(); ++k)
                if (!run_.settled[k].load(std::memory_order_acquire)) j = k;
            if (j >= lines.size()) return true;
            const int32_t l = lines[j];
            search_.setJob(&run_.settled[j]);
            const int32_t r = values ? valueOf(l, value) : achieves(l, value);
            search_.setJob(nullptr);
            if (search_.stopped()) {
                if (run_.timeUp.load(std::memory_order_relaxed)) return false;
                search_.resume();  // another thread settled it first
                continue;
            }
            uint8_t unsettled = 0;
            if (run_.settled[j].compare_exchange_strong(unsettled, 1, std::memory_order_acq_rel))
                results[l] = r;
        }
    }

    // Called once settle() or work() has returned.
    void leave() { run_.leave(); }

    uint64_t nodes() const { return search_.nodes(); }
    void publish() { search_.publish(); }

private:
    // Whether drawing line l achieves value: one null-window test.
    bool achieves(int32_t l, int32_t value) {
        const int32_t gain = pos_.draw(l);
        bool yes;
        if (gain > 0)
            yes = search_.node(value - gain - 1, value - gain) >= value - gain;
        else
            yes = search_.node(-value, -value + 1) <= -value;
        pos_.undraw(l);
        return yes;
    }

    // The exact value of drawing line l, at most value: MTD(f) on the child,
    // whose first test is the one achieves() makes.
    int32_t valueOf(int32_t l, int32_t value) {
        const int32_t gain = pos_.draw(l);
        // The child's value for its side to move, within what the parent allows.
        int32_t lo = -pos_.remaining(), hi = pos_.remaining(), guess;
        if (gain > 0)
            guess = hi = std::min(hi, value - gain);
        else
            guess = lo = std::max(lo, -value);
        while (lo < hi && !search_.stopped()) {
            const int32_t t = guess == lo ? guess + 2 : guess;
            const int32_t r = search_.node(t - 1, t);
            if (search_.stopped()) break;
            if (r >= t)
                guess = lo = std::max(lo, pos_.snapUp(r));
            else
                guess = hi = std::min(hi, pos_.snapDown(r));
        }
        pos_.undraw(l);
        return gain > 0 ? gain + lo : -lo;
    }

    NodeSearch<W, Packed> search_;
    Position<W>& pos_;  // search_'s
    SolveRun& run_;
};
