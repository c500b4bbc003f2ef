// The computer's turn, played on a worker thread of its own so that the
// window keeps painting and answering clicks while the search runs.
#include <cstdio>

#include "main_window.h"
#include "platform/platform.h"
#include "session/game_session.h"

namespace {

void runComputerTurn(void* session) { static_cast<GameSession*>(session)->computerTurn(); }

}  // namespace

void GameSession::startComputerTurn() {
    if (busy.load()) return;
    setStatusText(kAiThinking);
    window->redraw();
    engine.computerPlayer = liveBoard->sideToMove;
    // A click that came too late for the last turn stops nothing in this one.
    engine.timeBudget.clearStopRequest();
    busy.store(true);
    if (!platform::startDetachedThread(&runComputerTurn, this)) {
        busy.store(false);
        setStatusText(kAiErrored);
        window->redraw();
    }
}

void GameSession::requestStop() { engine.requestStop(); }

bool GameSession::toggleDebugInfo() {
    bool was = debugInfo.load();
    while (!debugInfo.compare_exchange_weak(was, !was)) {
    }
    return !was;
}

void GameSession::formatStatistics(char* buffer, size_t size, bool debug) const {
    if (debug)
        std::snprintf(buffer, size, "l:%lld\nn:%lld\na:%i\nd:%i\nt:%i",
                      static_cast<long long>(engine.leafCount),
                      static_cast<long long>(engine.nodeCount), engine.lastValue,
                      engine.currentDepth.load(), engine.elapsedMs);
    else
        std::snprintf(buffer, size, "time:%i", engine.elapsedMs);
}

void GameSession::computerTurn() {
    try {
        char moveText[kMoveTextBuffer];
        while (liveBoard->sideToMove == engine.computerPlayer && liveBoard->availableCount > 0) {
            // Both fields are read afresh for every move, the time limit first.
            const int32_t timeLimit = window->readTimeLimit();
            const int32_t maxDepth = window->readMaxDepth();
            const MoveIndex move = engine.chooseMove(maxDepth, timeLimit);
            liveBoard->playMove(move);
            liveBoard->formatMove(moveText, move);
            window->logMove(moveText);
        }
        if (liveBoard->availableCount == 0) {
            checkGameOver();
        } else {
            char statistics[128];
            formatStatistics(statistics, sizeof statistics, debugInfo.load());
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
