// One node of the search: fail-soft negamax on the value of the rest of the
// game for the side to move, with the capture reductions, the exact value of
// endgames of chains and loops, and the table around the rest. It allocates
// nothing and copies no position; the clock is read every clockNodes_ nodes.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>

#include "solver/chain_walks.h"
#include "solver/move_lists.h"
#include "solver/position.h"
#include "solver/search_run.h"
#include "solver/solver.h"
#include "solver/solver_tables.h"
#include "solver/table.h"

template <int W, bool Packed>
class NodeSearch {
public:
    using Clock = SolveRun::Clock;
    using Slot = typename Table<W, Packed>::Slot;
    static constexpr int32_t kMaxLines = Position<W>::kMaxLines;
    static constexpr int32_t kTableLines = 7;         // lines left from which the table is used
    static constexpr int32_t kCutoffProbeLines = 12;  // and from which children are probed
    static constexpr int32_t kSharedLines = 12;  // lines left from which threads share out lines

    // Sets up the position on thread's workspace. Runs on the calling thread,
    // before any search thread starts: it also sizes the part of the table in use.
    NodeSearch(SolverTables& tables, SolveRun& run, int32_t thread, const uint8_t* drawnLines,
               const Solver& owner)
        : t_(tables),
          w_(tables.workspaces[size_t(thread)]),
          g_(tables.geometry),
          run_(run),
          owner_(owner),
          thread_(thread),
          pos_(tables.geometry, w_.sides.data(), drawnLines),
          table_(tables, tables.geometry.lineCount),
          lists_(tables.geometry, w_),
          searched_(tables.searching) {
        // A node lists and sorts its lines, so its cost grows with their
        // square: large boards read the clock more often, so as to stop in
        // time. 1024 on boards of up to 64 lines.
        const int64_t squared = int64_t(g_.lineCount) * g_.lineCount;
        clockNodes_ =
            std::bit_floor(uint64_t(std::clamp<int64_t>((int64_t{1} << 22) / squared, 1, 1024)));
        lastReport_ = run_.start;
        stopped_ = run_.timeUp.load(std::memory_order_relaxed);
    }

    Position<W>& position() { return pos_; }
    const Position<W>& position() const { return pos_; }
    Table<W, Packed>& table() { return table_; }
    uint64_t nodes() const { return nodes_; }
    // Whether the search was told to stop; resume() clears it.
    bool stopped() const { return stopped_; }
    void resume() { stopped_ = false; }
    // What the thread is on, for the clock check to stop it once another
    // thread has decided it: a test's threshold, or a line's settled flag.
    void setTest(int32_t threshold) { test_ = threshold; }
    void setJob(const std::atomic<uint8_t>* settled) { job_ = settled; }

    // The figures of this thread, for the others and the progress report.
    void publish() {
        SolveRun::Figures& mine = run_.figures[size_t(thread_)];
        mine.nodes.store(nodes_, std::memory_order_relaxed);
        mine.entries.store(table_.entriesFilled(), std::memory_order_relaxed);
    }

