// Time control across threads: each search ends at its own limit, whatever
// earlier timers do; a stop request stops exactly one search at whatever
// instant it comes; timers outlive their engine safely.
//
// This program runs on a clock that only the tests move (manual_clock.h), so
// every timer wakes exactly where a test puts it and nothing here sleeps.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "engine_fixture.h"
#include "manual_clock.h"

namespace {

using manual_clock::eventually;

// Every test leaves no thread behind for the next one to meet.
struct ManualClockTest : ::testing::Test {
    void TearDown() override { manual_clock::finishAllThreads(); }
};

// A chooseMove on a thread of its own, which the test can wait for with a
// deadline. A search that does not end in time is stopped, so that a failure
// shows as one instead of a hang.
class BackgroundSearch {
public:
    BackgroundSearch(SearchEngine& searchEngine, int32_t maxDepth, int32_t timeLimitMs)
        : engine(searchEngine), thread([this, maxDepth, timeLimitMs] {
              move = engine.chooseMove(maxDepth, timeLimitMs);
              returned = true;
          }) {}
    ~BackgroundSearch() { finish(); }

    bool hasReturned() const { return returned.load(); }
    // Waits for the search to return; false if it had to be stopped.
    bool finish() {
        if (!thread.joinable()) return true;
        const bool inTime = eventually([this] { return returned.load(); });
        while (!returned.load()) {
            engine.requestStop();
            std::this_thread::yield();
        }
        thread.join();
        return inTime;
    }

    SearchEngine& engine;
    std::atomic<bool> returned{false};
    MoveIndex move = -1;

private:
    std::thread thread;
};

// ---------------------------------------------------------------- the word

// The budget word alone, step by step, with no thread: the interleavings
// that used to lose a stop or cut the wrong search.
TEST(TimeBudget, StaleTimerCannotClearALaterSearchsBudget) {
    TimeBudget budget(20000);
    EXPECT_EQ(budget.load(), 20000);
    const uint32_t first = budget.begin(1000);
    EXPECT_EQ(budget.load(), 1000);
    // The first search's timer has seen its budget still set; before it can
    // clear it, the next search begins.
    const uint32_t second = budget.begin(600000);
    EXPECT_NE(first, second);
    EXPECT_FALSE(budget.expire(first));
    EXPECT_EQ(budget.load(), 600000);
    EXPECT_TRUE(budget.expire(second));
    EXPECT_EQ(budget.load(), 0);
    EXPECT_FALSE(budget.expire(second));  // nothing left to clear
    EXPECT_FALSE(budget.stopRequested());
}

TEST(TimeBudget, StopRequestMadeBetweenSearchesIsTakenByTheNextOne) {
    TimeBudget budget(20000);
    const uint32_t first = budget.begin(5000);
    budget.requestStop();
    EXPECT_EQ(budget.load(), 0);
    EXPECT_TRUE(budget.stopRequested());
    // The search it cut ends; a request after that waits for the next one.
    budget.clearStopRequest();
    EXPECT_FALSE(budget.stopRequested());
    budget.requestStop();
    const uint32_t second = budget.begin(5000);
    EXPECT_EQ(budget.load(), 0) << "the waiting stop must not be overwritten by the limit";
    EXPECT_TRUE(budget.stopRequested());
    EXPECT_FALSE(budget.expire(first));
    EXPECT_FALSE(budget.expire(second));
    // Spent by that search: the one after it has its whole limit.
    budget.clearStopRequest();
    budget.begin(5000);
    EXPECT_EQ(budget.load(), 5000);
    EXPECT_FALSE(budget.stopRequested());
}

TEST(TimeBudget, LimitsUpToInt32MaxAndGenerationsThatWrap) {
    TimeBudget budget(0);
    EXPECT_EQ(budget.load(), 0);
    budget.begin(INT32_MAX);
    EXPECT_EQ(budget.load(), INT32_MAX);
    // Far more searches than fit in the generation bits: each is still told
    // from the one before it.
    uint32_t previous = budget.begin(7);
    for (int32_t i = 0; i < 100; ++i) {
        const uint32_t next = budget.begin(7);
        EXPECT_NE(next, previous);
        EXPECT_FALSE(budget.expire(previous));
        previous = next;
    }
    EXPECT_TRUE(budget.expire(previous));
}

// ---------------------------------------------------------------- timers

struct Searches : ManualClockTest {
    Board small{3, 2};    // whole searches in milliseconds
    Board middle{10, 2};  // iteration 3 takes minutes: ended only by time
    SearchEngine engine;
    void SetUp() override {
        playSafeMovesWhileAny(middle, 4);
        searchOn(small);
    }
    void searchOn(Board& board) {
        engine.board = &board;
        engine.computerPlayer = board.sideToMove;
    }
};

TEST_F(Searches, EachSearchEndsAtItsOwnLimitThoughAnEarlierTimerSleepsLonger) {
    // The first search ends at its depth limit; its timer, set for the
    // longest limit there is, sleeps on.
    ASSERT_EQ(engine.chooseMove(1, INT32_MAX), 0);
    ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 1; }));

    searchOn(middle);
    BackgroundSearch later(engine, 25, 50);
    ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 2; }));
    EXPECT_EQ(engine.timeBudget.load(), 50);
    manual_clock::advance(49);
    EXPECT_FALSE(later.hasReturned());
    manual_clock::advance(1);
    EXPECT_TRUE(later.finish()) << "the later search ran past its own limit";
    EXPECT_EQ(engine.pendingTimers.load(), 1);
    EXPECT_EQ(engine.stackTop, 0);
}

