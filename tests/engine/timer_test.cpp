// Time control across threads: stop requests, timers of earlier searches,
// negative limits, and timers that outlive their engine.
//
// Nothing here measures time. The waits only let another thread get to a
// point that is then observed through the shared atomics.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "engine_fixture.h"

namespace {

using namespace std::chrono_literals;

// Waits until condition holds; gives up (and fails) only after a minute.
template <typename Condition>
bool eventually(Condition condition) {
    for (int32_t i = 0; i < 60000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return condition();
}

// On this 10-dot middle game iterations 1 and 2 choose different moves and
// take about a millisecond together on a release build (some tens under
// sanitizers), while iteration 3 takes over a minute.
struct MiddleGame : ::testing::Test {
    OwnedBoard board{10};
    SearchEngine engine;
    MoveIndex depthOneMove = -1;
    MoveIndex depthTwoMove = -1;
    int32_t movesPlayed = 0;

    void SetUp() override {
        playSafeMovesWhileAny(board.board, 4);
        movesPlayed = board->historyLength;
        engine.board = &board.board;
        engine.computerPlayer = board->sideToMove;
        // A timer without limit would keep every later search of its engine
        // running, so the reference moves come from an engine of their own.
        SearchEngine reference;
        reference.board = &board.board;
        reference.computerPlayer = board->sideToMove;
        depthOneMove = reference.chooseMove(1, kNoTimeLimit);
        depthTwoMove = reference.chooseMove(2, kNoTimeLimit);
        ASSERT_NE(depthOneMove, depthTwoMove);
    }
};

TEST_F(MiddleGame, TimeRunningOutInIterationThreeReturnsIterationTwosMove) {
    EXPECT_EQ(engine.chooseMove(3, 1000), depthTwoMove);
    EXPECT_EQ(engine.currentDepth, 3);
    EXPECT_EQ(engine.timeBudget.load(), 0);
    EXPECT_EQ(engine.stackTop, 0);
    EXPECT_EQ(board->historyLength, movesPlayed);
}

TEST_F(MiddleGame, StopRequestInIterationThreeReturnsIterationTwosMove) {
    MoveIndex move = -1;
    std::thread search([&] { move = engine.chooseMove(3, kNoTimeLimit); });
    std::this_thread::sleep_for(1000ms);
    engine.timeBudget = 0;
    search.join();
    EXPECT_EQ(move, depthTwoMove);
    EXPECT_EQ(engine.currentDepth, 3);
    EXPECT_EQ(engine.stackTop, 0);
    EXPECT_EQ(board->historyLength, movesPlayed);
}

TEST_F(MiddleGame, EarlierTimerWakingDoesNotClearTheNextSearchsBudget) {
    // The first search ends at its depth limit; its one-second timer sleeps on.
    ASSERT_EQ(engine.chooseMove(1, 1000), depthOneMove);
    ASSERT_EQ(engine.pendingTimers.load(), 1);

    std::atomic<bool> returned{false};
    std::thread search([&] {
        engine.chooseMove(25, 600000);
        returned = true;
    });
    ASSERT_TRUE(eventually([&] { return engine.timeBudget.load() == 600000; }));
    // The earlier timer wakes; the new one still sleeps.
    ASSERT_TRUE(eventually([&] { return engine.pendingTimers.load() == 1; }));
    EXPECT_EQ(engine.timeBudget.load(), 600000);
    EXPECT_FALSE(returned.load());

    engine.timeBudget = 0;
    search.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(engine.stackTop, 0);
}

TEST_F(MiddleGame, LeftoverTimerKeepsALaterSearchRunningPastItsLimit) {
    // The first search's timer sleeps ten minutes; the second one's 50 ms.
    ASSERT_EQ(engine.chooseMove(1, 600000), depthOneMove);

    std::atomic<bool> returned{false};
    std::thread search([&] {
        engine.chooseMove(25, 50);
        returned = true;
    });
    ASSERT_TRUE(eventually([&] { return engine.timeBudget.load() == 50; }));
    // The second timer wakes, but it is not the last: the budget stays.
    ASSERT_TRUE(eventually([&] { return engine.pendingTimers.load() == 1; }));
    EXPECT_EQ(engine.timeBudget.load(), 50);
    EXPECT_FALSE(returned.load());

    engine.timeBudget = 0;
    search.join();
    EXPECT_TRUE(returned.load());
}

TEST(TimeControl, NegativeLimitStopsAtOnceAndItsTimerWakesAtOnce) {
    OwnedBoard board(3);
    SearchEngine engine;
    engine.board = &board.board;
    engine.computerPlayer = 0;
    for (int32_t limit : {-1, -5000, INT32_MIN}) {
        const SearchFigures f = searchFigures(engine, 4, limit);
        EXPECT_EQ(f.move, 0);
        EXPECT_EQ(f.leafCount, 1);
        EXPECT_EQ(f.nodeCount, 0);
        EXPECT_EQ(f.currentDepth, 1);
        EXPECT_EQ(engine.timeBudget.load(), 0);
    }
    // Read as unsigned, -1 would have slept for ever and kept every later
    // search from being stopped by its own timer.
    EXPECT_TRUE(eventually([&] { return engine.pendingTimers.load() == 0; }));
    EXPECT_EQ(searchFigures(engine, 3, 600000), (SearchFigures{3, 291, 352, 2, 3}));
}

TEST(TimeControl, TimerOutlivingItsEngineStillCountsAndClears) {
    OwnedBoard board(3);
    auto engine = std::make_unique<SearchEngine>();
    engine->board = &board.board;
    engine->computerPlayer = 0;
    ASSERT_EQ(engine->chooseMove(1, 30), 0);
    SearchClock* clock = engine->clock;
    clock->owners.fetch_add(1);  // the test's own look at the clock
    engine.reset();
    ASSERT_TRUE(eventually([&] { return clock->pendingTimers.load() == 0; }));
    EXPECT_EQ(clock->timeBudget.load(), 0);
    ASSERT_TRUE(eventually([&] { return clock->owners.load() == 1; }));
    delete clock;
}

TEST(TimeControl, EngineReleasedWhileTimersSleep) {
    // The last timer to wake frees the clock; AddressSanitizer reports any
    // touch of the released engine or a double free.
    OwnedBoard board(3);
    for (int32_t round = 0; round < 3; ++round) {
        auto engine = std::make_unique<SearchEngine>();
        engine->board = &board.board;
        engine->computerPlayer = 0;
        engine->chooseMove(1, 20);
        engine->chooseMove(2, 40);
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(board->historyLength, 0);
}

}  // namespace
