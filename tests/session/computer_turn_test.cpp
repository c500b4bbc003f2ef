// The computer's turn on its worker thread, seen from the window thread (the
// test thread), which only ever polls busy and never blocks on the worker.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "session_fixture.h"

using Entries = std::vector<std::string>;

namespace {

// A search that only a stop request ends: deep, on 5 dots, with a time limit
// no test waits for. The odd limit tells that chooseMove has stored it.
constexpr const char* kEndlessTime = "600001";
constexpr int32_t kEndlessTimeValue = 600001;

void startEndlessTurn(SessionHarness& h, std::initializer_list<MoveIndex> opening = {}) {
    h.session.newGame(5);
    h.play(opening);
    h.window.setFieldText(MainWindow::DepthField, "25");
    h.window.setFieldText(MainWindow::TimeLimitField, kEndlessTime);
    h.session.startComputerTurn();
    // Once the budget holds the limit the search runs, so a stop request
    // made now cannot be overwritten by the start of this search.
    ASSERT_TRUE(
        h.eventually([&] { return h.session.engine.timeBudget.load() == kEndlessTimeValue; }));
}

bool isDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

void expectTimeStatistics(const std::string& text) {
    ASSERT_EQ(text.substr(0, 5), "time:") << text;
    EXPECT_TRUE(isDigits(text.substr(5))) << text;
}

void expectDebugStatistics(const std::string& text) {
    // Five lines: l:, n:, a: (may be negative), d:, t:.
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1)
        lines.push_back(text.substr(from, at - from));
    lines.push_back(text.substr(from));
    ASSERT_EQ(lines.size(), 5u) << text;
    const char* prefixes[] = {"l:", "n:", "a:", "d:", "t:"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(lines[i].substr(0, 2), prefixes[i]) << text;
        std::string value = lines[i].substr(2);
        if (i == 2 && !value.empty() && value[0] == '-') value = value.substr(1);
        EXPECT_TRUE(isDigits(value)) << text;
    }
}

}  // namespace

TEST(ComputerTurn, AiDoMoveAtStartTakesPlayerOneAndAnswersLaterMoves) {
    SessionHarness h;
    h.session.newGame(3);
    h.window.setFieldText(MainWindow::DepthField, "1");
    const int32_t redraws = h.window.redrawCount();
    h.session.startComputerTurn();
    h.waitIdle();
    EXPECT_EQ(h.session.engine.computerPlayer, 0);
    // Depth 1 on a fresh board plays line 0, which passes the turn.
    EXPECT_EQ(h.window.moveLogEntries(), Entries{"A1-B1"});
    EXPECT_EQ(h.session.liveBoard->sideToMove, 1);
    EXPECT_EQ(h.status(), "");
    expectTimeStatistics(h.window.statisticsText());
    EXPECT_EQ(h.window.redrawCount(), redraws + 2) << "one at the start, one at the end";
    h.expectDisplayMatchesLive();

    // The user's move hands the turn back to P1: the computer answers by itself.
    h.session.executeMove("C2-C3");
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    EXPECT_GE(live.historyLength, 3);
    EXPECT_EQ(live.history[1], 9);
    EXPECT_TRUE(live.sideToMove == 1 || live.availableCount == 0);
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
}

TEST(ComputerTurn, DebugStatisticsAreTheLastSearchs) {
    SessionHarness h;
    h.session.newGame(3);
    h.session.debugInfo = true;
    h.window.setFieldText(MainWindow::DepthField, "1");
    h.session.startComputerTurn();
    h.waitIdle();
    // Depth 1 from the empty 3-dot board: 12 leaves, 12 nodes, value 0.
    const std::string text = h.window.statisticsText();
    EXPECT_EQ(text.substr(0, 18), "l:12\nn:12\na:0\nd:1\n") << text;
    expectDebugStatistics(text);
    EXPECT_EQ(h.status(), "");
}

TEST(ComputerTurn, CompletedQuadGivesAnotherMoveEachLogged) {
    SessionHarness h;
    h.session.newGame(3);
    h.play({0, 2, 11, 5});  // P1 to move; quad 0 has three sides
    h.window.setFieldText(MainWindow::DepthField, "1");
    h.session.startComputerTurn();
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    ASSERT_GE(live.historyLength, 6);
    EXPECT_EQ(live.history[4], 3) << "depth 1 closes the quad with B1-B2";
    EXPECT_GE(live.scores[0], 1);
    const Entries log = h.window.moveLogEntries();
    ASSERT_EQ(log.size(), static_cast<size_t>(live.historyLength));
    EXPECT_EQ(log[log.size() - 5], "B1-B2");
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
    EXPECT_TRUE(live.sideToMove == 1 || live.availableCount == 0);
}

