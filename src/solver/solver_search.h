// The search behind Solver::solve, for line sets of W 64-bit words.
//
// A position is the set of drawn lines with, kept in step by draw and undraw,
// the drawn sides of every quad and the counts of quads with two and three
// sides and of quads not yet taken. node() is fail-soft negamax on the value
// of the rest of the game for the side to move. It allocates nothing and
// copies no position; the clock is read every kClockNodes nodes.
#pragma once

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "solver/solver.h"
#include "solver/solver_tables.h"

template <int W>
struct LineSet {
    uint64_t w[W] = {};
    bool has(int32_t l) const { return (w[l >> 6] >> (l & 63)) & 1; }
    void flip(int32_t l) { w[l >> 6] ^= uint64_t{1} << (l & 63); }
    bool operator<(const LineSet& o) const {
        for (int i = W - 1; i >= 0; --i)
            if (w[i] != o.w[i]) return w[i] < o.w[i];
        return false;
    }
    bool operator==(const LineSet& o) const { return std::memcmp(w, o.w, sizeof w) == 0; }
};

// One table entry: the full canonical key and proved bounds of its value.
template <int W>
struct TableEntry {
    uint64_t key[W];
    int16_t lower, upper;
    int16_t move;        // best line found, in the key's frame; -1 none
    uint8_t work;        // bit length of the subtree's node count, for replacement
    uint8_t generation;  // 0 empty
};

template <int W>
class SolverSearch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr uint64_t kClockNodes = 1024;
    static constexpr int32_t kBucket = 4;
    static constexpr int32_t kMaxLines = 64 * W;
    static constexpr int32_t kCutoffProbeLines = 12;
    static constexpr int32_t kTableLines = 7;  // entries per bucket, one cache line at W = 1

    SolverSearch(SolverTables& tables, const uint8_t* drawnLines, int64_t timeLimitMs,
                 const Solver& owner)
        : t_(tables), g_(tables.geometry), owner_(owner), start_(Clock::now()) {
        entries_ = static_cast<TableEntry<W>*>(t_.table);
        buckets_ = t_.tableBytes / sizeof(TableEntry<W>) / kBucket;
        limited_ = timeLimitMs >= 0;
        if (limited_) deadline_ = start_ + std::chrono::milliseconds(timeLimitMs);
        lastReport_ = start_;
        sides_ = t_.sides.data();
        std::fill(t_.sides.begin(), t_.sides.end(), uint8_t{0});
        remaining_ = g_.quadCount;
        for (int32_t l = 0; l < g_.lineCount; ++l)
            if (drawnLines[l]) draw(l);
        // A small board cannot fill a large table, and spread over all of it
        // its entries would touch a page each: it uses a front part of the
        // table in step with its line sets, the same for every solve on it.
        const size_t wanted = size_t{1} << std::clamp(g_.lineCount - 3, 10, 40);
        buckets_ = std::min(buckets_, std::max<size_t>(wanted / kBucket, 1));
        t_.tableBytesTouched =
            std::max(t_.tableBytesTouched, buckets_ * kBucket * sizeof(TableEntry<W>));
        if (limited_ && timeLimitMs == 0) stopped_ = true;
        lower_ = -remaining_;
        upper_ = remaining_;
    }

    SolveResult run(bool allBest) {
        // MTD(f) on the value: null-window tests of "value >= t" for t of the
        // value's parity (it is remaining mod 2), each narrowing the bounds.
        int32_t guess = std::clamp(remaining_ & 1, lower_, upper_);
        while (lower_ < upper_ && !stopped_) {
            const int32_t t = guess == lower_ ? guess + 2 : guess;
            guess = narrow(t) ? lower_ : upper_;
        }
        SolveResult result;
        result.value = lower_;
        result.solved = lower_ == upper_ && !stopped_;
        if (result.solved && allBest) findBest(result);
        return finished(result);
    }

    // One null-window test: does the value reach threshold?
    SolveResult test(int32_t threshold) {
        if (threshold > lower_ && threshold <= upper_) narrow(threshold);
        SolveResult result;
        result.value = lower_;
        result.solved = !stopped_;
        return finished(result);
    }

