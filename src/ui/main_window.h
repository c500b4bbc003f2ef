// The main window as the session sees it: seven window operations (move log,
// statistics label, repaint request, reading the depth and time fields), three
// drawing primitives and the client size.
//
// Two implementations are chosen at build time: the Win32 window (win32/,
// PAXLET_WINDOW_WIN32) for the program, and a headless one (headless/) that
// records everything for tests and command-line self-play.
#pragma once

#include <cstdint>

#if defined(PAXLET_WINDOW_WIN32)
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>
#endif

class GameSession;

// Integer value of a field's text: the first 19 characters, leading white
// space, an optional sign, then decimal digits; 0 when there are none.
int32_t fieldTextToInt(const char* text);

#if !defined(PAXLET_WINDOW_WIN32)
// One recorded drawing primitive call of the headless window.
struct DrawCall {
    enum Kind { FillQuad, StrokeLine, DrawLabel } kind;
    int32_t a, b, c, d, e;  // fillQuad: brush, left, top, width, height;
                            // strokeLine: pen, x1, y1, x2, y2; drawLabel: x, y
    std::string text;       // drawLabel only

    bool operator==(const DrawCall&) const = default;
};
#endif

class MainWindow {
public:
    MainWindow();

    // Window operations for the session. Any thread; before the window exists
    // they have no effect (the reads then give the fields' initial values).
    void logMove(const char* text);
    void unlogMove();
    void clearMoveLog();
    void setStatistics(const char* text);
    void redraw();
    int32_t readMaxDepth();
    int32_t readTimeLimit();

    // Drawing primitives, window thread, while painting.
    void fillQuad(int32_t brush, int32_t left, int32_t top, int32_t width, int32_t height);
    void strokeLine(int32_t pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void drawLabel(const char* text, int32_t x, int32_t y);

#if defined(PAXLET_WINDOW_WIN32)
    void createWindow(HINSTANCE instance, GameSession* session);
    void createControls(HWND parent);
    void show();
    void resize(int32_t width, int32_t height);
    void dispatchCommand(HWND control);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A click on the board: the picked move goes into the move field and, for
    // a double click, is executed.
    void pickInto(int32_t x, int32_t y, bool execute);
    // After the message loop: stops a running computer turn and keeps
    // dispatching messages until its thread is done with the session.
    void finishComputerTurn();

    HINSTANCE instanceHandle = nullptr;
    WNDCLASSEXA windowClass = {};
    HWND windowHandle = nullptr;
    HDC deviceContext = nullptr;
    HWND moveLog = nullptr;
    HWND sizeField = nullptr;
    HWND moveField = nullptr;
    HWND timeLimitField = nullptr;
    HWND depthField = nullptr;
    HWND newGameButton = nullptr;
    HWND executeMoveButton = nullptr;
    HWND undoButton = nullptr;
    HWND computerMoveButton = nullptr;
    HWND debugButton = nullptr;
    HWND statisticsLabel = nullptr;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    GameSession* gameSession = nullptr;
    HBRUSH quadBrushes[2] = {};
    HPEN linePens[4] = {};
#else
    // Headless stand-in. create() plays the part of the window coming into
    // existence; before it every operation does nothing. Whoever drives it
    // (a test, the self-play tool) acts as the window thread: it alone sets
    // the client size, which painting reads without a lock, as on Windows.
    enum Field { DepthField, TimeLimitField, SizeField, MoveField };

    void create(GameSession* session);
    void setClientSize(int32_t width, int32_t height);
    void setFieldText(Field field, const char* text);
    std::string fieldText(Field field);
    std::vector<std::string> moveLogEntries();  // newest first
    std::string statisticsText();
    int32_t redrawCount();
    std::vector<DrawCall> takeDrawCalls();  // returns and clears
    // While held, readTimeLimit waits: a computer turn is kept just before
    // its next search, as when the window thread is slow to answer it.
    void holdFieldReads(bool held);
    // While held, setStatistics waits: a computer turn is kept after its
    // last search, before it ends.
    void holdStatistics(bool held);
    void setHold(bool& flag, bool held);

    // Every operation is one atomic step under this lock, standing in for
    // "carried out on the window thread while the caller waits".
    std::mutex operationLock;
    std::condition_variable holdsReleased;
    bool readsHeld = false;
    bool statisticsHeld = false;
    bool created = false;
    std::vector<std::string> moveLogItems;  // newest first
    std::string statistics = "Aistatistics:";
    std::string fieldTexts[4] = {"25", "5000", "4", "A1-B1"};  // indexed by Field
    int32_t redrawRequests = 0;
    std::vector<DrawCall> drawCalls;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    GameSession* gameSession = nullptr;
#endif
};
