// New Game, Execute Move, Undo and the verdict, on the window thread alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session_fixture.h"

using Entries = std::vector<std::string>;

namespace {

// Whole games on 3 dots per side (lines 0 to 11, quads 0 to 3), found by
// random play; the comment gives the final scores and who drew the last line.
constexpr std::initializer_list<MoveIndex> kDrawP1Last = {5, 7, 10, 4, 9, 0, 2, 3, 8, 11, 6, 1};
constexpr std::initializer_list<MoveIndex> kP2ThreeP2Last = {6, 10, 7, 1, 4, 2, 3, 9, 8, 0, 11, 5};
constexpr std::initializer_list<MoveIndex> kP1FourP1Last = {3, 5, 8, 2, 4, 9, 6, 7, 10, 11, 0, 1};
constexpr std::initializer_list<MoveIndex> kP1ThreeP1Last = {8, 7, 11, 1, 9, 6, 3, 10, 0, 5, 2, 4};
constexpr std::initializer_list<MoveIndex> kP2FourP2Last = {1, 9, 5, 4, 10, 8, 2, 11, 3, 0, 6, 7};
// 4 dots per side: P1 5, P2 4 quads, P1 drew the last line.
constexpr std::initializer_list<MoveIndex> kFourDotsFiveToFour = {
    2, 9, 12, 7, 5, 6, 17, 18, 20, 19, 11, 3, 14, 4, 22, 15, 16, 0, 10, 21, 1, 23, 13, 8};

}  // namespace

TEST(SessionStart, TwoPlayerGameOnFourDots) {
    SessionHarness h;
    const Board& live = *h.session.liveBoard;
    EXPECT_EQ(live.dotsPerSide, 4);
    EXPECT_EQ(live.lineCount, 24);
    EXPECT_EQ(live.historyLength, 0);
    EXPECT_EQ(h.session.displayBoard->dotsPerSide, 4);
    EXPECT_NE(h.session.displayBoard, h.session.liveBoard);
    EXPECT_EQ(h.session.engine.board, h.session.liveBoard);
    EXPECT_EQ(h.session.engine.computerPlayer, -1);
    EXPECT_FALSE(h.session.debugInfo.load());
    EXPECT_FALSE(h.session.busy.load());
    EXPECT_EQ(h.session.displayLastMove, -1);
    EXPECT_EQ(h.status(), "");
    EXPECT_EQ(h.window.moveLogEntries(), Entries{});
}

TEST(SessionStart, FirstGameTouchesNoWindowBeforeItExists) {
    MainWindow window;
    window.logMove("X");  // ignored: not created yet
    GameSession session(&window);
    EXPECT_EQ(window.redrawCount(), 0);
    window.create(&session);
    session.executeMove("A1-B1");
    EXPECT_EQ(window.moveLogEntries(), Entries{"A1-B1"});
    EXPECT_EQ(window.redrawCount(), 1);
}

TEST(NewGame, RefusedSizesOnlyClearTheStatusText) {
    SessionHarness h;
    h.play({0, 1});
    h.session.engine.computerPlayer = 1;
    for (int32_t n : {1, 27, 0, -4, 1000}) {
        h.session.setStatusText("   Draw   ");
        const Board* live = h.session.liveBoard;
        const int32_t redraws = h.window.redrawCount();
        h.session.newGame(n);
        EXPECT_EQ(h.status(), "") << n;
        EXPECT_EQ(h.session.liveBoard, live) << n;
        EXPECT_EQ(h.session.liveBoard->historyLength, 2) << n;
        EXPECT_EQ(h.session.engine.computerPlayer, 1) << n;
        EXPECT_EQ(h.window.moveLogEntries(), (Entries{"B1-C1", "A1-B1"})) << n;
        EXPECT_EQ(h.window.redrawCount(), redraws) << "no repaint for a refused size " << n;
    }
}

