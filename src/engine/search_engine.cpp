// The computer player's search: iterative deepening over a negamax
// alpha-beta search with fail-hard bounds, and the timer threads that end it.
#include "engine/search_engine.h"

#include <cassert>
#include <new>

#include "engine/line_shapes.h"
#include "engine/move_ordering.h"
#include "platform/platform.h"

namespace {

// The root window; both bounds lie far outside any evaluation (|v| <= 63,125).
constexpr int32_t kRootAlpha = -1879048193;
constexpr int32_t kRootBeta = 2147483647;

// What a timer thread needs; it holds one owner reference on clock.
struct TimerStart {
    SearchClock* clock;
    uint32_t generation;
    int32_t limitMs;
};

// A root entered with an empty budget is a leaf, and its iteration yields no
// move, unless the budget was emptied before the first iteration got to its
// root by a stop request, or by a timer that woke early (a short limit on a
// loaded machine): asked to play at once, the computer still tries each root
// move, one leaf each, rather than answer with line 0, which may be drawn.
// A time limit of 0 asks for no search at all.
bool rootTakesEmptyBudget(const SearchEngine& engine) {
    return engine.stackTop == 0 && engine.currentDepth.load(std::memory_order_relaxed) == 1 &&
           (engine.timeLimited || engine.timeBudget.stopRequested(std::memory_order_relaxed));
}

void releaseClock(SearchClock* clock) {
    // acq_rel: the owner that frees the clock sees every other owner's last use.
    if (clock->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete clock;
}

void runTimer(void* argument) {
    const TimerStart start = *static_cast<TimerStart*>(argument);
    delete static_cast<TimerStart*>(argument);
    SearchEngine::searchTimer(start.clock, start.generation, start.limitMs);
}

// Frees the clock when the MoveStack cannot be allocated, so that a failed
// construction leaks nothing.
MoveIndex* allocateMoveStack(SearchClock* clock) {
    try {
        return new MoveIndex[SearchEngine::kMoveStackEntries];
    } catch (...) {
        delete clock;
        throw;
    }
}

}  // namespace

SearchEngine::SearchEngine()
    : clock(new SearchClock),
      moveStack(allocateMoveStack(clock)),
      pendingTimers(clock->pendingTimers),
      timeBudget(clock->timeBudget) {}

SearchEngine::~SearchEngine() {
    delete[] moveStack;
    // Sleeping timers keep the clock alive; the engine never waits for them.
    releaseClock(clock);
}

void SearchEngine::searchTimer(SearchClock* clock, uint32_t generation, int32_t limitMs) {
    platform::sleepMilliseconds(static_cast<uint32_t>(limitMs));
    clock->pendingTimers.fetch_sub(1);
    // A timer of an earlier search neither cuts a later one short nor keeps
    // it going: each search ends at its own limit.
    clock->timeBudget.expire(generation);
    releaseClock(clock);
}

int32_t SearchEngine::evaluate() const {
    const int32_t p = computerPlayer;
    const int32_t q = p == 0 ? 1 : 0;
    // chains(), read in place: this runs at every leaf.
    const int32_t chains = board->chainMetric < 0 ? 0 : board->chainMetric;
    const int32_t v = 100 * (board->scores[p] - board->scores[q]) + chains;
    return board->sideToMove == p ? v : -v;
}

// evaluate() of a position not on the board: side to move, chain metric and
// 100 x the engine's lead in quads.
int32_t SearchEngine::valueOf(int32_t mover, int32_t metric, int32_t lead) const {
    const int32_t v = lead + (metric < 0 ? 0 : metric);
    return mover == computerPlayer ? v : -v;
}

// The lead after mover completes this many quads.
template <typename Position>
int32_t SearchEngine::leadAfter(const Position& position, int32_t mover, int32_t completed) const {
    const int32_t p = computerPlayer;
    const int32_t q = p == 0 ? 1 : 0;
    const int32_t lead = 100 * (position.score(p) - position.score(q));
    return mover == p ? lead + 100 * completed : lead - 100 * completed;
}

// What each quiet move (one that completes no quad) is worth to mover, in a
// position with this chain metric and lead: the value of the leaf it leads
// to, evaluate() there negated, without playing it. A quiet move keeps the
// scores, passes the turn and moves the chain metric by its shape's delta.
SearchEngine::QuietValues SearchEngine::quietValues(int32_t mover, int32_t metric,
                                                    int32_t lead) const {
    const int32_t other = mover == 0 ? 1 : 0;
    QuietValues values;
    for (int32_t shape = 0; shape < kFirstCaptureShape; ++shape)
        values.value[shape] = -valueOf(other, metric + kChainDeltaOfShape[shape], lead);
    return values;
}

namespace {

// Where the quiet moves of a leaf parent settle it, from their counts alone.
struct QuietVerdict {
    bool settled;
    // Settled: the moves played before the node ends (its nodes and its
    // leaves) and the value it returns. Not settled: the moves of the classes
    // before the one that decides, none of which cuts off, and alpha after
    // them.
    int32_t moves;
    int32_t value;
};

// The ordering puts every line of a lower class first, so the move that cuts
// off is the first one, in class order, whose value reaches beta. Within a
// class of two shapes only the sort's permutation tells which comes first;
// when just one of them reaches beta the counts do not settle it.
QuietVerdict settleQuiet(const ShapeCounts& shapes, const int32_t value[kFirstCaptureShape],
                         int32_t alpha, int32_t beta) {
    // The quiet shapes of each class, in class order (2, 3, 4, 5).
    static constexpr int8_t kClassShapes[4][2] = {{0, -1}, {1, 2}, {3, -1}, {4, 5}};
    int32_t before = 0;
    int32_t best = alpha;
    for (const auto& group : kClassShapes) {
        int32_t inClass = 0, present = 0, cutting = 0;
        for (const int8_t shape : group) {
            if (shape < 0 || shapes.count[shape] == 0) continue;
            inClass += shapes.count[shape];
            ++present;
            cutting += value[shape] >= beta;
            if (value[shape] > best) best = value[shape];
        }
        if (cutting == 0) {
            before += inClass;
            continue;
        }
        if (cutting < present) return {false, before, best};
        return {true, before + 1, beta};
    }
    return {true, before, best};
}

// The shape counts after the line of the given shape is drawn: it leaves,
// and each other undrawn side of its quads sees that quad one side further
// on (a quad it completes has none). The other quad of such a side is
// neither of the line's.
ShapeCounts shapesAfter(const Line& line, int32_t shape, ShapeCounts shapes) {
    --shapes.count[shape];
    forEachOtherSide(line, [&shapes](const Line& side, const Quad& quad) {
        const int32_t drawn = quad.drawnSides();
        const Quad* other = side.quadA == &quad ? side.quadB : side.quadA;
        const int32_t otherDrawn = other ? other->drawnSides() : 0;
        --shapes.count[kShapeByNeighbours[drawn][otherDrawn]];
        ++shapes.count[kShapeByNeighbours[drawn + 1][otherDrawn]];
    });
    return shapes;
}

// The search on the live board itself, which the ordering reads: every
// count taken afresh at each node.
struct BoardPosition {
    Board* board;