TEST(ComputerTurn, DrawingTheLastLineShowsTheVerdictAndKeepsTheStatistics) {
    SessionHarness h;
    h.session.newGame(2);
    h.play({0, 1, 2});  // P2 to move, one line left
    h.window.setStatistics("time:77");
    h.session.startComputerTurn();
    h.waitIdle();
    EXPECT_EQ(h.session.engine.computerPlayer, 1);
    EXPECT_EQ(h.status(), "   I win >:)   ");
    EXPECT_EQ(h.window.statisticsText(), "time:77");
    EXPECT_EQ(h.window.moveLogEntries(), (Entries{"A2-B2", "B1-B2", "A1-A2", "A1-B1"}));
    h.expectDisplayMatchesLive();
    EXPECT_EQ(h.session.displayLastMove, 3);
}

TEST(ComputerTurn, AiDoMoveOnAFinishedGameGivesTheVerdictOfTheSideToMove) {
    struct Case {
        std::initializer_list<MoveIndex> game;
        const char* twoPlayer;
        const char* computer;
    };
    const Case cases[] = {
        {{8, 7, 11, 1, 9, 6, 3, 10, 0, 5, 2, 4}, "   P1 wins with 3 quads   ", "   I win >:)   "},
        {{9, 5, 3, 7, 11, 8, 2, 6, 10, 0, 4, 1}, "   P2 wins with 3 quads   ", "   You win :(   "},
        {{5, 7, 10, 4, 9, 0, 2, 3, 8, 11, 6, 1}, "   Draw   ", "   Draw :/   "},
    };
    for (const Case& c : cases) {
        SessionHarness h;
        h.session.newGame(3);
        h.play(c.game);
        ASSERT_EQ(h.status(), c.twoPlayer);
        const int32_t drawer = h.session.liveBoard->sideToMove;
        h.session.startComputerTurn();
        h.waitIdle();
        EXPECT_EQ(h.session.engine.computerPlayer, drawer);
        EXPECT_EQ(h.status(), c.computer);
        EXPECT_EQ(h.window.statisticsText(), "Aistatistics:");
        EXPECT_EQ(h.window.moveLogEntries().size(), 12u);
    }
}

TEST(ComputerTurn, UnusableFieldsPlayLineZeroThenError) {
    for (auto [field, text] :
         {std::pair{MainWindow::TimeLimitField, "0"}, std::pair{MainWindow::DepthField, "0"},
          std::pair{MainWindow::DepthField, "abc"}, std::pair{MainWindow::TimeLimitField, "-40"}}) {
        SCOPED_TRACE(text);
        SessionHarness h;
        h.window.setFieldText(field, text);
        h.session.startComputerTurn();
        h.waitIdle();
        EXPECT_EQ(h.window.moveLogEntries(), Entries{"A1-B1"});
        EXPECT_EQ(h.status(), "");
        const std::string statistics = h.window.statisticsText();
        expectTimeStatistics(statistics);

        // Now P2 is to move and line 0 is drawn: the computer's choice fails.
        h.session.startComputerTurn();
        h.waitIdle();
        EXPECT_EQ(h.session.engine.computerPlayer, 1);
        EXPECT_EQ(h.status(), kAiErrored);
        EXPECT_EQ(h.window.statisticsText(), statistics);
        EXPECT_EQ(h.window.moveLogEntries(), Entries{"A1-B1"});
        EXPECT_EQ(h.session.liveBoard->historyLength, 1);
        h.expectDisplayMatchesLive();

        // Every command works again; the user's move is played for P2.
        h.session.executeMove("B1-C1");
        EXPECT_EQ(h.session.liveBoard->historyLength, 2);
        EXPECT_EQ(h.session.liveBoard->lines[1].owner, 2);
    }
}

TEST(ComputerTurn, UndoWhileThinkingMakesTheComputerPlayAtOnce) {
    SessionHarness h;
    startEndlessTurn(h);
    EXPECT_TRUE(h.session.busy.load());
    EXPECT_EQ(h.status(), kAiThinking);
    // Ignored while the computer thinks.
    h.session.executeMove("A1-B1");
    h.session.startComputerTurn();
    EXPECT_EQ(h.window.moveLogEntries(), Entries{});
    // The debug toggle during the turn picks the statistics form at its end.
    h.session.debugInfo = true;
    h.session.undoLast();
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    EXPECT_EQ(live.historyLength, 1) << "one computer move, nothing taken back";
    EXPECT_EQ(live.lines[live.history[0]].owner, 1);
    EXPECT_EQ(live.sideToMove, 1);
    EXPECT_EQ(live.dotsPerSide, 5);
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
    EXPECT_EQ(h.status(), "");
    expectDebugStatistics(h.window.statisticsText());
    // The undo itself is asked for again once the turn is over.
    h.session.undoLast();
    EXPECT_EQ(live.historyLength, 0);
}

