// The search behind Solver::solve, for line sets of W 64-bit words.
//
// A position is the set of drawn lines with, kept in step by draw and undraw,
// the drawn sides of every quad and the counts of quads with two and three
// sides and of quads not yet taken. node() is fail-soft negamax on the value
// of the rest of the game for the side to move. It allocates nothing and
// copies no position; the clock is read every clockNodes_ nodes.
//
// Each search thread has a SolverSearch of its own, on its own workspace; the
// threads share the table and a SolveRun, through which they learn the bounds
// the others proved.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <type_traits>
#include <vector>

#include "solver/solver.h"
#include "solver/solver_tables.h"

// No initialiser: arrays of keys are filled before they are read.
template <int W>
struct LineSet {
    uint64_t w[W];
    bool has(int32_t l) const { return (w[l >> 6] >> (l & 63)) & 1; }
    void flip(int32_t l) { w[l >> 6] ^= uint64_t{1} << (l & 63); }
    void flip(const LineSet& lines) {
        for (int i = 0; i < W; ++i) w[i] ^= lines.w[i];
    }
    bool operator<(const LineSet& o) const {
        for (int i = W - 1; i >= 0; --i)
            if (w[i] != o.w[i]) return w[i] < o.w[i];
        return false;
    }
    bool operator==(const LineSet& o) const { return std::memcmp(w, o.w, sizeof w) == 0; }
};

// What the table knows of a position: proved bounds of its value.
struct EntryData {
    int16_t lower, upper;
    int16_t move;        // best line found, in the key's frame; -1 none
    uint8_t work;        // bit length of the subtree's node count (a one-word entry: half)
    uint8_t generation;  // 0 empty

    uint64_t pack() const {
        return uint64_t(uint16_t(lower)) | uint64_t(uint16_t(upper)) << 16 |
               uint64_t(uint16_t(move)) << 32 | uint64_t(work) << 48 |
               uint64_t(generation) << 56;
    }
    static EntryData unpack(uint64_t d) {
        return {int16_t(d), int16_t(d >> 16), int16_t(d >> 32), uint8_t(d >> 48),
                uint8_t(d >> 56)};
    }

    // An entry of one word: the key in the low 40 bits; above it the bounds
    // (plus 32: 5 dots have at most 16 quads) and the move in six bits each
    // (63: none), the work in four and the generation in two.
    uint64_t packWith(uint64_t key) const {
        return key | uint64_t(lower + 32) << 40 | uint64_t(upper + 32) << 46 |
               uint64_t(move & 63) << 52 | uint64_t(work) << 58 | uint64_t(generation) << 62;
    }
    static EntryData unpackWord(uint64_t word) {
        const int32_t move = int32_t(word >> 52 & 63);
        return {int16_t(int32_t(word >> 40 & 63) - 32), int16_t(int32_t(word >> 46 & 63) - 32),
                int16_t(move == 63 ? -1 : move), uint8_t(word >> 58 & 15), uint8_t(word >> 62)};
    }
};

// One table entry, written and read by every thread without a lock: each
// word of the full canonical key is stored mixed (xor) with the data word, so
// an entry torn by two writers reads back as another key, that is as a miss,
// never as wrong bounds for this one.
template <int W>
struct TableEntry {
    uint64_t check[W];
    uint64_t data;
};

// Up to this many lines (5 dots) an entry is one word, twice as many to the
// table: the key in the low bits and the data above, so that it cannot tear.
constexpr int32_t kPackedLines = 40;

// Packed: entries of one word; only for boards of up to kPackedLines lines.
template <int W, bool Packed>
class SolverSearch {
    static_assert(!Packed || W == 1);

public:
    using Clock = SolveRun::Clock;
    using Slot = std::conditional_t<Packed, uint64_t, TableEntry<W>>;
    static constexpr int32_t kBucket = Packed ? 8 : 4;  // one cache line at one word
    static constexpr int32_t kMaxLines = 64 * W;
    static constexpr int32_t kCutoffProbeLines = 12;
    static constexpr int32_t kTableLines = 7;  // lines left from which the table is used
    static constexpr int32_t kNoTest = INT32_MIN;
    static constexpr int32_t kSharedLines = 12;  // lines left from which threads share out lines