    int32_t availableCount() const { return board->availableCount; }
    int32_t sideToMove() const { return board->sideToMove; }
    int32_t chainMetric() const { return board->chainMetric; }
    int32_t score(int32_t player) const { return board->scores[player]; }
    void play(MoveIndex move) { board->playMove(move); }
    void undo(MoveIndex) { board->undoMove(); }
    MoveIndex moveOf(int32_t entry) const { return entry & kEntryPayloadMask; }
    int32_t shapeOf(MoveIndex move) const { return ::shapeOf(board->lines[move]); }
    // The shape counts, and the entries too when they come in the same pass
    // (then order() has nothing left to write).
    ShapeCounts shapesFirst(int32_t* buffer) const { return shapeEntries(*board, buffer); }
    // What order() needs of a position whose counts the search knows.
    void prepareEntries(int32_t* buffer) const { shapeEntries(*board, buffer); }
    ShapeCounts shapesAfter(MoveIndex move, int32_t shape, const ShapeCounts& shapes) const {
        return ::shapesAfter(board->lines[move], shape, shapes);
    }
    using Order = EntryOrder;
    Order order(int32_t* entries, int32_t count, const ShapeCounts& shapes) const {
        return {entries, count, shapes};
    }
};

// The live board with its shape counts and entries kept up to date.
struct KeptShapesPosition {
    Board* board;
    LineShapes* kept;