// The debug statistics without their time line.
std::string withoutTime(const std::string& statistics) {
    return statistics.substr(0, statistics.find("t:"));
}

// What an undisturbed search of the position after these moves leaves in the
// debug statistics, the time line left out.
std::string undisturbedStatistics(int32_t n, std::initializer_list<MoveIndex> moves,
                                  int32_t depth) {
    Board board;
    board.createBoard(n, 2);
    for (MoveIndex move : moves) board.playMove(move);
    SearchEngine engine;
    engine.board = &board;
    engine.computerPlayer = board.sideToMove;
    engine.chooseMove(depth, INT32_MAX);
    char text[128];
    std::snprintf(
        text, sizeof text, "l:%lld\nn:%lld\na:%i\nd:%i\n", static_cast<long long>(engine.leafCount),
        static_cast<long long>(engine.nodeCount), engine.lastValue, engine.currentDepth.load());
    board.releaseBoard();
    return text;
}

// After a turn of one move on 5 dots: the next turn, at depth 2, is a whole
// search, not one cut by a stop request left over.
void expectNextTurnSearchesAsDeepAsAsked(SessionHarness& h) {
    const MoveIndex first = h.session.liveBoard->history[0];
    h.window.setFieldText(MainWindow::DepthField, "2");
    h.session.startComputerTurn();
    h.waitIdle();
    EXPECT_EQ(withoutTime(h.window.statisticsText()), undisturbedStatistics(5, {first}, 2));
}

// A stop request reaches the computer at whatever instant it is made, and
// makes it play at once: with no search under way yet, the next search tries
// each root move once, as a leaf. One request stops one search.

TEST(StopInstants, UndoBeforeTheSearchBeginsStillStopsIt) {
    // Undo while the worker waits for the time field; depth 6 without a time
    // limit would take a long while.
    SessionHarness h;
    h.session.newGame(5);
    h.window.setFieldText(MainWindow::DepthField, "6");
    h.window.setFieldText(MainWindow::TimeLimitField, kEndlessTime);
    h.session.debugInfo = true;
    h.window.holdFieldReads(true);
    h.session.startComputerTurn();
    h.session.undoLast();
    h.window.holdFieldReads(false);
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    ASSERT_EQ(live.historyLength, 1) << "one computer move, nothing taken back";
    EXPECT_EQ(h.status(), "");
    const std::string statistics = h.window.statisticsText();
    expectDebugStatistics(statistics);
    // The 40 lines of the board, each played once and judged as a leaf.
    EXPECT_EQ(statistics.substr(0, 10), "l:40\nn:40\n") << statistics;
    EXPECT_NE(statistics.find("\nd:1\n"), std::string::npos) << statistics;
    expectNextTurnSearchesAsDeepAsAsked(h);
}

TEST(StopInstants, UndoBetweenTwoSearchesOfATurnStopsTheSecond) {
    SessionHarness h;
    // P2 takes quad 0 with A1-B1 and moves again.
    startEndlessTurn(h, {4, 5, 9});
    h.session.debugInfo = true;
    h.window.holdFieldReads(true);
    h.session.undoLast();  // stops the first search
    ASSERT_TRUE(h.eventually([&] { return h.window.moveLogEntries().size() == 4; }));
    // The taking move is played and logged; the next search has not begun.
    h.session.undoLast();
    h.window.setFieldText(MainWindow::DepthField, "2");
    h.window.holdFieldReads(false);
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    ASSERT_EQ(live.historyLength, 5);
    EXPECT_EQ(live.history[3], 0);
    // No quad left to take: 36 lines, one leaf each, not a depth-2 search.
    const std::string statistics = h.window.statisticsText();
    EXPECT_EQ(statistics.substr(0, 10), "l:36\nn:36\n") << statistics;
    EXPECT_NE(statistics.find("\nd:1\n"), std::string::npos) << statistics;
    h.expectLogMatchesHistory();
}