TEST_F(Searches, AnEarlierTimerWakingDoesNotCutALaterSearch) {
    ASSERT_EQ(engine.chooseMove(1, 1000), 0);
    searchOn(middle);
    BackgroundSearch later(engine, 25, 600000);
    ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 2; }));
    manual_clock::advance(1000);
    // The earlier timer has woken and gone; the later search goes on.
    ASSERT_TRUE(eventually([] { return manual_clock::runningThreads() == 1; }));
    EXPECT_EQ(engine.pendingTimers.load(), 1);
    EXPECT_EQ(engine.timeBudget.load(), 600000);
    EXPECT_FALSE(later.hasReturned());
    manual_clock::advance(598999);
    EXPECT_FALSE(later.hasReturned());
    manual_clock::advance(1);
    EXPECT_TRUE(later.finish());
    EXPECT_EQ(engine.timeBudget.load(), 0);
}

TEST_F(Searches, AnEarlierTimerWakingAsTheNextSearchBeginsLeavesItsBudget) {
    const SearchFigures undisturbed = searchFigures(engine, 3);
    ASSERT_EQ(undisturbed, (SearchFigures{3, 291, 352, 2, 3}));
    auto wakeEarlierTimer = [] {
        manual_clock::advance(1000);
        ASSERT_TRUE(eventually([] { return manual_clock::runningThreads() == 0; }));
    };
    // Before the budget is set: at the clock read; after: at the timer start.
    for (auto wakeAt : {manual_clock::atNextClockRead, manual_clock::atNextThreadStart}) {
        manual_clock::finishAllThreads();
        engine.chooseMove(1, 1000);
        ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 1; }));
        wakeAt(wakeEarlierTimer);
        EXPECT_EQ(searchFigures(engine, 3, 600000), undisturbed);
        EXPECT_EQ(engine.timeBudget.load(), 600000);
    }
}

TEST_F(Searches, NegativeLimitStopsAtOnceAndItsTimerWakesAtOnce) {
    for (int32_t limit : {-1, -5000, INT32_MIN}) {
        EXPECT_EQ(searchFigures(engine, 4, limit), (SearchFigures{0, 1, 0, 0, 1}));
        EXPECT_EQ(engine.timeBudget.load(), 0);
    }
    // Read as unsigned, -1 would have slept for weeks.
    EXPECT_TRUE(eventually([&] { return engine.pendingTimers.load() == 0; }));
    EXPECT_EQ(searchFigures(engine, 3, 600000), (SearchFigures{3, 291, 352, 2, 3}));
}

TEST_F(Searches, ElapsedTimeIsTheWrappingDifferenceOfTheClock) {
    // The clock reads 20 ms short of its wrap when the search starts, and the
    // search takes 45 ms, as long for a search that runs no iteration.
    for (int32_t depth : {2, 0}) {
        manual_clock::setReading(0xFFFFFFECu);
        manual_clock::atNextThreadStart([] { manual_clock::advance(45); });
        engine.chooseMove(depth, 600000);
        EXPECT_EQ(engine.elapsedMs, 45) << "depth " << depth;
    }
}

