// The controller that owns the game: the live board (played and searched on),
// the display board (what painting reads), the search engine, the commands of
// the window's buttons, the verdict, and the computer's turn on a worker
// thread.
//
// busy is the interlock that matters: while it is true the worker alone
// changes the live board and the engine, and the window thread's commands
// only ask the search to stop or are ignored.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/search_engine.h"
#include "model/board.h"

class MainWindow;

inline constexpr const char* kAiThinking = "   Ai thinking !!!!   ";
inline constexpr const char* kAiErrored = "AI-Errored";
// The longest move text that executeMove takes; the window reads its move
// field with room for one character more, so that a longer text is refused
// whole instead of being cut into another move.
inline constexpr size_t kMoveTextLimit = 19;
// Room for a move text with its terminator: any the board writes (at most 7
// characters) and any executeMove takes.
inline constexpr size_t kMoveTextBuffer = kMoveTextLimit + 1;

class GameSession {
public:
    // Builds the engine and starts a game of 4 dots per side.
    explicit GameSession(MainWindow* mainWindow);
    // Stops a running computer turn and waits for it before freeing anything,
    // sleeping between stop requests. The Win32 program must have stopped and
    // waited itself, dispatching messages, before it releases the session:
    // see runProgram.
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Commands, window thread.
    void newGame(int32_t n);
    void executeMove(const char* text);
    void undoLast();
    bool checkGameOver();
    void startComputerTurn();
    // New Game and Undo while the computer thinks: play the best move so far,
    // at once, whether the search is running or about to begin.
    void requestStop();
    // The debug button: flips debugInfo and returns what it is now.
    bool toggleDebugInfo();

    // Stops a running computer turn and waits until it is over, calling
    // between() after each stop request. The window thread passes one that
    // keeps its messages flowing, since the worker may be waiting in a window
    // operation that only that thread carries out. The stop is repeated
    // because a completed quad starts another search with a fresh budget.
    template <typename Between>
    void stopAndWait(Between between) {
        while (busy.load()) {
            requestStop();
            between();
        }
    }

    // Waits for a running computer turn to end by itself, calling wait()
    // between looks at busy. wait() returns false to give up (a deadline
    // passed), and then so does this.
    template <typename Wait>
    bool waitIdle(Wait wait) {
        while (busy.load())
            if (!wait()) return false;
        return true;
    }

    // The status text and busy, read together under displayLock. The worker
    // writes the status only under that lock and clears busy after its last
    // write, so once busy reads false here the status is the one the turn
    // ended with.
    struct Snapshot {
        std::string status;
        bool busy;
    };
    Snapshot snapshot();

    // Body of the computer turn thread.
    void computerTurn();

    // Painting and picking, window thread; they read only the display board,
    // displayLastMove, statusText and debugInfo.
    void paintBoard();
    void drawLineSegment(const Line& line, uint8_t vertical, int32_t x, int32_t y, int32_t length);
    // Writes the line under x, y into buffer (kMoveTextBuffer bytes); leaves it
    // empty when the cells are too small to pick from.
    void pickLine(char* buffer, int32_t x, int32_t y);

    // The two writes that painting may meet halfway, each done under
    // displayLock: the status text, and the display board with its last move.
    void setStatusText(const char* text);
    void refreshDisplay();

    // The statistics label's text for the last search: "time:N", or the
    // five-line form while debugInfo is on.
    void formatStatistics(char* buffer, size_t size, bool debug) const;

    Board* liveBoard = nullptr;
    Board* displayBoard = nullptr;
    SearchEngine engine;
    std::atomic<bool> busy{false};
    MainWindow* window;
    char statusText[256] = {};
    std::atomic<bool> debugInfo{false};  // flipped by the window's debug button

    // What painting highlights: the last move as of the latest display refresh.
    MoveIndex displayLastMove = -1;
    // Held by painting, picking and every write of the display board,
    // displayLastMove or statusText; never across a window operation.
    std::mutex displayLock;
};