    int32_t availableCount() const { return board->availableCount; }
    int32_t sideToMove() const { return board->sideToMove; }
    int32_t chainMetric() const { return board->chainMetric; }
    int32_t score(int32_t player) const { return board->scores[player]; }
    MoveIndex moveOf(int32_t entry) const { return entry & kEntryPayloadMask; }
    int32_t shapeOf(MoveIndex move) const { return ::shapeOf(board->lines[move]); }
    ShapeCounts shapesAfter(MoveIndex move, int32_t shape, const ShapeCounts& shapes) const {
        return ::shapesAfter(board->lines[move], shape, shapes);
    }
    void play(MoveIndex move) { kept->play(*board, move); }
    void undo(MoveIndex) { kept->undo(*board); }
    ShapeCounts shapesFirst(int32_t*) const { return kept->shapes; }
    void prepareEntries(int32_t*) const {}
    using Order = EntryOrder;
    Order order(int32_t* entries, int32_t count, const ShapeCounts& shapes) const {
        for (int32_t i = 0; i < count; ++i) entries[i] = kept->entries[i];
        return {entries, count, shapes};
    }
};

// The word copy of a small board, counted the given way.
template <PopCount kCount>
struct WordsPosition {
    BitPosition* words;

    int32_t availableCount() const { return words->availableCount(); }
    int32_t sideToMove() const { return words->sideToMove(); }
    int32_t chainMetric() const { return words->chainMetric(); }
    int32_t score(int32_t player) const { return words->score(player); }
    void play(MoveIndex move) { words->play(move); }
    void undo(MoveIndex move) { words->undo(move); }
    MoveIndex moveOf(int32_t entry) const { return entry & kEntryPayloadMask; }
    int32_t shapeOf(MoveIndex move) const { return words->shapeOf(move); }
    ShapeCounts shapesFirst(int32_t*) const { return words->shapes<kCount>(); }
    void prepareEntries(int32_t*) const { words->noteClasses(); }
    ShapeCounts shapesAfter(MoveIndex move, int32_t, const ShapeCounts&) const {
        return words->shapesAfter<kCount>(move);
    }
    using Order = ShortEntryOrder;
    Order order(int32_t* entries, int32_t count, const ShapeCounts&) const {
        Order order(entries, count);
        words->entries(order);
        return order;
    }
};

}  // namespace

int32_t SearchEngine::search(int32_t depth, int32_t alpha, int32_t beta) {
    switch (mirror) {
        case Mirror::words: {
            if (bitPosition.countInstruction) {
                WordsPosition<PopCount::instruction> position{&bitPosition};
                return searchNode(position, depth, alpha, beta);
            }
            WordsPosition<PopCount::portable> position{&bitPosition};
            return searchNode(position, depth, alpha, beta);
        }
        case Mirror::keptShapes: {
            KeptShapesPosition position{board, &lineShapes};
            return searchNode(position, depth, alpha, beta);
        }
        default: {
            BoardPosition position{board};
            return searchNode(position, depth, alpha, beta);
        }
    }
}

// The loop of a node whose unsorted entries are in its MoveStack segment, from
// move `first` of its order on (the moves before it already accounted):
// childValue(m, shape) plays or values each child, alpha and beta being
// those of the loop at that moment.
template <typename Position, typename ChildValue>
PAXLET_POPCNT_TARGET int32_t SearchEngine::searchMoves(const Position& position,
                                                       const ShapeCounts& shapes, int32_t first,
                                                       int32_t& alpha, int32_t beta,
                                                       ChildValue childValue) {
    const int32_t n = position.availableCount();
    const int32_t s = stackTop;
    // The promised capacity is really there: no board has more than 1,300
    // lines, so its plies never use more than 845,650 entries.
    assert(s + kOrderCapacity <= kMoveStackEntries);
    stackTop = s + n;
    typename Position::Order order = position.order(moveStack + s, n, shapes);
    for (int32_t i = first, ready = 0; i < n; ++i) {
        if (i >= ready) ready = order.finalThrough(i);
        const int32_t entry = moveStack[s + i];
        const MoveIndex m = position.moveOf(entry);
        countNodes(1);
        const int32_t v = childValue(m, position.shapeOf(m));
        lastValue = v;
        if (v >= beta) {
            stackTop = s;
            return beta;
        }
        if (v > alpha) {
            // Only the root's segment starts at entry 0 of the MoveStack.
            if (s == 0) bestRootMove = m;
            alpha = v;
        }
    }
    stackTop = s;
    return alpha;
}

template <typename Position>
PAXLET_POPCNT_TARGET int32_t SearchEngine::searchNode(Position& position, int32_t depth,
                                                      int32_t alpha, int32_t beta) {
    if (depth == 0 || position.availableCount() == 0 ||
        (timeBudget.load(std::memory_order_relaxed) == 0 && !rootTakesEmptyBudget(*this))) {
        ++leafCount;
        const int32_t mover = position.sideToMove();
        return valueOf(mover, position.chainMetric(), leadAfter(position, mover, 0));
    }
    if (depth == 1) return searchLeafParent(position, alpha, beta);
    const int32_t side = position.sideToMove();
    assert(stackTop + kOrderCapacity <= kMoveStackEntries);
    MoveIndex* const entries = moveStack + stackTop;
    const ShapeCounts shapes = position.shapesFirst(entries);
    return searchMoves(position, shapes, 0, alpha, beta, [&](MoveIndex m, int32_t shape) {
        if (depth == 2 && shape < kFirstCaptureShape)
            return -searchChildOfDepth1(position, m, shape, shapes, -beta, -alpha);
        position.play(m);
        // A move that completes a quad keeps the turn: same depth, same window.
        const int32_t v = position.sideToMove() == side
                              ? searchNode(position, depth, alpha, beta)
                              : -searchNode(position, depth - 1, -beta, -alpha);
        position.undo(m);
        return v;
    });
}

// A node of depth 1: every quiet child is a leaf, valued without being
// played; only moves that complete a quad are played and searched, at the
// same depth. Away from the root, where no quad can be completed, the counts
// of the shapes often settle the node outright. Counts, values and the
// unwinding on an empty budget are those of playing every child.
template <typename Position>
PAXLET_POPCNT_TARGET int32_t SearchEngine::searchLeafParent(Position& position, int32_t alpha,
                                                            int32_t beta) {
    const int32_t s = stackTop;
    assert(s + kOrderCapacity <= kMoveStackEntries);
    // The entries are made only if the counts do not settle the node, unless
    // one pass gives both.
    const ShapeCounts shapes = position.shapesFirst(moveStack + s);
    const int32_t mover = position.sideToMove();
    const QuietValues values =
        quietValues(mover, position.chainMetric(), leadAfter(position, mover, 0));
    // lastValue is set only at the root: below it the parent overwrites it.
    // Moves that the counts show cannot cut off are accounted in one step.
    int32_t skipped = 0;
    if (s != 0 && !shapes.anyCapture()) {
        const QuietVerdict verdict = settleQuiet(shapes, values.value, alpha, beta);
        if (verdict.settled) {
            countNodes(verdict.moves);
            leafCount += verdict.moves;
            return verdict.value;
        }
        skipped = verdict.moves;
        alpha = verdict.value;
    }
    return searchLeafMoves(position, shapes, values, skipped, alpha, beta);
}

// The move loop of a node of depth 1 from move `skipped` of its order on,
// the moves before it (none of which cuts off) still to be accounted.
template <typename Position>
PAXLET_POPCNT_TARGET int32_t SearchEngine::searchLeafMoves(Position& position,
                                                           const ShapeCounts& shapes,
                                                           const QuietValues& values,
                                                           int32_t skipped, int32_t alpha,
                                                           int32_t beta) {
    countNodes(skipped);
    leafCount += skipped;
    return searchMoves(position, shapes, skipped, alpha, beta, [&](MoveIndex m, int32_t shape) {
        if (shape >= kFirstCaptureShape)
            return searchChildOfDepth1(position, m, shape, shapes, alpha, beta);
        ++leafCount;
        return values.value[shape];
    });
}

// The node of depth 1 that a move of the given shape leads to: a quiet move
// of a depth-2 node, or a move of a depth-1 node that completes a quad and
// keeps the turn. Searched in (alpha, beta) for whoever moves there; when the
// shapes settle it, valued from the parent's counts without playing the move.
// It makes the same entry tests as searchNode, with one load of the budget.
template <typename Position>
PAXLET_POPCNT_TARGET int32_t SearchEngine::searchChildOfDepth1(Position& position, MoveIndex move,
                                                               int32_t shape,
                                                               const ShapeCounts& shapes,
                                                               int32_t alpha, int32_t beta) {
    const int32_t mover = position.sideToMove();
    const int32_t childMover = shape >= kFirstCaptureShape ? mover : (mover == 0 ? 1 : 0);
    const int32_t metric = position.chainMetric() + kChainDeltaOfShape[shape];
    const int32_t lead = leadAfter(position, mover, kCompletedByShape[shape]);
    if (position.availableCount() == 1 || timeBudget.load(std::memory_order_relaxed) == 0) {
        ++leafCount;
        return valueOf(childMover, metric, lead);
    }
    const ShapeCounts after = position.shapesAfter(move, shape, shapes);
    if (!after.anyCapture()) {
        const QuietValues values = quietValues(childMover, metric, lead);
        const QuietVerdict verdict = settleQuiet(after, values.value, alpha, beta);
        if (verdict.settled) {
            countNodes(verdict.moves);
            leafCount += verdict.moves;
            return verdict.value;
        }
        // The child's own counts and verdict would be these again.
        position.play(move);
        position.prepareEntries(moveStack + stackTop);
        const int32_t v =
            searchLeafMoves(position, after, values, verdict.moves, verdict.value, beta);
        position.undo(move);
        return v;
    }
    position.play(move);
    const int32_t v = searchLeafParent(position, alpha, beta);
    position.undo(move);
    return v;
}

MoveIndex SearchEngine::chooseMove(int32_t maxDepth, int32_t timeLimitMs) {
    assert(board != nullptr && (computerPlayer == 0 || computerPlayer == 1) && stackTop == 0);
    assert(board->playerCount == 2);
    nodeCount = 0;
    leafCount = 0;
    currentDepth = 0;
    const uint32_t start = platform::millisecondClock();
    // A negative limit stops at once like 0; as an unsigned sleep it would
    // keep its timer asleep for weeks.
    const int32_t limit = timeLimitMs < 0 ? 0 : timeLimitMs;
    timeLimited = limit > 0;
    searchGeneration = timeBudget.begin(limit);
    startTimer(searchGeneration, limit);

    if (BitPosition::fits(*board)) {
        mirror = Mirror::words;
        bitPosition.build(*board);
    } else if (board->dotsPerSide >= kTrackShapesFromDots) {
        mirror = Mirror::keptShapes;
        lineShapes.build(*board);
    }

    MoveIndex result = 0;
    // 64-bit, so that a depth limit of INT32_MAX ends the loop.
    for (int64_t d = 1; d <= maxDepth; ++d) {
        currentDepth.store(static_cast<int32_t>(d), std::memory_order_relaxed);
        search(static_cast<int32_t>(d), kRootAlpha, kRootBeta);
        if (timeBudget.load() == 0) {
            // An iteration cut short is discarded, even if it got to its end;
            // but when the first one is, its best root move so far beats no
            // move at all. It has one once the root has played a move, since
            // the first root move always raises alpha.
            if (d == 1 && nodeCount > 0) result = bestRootMove;
            break;
        }
        result = bestRootMove;
    }
    mirror = Mirror::none;
    // A stop request that came during this search was for this search.
    timeBudget.clearStopRequest();
    elapsedMs = static_cast<int32_t>(platform::millisecondClock() - start);
    return result;
}

void SearchEngine::startTimer(uint32_t generation, int32_t limitMs) {
    // Counted before its thread runs, so that pendingTimers includes every
    // timer this engine has asked for as soon as chooseMove goes on.
    TimerStart* timer = new (std::nothrow) TimerStart{clock, generation, limitMs};
    clock->owners.fetch_add(1);
    pendingTimers.fetch_add(1);
    if (timer == nullptr || !platform::startDetachedThread(runTimer, timer)) {
        // No timer: the search ends at its depth limit or on a stop request.
        delete timer;
        pendingTimers.fetch_sub(1);
        releaseClock(clock);
    }
}