TEST_F(Searches, TimersOutliveTheirEngineAndTheLastOneFreesTheClock) {
    auto owned = std::make_unique<SearchEngine>();
    owned->board = &small;
    owned->computerPlayer = 0;
    for (int32_t limit : {10, 20, 30}) owned->chooseMove(1, limit);
    SearchClock* clock = owned->clock;
    ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 3; }));
    clock->owners.fetch_add(1);  // the test's own look at the clock
    EXPECT_EQ(clock->owners.load(), 5);
    owned.reset();
    EXPECT_EQ(clock->owners.load(), 4) << "the engine's reference only";
    for (int32_t left : {2, 1, 0}) {
        manual_clock::advance(10);
        ASSERT_TRUE(eventually([&] { return clock->owners.load() == left + 1; }));
        EXPECT_EQ(clock->pendingTimers.load(), left);
    }
    // The last timer cleared its own search's budget, engine or no engine.
    EXPECT_EQ(clock->timeBudget.load(), 0);
    delete clock;
}

// ---------------------------------------------------------------- stops

// A stop that reaches a search before its first iteration could try a move
// still yields a real move at once: every root move judged as a leaf. On this
// board player 0 can take the top-left quad with move 3 (B1-B2).
struct StopInstants : ManualClockTest {
    Board board{3, 2};
    SearchEngine engine;
    // The eight root moves played, each position after them a leaf, and the
    // taking move the best.
    const SearchFigures stoppedAtOnce{3, 8, 8, 1, 1};
    void SetUp() override {
        playAll(board, {0, 2, 11, 5});
        engine.board = &board;
        engine.computerPlayer = 0;
    }
};

TEST_F(StopInstants, BeforeTheSearchBegins) {
    engine.requestStop();
    EXPECT_EQ(searchFigures(engine, 25, 600000), stoppedAtOnce);
    EXPECT_FALSE(engine.timeBudget.stopRequested()) << "spent by the search it stopped";
}

TEST_F(StopInstants, JustBeforeTheSearchSetsItsBudget) {
    manual_clock::atNextClockRead([this] { engine.requestStop(); });
    EXPECT_EQ(searchFigures(engine, 25, 600000), stoppedAtOnce);
}

TEST_F(StopInstants, AfterTheBudgetIsSetAndBeforeTheFirstIteration) {
    manual_clock::atNextThreadStart([this] { engine.requestStop(); });
    EXPECT_EQ(searchFigures(engine, 25, 600000), stoppedAtOnce);
}

TEST_F(StopInstants, OneRequestStopsOneSearch) {
    // A request between two searches stops the second; the third has its
    // whole limit and the figures of an undisturbed search.
    ASSERT_EQ(searchFigures(engine, 2, 600000), (SearchFigures{3, 53, 76, 101, 2}));
    engine.requestStop();
    EXPECT_EQ(searchFigures(engine, 2, 600000), stoppedAtOnce);
    EXPECT_EQ(searchFigures(engine, 2, 600000), (SearchFigures{3, 53, 76, 101, 2}));
    EXPECT_EQ(engine.timeBudget.load(), 600000);
}

// A timer that wakes after the budget is set and before the first root reads
// it (a short limit on a loaded machine) is taken like a stop request there.
// Its wake-up is played on the search's thread, at the moment its own
// thread starts, as the timer does it: the budget of its generation expires.
TEST_F(StopInstants, TimerWakingBeforeTheFirstRootReadsTheBudget) {
    for (int32_t limit : {1, 600000}) {
        manual_clock::atNextThreadStart(
            [this] { ASSERT_TRUE(engine.timeBudget.expire(engine.searchGeneration)); });
        EXPECT_EQ(searchFigures(engine, 25, limit), stoppedAtOnce) << "limit " << limit;
        EXPECT_EQ(engine.timeBudget.load(), 0);
    }
    // Nor does a depth limit below 1 search.
    EXPECT_EQ(searchFigures(engine, 0, 600000), (SearchFigures{0, 0, 0, 1, 0}));
}

