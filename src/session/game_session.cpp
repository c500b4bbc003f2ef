// The session's commands: New Game, Execute Move and Undo, the verdict, and
// building and releasing the session.
#include "session/game_session.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/platform.h"
#include "ui/main_window.h"

GameSession::GameSession(MainWindow* window) : window(window) { newGame(4); }

GameSession::~GameSession() {
    // A completed quad makes the worker search again with a fresh budget, so
    // the stop is repeated until its turn is over. The worker never waits on
    // this thread's window here, so the wait ends.
    for (;;) {
        requestStop();
        if (!busy.load()) break;
        platform::sleepMilliseconds(1);
    }
    std::lock_guard<std::mutex> hold(displayLock);
    std::unique_ptr<Board> live(liveBoard), display(displayBoard);
    liveBoard = nullptr;
    displayBoard = nullptr;
}

void GameSession::setStatusText(const char* text) {
    std::lock_guard<std::mutex> hold(displayLock);
    std::snprintf(statusText, sizeof statusText, "%s", text);
}

void GameSession::refreshDisplay() {
    std::lock_guard<std::mutex> hold(displayLock);
    displayBoard->copyLinesFrom(*liveBoard);
    displayLastMove = liveBoard->lastMove();
}

void GameSession::newGame(int32_t n) {
    setStatusText("");
    if (busy.load()) {
        requestStop();
        return;
    }
    if (n > kMaxDotsPerSide || n < kMinDotsPerSide) return;

    // Both new boards are built before the old ones go, so a failed build
    // leaves the current game playable instead of pointing at freed boards.
    auto live = std::make_unique<Board>(n, 2);
    auto display = std::make_unique<Board>(n, 2);
    std::unique_ptr<Board> oldLive, oldDisplay;
    {
        std::lock_guard<std::mutex> hold(displayLock);
        oldLive.reset(liveBoard);
        oldDisplay.reset(displayBoard);
        liveBoard = live.release();
        displayBoard = display.release();
    }
    engine.board = liveBoard;
    engine.computerPlayer = -1;
    window->clearMoveLog();
    refreshDisplay();
    window->redraw();
}

void GameSession::executeMove(const char* text) {
    if (busy.load()) return;
    // A longer text was cut by the field read, or would have been: what is
    // left of it may name a line the user never typed ("A1" + 14 blanks +
    // "-A20" cut to 19 characters reads as A1-A2).
    if (text == nullptr || strnlen(text, kMoveTextLimit + 1) > kMoveTextLimit) return;
    try {
        liveBoard->playMove(liveBoard->parseMove(text));
        window->logMove(text);
        if (debugInfo.load()) {
            char chains[32];
            std::snprintf(chains, sizeof chains, "chains: %i", liveBoard->chains());
            setStatusText(chains);
        }
        refreshDisplay();
        window->redraw();
        const bool over = checkGameOver();
        if (!over && liveBoard->sideToMove == engine.computerPlayer) startComputerTurn();
    } catch (...) {
        // A bad move, like any other failure here, ends the command silently.
    }
}

void GameSession::undoLast() {
    if (busy.load()) {
        requestStop();
        return;
    }
    try {
        liveBoard->undoMove();
        window->unlogMove();
        refreshDisplay();
        window->redraw();
        setStatusText("");
    } catch (...) {
        // Nothing to take back: nothing changes.
    }
}

bool GameSession::checkGameOver() {
    if (liveBoard->availableCount != 0) return false;
    const int32_t half = liveBoard->quadCount / 2;
    const bool even = liveBoard->quadCount % 2 == 0;
    const int32_t* scores = liveBoard->scores;
    char verdict[80];
    if (engine.computerPlayer == -1) {
        if (even && scores[0] == half) {
            std::snprintf(verdict, sizeof verdict, "   Draw   ");
        } else {
            const int32_t winner = scores[1] > scores[0] ? 1 : 0;
            std::snprintf(verdict, sizeof verdict, "   P%i wins with %i quads   ", winner + 1,
                          scores[winner]);
        }
    } else {
        const int32_t own = scores[engine.computerPlayer];
        if (own > half)
            std::snprintf(verdict, sizeof verdict, "   I win >:)   ");
        else if (even && own == half)
            std::snprintf(verdict, sizeof verdict, "   Draw :/   ");
        else
            std::snprintf(verdict, sizeof verdict, "   You win :(   ");
    }
    setStatusText(verdict);
    return true;
}
