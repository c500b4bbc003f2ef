// The computer's turn, played on a worker thread of its own so that the
// window keeps painting and answering clicks while the search runs.
#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "session/game_session.h"
#include "ui/main_window.h"

namespace {

void runComputerTurn(void* session) { static_cast<GameSession*>(session)->computerTurn(); }

}  // namespace

void GameSession::startComputerTurn() {
    if (busy.load()) return;
    setStatusText(kAiThinking);
    window->redraw();
    engine.computerPlayer = liveBoard->sideToMove;
    stopRequested.store(false);  // a stop from an earlier turn is spent
    busy.store(true);
    if (!platform::startDetachedThread(&runComputerTurn, this)) {
        busy.store(false);
        setStatusText(kAiErrored);
        window->redraw();
    }
}

void GameSession::requestStop() {
    stopRequested.store(true);
    engine.timeBudget = 0;
}

void GameSession::computerTurn() {
    try {
        char moveText[20];
        while (liveBoard->sideToMove == engine.computerPlayer && liveBoard->availableCount > 0) {
            // Both fields are read afresh for every move, the time limit first.
            const int32_t timeLimit = window->readTimeLimit();
            const int32_t maxDepth = window->readMaxDepth();
            // A stop that came before this search could see it still cuts it
            // short, to one turn deep: a real move at once, not line 0.
            const bool stopNow = stopRequested.exchange(false);
            const MoveIndex move =
                engine.chooseMove(stopNow ? std::min(maxDepth, 1) : maxDepth, timeLimit);
            // A stop during the search ended that search only.
            stopRequested.store(false);
            liveBoard->playMove(move);
            liveBoard->formatMove(moveText, move);
            window->logMove(moveText);
        }
        if (liveBoard->availableCount == 0) {
            checkGameOver();
        } else {
            char statistics[128];
            if (debugInfo.load())
                std::snprintf(statistics, sizeof statistics, "l:%i\nn:%i\na:%i\nd:%i\nt:%i",
                              engine.leafCount, engine.nodeCount, engine.lastValue,
                              engine.currentDepth, engine.elapsedMs);
            else
                std::snprintf(statistics, sizeof statistics, "time:%i", engine.elapsedMs);
            window->setStatistics(statistics);
            setStatusText("");
        }
    } catch (...) {
        // Moves played before the failure stay played and logged.
        try {
            if (!checkGameOver()) setStatusText(kAiErrored);
        } catch (...) {
        }
    }
    try {
        refreshDisplay();
        window->redraw();
    } catch (...) {
        // Nothing may keep busy from being cleared.
    }
    // Last: once busy is false the window thread may start a new game or
    // release the session.
    busy.store(false);
}
