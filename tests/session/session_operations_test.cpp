// What the window thread, the tests and self-play ask of a session: stop and
// wait, wait without stopping, a snapshot of status and busy, and the debug
// toggle.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "session/verdict.h"
#include "session_fixture.h"

namespace {

// A search that only a stop request ends, started as Ai Do Move would; the
// odd limit tells that chooseMove has stored it.
void startEndlessTurn(SessionHarness& h) {
    h.session.newGame(5);
    h.window.setFieldText(MainWindow::DepthField, "25");
    h.window.setFieldText(MainWindow::TimeLimitField, "600003");
    h.session.startComputerTurn();
    ASSERT_TRUE(h.eventually([&] { return h.session.engine.timeBudget.load() == 600003; }));
}

}  // namespace

TEST(StopAndWait, EndsARunningTurnCallingBetweenAfterEachStopRequest) {
    SessionHarness h;
    startEndlessTurn(h);
    int32_t calls = 0;
    bool late = false;
    auto wait = SessionHarness::withinAMinute();
    h.session.stopAndWait([&] {
        ++calls;
        // A hang guard: a stop that never takes is reported, then forced.
        if (!wait()) {
            late = true;
            h.session.engine.requestStop();
        }
    });
    EXPECT_GE(calls, 1);
    EXPECT_FALSE(late) << "the turn did not end within a minute of stop requests";
    EXPECT_FALSE(h.session.busy.load());
    // The computer played its best move so far, and nothing is left half done.
    EXPECT_EQ(h.window.moveLogEntries().size(), 1u);
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
    const GameSession::Snapshot after = h.session.snapshot();
    EXPECT_EQ(after.status, "");
    EXPECT_FALSE(after.busy);
}

TEST(StopAndWait, OnAnIdleSessionAsksNothingAndReturns) {
    SessionHarness h;
    int32_t calls = 0;
    h.session.stopAndWait([&] { ++calls; });
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(h.session.engine.timeBudget.stopRequested());
}

TEST(WaitIdle, GivesUpWhenItsWaitSaysSoAndLeavesTheTurnRunning) {
    SessionHarness h;
    startEndlessTurn(h);
    int32_t calls = 0;
    EXPECT_FALSE(h.session.waitIdle([&] {
        platform::sleepMilliseconds(1);
        return ++calls < 3;
    }));
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(h.session.busy.load());
    EXPECT_FALSE(h.session.engine.timeBudget.stopRequested()) << "waiting never stops";
    EXPECT_EQ(h.session.snapshot().status, kAiThinking);
    h.session.requestStop();
    EXPECT_TRUE(h.session.waitIdle(SessionHarness::withinAMinute()));
    EXPECT_FALSE(h.session.busy.load());
    EXPECT_EQ(h.window.moveLogEntries().size(), 1u);
}

TEST(WaitIdle, OnAnIdleSessionReturnsAtOnce) {
    SessionHarness h;
    int32_t calls = 0;
    EXPECT_TRUE(h.session.waitIdle([&] { return ++calls, false; }));
    EXPECT_EQ(calls, 0);
}

TEST(Snapshot, ThinkingWhileBusyAndTheFinalTextOnceIdle) {
    SessionHarness h;
    GameSession::Snapshot idle = h.session.snapshot();
    EXPECT_EQ(idle.status, "");
    EXPECT_FALSE(idle.busy);
    startEndlessTurn(h);
    const GameSession::Snapshot thinking = h.session.snapshot();
    EXPECT_EQ(thinking.status, kAiThinking);
    EXPECT_TRUE(thinking.busy);
    h.session.requestStop();
    h.waitIdle();
    idle = h.session.snapshot();
    EXPECT_EQ(idle.status, "");
    EXPECT_FALSE(idle.busy);
}

// Whole games played by the computer, polled only through snapshots: the
// first one that reads idle already holds the status the turn ended with,
// never "Ai thinking", and the game's last one holds the verdict.
TEST(Snapshot, IdleAlwaysComesWithTheTurnsFinalStatus) {
    SessionHarness h;
    h.window.setFieldText(MainWindow::DepthField, "2");
    h.window.setFieldText(MainWindow::TimeLimitField, "50");
    for (int32_t n : {2, 3, 4}) {
        h.session.newGame(n);
        while (h.session.liveBoard->availableCount > 0) {
            h.session.startComputerTurn();
            GameSession::Snapshot seen = h.session.snapshot();
            ASSERT_TRUE(h.eventually([&] {
                seen = h.session.snapshot();
                return !seen.busy;
            }));
            ASSERT_NE(seen.status, kAiThinking) << n << " dots";
            ASSERT_NE(seen.status, kAiErrored) << n << " dots";
            EXPECT_EQ(h.session.snapshot().status, seen.status) << "the status changed once idle";
        }
        EXPECT_TRUE(isVerdict(h.session.snapshot().status.c_str())) << h.status();
    }
}

TEST(DebugToggle, FlipsAndSaysWhatItIsNow) {
    SessionHarness h;
    h.session.newGame(2);
    EXPECT_TRUE(h.session.toggleDebugInfo());
    EXPECT_TRUE(h.session.debugInfo.load());
    // The next paint has the keys: four lines, four keys.
    h.window.takeDrawCalls();
    h.session.paintBoard();
    int32_t labels = 0;
    for (const DrawCall& call : h.window.takeDrawCalls())
        labels += std::holds_alternative<DrawLabel>(call);
    EXPECT_EQ(labels, 4 + 4 + 1);
    EXPECT_FALSE(h.session.toggleDebugInfo());
    EXPECT_FALSE(h.session.debugInfo.load());
    EXPECT_TRUE(h.session.toggleDebugInfo());
}