TEST(StopInstants, OneUndoStopsOnlyTheSearchItMeets) {
    SessionHarness h;
    startEndlessTurn(h, {4, 5, 9});
    h.session.debugInfo = true;
    h.window.holdFieldReads(true);
    h.session.undoLast();
    ASSERT_TRUE(h.eventually([&] { return h.window.moveLogEntries().size() == 4; }));
    h.window.setFieldText(MainWindow::DepthField, "2");
    h.window.holdFieldReads(false);
    h.waitIdle();
    // After the quad the second search had its whole limit.
    ASSERT_EQ(h.session.liveBoard->historyLength, 5);
    EXPECT_EQ(withoutTime(h.window.statisticsText()), undisturbedStatistics(5, {4, 5, 9, 0}, 2));
}

TEST(StopInstants, UndoTooLateForATurnStopsNothingInTheNext) {
    SessionHarness h;
    h.session.newGame(5);
    h.session.debugInfo = true;
    h.window.setFieldText(MainWindow::DepthField, "1");
    h.window.holdStatistics(true);
    h.session.startComputerTurn();
    // The turn's only search is over: its move is logged, and the worker
    // waits to show the statistics.
    ASSERT_TRUE(h.eventually([&] { return h.window.moveLogEntries().size() == 1; }));
    h.session.undoLast();
    h.window.holdStatistics(false);
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    ASSERT_EQ(live.historyLength, 1);
    expectNextTurnSearchesAsDeepAsAsked(h);
}

TEST(ComputerTurn, StatisticsShowCountsPastTwoToTheThirtyFirst) {
    SessionHarness h;
    SearchEngine& engine = h.session.engine;
    engine.leafCount = 3000000000;
    engine.nodeCount = 5000000007;
    engine.lastValue = -63125;
    engine.currentDepth = 7;
    engine.elapsedMs = 61234;
    char text[128];
    h.session.formatStatistics(text, sizeof text, true);
    EXPECT_STREQ(text, "l:3000000000\nn:5000000007\na:-63125\nd:7\nt:61234");
    h.session.formatStatistics(text, sizeof text, false);
    EXPECT_STREQ(text, "time:61234");
}

TEST(ComputerTurn, NewGameWhileThinkingStopsTheSearchAndKeepsTheGame) {
    SessionHarness h;
    startEndlessTurn(h);
    h.session.newGame(3);
    h.waitIdle();
    EXPECT_EQ(h.session.liveBoard->dotsPerSide, 5);
    EXPECT_EQ(h.session.liveBoard->historyLength, 1);
    EXPECT_EQ(h.window.moveLogEntries().size(), 1u);
    EXPECT_EQ(h.status(), "");
    expectTimeStatistics(h.window.statisticsText());
    h.session.newGame(3);
    EXPECT_EQ(h.session.liveBoard->dotsPerSide, 3);
    EXPECT_EQ(h.window.moveLogEntries(), Entries{});
}

TEST(ComputerTurn, UndoAfterATurnThatPassedStartsNoTurn) {
    SessionHarness h;
    h.session.newGame(3);
    h.window.setFieldText(MainWindow::DepthField, "1");
    h.session.startComputerTurn();
    h.waitIdle();
    h.session.undoLast();
    EXPECT_FALSE(h.session.busy.load());
    EXPECT_EQ(h.session.liveBoard->historyLength, 0);
    EXPECT_EQ(h.session.liveBoard->sideToMove, 0);
    EXPECT_EQ(h.window.moveLogEntries(), Entries{});
    // A user's move is now played for the computer's side and hands the turn
    // to P2, so the computer does not answer.
    h.session.executeMove("A1-A2");
    EXPECT_FALSE(h.session.busy.load());
    EXPECT_EQ(h.session.liveBoard->lines[2].owner, 1);
}

TEST(ComputerTurn, FieldsAreReadAgainBeforeEveryMoveOfATurn) {
    SessionHarness h;
    // Quad 0 of 5 dots at three sides (left, right, bottom), P2 to move: the
    // computer takes it with A1-B1 and moves again.
    startEndlessTurn(h, {4, 5, 9});
    h.session.debugInfo = true;
    h.window.setFieldText(MainWindow::DepthField, "1");
    h.session.undoLast();  // cuts the first search short; the next one reads depth 1
    // Without the fresh read the next search would never end; waitIdle then
    // fails and stops it.
    h.waitIdle();
    const Board& live = *h.session.liveBoard;
    ASSERT_GE(live.historyLength, 5);
    EXPECT_EQ(live.history[3], 0) << "the stopped search still closes the quad";
    EXPECT_EQ(live.quads[0].owner, 2);
    const std::string statistics = h.window.statisticsText();
    EXPECT_NE(statistics.find("\nd:1\n"), std::string::npos) << statistics;
    h.expectLogMatchesHistory();
}