    // Sets up the position on thread's workspace. Runs on the calling thread,
    // before any search thread starts: it also sizes the part of the table in use.
    SolverSearch(SolverTables& tables, SolveRun& run, int32_t thread, const uint8_t* drawnLines,
                 const Solver& owner)
        : t_(tables),
          w_(tables.workspaces[size_t(thread)]),
          g_(tables.geometry),
          run_(run),
          owner_(owner),
          thread_(thread) {
        // A node lists and sorts its lines, so its cost grows with their
        // square: large boards read the clock more often, so as to stop in
        // time. 1024 on boards of up to 64 lines.
        const int64_t squared = int64_t(g_.lineCount) * g_.lineCount;
        clockNodes_ = std::bit_floor(uint64_t(std::clamp<int64_t>((int64_t{1} << 22) / squared, 1, 1024)));
        for (int32_t l = 0; l < g_.lineCount; ++l) lineMask_.flip(l);
        if constexpr (W == 1) {
            for (int32_t q = 0; q < g_.quadCount; ++q)
                for (const int16_t l : g_.quadLines[q]) quadMasks_[q] |= uint64_t{1} << l;
        }
        if constexpr (kSymmetric) {
            for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s)
                for (int32_t l = 0; l < g_.lineCount; ++l) {
                    imageBits_[l][s] = {};
                    imageBits_[l][s].flip(g_.images[size_t(s) * g_.lineCount + l]);
                }
        }
        entries_ = static_cast<Slot*>(t_.table);
        lastReport_ = run_.start;
        sides_ = w_.sides.data();
        std::fill(w_.sides.begin(), w_.sides.end(), uint8_t{0});
        remaining_ = g_.quadCount;
        // The lone drawn line of a corner pair is searched as its kept line.
        std::vector<uint8_t> lines(drawnLines, drawnLines + g_.lineCount);
        for (const std::array<int16_t, 2>& pair : g_.cornerPairs) {
            pairs_[pairCount_++] = pair;
            if (lines[size_t(pair[1])] && !lines[size_t(pair[0])]) {
                std::swap(lines[size_t(pair[0])], lines[size_t(pair[1])]);
                rootSwaps_.push_back(pair);
            }
        }
        for (int32_t l = 0; l < g_.lineCount; ++l)
            if (lines[size_t(l)]) draw(l);
        // A small board cannot fill a large table, and spread over all of it
        // its entries would touch a page each: it uses a front part of the
        // table in step with its line sets, the same for every solve on it.
        const size_t wanted = size_t{1} << std::clamp(g_.lineCount - 3, 10, 40);
        maxBuckets_ = std::min(t_.tableBytes / sizeof(Slot) / kBucket,
                               std::max<size_t>(wanted / kBucket, 1));
        // And it starts small: a read at random costs more the more memory
        // it may fall in (up to three times as much in 8 GiB as in 256 MiB),
        // so the part in use grows only as the entries fill it.
        if (t_.activeBuckets == 0)
            t_.activeBuckets = std::min(maxBuckets_, kFirstBytes / (kBucket * sizeof(Slot)));
        buckets_ = t_.activeBuckets;
        t_.tableBytesTouched =
            std::max(t_.tableBytesTouched, buckets_ * kBucket * sizeof(Slot));
        run_.narrowLower(-remaining_);
        run_.narrowUpper(remaining_);
        stopped_ = run_.timeUp.load(std::memory_order_relaxed);
    }

    // Narrows the run's bounds until the value is known (threshold kNoTest)
    // or until it is known whether the value reaches threshold, or time runs
    // out. MTD(f): null-window tests of "value >= t" for t of the value's
    // parity (it is remaining mod 2). Every thread runs this loop at once;
    // a test that another thread has decided meanwhile is dropped.
    void settle(int32_t threshold) {
        buckets_ = t_.activeBuckets;
        int32_t guess = remaining_ & 1;
        for (;;) {
            const int32_t lo = run_.lower.load(std::memory_order_relaxed);
            const int32_t hi = run_.upper.load(std::memory_order_relaxed);
            if ((threshold == kNoTest ? lo >= hi : lo >= threshold || hi < threshold) ||
                run_.timeUp.load(std::memory_order_relaxed)) {
                test_ = kNoTest;
                return;
            }
            guess = std::clamp(guess, lo, hi);
            test_ = threshold != kNoTest ? threshold : guess == lo ? guess + 2 : guess;
            const int32_t r = node(test_ - 1, test_);
            if (stopped_) {
                stopped_ = false;  // dropped, or out of time: the loop's head tells
                continue;
            }
            if (r >= test_) {
                run_.narrowLower(snapUp(r));
                guess = run_.lower.load(std::memory_order_relaxed);
            } else {
                run_.narrowUpper(snapDown(r));
                guess = run_.upper.load(std::memory_order_relaxed);
            }
        }
    }

    // The lines that stand for all undrawn lines under the position's own
    // symmetries (those that map the drawn set onto itself), and for each
    // line of the position as given the one that stands for it. The other
    // line of an undrawn corner pair is worth what the kept one is.
    std::vector<int16_t> classes(std::vector<int16_t>& representative) const {
        representative.assign(size_t(g_.lineCount), -1);
        std::vector<int16_t> lines;
        for (int32_t l = 0; l < g_.lineCount; ++l) {
            if (drawn_.has(l) || standsIn(l)) continue;
            int32_t least = l;
            if constexpr (kSymmetric) {
                for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                    if (images_[s] == drawn_)
                        least = std::min<int32_t>(least, g_.images[size_t(s) * g_.lineCount + l]);
            }
            representative[size_t(l)] = int16_t(least);
            if (least == l) lines.push_back(int16_t(l));
        }
        for (int32_t i = 0; i < pairCount_; ++i)
            if (standsIn(pairs_[i][1]))
                representative[size_t(pairs_[i][1])] = representative[size_t(pairs_[i][0])];
        // Where the position had the other line drawn, the search has the kept one.
        for (const std::array<int16_t, 2>& pair : rootSwaps_)
            std::swap(representative[size_t(pair[0])], representative[size_t(pair[1])]);
        return lines;
    }

    // Takes lines from the run's list until none is left, then joins the
    // threads still searching theirs, until every line is settled or time
    // runs out: with values, each line's exact value, else whether it
    // achieves value (1 or 0). The first thread to settle a line writes its
    // result; the others drop it. Returns false when time ran out.
    bool work(const std::vector<int16_t>& lines, int32_t value, bool values, int32_t* results) {
        buckets_ = t_.activeBuckets;
        for (;;) {
            size_t j = size_t(run_.nextJob.fetch_add(1, std::memory_order_relaxed));
            for (size_t k = 0; j >= lines.size() && k < lines.size(); ++k)
                if (!run_.settled[k].load(std::memory_order_acquire)) j = k;
            if (j >= lines.size()) return true;
            const int32_t l = lines[j];
            job_ = &run_.settled[j];
            const int32_t r = values ? valueOf(l, value) : achieves(l, value);
            job_ = nullptr;
            if (stopped_) {
                if (run_.timeUp.load(std::memory_order_relaxed)) return false;
                stopped_ = false;  // another thread settled it first
                continue;
            }
            uint8_t unsettled = 0;
            if (run_.settled[j].compare_exchange_strong(unsettled, 1, std::memory_order_acq_rel))
                results[l] = r;
        }
    }

    // Called once settle() or work() has returned: this thread touches the
    // table no more, and a growth need not wait for it.
    void leave() {
        const std::lock_guard<std::mutex> lock(run_.growLock);
        --run_.searching;
        run_.grown.notify_all();
    }

    uint64_t nodes() const { return nodes_; }
    // The figures of this thread, for the others and the progress report.
    void publish() {
        SolveRun::Figures& mine = run_.figures[size_t(thread_)];
        mine.nodes.store(nodes_, std::memory_order_relaxed);
        mine.entries.store(entriesFilled_, std::memory_order_relaxed);
    }