TEST(NewGame, ReplacesBothBoardsAndResetsTheOpponent) {
    SessionHarness h;
    h.play({0, 1, 2});
    h.session.engine.computerPlayer = 0;
    h.session.debugInfo = true;
    h.window.setStatistics("time:12");
    const int32_t redraws = h.window.redrawCount();
    struct Size {
        int32_t n, lines, quads;
    };
    for (Size s : {Size{2, 4, 1}, Size{26, 1300, 625}, Size{3, 12, 4}}) {
        h.session.newGame(s.n);
        const Board& live = *h.session.liveBoard;
        EXPECT_EQ(live.dotsPerSide, s.n);
        EXPECT_EQ(live.lineCount, s.lines);
        EXPECT_EQ(live.quadCount, s.quads);
        EXPECT_EQ(live.availableCount, s.lines);
        EXPECT_EQ(live.sideToMove, 0);
        EXPECT_EQ(h.session.displayBoard->lineCount, s.lines);
        EXPECT_EQ(h.session.engine.board, h.session.liveBoard);
        EXPECT_EQ(h.session.engine.computerPlayer, -1);
        EXPECT_EQ(h.session.displayLastMove, -1);
        EXPECT_EQ(h.window.moveLogEntries(), Entries{});
    }
    EXPECT_EQ(h.window.redrawCount(), redraws + 3);
    EXPECT_TRUE(h.session.debugInfo.load());
    EXPECT_EQ(h.window.statisticsText(), "time:12");
}

TEST(ExecuteMove, PlaysLogsTheTextAsTypedAndRefreshesTheDisplay) {
    SessionHarness h;
    const int32_t redraws = h.window.redrawCount();
    h.session.executeMove(" B1 - A1 ");  // parses to line 0; logged as typed
    EXPECT_EQ(h.session.liveBoard->lastMove(), 0);
    EXPECT_EQ(h.window.moveLogEntries(), Entries{" B1 - A1 "});
    EXPECT_EQ(h.window.redrawCount(), redraws + 1);
    EXPECT_EQ(h.session.displayBoard->lines[0].owner, 1);
    EXPECT_EQ(h.session.displayLastMove, 0);
    EXPECT_EQ(h.status(), "");
}

TEST(ExecuteMove, RefusedMovesChangeNothing) {
    SessionHarness h;
    h.play({0});
    h.session.setStatusText("   P1 wins with 4 quads   ");
    const int32_t redraws = h.window.redrawCount();
    for (const char* text : {"A1-B1", "D4-E4", "A1-C1", "", "junk", "A1-B2", "A0-B0"}) {
        h.session.executeMove(text);
        EXPECT_EQ(h.session.liveBoard->historyLength, 1) << text;
        EXPECT_EQ(h.window.moveLogEntries(), Entries{"A1-B1"}) << text;
        EXPECT_EQ(h.status(), "   P1 wins with 4 quads   ") << text;
    }
    EXPECT_EQ(h.window.redrawCount(), redraws);
    h.expectDisplayMatchesLive();
}

TEST(ExecuteMove, TextsLongerThanNineteenCharactersAreNoMove) {
    SessionHarness h;
    // 20 characters: cut to its first 19 it would read as A1-A2.
    const std::string tooLong = "A1" + std::string(14, ' ') + "-A20";
    ASSERT_EQ(tooLong.size(), 20u);
    ASSERT_EQ(h.session.liveBoard->parseMove(tooLong.substr(0, 19).c_str()), 3);
    h.session.executeMove(tooLong.c_str());
    h.session.executeMove((std::string(18, ' ') + "A1-B1").c_str());
    EXPECT_EQ(h.session.liveBoard->historyLength, 0);
    EXPECT_EQ(h.window.moveLogEntries(), Entries{});

    // 19 characters is still a move, logged as typed.
    const std::string longest = "A1" + std::string(14, ' ') + "-A2";
    ASSERT_EQ(longest.size(), 19u);
    h.session.executeMove(longest.c_str());
    EXPECT_EQ(h.session.liveBoard->lastMove(), 3);
    EXPECT_EQ(h.window.moveLogEntries(), Entries{longest});
    h.session.executeMove(nullptr);
    EXPECT_EQ(h.session.liveBoard->historyLength, 1);
}

TEST(ExecuteMove, IgnoredWhileTheComputerIsBusy) {
    SessionHarness h;
    h.session.busy = true;  // stands in for a running turn; no thread here
    h.session.executeMove("A1-B1");
    h.session.startComputerTurn();
    EXPECT_EQ(h.session.liveBoard->historyLength, 0);
    EXPECT_EQ(h.window.moveLogEntries(), Entries{});
    EXPECT_EQ(h.session.engine.computerPlayer, -1);
    EXPECT_EQ(h.status(), "");
    h.session.busy = false;
}

