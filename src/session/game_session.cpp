// The session's commands: New Game, Execute Move and Undo, the verdict, and
// building and releasing the session.
#include "session/game_session.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "main_window.h"
#include "platform/platform.h"
#include "session/verdict.h"

GameSession::GameSession(MainWindow* mainWindow) : window(mainWindow) { newGame(4); }

GameSession::~GameSession() {
    // Sleeping is enough here: the worker never waits on a window operation
    // that this thread would have to carry out. The headless window answers
    // from any thread, and the Win32 program has already stopped and waited
    // while dispatching messages (runProgram) before releasing the session.
    stopAndWait([] { platform::sleepMilliseconds(1); });
    std::lock_guard<std::mutex> hold(displayLock);
    std::unique_ptr<Board> live(liveBoard), display(displayBoard);
    liveBoard = nullptr;
    displayBoard = nullptr;
}

void GameSession::setStatusText(const char* text) {
    std::lock_guard<std::mutex> hold(displayLock);
    std::snprintf(statusText, sizeof statusText, "%s", text);
}

GameSession::Snapshot GameSession::snapshot() {
    std::lock_guard<std::mutex> hold(displayLock);
    return {statusText, busy.load()};
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
    char verdict[80];
    formatVerdict(verdict, sizeof verdict, liveBoard->scores, liveBoard->quadCount,
                  engine.computerPlayer);
    setStatusText(verdict);
    return true;
}
