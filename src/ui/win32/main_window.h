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

// What the session calls: the window operations and drawing primitives.
#include "ui/window_operations.h"

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
    // The controls, top to bottom; they carry no identifiers, only these handles.
    HWND moveLog = nullptr, depthField = nullptr, timeLimitField = nullptr, sizeField = nullptr,
         moveField = nullptr, newGameButton = nullptr, executeMoveButton = nullptr,
         computerMoveButton = nullptr, undoButton = nullptr, debugButton = nullptr,
         statisticsLabel = nullptr;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    GameSession* gameSession = nullptr;
    HBRUSH quadBrushes[2] = {};
    HPEN linePens[4] = {};
};