private:
    // Whether drawing line l achieves value: one null-window test.
    bool achieves(int32_t l, int32_t value) {
        const int32_t gain = draw(l);
        bool yes;
        if (gain > 0)
            yes = node(value - gain - 1, value - gain) >= value - gain;
        else
            yes = node(-value, -value + 1) <= -value;
        undraw(l);
        return yes;
    }

    // The exact value of drawing line l, at most value: MTD(f) on the child,
    // whose first test is the one achieves() makes.
    int32_t valueOf(int32_t l, int32_t value) {
        const int32_t gain = draw(l);
        // The child's value for its side to move, within what the parent allows.
        int32_t lo = -remaining_, hi = remaining_, guess;
        if (gain > 0)
            guess = hi = std::min(hi, value - gain);
        else
            guess = lo = std::max(lo, -value);
        while (lo < hi && !stopped_) {
            const int32_t t = guess == lo ? guess + 2 : guess;
            const int32_t r = node(t - 1, t);
            if (stopped_) break;
            if (r >= t)
                guess = lo = std::max(lo, snapUp(r));
            else
                guess = hi = std::min(hi, snapDown(r));
        }
        undraw(l);
        return gain > 0 ? gain + lo : -lo;
    }

    int32_t snapUp(int32_t v) const { return ((v - remaining_) & 1) ? v + 1 : v; }
    int32_t snapDown(int32_t v) const { return ((v - remaining_) & 1) ? v - 1 : v; }

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
        if (buckets_ < maxBuckets_ && used > buckets_ * kBucket / 2)
            run_.growWanted.store(true, std::memory_order_relaxed);
        if (run_.growWanted.load(std::memory_order_acquire)) waitForGrowth();
        if (thread_ == 0 && owner_.progress && now - lastReport_ >= std::chrono::seconds(1)) {
            lastReport_ = now;
            SolveProgress figures;
            figures.nodes = run_.total(&SolveRun::Figures::nodes);
            figures.ms = elapsedMs();
            figures.lower = lo;
            figures.upper = hi;
            const size_t capacity = maxBuckets_ * kBucket;
            figures.tablePermille = capacity ? int32_t(std::min(used, capacity) * 1000 / capacity) : 0;
            owner_.progress(figures, owner_.progressContext);
        }
    }

    // The drawn set and, where symmetry is used, its images move together.
    void flipLine(int32_t l) {
        drawn_.flip(l);
        if constexpr (kSymmetric) {
            // All eight, the identity's too: a whole number of vector words.
            for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s) images_[s].flip(imageBits_[l][s]);
        }
    }

    // Draws line l; returns the quads it completes (0 to 2).
    int32_t draw(int32_t l) {
        flipLine(l);
        ++drawnCount_;
        int32_t completed = 0;
        for (const int16_t q : g_.lineQuads[l]) {
            if (q < 0) continue;
            switch (++sides_[q]) {
                case 2:
                    ++twos_;
                    toggleTwo(q);
                    break;
                case 3:
                    --twos_;
                    toggleTwo(q);
                    ++threes_;
                    toggleThree(q);
                    break;
                case 4:
                    --threes_;
                    toggleThree(q);
                    ++completed;
                    break;
                default:
                    break;
            }
        }
        remaining_ -= completed;
        return completed;
    }

    void undraw(int32_t l) {
        flipLine(l);
        --drawnCount_;
        for (const int16_t q : g_.lineQuads[l]) {
            if (q < 0) continue;
            switch (sides_[q]--) {
                case 2:
                    --twos_;
                    toggleTwo(q);
                    break;
                case 3:
                    ++twos_;
                    toggleTwo(q);
                    --threes_;
                    toggleThree(q);
                    break;
                case 4:
                    ++threes_;
                    toggleThree(q);
                    ++remaining_;
                    break;
                default:
                    break;
            }
        }
    }

    // The one undrawn side of quad q other than line except (-1: any); the
    // first in the order of quadLines, which is that of the line numbers.
    int32_t otherSide(int32_t q, int32_t except) const {
        if constexpr (W == 1) {
            const uint64_t skip = except < 0 ? 0 : uint64_t{1} << except;
            const uint64_t open = quadMasks_[q] & ~drawn_.w[0] & ~skip;
            return open == 0 ? -1 : std::countr_zero(open);
        }
        for (const int16_t l : g_.quadLines[q])
            if (l != except && !drawn_.has(l)) return l;
        return -1;
    }

    int32_t node(int32_t alpha, int32_t beta) {
        if (remaining_ == 0) return 0;
        if ((++nodes_ & (clockNodes_ - 1)) == 0) checkClock();
        if (stopped_) return 0;
        if (threes_ > 0) return captures(alpha, beta);
        if (twos_ == remaining_) {
            int32_t value;
            if (chainsAndLoops(value)) return value;
        }
        if (remaining_ <= alpha) return remaining_;
        if (-remaining_ >= beta) return -remaining_;
        // Close to the end a search is cheaper than the table's key.
        if (g_.lineCount - drawnCount_ < kTableLines) {
            int32_t none = -1;
            return allMoves(alpha, beta, none);
        }
        return tabled(alpha, beta,
                      [this](int32_t a, int32_t b, int32_t& move) { return allMoves(a, b, move); });
    }

    // A line that completes quads: same side moves on.
    int32_t take(int32_t line, int32_t alpha, int32_t beta) {
        const int32_t gain = draw(line);
        const int32_t v = gain + node(alpha - gain, beta - gain);
        undraw(line);
        return v;
    }

    int32_t handOver(int32_t line, int32_t alpha, int32_t beta) {
        draw(line);
        const int32_t v = -node(-beta, -alpha);
        undraw(line);
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
        for (int32_t q = nextThree(0); seen < threes_; q = nextThree(q + 1)) {
            ++seen;
            const int32_t line = otherSide(q, -1);
            const int32_t next = g_.across(line, q);
            if (next < 0 || sides_[next] != 2) return take(line, alpha, beta);
        }
        seen = 0;
        for (int32_t q = nextThree(0); seen < threes_; q = nextThree(q + 1)) {
            ++seen;
            if (std::find(ends, ends + endCount, q) != ends + endCount) continue;
            const int32_t line = otherSide(q, -1);
            int32_t end = -1;
            const int32_t decline = declineOf(q, line, end);
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

    // Follows the run that starts at capturable quad q (missing line) through
    // quads of two sides. Returns the line that declines its last quads, or
    // -1 when the run must simply be taken; end gets a capturable far end.
    int32_t declineOf(int32_t q, int32_t line, int32_t& end) const {
        int32_t length = 1, cur = g_.across(line, q), entry = line, firstExit = -1;
        for (;;) {
            ++length;
            const int32_t exit = otherSide(cur, entry);
            if (firstExit < 0) firstExit = exit;
            const int32_t next = g_.across(exit, cur);
            if (next < 0 || sides_[next] < 2) return length == 2 ? firstExit : -1;
            if (sides_[next] == 3) {
                end = next;
                return length + 1 == 4 ? firstExit : -1;
            }
            if (length >= 4) return -1;
            entry = exit;
            cur = next;
        }
    }

    // Every quad left has two sides: split into chains and loops and read
    // their value. False when there are too many parts for the memo.
    bool chainsAndLoops(int32_t& value) {
        ChainValues::Part parts[ChainValues::kMaxParts];
        int32_t count = 0;
        const uint32_t stamp = ++w_.stamp;
        uint32_t* marks = w_.marks.data();
        for (int32_t q = 0; q < g_.quadCount; ++q) {
            if (sides_[q] != 2 || marks[q] == stamp) continue;
            if (count == ChainValues::kMaxParts) return false;
            marks[q] = stamp;
            int32_t length = 1;
            bool loop = false;
            const int32_t first = otherSide(q, -1);
            int32_t entries[2] = {first, otherSide(q, first)};
            for (int32_t dir = 0; dir < 2 && !loop; ++dir) {
                int32_t cur = q, line = entries[dir];
                for (;;) {
                    const int32_t next = g_.across(line, cur);
                    if (next < 0) break;
                    if (next == q) {
                        loop = true;
                        break;
                    }
                    marks[next] = stamp;
                    ++length;
                    line = otherSide(next, line);
                    cur = next;
                }
            }
            if (length >= 64) return false;
            parts[count++] = {length, loop};
        }
        value = w_.chains.value(parts, count);
        return true;
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
        int16_t* moves = w_.moves.get() + size_t(drawnCount_) * g_.lineCount;
        const int32_t safe = listSafe(moves);
        int32_t best = -remaining_ - 1;
        if (const int32_t i = probeSafe(moves, safe, beta, best, bestMove); i >= 0) {
            bestMove = moves[i];
            return best;
        }
        int32_t total = safe;
        bool complete = bestMove >= 0 && !isSafe(bestMove);  // the sacrifices are listed
        if (complete) total = appendSacrifices(moves, safe);
        // The table's move first, wherever the lists put it.
        if (bestMove >= 0) {
            int16_t* at = std::find(moves, moves + total, int16_t(bestMove));
            if (at != moves + total) std::rotate(moves, at, at + 1);
        }
        // What this list knows of its lines, before the nodes below write theirs.
        Listed* listed = w_.listed.get() + size_t(drawnCount_) * g_.lineCount;
        for (int32_t i = 0; i < total; ++i) listed[i] = facts_[moves[i]];
        bool probed = false;
        // With other threads, a line that one of them is searching from the
        // same position is put off until the rest are done: by then its
        // value is likely in the table.
        const bool sharing = run_.threads() > 1 && g_.lineCount - drawnCount_ >= kSharedLines;
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
                tag = hashOf(canonicalWith(moves + i, 1)) | 1;
                if (mayDefer && i > 0 && searchedElsewhere(tag)) {
                    deferred[deferredCount++] = i;
                    return false;
                }
                claim(tag);
            }
            const int32_t v = handOver(moves[i], std::max(alpha, best), beta);
            if (sharing) release(tag);
            if (v <= best) return false;
            best = v;
            bestMove = moves[i];
            if (best < beta) return false;
            historyRow()[moves[i]] += historyWeight();
            return true;
        };
        for (int32_t i = 0; !stopped_; ++i) {
            if (i == total) {
                if (complete) break;
                complete = true;
                total = appendSacrifices(moves, safe);
                for (int32_t j = i; j < total; ++j) listed[j] = facts_[moves[j]];
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

    // Lists the safe lines at the front of moves, in the order of insertSafe;
    // returns how many.
    int32_t listSafe(int16_t* moves) {
        int32_t safe = 0;
        if constexpr (W == 1) {
            uint64_t standIns = 0;
            for (int32_t i = 0; i < pairCount_; ++i)
                standIns |= (~drawn_.w[0] >> pairs_[i][0] & 1) << pairs_[i][1];
            safeOpen_ = lineMask_.w[0] & ~drawn_.w[0] & ~twoQuadLines() & ~standIns;
            for (uint64_t lines = safeOpen_; lines != 0; lines &= lines - 1)
                insertSafe(moves, safe, int16_t(std::countr_zero(lines)));
        } else {
            for (int32_t l = 0; l < g_.lineCount; ++l)
                if (!drawn_.has(l) && isSafe(l) && !standsIn(l))
                    insertSafe(moves, safe, int16_t(l));
        }
        return safe;
    }

    // The other line of a corner pair whose kept line is undrawn: the kept
    // one is tried for both. No sacrifice is such a line: a corner quad
    // with both lines on the edge undrawn is a chain of one, opened by the
    // lower of its open sides.
    bool standsIn(int32_t l) const {
        for (int32_t i = 0; i < pairCount_; ++i)
            if (pairs_[i][1] == l) return !drawn_.has(pairs_[i][0]);
        return false;
    }

    // Lists the sacrifices after the count lines of moves, smallest first;
    // returns the new count. They are gathered from the back of the list,
    // which the lines before them leave free.
    int32_t appendSacrifices(int16_t* moves, int32_t count) {
        const uint32_t stamp = ++w_.stamp;
        int32_t risky = g_.lineCount;
        if constexpr (W == 1) {
            for (uint64_t lines = lineMask_.w[0] & ~drawn_.w[0] & twoQuadLines(); lines != 0;
                 lines &= lines - 1)
                risky = listSacrificesOf(std::countr_zero(lines), moves, risky, stamp);
        } else {
            for (int32_t l = 0; l < g_.lineCount; ++l)
                if (!drawn_.has(l) && !isSafe(l)) risky = listSacrificesOf(l, moves, risky, stamp);
        }
        std::reverse(moves + risky, moves + g_.lineCount);
        std::copy(moves + risky, moves + g_.lineCount, moves + count);
        return count + (g_.lineCount - risky);
    }

    // One word: the lines of the quads with two sides, which open them.
    uint64_t twoQuadLines() const {
        uint64_t lines = 0;
        for (uint64_t quads = twoQuads_; quads != 0; quads &= quads - 1)
            lines |= quadMasks_[std::countr_zero(quads)];
        return lines;
    }

    // The lines being searched by some thread, by a tag of the position they
    // lead to: a slot per tag's low bits, 0 when free. A lost or shared slot
    // only makes a thread search a line sooner or later than it might.
    std::atomic<uint64_t>& slotOf(uint64_t tag) const {
        return t_.searching[size_t(tag >> 40) & (t_.searching.size() - 1)];
    }
    bool searchedElsewhere(uint64_t tag) const {
        return slotOf(tag).load(std::memory_order_relaxed) == tag;
    }
    void claim(uint64_t tag) { slotOf(tag).store(tag, std::memory_order_relaxed); }
    void release(uint64_t tag) {
        uint64_t mine = tag;
        slotOf(tag).compare_exchange_strong(mine, 0, std::memory_order_relaxed);
    }

    void toggleTwo(int32_t q) {
        if constexpr (W == 1) twoQuads_ ^= uint64_t{1} << q;
    }
    void toggleThree(int32_t q) {
        if constexpr (W == 1) threeQuads_ ^= uint64_t{1} << q;
    }

    // The first quad from q (at most quadCount) on with three sides, or
    // quadCount (64 on one word) when there is none.
    int32_t nextThree(int32_t q) const {
        if constexpr (W == 1) return std::countr_zero(threeQuads_ & (~uint64_t{0} << q));
        while (q < g_.quadCount && sides_[q] != 3) ++q;
        return q;
    }

    // A line that gives no quad its third side.
    bool isSafe(int32_t l) const {
        const std::array<int16_t, 2>& q = g_.lineQuads[l];
        return sides_[q[0]] != 2 && (q[1] < 0 || sides_[q[1]] != 2);
    }

    // The sacrifices of the chain or loop that unsafe line l opens, unless
    // they are listed already.
    int32_t listSacrificesOf(int32_t l, int16_t* moves, int32_t top, uint32_t stamp) {
        const std::array<int16_t, 2>& q = g_.lineQuads[l];
        const int32_t quad = sides_[q[0]] == 2 ? q[0] : q[1];
        if (w_.marks[quad] == stamp) return top;  // its chain was listed
        return listSacrifices(quad, moves, top, stamp);
    }

    // Safe lines that leave the fewest safe lines behind come first (the
    // measured best order), then those with more cut-offs.
    void insertSafe(int16_t* moves, int32_t& count, int16_t line) {
        int32_t spoilt = 0;
        for (const int16_t q : g_.lineQuads[line]) {
            if (q < 0 || sides_[q] != 1) continue;
            if constexpr (W == 1) {
                // No quad has three sides here: the other lines of q that
                // are safe are those it would spoil.
                // At most three bits: counted without a population count,
                // which the build does not assume the processor has.
                for (uint64_t l = quadMasks_[q] & safeOpen_ & ~(uint64_t{1} << line); l != 0;
                     l &= l - 1)
                    ++spoilt;
                continue;
            }
            for (const int16_t l : g_.quadLines[q]) {
                if (l == line || drawn_.has(l)) continue;
                const int32_t other = g_.across(l, q);
                if (other < 0 || sides_[other] < 2) ++spoilt;
            }
        }
        weights_[line] = int16_t(spoilt);
        facts_[line] = {kNoCap, 0, {}};
        const uint32_t* history = historyRow();
        int32_t at = count++;
        for (; at > 0; --at) {
            const int16_t before = moves[at - 1];
            if (weights_[before] > spoilt ||
                (weights_[before] == spoilt && history[before] >= history[line]))
                break;
            moves[at] = before;
        }
        moves[at] = line;
    }

    // Lists the lines worth trying of the chain or loop through two-sided
    // quad, below position top of moves (filled downwards, kept in order of
    // the parts' lengths, largest lowest). Marks its quads; returns the new top.
    int32_t listSacrifices(int32_t quad, int16_t* moves, int32_t top, uint32_t stamp) {
        uint32_t* marks = w_.marks.data();
        // Walk to one end: the line that leaves the two-sided quads.
        int32_t cur = quad, line = otherSide(quad, -1);
        for (;;) {
            const int32_t next = g_.across(line, cur);
            if (next < 0 || sides_[next] != 2) break;
            if (next == quad) {  // a loop: opened anywhere, it is the same loop
                int32_t at = quad, l = line, length = 0;
                do {
                    marks[at] = stamp;
                    ++length;
                    at = g_.across(l, at);
                    l = otherSide(at, l);
                } while (at != quad);
                const int16_t one = int16_t(line);
                return pushSacrifices(moves, top, &one, 1, 2 * g_.quadCount + 1,
                                      {int16_t(4 - length), 0, {}});
            }
            line = otherSide(next, line);
            cur = next;
        }
        // From that end back along the chain to the other end.
        int16_t lines[3];
        int32_t length = 0, last = line;
        const int32_t first = cur;
        lines[0] = int16_t(line);
        for (;;) {
            marks[cur] = stamp;
            ++length;
            const int32_t exit = otherSide(cur, last);
            const int32_t next = g_.across(exit, cur);
            last = exit;
            if (length == 1) lines[1] = int16_t(exit);
            if (next < 0 || sides_[next] != 2) break;
            cur = next;
        }
        lines[2] = int16_t(last);
        if (length <= 2) {
            // Taken, the quads leave these lines drawn: kept for the probe.
            const int16_t opened = lines[length == 1 ? 0 : 1];
            return pushSacrifices(moves, top, &opened, 1, 2 * length,
                                  {kNoCap, int16_t(length), {lines[0], lines[1], lines[2]}});
        }
        // Ends that meet the same quad, or both the edge, make the chain the
        // same seen from either: one end will do.
        const bool mirrored = g_.across(lines[0], first) == g_.across(last, cur);
        lines[1] = lines[2];
        return pushSacrifices(moves, top, lines, mirrored ? 1 : 2, 2 * length,
                              {int16_t(2 - length), 0, {}});
    }

    // Inserts lines below top, keeping those of smaller weight higher up,
    // and of those of the same weight the ones with more cut-offs.
    int32_t pushSacrifices(int16_t* moves, int32_t top, const int16_t* lines, int32_t n,
                           int32_t weight, const Listed& facts) {
        const uint32_t* history = historyRow();
        for (int32_t i = 0; i < n; ++i) {
            int32_t at = --top;
            for (; at + 1 < g_.lineCount; ++at) {
                const int16_t next = moves[at + 1];
                if (weights_[next] < weight ||
                    (weights_[next] == weight && history[next] >= history[lines[i]]))
                    break;
                moves[at] = next;
            }
            moves[at] = lines[i];
            weights_[lines[i]] = int16_t(weight);
            facts_[lines[i]] = facts;
        }
        return top;
    }

    // The least image of the drawn lines; sym gets the symmetry that gives it.
    LineSet<W> canonical(int32_t& sym) const {
        sym = 0;
        LineSet<W> best = drawn_;
        if constexpr (kSymmetric) {
            for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                if (images_[s] < best) {
                    best = images_[s];
                    sym = s;
                }
        }
        return best;
    }

    // The least image of the drawn lines with n >= 1 more.
    LineSet<W> canonicalWith(const int16_t* lines, int32_t n) const {
        if constexpr (!kSymmetric) {
            LineSet<W> key = drawn_;
            for (int32_t j = 0; j < n; ++j) key.flip(lines[j]);
            return key;
        } else {
            // All eight images flipped side by side, then the least.
            LineSet<W> image[SolverGeometry::kSymmetries];
            for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s) {
                image[s] = images_[s];
                image[s].flip(imageBits_[lines[0]][s]);
            }
            for (int32_t j = 1; j < n; ++j)
                for (int32_t s = 0; s < SolverGeometry::kSymmetries; ++s)
                    image[s].flip(imageBits_[lines[j]][s]);
            LineSet<W> best = image[0];
            for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                if (image[s] < best) best = image[s];
            return best;
        }
    }

    static uint64_t hashOf(const LineSet<W>& key) {
        uint64_t h = 0x2545f4914f6cdd1dull;
        for (int i = 0; i < W; ++i) {
            h ^= key.w[i] + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
            h *= 0xbf58476d1ce4e5b9ull;
            h ^= h >> 31;
        }
        return h;
    }

    // Reads the table around search (children(a, b) -> fail-soft value) and
    // stores what it proved.
    template <typename Children>
    int32_t tabled(int32_t alpha, int32_t beta, Children&& children) {
        int32_t sym;
        const LineSet<W> key = canonical(sym);
        Slot* bucket = bucketOf(key);
        EntryData hit;
        const bool found = find(bucket, key, hit);
        int32_t lo = -remaining_, hi = remaining_;
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
        int32_t move = found && hit.move >= 0 ? images[inverse(sym) * lines + hit.move] : -1;
        const size_t frame = buckets_;
        const int32_t v = children(a, b, move);
        if (stopped_) return 0;
        if (buckets_ != frame) bucket = bucketOf(key);  // the table grew meanwhile
        if (v <= a)
            hi = std::min(hi, v);
        else if (v >= b)
            lo = std::max(lo, v);
        else
            lo = hi = v;
        store(bucket, key, snapUp(lo), snapDown(hi), nodes_ - before,
              move < 0 ? -1 : images[sym * lines + move]);
        return v;
    }

    // Every thread searching stops here; the last to come doubles the part
    // of the table in use and moves its entries, while the others wait.
    void waitForGrowth() {
        std::unique_lock<std::mutex> lock(run_.growLock);
        if (run_.growWanted.load(std::memory_order_relaxed)) {  // not done meanwhile
            ++run_.waiting;
            const uint32_t done = run_.growths;
            run_.grown.wait(lock, [&] {
                return run_.growths != done || run_.waiting == run_.searching;
            });
            if (run_.growths == done) {  // the last to come, or the others have left
                grow();
                run_.waiting = 0;
                run_.growWanted.store(false, std::memory_order_relaxed);
                ++run_.growths;
                run_.grown.notify_all();
            }
        }
        buckets_ = t_.activeBuckets;
    }

    // With n buckets a key's bucket is the high part of hash * n, so with
    // more buckets it moves up or stays: walked from the top, each bucket's
    // entries go to buckets already walked or to itself. An entry that
    // finds its new bucket full gives way to the least worth keeping, or is
    // dropped. A growth cut short by the time limit leaves the entries not
    // yet moved where reads will seldom look for them: they are lost, never
    // wrong, since each holds its whole key.
    void grow() {
        const size_t from = t_.activeBuckets, to = std::min(maxBuckets_, 2 * from);
        const uint8_t now = generation();
        for (size_t b = from; b-- > 0;) {
            if ((b & 4095) == 0 &&
                ((run_.limited && Clock::now() >= run_.deadline) || stopAsked())) {
                run_.timeUp.store(true, std::memory_order_relaxed);
                stopped_ = true;
                break;
            }
            Slot moved[kBucket];
            Slot* bucket = entries_ + b * kBucket;
            std::memcpy(moved, bucket, sizeof moved);
            std::memset(static_cast<void*>(bucket), 0, sizeof moved);
            for (const Slot& e : moved) {
                LineSet<W> key;
                EntryData d;
                if (!keyOf(e, key, d)) continue;
                // store()'s choice of victim, written apart: shared, it cost
                // every store 4 % more instructions in all.
                Slot* into = entries_ + indexOf(key, to) * kBucket;
                Slot* victim = nullptr;
                int32_t victimRank = 0;
                for (int32_t i = 0; i < kBucket; ++i) {
                    LineSet<W> other;
                    EntryData o;
                    const int32_t r = keyOf(into[i], other, o) ? rank(o, now) : -1;
                    if (victim == nullptr || r < victimRank) {
                        victim = into + i;
                        victimRank = r;
                    }
                }
                if (victimRank < rank(d, now)) *victim = e;  // no other thread reads meanwhile
            }
        }
        t_.activeBuckets = to;
        t_.tableBytesTouched = std::max(t_.tableBytesTouched, to * kBucket * sizeof(Slot));
    }

    static size_t indexOf(const LineSet<W>& key, size_t buckets) {
        return size_t((unsigned __int128)hashOf(key) * buckets >> 64);
    }
    Slot* bucketOf(const LineSet<W>& key) const { return entries_ + indexOf(key, buckets_) * kBucket; }

    // The key an entry holds and its data; false for an empty entry.
    static bool keyOf(const Slot& e, LineSet<W>& key, EntryData& d) {
        if constexpr (Packed) {
            key.w[0] = e & kPackedKey;
            d = EntryData::unpackWord(e);
        } else {
            for (int i = 0; i < W; ++i) key.w[i] = e.check[i] ^ e.data;
            d = EntryData::unpack(e.data);
        }
        return d.generation != 0;
    }

    static uint64_t load(const uint64_t& word) {
        return std::atomic_ref<const uint64_t>(word).load(std::memory_order_relaxed);
    }
    static void save(uint64_t& word, uint64_t value) {
        std::atomic_ref<uint64_t>(word).store(value, std::memory_order_relaxed);
    }

    // Whether entry e holds key; if so, d gets its data. The key is
    // compared first: most entries read are another key's.
    static bool holds(const Slot& e, const LineSet<W>& key, EntryData& d) {
        if constexpr (Packed) {
            const uint64_t word = load(e);
            // Only an empty entry has generation 0, and its key bits are 0 too.
            if ((word & kPackedKey) != key.w[0] || (word >> 62) == 0) return false;
            d = EntryData::unpackWord(word);
            return true;
        } else {
            const uint64_t data = load(e.data);
            for (int i = 0; i < W; ++i)
                if ((load(e.check[i]) ^ data) != key.w[i]) return false;
            d = EntryData::unpack(data);
            return d.generation != 0;  // not an empty entry
        }
    }

    static EntryData dataOf(const Slot& e) {
        if constexpr (Packed)
            return EntryData::unpackWord(load(e));
        else
            return EntryData::unpack(load(e.data));
    }

    static bool find(const Slot* bucket, const LineSet<W>& key, EntryData& hit) {
        for (int32_t i = 0; i < kBucket; ++i)
            if (holds(bucket[i], key, hit)) return true;
        return false;
    }

    // Reads the table for the position after each safe line: returns one the
    // table already proves good enough for a cut-off, or -1, and caps the
    // others by what it proves. Worth its probes only far from the end.
    // tableMove is the line the table says to search first, or -1.
    int32_t probeSafe(int16_t* moves, int32_t safe, int32_t beta, int32_t& value,
                      int32_t tableMove) {
        if (g_.lineCount - drawnCount_ < kCutoffProbeLines || safe > kMaxLines) return -1;
        // All the keys first, with their buckets fetched, so that the misses
        // of the table overlap.
        LineSet<W> keys[kMaxLines];
        Slot* buckets[kMaxLines];
        for (int32_t i = 0; i < safe; ++i) {
            keys[i] = canonicalWith(moves + i, 1);
            buckets[i] = bucketOf(keys[i]);
            __builtin_prefetch(buckets[i]);
        }
        // With them, the buckets the line searched first will probe for its
        // own safe lines, if no cut-off comes: one wait on memory, not two.
        if constexpr (W == 1) {
            if (safe > 0 && g_.lineCount - drawnCount_ > kCutoffProbeLines) {
                const int32_t first = tableMove >= 0 && isSafe(tableMove) ? tableMove : moves[0];
                uint64_t after = safeOpen_ & ~(uint64_t{1} << first);
                for (const int16_t q : g_.lineQuads[first])
                    if (q >= 0 && sides_[q] == 1) after &= ~quadMasks_[q];  // it spoils these
                for (; after != 0; after &= after - 1) {
                    const int16_t two[2] = {int16_t(first), int16_t(std::countr_zero(after))};
                    __builtin_prefetch(bucketOf(canonicalWith(two, 2)));
                }
            }
        }
        for (int32_t i = 0; i < safe; ++i) {
            EntryData hit;
            const bool found = find(buckets[i], keys[i], hit);
            const int32_t childUpper = found ? std::min(int32_t(hit.upper), remaining_) : remaining_;
            if (-childUpper >= beta) {
                value = -childUpper;
                return i;
            }
            // And what the table proves it cannot give, to be skipped.
            if (found) facts_[moves[i]].cap = int16_t(-std::max(int32_t(hit.lower), -remaining_));
        }
        return -1;
    }

    // Caps each single quad or two-chain handed over by what the table
    // proves of the position after the taker took it, with the taker to move.
    void probeSacrifices(Listed* listed, int32_t count) {
        if (g_.lineCount - drawnCount_ < kCutoffProbeLines) return;
        LineSet<W> keys[kMaxLines];
        Slot* buckets[kMaxLines];
        for (int32_t i = 0; i < count; ++i) {
            const int32_t k = listed[i].taken;
            if (k == 0) continue;
            keys[i] = canonicalWith(listed[i].lines, k + 1);
            buckets[i] = bucketOf(keys[i]);
            __builtin_prefetch(buckets[i]);
        }
        for (int32_t i = 0; i < count; ++i) {
            const int32_t k = listed[i].taken;
            if (k == 0) continue;
            EntryData hit;
            if (find(buckets[i], keys[i], hit))
                listed[i].cap = int16_t(-k - std::max(int32_t(hit.lower), k - remaining_));
        }
    }

    static constexpr uint64_t kPackedKey = (uint64_t{1} << kPackedLines) - 1;

    static void write(Slot& e, const LineSet<W>& key, const EntryData& d) {
        if constexpr (Packed) {
            save(e, d.packWith(key.w[0]));
        } else {
            const uint64_t data = d.pack();
            for (int i = 0; i < W; ++i) save(e.check[i], key.w[i] ^ data);
            save(e.data, data);
        }
    }

    // The running solve's generation as entries hold it: 1 to 3 in a word.
    uint8_t generation() const {
        return Packed ? uint8_t((t_.generation - 1) % 3 + 1) : t_.generation;
    }

    void store(Slot* bucket, const LineSet<W>& key, int32_t lo, int32_t hi, uint64_t work,
               int32_t move) {
        // The bit length of the subtree's node count; in a word, half of it.
        const int32_t length = std::bit_width(work);
        const uint8_t bits = uint8_t(Packed ? std::min(15, (length + 1) / 2) : length);
        const uint8_t now = generation();
        Slot* victim = nullptr;
        int32_t victimRank = 0;
        for (int32_t i = 0; i < kBucket; ++i) {
            Slot& e = bucket[i];
            EntryData d;
            if (holds(e, key, d)) {
                d.lower = int16_t(std::max(lo, int32_t(d.lower)));
                d.upper = int16_t(std::min(hi, int32_t(d.upper)));
                d.work = std::max(d.work, bits);
                d.generation = now;
                if (move >= 0) d.move = int16_t(move);
                write(e, key, d);
                return;
            }
            // Empty first, then entries of earlier solves, then the cheapest.
            const int32_t r = rank(dataOf(e), now);
            if (victim == nullptr || r < victimRank) {
                victim = &e;
                victimRank = r;
            }
        }
        if (victimRank < 0) ++entriesFilled_;
        write(*victim, key, {int16_t(lo), int16_t(hi), int16_t(move), bits, now});
    }

    // The symmetries are their own inverses but for the two quarter turns
    // (swap then one flip), which are each other's.
    static int32_t inverse(int32_t s) { return s == 5 ? 6 : s == 6 ? 5 : s; }

    static int32_t rank(const EntryData& e, uint8_t now) {
        if (e.generation == 0) return -1;
        return (e.generation == now ? 256 : 0) + e.work;
    }

    SolverTables& t_;
    SolverWorkspace& w_;
    const SolverGeometry& g_;
    SolveRun& run_;
    const Solver& owner_;
    const int32_t thread_;
    int32_t test_ = kNoTest;  // the threshold settle() is testing
    const std::atomic<uint8_t>* job_ = nullptr;  // whether the line work() is on is settled
    Slot* entries_ = nullptr;
    size_t buckets_ = 0;     // in use, as of this thread's last look
    size_t maxBuckets_ = 0;  // the most this board may use
    static constexpr size_t kFirstBytes = size_t{64} << 10;
    Clock::time_point lastReport_;
    bool stopped_ = false;

    // Boards of more words are searched without symmetry: they only have to
    // end in time.
    static constexpr bool kSymmetric = W <= 2;
    LineSet<W> drawn_{};
    alignas(64) LineSet<W> images_[kSymmetric ? SolverGeometry::kSymmetries : 1] = {};  // [0] drawn_
    LineSet<W> lineMask_{};  // every line of the board
    uint64_t quadMasks_[W == 1 ? 64 : 1] = {};  // one word: each quad's four lines
    uint64_t twoQuads_ = 0;    // one word: the quads with two sides, by number
    uint64_t threeQuads_ = 0;  // and those with three
    uint64_t safeOpen_ = 0;  // one word, while a list is made: its safe lines
    // imageBits_[l][s]: the image of line l under symmetry s, as a set; a
    // line's images side by side, as a move flips them all.
    alignas(64) LineSet<W> imageBits_[kSymmetric ? kMaxLines : 1]
                         [kSymmetric ? SolverGeometry::kSymmetries : 1] = {};
    std::array<int16_t, 2> pairs_[4] = {};  // the board's corner pairs: kept, other
    int32_t pairCount_ = 0;
    std::vector<std::array<int16_t, 2>> rootSwaps_;  // pairs whose other line the position had
    uint8_t* sides_ = nullptr;
    int32_t drawnCount_ = 0;
    int32_t remaining_ = 0;  // quads not yet taken
    int32_t twos_ = 0;       // quads with two sides drawn
    int32_t threes_ = 0;     // quads with three
    uint64_t nodes_ = 0;
    uint64_t clockNodes_ = 1024;  // a power of two
    uint64_t entriesFilled_ = 0;  // empty table entries this thread filled
    // Per count of drawn lines, per line: the cut-offs it made. They order
    // the safe lines and, after their sizes, the sacrifices. A line that
    // refutes at one depth often does not at another, so each depth keeps
    // counts of its own; boards of more than two words keep one row for all,
    // as a row per depth would be megabytes, and weight a cut-off by its
    // depth there. In a row of one depth that weight would be a constant
    // factor, which only brings the 32-bit counts sooner to wrapping.
    static constexpr int32_t kHistoryRows = W <= 2 ? kMaxLines + 1 : 1;
    uint32_t history_[kHistoryRows][kMaxLines] = {};
    uint32_t* historyRow() { return history_[kHistoryRows > 1 ? drawnCount_ : 0]; }
    uint32_t historyWeight() const {
        const uint32_t left = uint32_t(g_.lineCount - drawnCount_);
        return kHistoryRows > 1 ? 1 : left * left;
    }
    // Per line, its sort key while it waits in a list of safe lines or of
    // sacrifices.
    int16_t weights_[kMaxLines] = {};
    // Per line, while the list it is in is made. Its cap: opening a chain of
    // k >= 3, the taker may take all and move on, or decline the last two
    // and leave the opener to move on the same lines: the opener gets at
    // most the lesser, 2 - k (4 - k for a loop, declining four).
    static constexpr int16_t kNoCap = INT16_MAX;
    Listed facts_[kMaxLines] = {};
};