TEST(ExecuteMove, DebugShowsChainsUntilTheVerdictReplacesIt) {
    SessionHarness h;
    h.session.newGame(3);
    h.session.debugInfo = true;
    std::vector<MoveIndex> game(kDrawP1Last);
    for (size_t at = 0; at + 1 < game.size(); ++at) {
        h.play({game[at]});
        char expected[32];
        std::snprintf(expected, sizeof expected, "chains: %i", h.session.liveBoard->chains());
        EXPECT_EQ(h.status(), expected) << "after move " << at;
    }
    h.play({game.back()});
    EXPECT_EQ(h.status(), "   Draw   ");
}

TEST(ExecuteMove, NoChainsTextWhileDebugIsOff) {
    SessionHarness h;
    h.session.setStatusText("keep");
    h.play({0, 1, 4});
    EXPECT_EQ(h.status(), "keep");
}

TEST(Verdict, TwoPlayerTexts) {
    struct Case {
        int32_t n;
        std::initializer_list<MoveIndex> game;
        int32_t score0, score1;
        const char* text;
    };
    const Case cases[] = {
        {2, {3, 1, 2, 0}, 0, 1, "   P2 wins with 1 quads   "},
        {3, kDrawP1Last, 2, 2, "   Draw   "},
        {3, kP2ThreeP2Last, 1, 3, "   P2 wins with 3 quads   "},
        {3, kP1FourP1Last, 4, 0, "   P1 wins with 4 quads   "},
        {3, kP1ThreeP1Last, 3, 1, "   P1 wins with 3 quads   "},
        {4, kFourDotsFiveToFour, 5, 4, "   P1 wins with 5 quads   "},
    };
    for (const Case& c : cases) {
        SessionHarness h;
        h.session.newGame(c.n);
        std::vector<MoveIndex> game(c.game);
        for (size_t at = 0; at + 1 < game.size(); ++at) {
            h.play({game[at]});
            EXPECT_FALSE(h.session.checkGameOver());
            EXPECT_EQ(h.status(), "") << "no verdict before the last line";
        }
        h.play({game.back()});
        EXPECT_EQ(h.session.liveBoard->scores[0], c.score0);
        EXPECT_EQ(h.session.liveBoard->scores[1], c.score1);
        EXPECT_EQ(h.status(), c.text);
        EXPECT_EQ(h.session.liveBoard->historyLength, h.session.liveBoard->lineCount);
        h.expectLogMatchesHistory();
        h.expectDisplayMatchesLive();
    }
}

TEST(Verdict, ComputerTexts) {
    struct Case {
        int32_t n;
        std::initializer_list<MoveIndex> game;
        int32_t computer;
        const char* text;
    };
    const Case cases[] = {
        {3, kP1ThreeP1Last, 0, "   I win >:)   "},  // 3 of 4
        {3, kP1FourP1Last, 0, "   I win >:)   "},   // 4 of 4
        {3, kP2FourP2Last, 1, "   I win >:)   "},   // 4 of 4, as P2
        {3, kDrawP1Last, 0, "   Draw :/   "},
        {3, kDrawP1Last, 1, "   Draw :/   "},
        {3, kP1ThreeP1Last, 1, "   You win :(   "},       // 1 of 4
        {3, kP1FourP1Last, 1, "   You win :(   "},        // 0 of 4
        {4, kFourDotsFiveToFour, 0, "   I win >:)   "},   // 5 of 9
        {4, kFourDotsFiveToFour, 1, "   You win :(   "},  // 4 of 9: no draw on odd counts
        {2, {3, 1, 2, 0}, 1, "   I win >:)   "},
        {2, {3, 1, 2, 0}, 0, "   You win :(   "},
    };
    for (const Case& c : cases) {
        SessionHarness h;
        h.session.newGame(c.n);
        h.play(c.game);
        h.session.engine.computerPlayer = c.computer;
        const int32_t redraws = h.window.redrawCount();
        EXPECT_TRUE(h.session.checkGameOver());
        EXPECT_EQ(h.status(), c.text) << c.n << " dots, computer " << c.computer;
        EXPECT_EQ(h.window.redrawCount(), redraws) << "the verdict asks for no repaint";
    }
}

TEST(Verdict, NotOverLeavesTheStatusText) {
    SessionHarness h;
    h.session.setStatusText("kept");
    h.play({0, 1});
    EXPECT_FALSE(h.session.checkGameOver());
    EXPECT_EQ(h.status(), "kept");
}