    int32_t node(int32_t alpha, int32_t beta) {
        if (pos_.remaining() == 0) return 0;
        if ((++nodes_ & (clockNodes_ - 1)) == 0) checkClock();
        if (stopped_) return 0;
        if (pos_.threes() > 0) return captures(alpha, beta);
        if (pos_.twos() == pos_.remaining()) {
            int32_t value;
            if (chainsAndLoops(pos_, w_, value)) return value;
        }
        if (pos_.remaining() <= alpha) return pos_.remaining();
        if (-pos_.remaining() >= beta) return -pos_.remaining();
        // Close to the end a search is cheaper than the table's key.
        if (pos_.linesLeft() < kTableLines) {
            int32_t none = -1;
            return allMoves(alpha, beta, none);
        }
        return tabled(alpha, beta,
                      [this](int32_t a, int32_t b, int32_t& move) { return allMoves(a, b, move); });
    }

private:
    int64_t elapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - run_.start)
            .count();
    }

    bool stopAsked() const {
        return owner_.stop != nullptr && owner_.stop->load(std::memory_order_relaxed);
    }

    // Every clockNodes_ nodes: the time limit, a test that another thread
    // has decided, and the first thread's progress report.
    void checkClock() {
        const Clock::time_point now = Clock::now();
        publish();
        if ((run_.limited && now >= run_.deadline) || stopAsked())
            run_.timeUp.store(true, std::memory_order_relaxed);
        const int32_t lo = run_.lower.load(std::memory_order_relaxed);
        const int32_t hi = run_.upper.load(std::memory_order_relaxed);
        if (run_.timeUp.load(std::memory_order_relaxed)) stopped_ = true;
        if (test_ != kNoTest && (lo >= test_ || hi < test_)) stopped_ = true;
        if (job_ != nullptr && job_->load(std::memory_order_relaxed)) stopped_ = true;
        const size_t used = t_.tableEntriesUsed + run_.total(&SolveRun::Figures::entries);
        if (table_.wantsGrowth(used)) run_.growWanted.store(true, std::memory_order_relaxed);
        if (run_.growWanted.load(std::memory_order_acquire)) waitForGrowth();
        if (thread_ == 0 && owner_.progress && now - lastReport_ >= std::chrono::seconds(1)) {
            lastReport_ = now;
            SolveProgress figures;
            figures.nodes = run_.total(&SolveRun::Figures::nodes);
            figures.ms = elapsedMs();
            figures.lower = lo;
            figures.upper = hi;
            figures.tablePermille = table_.permille(used);
            owner_.progress(figures, owner_.progressContext);
        }
    }

    void waitForGrowth() {
        run_.awaitGrowth([&] {
            const bool whole = table_.grow(
                [&] { return (run_.limited && Clock::now() >= run_.deadline) || stopAsked(); });
            if (!whole) {
                run_.timeUp.store(true, std::memory_order_relaxed);
                stopped_ = true;
            }
        });
        table_.refresh();
    }

    // A line that completes quads: same side moves on.
    int32_t take(int32_t line, int32_t alpha, int32_t beta) {
        const int32_t gain = pos_.draw(line);
        const int32_t v = gain + node(alpha - gain, beta - gain);
        pos_.undraw(line);
        return v;
    }

    int32_t handOver(int32_t line, int32_t alpha, int32_t beta) {
        pos_.draw(line);
        const int32_t v = -node(-beta, -alpha);
        pos_.undraw(line);
        return v;
    }

    // Some quad has three sides. A quad whose last line gives no other quad
    // its third side is taken at once. Otherwise each capturable run is
    // followed: runs longer than two (chains) or than four (both ends open)
    // are taken; of the others, one is either taken or declined, leaving its
    // last two (four) quads to the opponent, and the rest are taken first.
    int32_t captures(int32_t alpha, int32_t beta) {
        int32_t takes[ChainValues::kMaxParts], declines[ChainValues::kMaxParts];
        int32_t ends[ChainValues::kMaxParts];
        int32_t runs = 0, endCount = 0, seen = 0;
        for (int32_t q = pos_.nextThree(0); seen < pos_.threes(); q = pos_.nextThree(q + 1)) {
            ++seen;
            const int32_t line = pos_.otherSide(q, -1);
            const int32_t next = g_.across(line, q);
            if (next < 0 || pos_.sides(next) != 2) return take(line, alpha, beta);
        }
        seen = 0;
        for (int32_t q = pos_.nextThree(0); seen < pos_.threes(); q = pos_.nextThree(q + 1)) {
            ++seen;
            if (std::find(ends, ends + endCount, q) != ends + endCount) continue;
            const int32_t line = pos_.otherSide(q, -1);
            int32_t end = -1;
            const int32_t decline = declineOf(pos_, q, line, end);
            if (decline < 0 || runs == ChainValues::kMaxParts) return take(line, alpha, beta);
            if (end >= 0) ends[endCount++] = end;
            takes[runs] = line;
            declines[runs++] = decline;
        }
        return tabled(alpha, beta, [&](int32_t a, int32_t b, int32_t& move) {
            move = -1;
            int32_t best = take(takes[0], a, b);
            if (runs == 1) {
                if (best < b && !stopped_)
                    best = std::max(best, handOver(declines[0], std::max(a, best), b));
                return best;
            }
            for (int32_t i = 1; i < runs && best < b && !stopped_; ++i)
                best = std::max(best, take(takes[i], std::max(a, best), b));
            return best;
        });
    }

    // No quad has three sides. Lines that hand over nothing come first; then
    // the sacrifices, smallest first, listed only once every safe line has
    // failed (most nodes end sooner), or at once when the table's move is
    // one. Of a chain of three or more only its two end lines are tried:
    // opening it inside leaves the taker the choices of both ends together.
    // Of a chain of two only the middle line is tried: opened at an end it
    // leaves the taker the same choice and one more (declining both quads).
    // Of a single quad only one line: the taker draws the other, and either
    // way the same two lines are drawn.
    int32_t allMoves(int32_t alpha, int32_t beta, int32_t& bestMove) {
        int16_t* moves = w_.moves.get() + size_t(pos_.drawnCount()) * g_.lineCount;
        const int32_t safe = lists_.listSafe(pos_, moves);
        int32_t best = -pos_.remaining() - 1;
        if (const int32_t i = probeSafe(moves, safe, beta, best, bestMove); i >= 0) {
            bestMove = moves[i];
            return best;
        }
        int32_t total = safe;
        bool complete = bestMove >= 0 && !pos_.isSafe(bestMove);  // the sacrifices are listed
        if (complete) total = lists_.appendSacrifices(pos_, moves, safe);
        // The table's move first, wherever the lists put it.
        if (bestMove >= 0) {
            int16_t* at = std::find(moves, moves + total, int16_t(bestMove));
            if (at != moves + total) std::rotate(moves, at, at + 1);
        }
        // What this list knows of its lines, before the nodes below write theirs.
        Listed* listed = w_.listed.get() + size_t(pos_.drawnCount()) * g_.lineCount;
        for (int32_t i = 0; i < total; ++i) listed[i] = lists_.facts(moves[i]);
        bool probed = false;
        // With other threads, a line that one of them is searching from the
        // same position is put off until the rest are done: by then its
        // value is likely in the table.
        const bool sharing = run_.threads() > 1 && pos_.linesLeft() >= kSharedLines;
        int32_t deferred[kMaxLines];
        int32_t deferredCount = 0;
        // True on a cut-off.
        const auto search = [&](int32_t i, bool mayDefer) {
            if (listed[i].cap <= std::max(alpha, best)) {
                best = std::max(best, int32_t(listed[i].cap));
                return false;
            }
            uint64_t tag = 0;
            if (sharing) {
                tag = hashOf(pos_.canonicalWith(moves + i, 1)) | 1;
                if (mayDefer && i > 0 && searched_.elsewhere(tag)) {
                    deferred[deferredCount++] = i;
                    return false;
                }
                searched_.claim(tag);
            }
            const int32_t v = handOver(moves[i], std::max(alpha, best), beta);
            if (sharing) searched_.release(tag);
            if (v <= best) return false;
            best = v;
            bestMove = moves[i];
            if (best < beta) return false;
            lists_.countCutoff(pos_, moves[i]);
            return true;
        };
        for (int32_t i = 0; !stopped_; ++i) {
            if (i == total) {
                if (complete) break;
                complete = true;
                total = lists_.appendSacrifices(pos_, moves, safe);
                for (int32_t j = i; j < total; ++j) listed[j] = lists_.facts(moves[j]);
                if (i == total) break;
            }
            if (listed[i].taken > 0 && !probed) {
                // Every safe line has failed: the sacrifices' turn.
                probeSacrifices(listed + i, total - i);
                probed = true;
            }
            if (search(i, true)) return best;
        }
        for (int32_t j = 0; j < deferredCount && !stopped_; ++j)
            if (search(deferred[j], false)) return best;
        return best;
    }

    // Reads the table around search (children(a, b) -> fail-soft value) and
    // stores what it proved.
    template <typename Children>
    int32_t tabled(int32_t alpha, int32_t beta, Children&& children) {
        int32_t sym;
        const LineSet<W> key = pos_.canonical(sym);
        Slot* bucket = table_.bucketOf(key);
        EntryData hit;
        const bool found = table_.find(bucket, key, hit);
        int32_t lo = -pos_.remaining(), hi = pos_.remaining();
        if (found) {
            lo = std::max(lo, int32_t(hit.lower));
            hi = std::min(hi, int32_t(hit.upper));
            if (lo >= beta || lo == hi) return lo;
            if (hi <= alpha) return hi;
        }
        const int32_t a = std::max(alpha, lo), b = std::min(beta, hi);
        const uint64_t before = nodes_;
        const int16_t* images = g_.images.data();
        const int32_t lines = g_.lineCount;
        // Moves are kept in the key's frame: back through the inverse symmetry.
        int32_t move =
            found && hit.move >= 0 ? images[Position<W>::inverse(sym) * lines + hit.move] : -1;
        const size_t frame = table_.buckets();
        const int32_t v = children(a, b, move);
        if (stopped_) return 0;
        if (table_.buckets() != frame) bucket = table_.bucketOf(key);  // the table grew meanwhile
        if (v <= a)
            hi = std::min(hi, v);
        else if (v >= b)
            lo = std::max(lo, v);
        else
            lo = hi = v;
        table_.store(bucket, key, pos_.snapUp(lo), pos_.snapDown(hi), nodes_ - before,
                     move < 0 ? -1 : images[sym * lines + move]);
        return v;
    }

    // Reads the table for the position after each safe line: returns one the
    // table already proves good enough for a cut-off, or -1, and caps the
    // others by what it proves. Worth its probes only far from the end.
    // tableMove is the line the table says to search first, or -1.
    int32_t probeSafe(int16_t* moves, int32_t safe, int32_t beta, int32_t& value,
                      int32_t tableMove) {
        if (pos_.linesLeft() < kCutoffProbeLines || safe > kMaxLines) return -1;
        // All the keys first, with their buckets fetched, so that the misses
        // of the table overlap.
        LineSet<W> keys[kMaxLines];
        Slot* buckets[kMaxLines];
        for (int32_t i = 0; i < safe; ++i) {
            keys[i] = pos_.canonicalWith(moves + i, 1);
            buckets[i] = table_.bucketOf(keys[i]);
            __builtin_prefetch(buckets[i]);
        }
        // With them, the buckets the line searched first will probe for its
        // own safe lines, if no cut-off comes: one wait on memory, not two.
        if constexpr (W == 1) {
            if (safe > 0 && pos_.linesLeft() > kCutoffProbeLines) {
                const int32_t first =
                    tableMove >= 0 && pos_.isSafe(tableMove) ? tableMove : moves[0];
                uint64_t after = lists_.safeOpen() & ~(uint64_t{1} << first);
                for (const int16_t q : g_.lineQuads[first])
                    if (q >= 0 && pos_.sides(q) == 1)
                        after &= ~pos_.quadMask(q);  // it spoils these
                for (; after != 0; after &= after - 1) {
                    const int16_t two[2] = {int16_t(first), int16_t(std::countr_zero(after))};
                    __builtin_prefetch(table_.bucketOf(pos_.canonicalWith(two, 2)));
                }
            }
        }
        for (int32_t i = 0; i < safe; ++i) {
            EntryData hit;
            const bool found = table_.find(buckets[i], keys[i], hit);
            const int32_t childUpper =
                found ? std::min(int32_t(hit.upper), pos_.remaining()) : pos_.remaining();
            if (-childUpper >= beta) {
                value = -childUpper;
                return i;
            }
            // And what the table proves it cannot give, to be skipped.
            if (found)
                lists_.facts(moves[i]).cap =
                    int16_t(-std::max(int32_t(hit.lower), -pos_.remaining()));
        }
        return -1;
    }

    // Caps each single quad or two-chain handed over by what the table
    // proves of the position after the taker took it, with the taker to move.
    void probeSacrifices(Listed* listed, int32_t count) {
        if (pos_.linesLeft() < kCutoffProbeLines) return;
        LineSet<W> keys[kMaxLines];
        Slot* buckets[kMaxLines];
        for (int32_t i = 0; i < count; ++i) {
            const int32_t k = listed[i].taken;
            if (k == 0) continue;
            keys[i] = pos_.canonicalWith(listed[i].lines, k + 1);
            buckets[i] = table_.bucketOf(keys[i]);
            __builtin_prefetch(buckets[i]);
        }
        for (int32_t i = 0; i < count; ++i) {
            const int32_t k = listed[i].taken;
            if (k == 0) continue;
            EntryData hit;
            if (table_.find(buckets[i], keys[i], hit))
                listed[i].cap = int16_t(-k - std::max(int32_t(hit.lower), k - pos_.remaining()));
        }
    }

    SolverTables& t_;
    SolverWorkspace& w_;
    const SolverGeometry& g_;
    SolveRun& run_;
    const Solver& owner_;
    const int32_t thread_;
    int32_t test_ = kNoTest;                     // the threshold settle() is testing
    const std::atomic<uint8_t>* job_ = nullptr;  // whether the line work() is on is settled
    Clock::time_point lastReport_;
    bool stopped_ = false;
    uint64_t nodes_ = 0;
    uint64_t clockNodes_ = 1024;  // a power of two
    Position<W> pos_;
    Table<W, Packed> table_;
    MoveLists<W> lists_;
    SearchedLines searched_;
};