TEST_F(StopInstants, TimeLimitZeroIsNoSearchAtAll) {
    // Time, not a request, emptied the budget: the root is a leaf, no move.
    EXPECT_EQ(searchFigures(engine, 25, 0), (SearchFigures{0, 1, 0, 0, 1}));
}

// On this 10-dot middle game iterations 1 and 2 choose different moves and
// take milliseconds, while iteration 3 takes over a minute.
struct MiddleGame : ManualClockTest {
    Board board{10, 2};
    SearchEngine engine;
    MoveIndex depthOneMove = -1;
    MoveIndex depthTwoMove = -1;
    SearchFigures depthTwo{};
    int32_t movesPlayed = 0;

    void SetUp() override {
        playSafeMovesWhileAny(board, 4);
        movesPlayed = board.historyLength;
        engine.board = &board;
        engine.computerPlayer = board.sideToMove;
        depthOneMove = engine.chooseMove(1, kNoTimeLimit);
        depthTwo = searchFigures(engine, 2);
        depthTwoMove = depthTwo.move;
        ASSERT_NE(depthOneMove, depthTwoMove);
        manual_clock::finishAllThreads();
    }

    void expectIterationTwosMove(BackgroundSearch& search) {
        ASSERT_TRUE(search.finish());
        EXPECT_EQ(search.move, depthTwoMove);
        EXPECT_EQ(engine.currentDepth.load(), 3);
        EXPECT_EQ(engine.timeBudget.load(), 0);
        EXPECT_EQ(engine.stackTop, 0);
        EXPECT_EQ(board.historyLength, movesPlayed);
    }
};

TEST_F(MiddleGame, TimeRunningOutInIterationThreeReturnsIterationTwosMove) {
    BackgroundSearch search(engine, 3, 1000);
    ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 1; }));
    ASSERT_TRUE(eventually([&] { return engine.currentDepth.load() == 3; }));
    manual_clock::advance(1000);
    expectIterationTwosMove(search);
}

TEST_F(MiddleGame, StopRequestInIterationThreeReturnsIterationTwosMove) {
    BackgroundSearch search(engine, 3, 600000);
    ASSERT_TRUE(eventually([&] { return engine.currentDepth.load() == 3; }));
    engine.requestStop();
    expectIterationTwosMove(search);
}

TEST_F(MiddleGame, AStopDuringASearchIsSpentByIt) {
    {
        BackgroundSearch search(engine, 3, 600000);
        ASSERT_TRUE(eventually([&] { return engine.currentDepth.load() == 3; }));
        engine.requestStop();
        ASSERT_TRUE(search.finish());
    }
    EXPECT_EQ(searchFigures(engine, 2, 600000), depthTwo);
}

// The first iteration cut short by time still gives a line that can be
// drawn: its best root move so far. The iteration takes minutes on these
// boards, so time runs out inside it; were the timer to wake before its root
// read the budget, each root move would be judged as a leaf, which gives a
// move that takes a quad too.
TEST_F(ManualClockTest, TimeRunningOutInTheFirstIterationGivesItsBestMoveSoFar) {
    for (int32_t n : {6, 8, 10}) {
        SCOPED_TRACE(std::to_string(n) + " dots");
        Board board(n, 2);
        playLongChainOpenedInTheMiddle(board);
        SearchEngine engine;
        engine.board = &board;
        engine.computerPlayer = board.sideToMove;
        BackgroundSearch search(engine, 25, 300);
        ASSERT_TRUE(eventually([] { return manual_clock::sleepers() == 1; }));
        ASSERT_TRUE(eventually([&] { return engine.currentDepth.load() == 1; }));
        manual_clock::advance(300);
        ASSERT_TRUE(search.finish());
        EXPECT_EQ(engine.stackTop, 0);
        EXPECT_EQ(engine.currentDepth.load(), 1);
        EXPECT_GE(engine.nodeCount, board.availableCount);
        ASSERT_TRUE(isUndrawnLine(board, search.move)) << "move " << search.move;
        // Taking a quad is worth more than anything else on these boards.
        board.playMove(search.move);
        EXPECT_GT(board.scores[engine.computerPlayer], 0);
        board.undoMove();
        manual_clock::finishAllThreads();
    }
}

}  // namespace