TEST(Undo, TakesBackTheLastLineWhoeverDrewIt) {
    SessionHarness h;
    h.session.newGame(3);
    h.play({0, 2, 11, 5, 3});  // P1's 3 completes quad 0; P1 moves again
    EXPECT_EQ(h.session.liveBoard->scores[0], 1);
    h.session.setStatusText("chains: 2");
    const int32_t redraws = h.window.redrawCount();
    h.session.undoLast();
    const Board& live = *h.session.liveBoard;
    EXPECT_EQ(live.historyLength, 4);
    EXPECT_EQ(live.scores[0], 0);
    EXPECT_EQ(live.sideToMove, 0);
    EXPECT_EQ(h.status(), "");
    EXPECT_EQ(h.window.redrawCount(), redraws + 1);
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
    EXPECT_EQ(h.session.displayLastMove, 5);
}

TEST(Undo, AfterAFinishedGame) {
    SessionHarness h;
    h.session.newGame(3);
    h.play(kP2ThreeP2Last);
    ASSERT_EQ(h.status(), "   P2 wins with 3 quads   ");
    h.session.undoLast();
    const Board& live = *h.session.liveBoard;
    EXPECT_EQ(live.availableCount, 1);
    EXPECT_EQ(live.lines[5].owner, 0);
    int32_t owned = 0;
    for (int32_t k = 0; k < live.quadCount; ++k) owned += live.quads[k].owner != 0;
    EXPECT_EQ(live.scores[0] + live.scores[1], owned);
    EXPECT_EQ(live.quads[0].owner, 0);  // line 5 is quad 0's bottom, quad 2's top
    EXPECT_EQ(live.quads[2].owner, 0);
    EXPECT_EQ(live.sideToMove, 1);
    EXPECT_EQ(h.status(), "");
    EXPECT_FALSE(h.session.checkGameOver());
    h.expectLogMatchesHistory();
    h.expectDisplayMatchesLive();
    // The same side plays the line again and wins again.
    h.play({5});
    EXPECT_EQ(h.status(), "   P2 wins with 3 quads   ");
}

TEST(Undo, EmptyHistoryChangesNothing) {
    SessionHarness h;
    h.session.setStatusText("chains: 0");
    const int32_t redraws = h.window.redrawCount();
    h.window.logMove("stray");  // would be removed by a wrongful unlogMove
    h.session.undoLast();
    EXPECT_EQ(h.status(), "chains: 0");
    EXPECT_EQ(h.window.moveLogEntries(), Entries{"stray"});
    EXPECT_EQ(h.window.redrawCount(), redraws);
}

TEST(Undo, NeverStartsAComputerTurn) {
    SessionHarness h;
    h.play({0, 1});
    h.session.engine.computerPlayer = 1;  // as after a computer turn for P2
    h.session.undoLast();
    EXPECT_EQ(h.session.liveBoard->sideToMove, 1);
    EXPECT_FALSE(h.session.busy.load());
    EXPECT_EQ(h.status(), "");
    EXPECT_EQ(h.session.engine.computerPlayer, 1);
}

TEST(Busy, NewGameAndUndoOnlyAskTheSearchToStop) {
    SessionHarness h;
    h.play({0, 1});
    h.session.setStatusText(kAiThinking);
    h.session.busy = true;  // stands in for a running turn; no thread here
    TimeBudget& budget = h.session.engine.timeBudget;
    budget.begin(5000);  // a search of five seconds under way
    h.session.undoLast();
    EXPECT_EQ(budget.load(), 0);
    EXPECT_TRUE(budget.stopRequested());
    EXPECT_EQ(h.session.liveBoard->historyLength, 2);
    EXPECT_EQ(h.status(), kAiThinking);
    budget.clearStopRequest();
    budget.begin(5000);
    const Board* live = h.session.liveBoard;
    h.session.newGame(5);
    EXPECT_EQ(budget.load(), 0);
    EXPECT_TRUE(budget.stopRequested());
    EXPECT_EQ(h.session.liveBoard, live);
    EXPECT_EQ(h.session.liveBoard->dotsPerSide, 4);
    EXPECT_EQ(h.status(), "");
    EXPECT_EQ(h.window.moveLogEntries().size(), 2u);
    h.session.busy = false;
}
