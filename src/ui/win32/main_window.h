// The Win32 main window: one top-level window with a column of controls on
// the left and the board painted to the right of it. It offers the session
// the same operations as the headless stand-in (headless/), chosen at build
// time: the session includes "main_window.h" from whichever backend its
// library is built with.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/field_text.h"

class GameSession;

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
};