private:
    // Tests "value >= t" and narrows the bounds by what the test proved;
    // false when it does not hold or the clock stopped it.
    bool narrow(int32_t t) {
        const int32_t r = node(t - 1, t);
        if (stopped_) return false;
        if (r >= t) {
            lower_ = std::max(lower_, snapUp(r));
            return true;
        }
        upper_ = std::min(upper_, snapDown(r));
        return false;
    }

    SolveResult finished(SolveResult result) const {
        result.lower = lower_;
        result.upper = upper_;
        result.nodes = nodes_;
        result.ms = elapsedMs();
        return result;
    }

    // Every line that achieves value: one null-window test per line.
    void findBest(SolveResult& result) {
        const int32_t value = result.value;
        for (int32_t l = 0; l < g_.lineCount && !stopped_; ++l) {
            if (drawn_.has(l)) continue;
            const int32_t gain = draw(l);
            bool achieves;
            if (gain > 0)
                achieves = node(value - gain - 1, value - gain) >= value - gain;
            else
                achieves = node(-value, -value + 1) <= -value;
            undraw(l);
            if (!stopped_ && achieves) result.best.push_back(l);
        }
        if (stopped_) {
            result.solved = false;
            result.best.clear();
        }
    }

    int32_t snapUp(int32_t v) const { return ((v - remaining_) & 1) ? v + 1 : v; }
    int32_t snapDown(int32_t v) const { return ((v - remaining_) & 1) ? v - 1 : v; }

    int64_t elapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
    }

    void checkClock() {
        const Clock::time_point now = Clock::now();
        if (limited_ && now >= deadline_) stopped_ = true;
        if (owner_.progress && now - lastReport_ >= std::chrono::seconds(1)) {
            lastReport_ = now;
            SolveProgress figures;
            figures.nodes = nodes_;
            figures.ms = elapsedMs();
            figures.lower = lower_;
            figures.upper = upper_;
            const size_t capacity = buckets_ * kBucket;
            figures.tablePermille = capacity ? int32_t(t_.tableEntriesUsed * 1000 / capacity) : 0;
            owner_.progress(figures, owner_.progressContext);
        }
    }

    // The drawn set and, where symmetry is used, its images move together.
    void flipLine(int32_t l) {
        drawn_.flip(l);
        if constexpr (kSymmetric) {
            const int16_t* images = g_.images.data() + l;
            for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s)
                images_[s].flip(images[s * g_.lineCount]);
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
                    break;
                case 3:
                    --twos_;
                    ++threes_;
                    break;
                case 4:
                    --threes_;
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
                    break;
                case 3:
                    ++twos_;
                    --threes_;
                    break;
                case 4:
                    ++threes_;
                    ++remaining_;
                    break;
                default:
                    break;
            }
        }
    }

    // The one undrawn side of quad q other than line except (-1: any).
    int32_t otherSide(int32_t q, int32_t except) const {
        for (const int16_t l : g_.quadLines[q])
            if (l != except && !drawn_.has(l)) return l;
        return -1;
    }

    int32_t node(int32_t alpha, int32_t beta) {
        if (remaining_ == 0) return 0;
        if (++nodes_ % kClockNodes == 0) checkClock();
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
        for (int32_t q = 0; q < g_.quadCount && seen < threes_; ++q) {
            if (sides_[q] != 3) continue;
            ++seen;
            const int32_t line = otherSide(q, -1);
            const int32_t next = g_.across(line, q);
            if (next < 0 || sides_[next] != 2) return take(line, alpha, beta);
        }
        seen = 0;
        for (int32_t q = 0; q < g_.quadCount && seen < threes_; ++q) {
            if (sides_[q] != 3) continue;
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
        const uint32_t stamp = ++t_.stamp;
        uint32_t* marks = t_.marks.data();
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
        value = t_.chains.value(parts, count);
        return true;
    }

    // No quad has three sides. Lines that hand over nothing come first; then
    // the sacrifices, smallest first. Of a
    // chain of three or more only its two end lines are tried: opening it
    // inside leaves the taker the choices of both ends together. Of a chain
    // of two only the middle line is tried: opened at an end it leaves the
    // taker the same choice and one more (declining both quads). Of a single
    // quad only one line: the taker draws the other, and either way the same
    // two lines are drawn.
    int32_t allMoves(int32_t alpha, int32_t beta, int32_t& bestMove) {
        int16_t* moves = t_.moves.data() + size_t(drawnCount_) * g_.lineCount;
        int32_t safe = 0, risky = g_.lineCount;  // safe ones from the front, others from the back
        const uint32_t stamp = ++t_.stamp;
        uint32_t* marks = t_.marks.data();
        for (int32_t l = 0; l < g_.lineCount; ++l) {
            if (drawn_.has(l)) continue;
            const std::array<int16_t, 2>& q = g_.lineQuads[l];
            const bool a2 = sides_[q[0]] == 2, b2 = q[1] >= 0 && sides_[q[1]] == 2;
            if (!a2 && !b2) {
                insertSafe(moves, safe, int16_t(l));
                continue;
            }
            const int32_t quad = a2 ? q[0] : q[1];
            if (marks[quad] == stamp) continue;  // its chain was listed
            risky = listSacrifices(quad, moves, risky, stamp);
        }
        // Sacrifices were filled from the back, smallest last: bring them,
        // smallest first, after the safe lines.
        std::reverse(moves + risky, moves + g_.lineCount);
        std::copy(moves + risky, moves + g_.lineCount, moves + safe);
        const int32_t total = safe + (g_.lineCount - risky);
        int32_t best = -remaining_ - 1;
        if (const int32_t i = probeSafe(moves, safe, beta, best); i >= 0) {
            bestMove = moves[i];
            return best;
        }
        // The table's move first, wherever the lists put it.
        if (bestMove >= 0) {
            int16_t* at = std::find(moves, moves + total, int16_t(bestMove));
            if (at != moves + total) std::rotate(moves, at, at + 1);
        }
        // What this list knows of its lines, before the nodes below write theirs.
        Listed* listed = t_.listed.data() + size_t(drawnCount_) * g_.lineCount;
        for (int32_t i = 0; i < total; ++i) listed[i] = facts_[moves[i]];
        bool probed = false;
        for (int32_t i = 0; i < total && !stopped_; ++i) {
            if (listed[i].taken > 0 && !probed) {
                // Every safe line has failed: the sacrifices' turn.
                probeSacrifices(listed + i, total - i);
                probed = true;
            }
            if (listed[i].cap <= std::max(alpha, best)) {
                best = std::max(best, int32_t(listed[i].cap));
                continue;
            }
            const int32_t v = handOver(moves[i], std::max(alpha, best), beta);
            if (v > best) {
                best = v;
                bestMove = moves[i];
                if (best >= beta) {
                    if (i < safe)
                        history_[moves[i]] +=
                            uint32_t(g_.lineCount - drawnCount_) * (g_.lineCount - drawnCount_);
                    break;
                }
            }
        }
        return best;
    }

    // Safe lines that leave the fewest safe lines behind come first (the
    // measured best order), then those with more cut-offs.
    void insertSafe(int16_t* moves, int32_t& count, int16_t line) {
        int32_t spoilt = 0;
        for (const int16_t q : g_.lineQuads[line]) {
            if (q < 0 || sides_[q] != 1) continue;
            for (const int16_t l : g_.quadLines[q]) {
                if (l == line || drawn_.has(l)) continue;
                const int32_t other = g_.across(l, q);
                if (other < 0 || sides_[other] < 2) ++spoilt;
            }
        }
        weights_[line] = int16_t(spoilt);
        facts_[line] = {kNoCap, 0, {}};
        int32_t at = count++;
        for (; at > 0; --at) {
            const int16_t before = moves[at - 1];
            if (weights_[before] > spoilt ||
                (weights_[before] == spoilt && history_[before] >= history_[line]))
                break;
            moves[at] = before;
        }
        moves[at] = line;
    }

    // Lists the lines worth trying of the chain or loop through two-sided
    // quad, below position top of moves (filled downwards, kept in order of
    // the parts' lengths, largest lowest). Marks its quads; returns the new top.
    int32_t listSacrifices(int32_t quad, int16_t* moves, int32_t top, uint32_t stamp) {
        uint32_t* marks = t_.marks.data();
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

    // Inserts lines below top, keeping those of smaller weight higher up.
    int32_t pushSacrifices(int16_t* moves, int32_t top, const int16_t* lines, int32_t n,
                           int32_t weight, const Listed& facts) {
        for (int32_t i = 0; i < n; ++i) {
            int32_t at = --top;
            while (at + 1 < g_.lineCount && weights_[moves[at + 1]] > weight) {
                moves[at] = moves[at + 1];
                ++at;
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

    // The least image of the drawn lines with n more.
    LineSet<W> canonicalWith(const int16_t* lines, int32_t n) const {
        LineSet<W> best = drawn_;
        for (int32_t j = 0; j < n; ++j) best.flip(lines[j]);
        if constexpr (kSymmetric) {
            for (int32_t s = 1; s < SolverGeometry::kSymmetries; ++s) {
                LineSet<W> image = images_[s];
                const int16_t* images = g_.images.data() + s * g_.lineCount;
                for (int32_t j = 0; j < n; ++j) image.flip(images[lines[j]]);
                if (image < best) best = image;
            }
        }
        return best;
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
        TableEntry<W>* bucket;
        const TableEntry<W>* hit = probe(key, bucket);
        int32_t lo = -remaining_, hi = remaining_;
        if (hit) {
            lo = std::max(lo, int32_t(hit->lower));
            hi = std::min(hi, int32_t(hit->upper));
            if (lo >= beta || lo == hi) return lo;
            if (hi <= alpha) return hi;
        }
        const int32_t a = std::max(alpha, lo), b = std::min(beta, hi);
        const uint64_t before = nodes_;
        const int16_t* images = g_.images.data();
        const int32_t lines = g_.lineCount;
        // Moves are kept in the key's frame: back through the inverse symmetry.
        int32_t move = hit && hit->move >= 0 ? images[inverse(sym) * lines + hit->move] : -1;
        const int32_t v = children(a, b, move);
        if (stopped_) return 0;
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

    TableEntry<W>* bucketOf(const LineSet<W>& key) const {
        return entries_ + size_t((unsigned __int128)hashOf(key) * buckets_ >> 64) * kBucket;
    }

    static TableEntry<W>* find(TableEntry<W>* bucket, const LineSet<W>& key) {
        for (int32_t i = 0; i < kBucket; ++i) {
            TableEntry<W>& e = bucket[i];
            if (e.generation != 0 && std::memcmp(e.key, key.w, sizeof key.w) == 0) return &e;
        }
        return nullptr;
    }

    TableEntry<W>* probe(const LineSet<W>& key, TableEntry<W>*& bucket) const {
        bucket = bucketOf(key);
        return find(bucket, key);
    }

    // Reads the table for the position after each safe line: returns one the
    // table already proves good enough for a cut-off, or -1, and caps the
    // others by what it proves. Worth its probes only far from the end.
    int32_t probeSafe(int16_t* moves, int32_t safe, int32_t beta, int32_t& value) {
        if (g_.lineCount - drawnCount_ < kCutoffProbeLines || safe > kMaxLines) return -1;
        // All the keys first, with their buckets fetched, so that the misses
        // of the table overlap.
        LineSet<W> keys[kMaxLines];
        TableEntry<W>* buckets[kMaxLines];
        for (int32_t i = 0; i < safe; ++i) {
            keys[i] = canonicalWith(moves + i, 1);
            buckets[i] = bucketOf(keys[i]);
            __builtin_prefetch(buckets[i]);
        }
        for (int32_t i = 0; i < safe; ++i) {
            const TableEntry<W>* hit = find(buckets[i], keys[i]);
            const int32_t childUpper = hit ? std::min(int32_t(hit->upper), remaining_) : remaining_;
            if (-childUpper >= beta) {
                value = -childUpper;
                return i;
            }
            // And what the table proves it cannot give, to be skipped.
            if (hit) facts_[moves[i]].cap = int16_t(-std::max(int32_t(hit->lower), -remaining_));
        }
        return -1;
    }

    // Caps each single quad or two-chain handed over by what the table
    // proves of the position after the taker took it, with the taker to move.
    void probeSacrifices(Listed* listed, int32_t count) {
        if (g_.lineCount - drawnCount_ < kCutoffProbeLines) return;
        LineSet<W> keys[kMaxLines];
        TableEntry<W>* buckets[kMaxLines];
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
            if (const TableEntry<W>* hit = find(buckets[i], keys[i]))
                listed[i].cap = int16_t(-k - std::max(int32_t(hit->lower), k - remaining_));
        }
    }

    void store(TableEntry<W>* bucket, const LineSet<W>& key, int32_t lo, int32_t hi, uint64_t work,
               int32_t move) {
        const uint8_t bits = uint8_t(std::bit_width(work));
        TableEntry<W>* victim = nullptr;
        for (int32_t i = 0; i < kBucket; ++i) {
            TableEntry<W>& e = bucket[i];
            if (e.generation != 0 && std::memcmp(e.key, key.w, sizeof key.w) == 0) {
                e.lower = int16_t(std::max(lo, int32_t(e.lower)));
                e.upper = int16_t(std::min(hi, int32_t(e.upper)));
                e.work = std::max(e.work, bits);
                e.generation = t_.generation;
                if (move >= 0) e.move = int16_t(move);
                return;
            }
            // Empty first, then entries of earlier solves, then the cheapest.
            if (victim == nullptr || rank(e) < rank(*victim)) victim = &e;
        }
        if (victim->generation == 0) ++t_.tableEntriesUsed;
        std::memcpy(victim->key, key.w, sizeof key.w);
        victim->lower = int16_t(lo);
        victim->upper = int16_t(hi);
        victim->work = bits;
        victim->move = int16_t(move);
        victim->generation = t_.generation;
    }

    // The symmetries are their own inverses but for the two quarter turns
    // (swap then one flip), which are each other's.
    static int32_t inverse(int32_t s) { return s == 5 ? 6 : s == 6 ? 5 : s; }

    int32_t rank(const TableEntry<W>& e) const {
        if (e.generation == 0) return -1;
        return (e.generation == t_.generation ? 256 : 0) + e.work;
    }

    SolverTables& t_;
    const SolverGeometry& g_;
    const Solver& owner_;
    TableEntry<W>* entries_ = nullptr;
    size_t buckets_ = 0;
    Clock::time_point start_, deadline_, lastReport_;
    bool limited_ = false;
    bool stopped_ = false;

    // Boards of more words are searched without symmetry: they only have to
    // end in time.
    static constexpr bool kSymmetric = W <= 2;
    LineSet<W> drawn_;
    LineSet<W> images_[kSymmetric ? SolverGeometry::kSymmetries : 1];  // [0] unused
    uint8_t* sides_ = nullptr;
    int32_t drawnCount_ = 0;
    int32_t remaining_ = 0;  // quads not yet taken
    int32_t twos_ = 0;       // quads with two sides drawn
    int32_t threes_ = 0;     // quads with three
    uint64_t nodes_ = 0;
    int32_t lower_ = 0, upper_ = 0;  // of the root, for progress
    // Per line: cut-offs it made as a safe line, weighted by depth; and its
    // sort key while it waits in a list of safe lines or of sacrifices.
    uint32_t history_[kMaxLines] = {};
    int16_t weights_[kMaxLines] = {};
    // Per line, while the list it is in is made. Its cap: opening a chain of
    // k >= 3, the taker may take all and move on, or decline the last two
    // and leave the opener to move on the same lines: the opener gets at
    // most the lesser, 2 - k (4 - k for a loop, declining four).
    static constexpr int16_t kNoCap = INT16_MAX;
    Listed facts_[kMaxLines] = {};
};
