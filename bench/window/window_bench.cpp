// Figures of the real window under Wine (run by scripts/bench-window.sh):
//  1. one whole paint of a 26-dot board with the debug overlay on (1300 lines,
//     1300 priority keys, 52 coordinate labels), through WM_PAINT and alone;
//  2. the latency from "Undo move" during a long search until the computer's
//     move is in the move log.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "main_window.h"
#include "model/move_text.h"
#include "session/game_session.h"

namespace {

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void dispatchPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double s : samples) sum += s;
    std::printf("%-44s n=%-3zu min %8.2f ms  median %8.2f ms  mean %8.2f ms  max %8.2f ms\n", what,
                samples.size(), samples.front(), samples[samples.size() / 2],
                sum / static_cast<double>(samples.size()), samples.back());
}

void click(MainWindow& window, HWND button) {
    SendMessageA(window.windowHandle, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

LRESULT logCount(MainWindow& window) { return SendMessageA(window.moveLog, LB_GETCOUNT, 0, 0); }

void benchPaint(MainWindow& window, GameSession& session) {
    SetWindowTextA(window.sizeField, "26");
    click(window, window.newGameButton);
    // Half the lines drawn, so that owned quads are filled and both pens used.
    std::mt19937 random(26);
    Board& board = *session.liveBoard;
    for (int32_t played = 0; played < board.lineCount / 2; ++played) {
        const MoveIndex move = board.available[random() % board.availableCount]->index;
        SetWindowTextA(window.moveField, moveText(board, move).c_str());
        click(window, window.executeMoveButton);
    }
    click(window, window.debugButton);
    dispatchPending();

    constexpr int kRounds = 40;
    std::vector<double> throughPaint, alone;
    for (int round = 0; round < kRounds; ++round) {
        const double start = nowMs();
        RedrawWindow(window.windowHandle, nullptr, nullptr,
                     RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
        GdiFlush();
        throughPaint.push_back(nowMs() - start);
    }
    for (int round = 0; round < kRounds; ++round) {
        const double start = nowMs();
        session.paintBoard();
        GdiFlush();
        alone.push_back(nowMs() - start);
    }
    std::printf("26-dot board, %d lines drawn, debug overlay on, client %dx%d\n",
                board.historyLength, window.clientWidth, window.clientHeight);
    report("paint via WM_PAINT (erase + paintBoard)", throughPaint);
    report("paintBoard alone", alone);
    click(window, window.debugButton);
}

void benchUndoLatency(MainWindow& window, GameSession& session) {
    constexpr int kRounds = 5;
    std::vector<double> latency;
    SetWindowTextA(window.timeLimitField, "600000");  // far longer than we wait
    SetWindowTextA(window.sizeField, "8");
    for (int round = 0; round < kRounds; ++round) {
        click(window, window.newGameButton);
        click(window, window.computerMoveButton);
        // Let the search get deep into its work.
        const double thinkUntil = nowMs() + 500;
        while (nowMs() < thinkUntil) {
            dispatchPending();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        const LRESULT before = logCount(window);
        const double start = nowMs();
        click(window, window.undoButton);
        // The worker's logMove is a message sent to this thread; the count
        // changes while it is dispatched.
        while (logCount(window) == before) {
            dispatchPending();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        latency.push_back(nowMs() - start);
        session.stopAndWait([] {
            dispatchPending();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        });
    }
    std::printf("8-dot board, time limit 600000 ms, undo after 500 ms of search\n");
    report("Undo move -> computer's move in the log", latency);
}

}  // namespace

int main() {
    static MainWindow window;
    GameSession session(&window);
    window.createWindow(GetModuleHandleA(nullptr), &session);
    if (window.windowHandle == nullptr) return 1;
    window.show();
    dispatchPending();
    benchPaint(window, session);
    benchUndoLatency(window, session);
    DestroyWindow(window.windowHandle);
    window.finishComputerTurn();
    return 0;
}
