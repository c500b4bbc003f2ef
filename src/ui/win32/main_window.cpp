// The Win32 main window: one top-level window with a column of controls on
// the left and the board painted to the right of it.
//
// The computer turn thread reaches the controls only through SendMessageA,
// SetWindowTextA and GetWindowTextA, which Windows carries out on the window
// thread while the caller waits. That keeps every control on one thread
// without a lock, and is why the window thread must never wait for the
// worker except while it keeps dispatching messages (finishComputerTurn).
#include "ui/main_window.h"

#include <cstring>

#include "session/game_session.h"

namespace {

constexpr const char* kClassName = "Paxlet_AI";
constexpr const char* kCaption = "Paxlet AI";
constexpr int32_t kWindowWidth = 750;
constexpr int32_t kWindowHeight = 560;
// A field read holds 19 characters and the terminator.
constexpr int32_t kFieldBuffer = 20;

constexpr const char* kDebugOnCaption = "DBG Info ON";
constexpr const char* kDebugOffCaption = "DBG Info OFF";

// The window procedure has no other way to find its object: the window is
// created with a null creation parameter, and WM_CREATE arrives inside
// CreateWindowExA, before any per-window data could be attached. Written by
// createWindow on the window thread only.
MainWindow* activeWindow = nullptr;

struct ControlRow {
    HWND MainWindow::*field;
    const char* className;
    const char* text;
    DWORD style;
    int32_t x, y, width, height;
};

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;

// In creation order; the controls carry no identifiers, only their handles.
const ControlRow kControls[] = {
    {&MainWindow::depthField, "Edit", "25", kEditStyle, 5, 260, 100, 20},
    {&MainWindow::timeLimitField, "Edit", "5000", kEditStyle, 5, 280, 100, 20},
    {&MainWindow::sizeField, "Edit", "4", kEditStyle, 5, 300, 100, 20},
    {&MainWindow::moveField, "Edit", "A1-B1", kEditStyle, 5, 320, 100, 20},
    {&MainWindow::newGameButton, "Button", "New Game", kButtonStyle, 5, 340, 100, 20},
    {&MainWindow::executeMoveButton, "Button", "Execute Move", kButtonStyle, 5, 360, 100, 20},
    {&MainWindow::computerMoveButton, "Button", "Ai Do Move", kButtonStyle, 5, 380, 100, 20},
    {&MainWindow::undoButton, "Button", "Undo move", kButtonStyle, 5, 400, 100, 20},
    {&MainWindow::debugButton, "Button", kDebugOnCaption, kButtonStyle, 5, 420, 100, 20},
    {&MainWindow::statisticsLabel, "Static", "Aistatistics:", WS_CHILD | WS_VISIBLE | SS_LEFT, 5,
     440, 100, 90},
    {&MainWindow::moveLog, "ListBox", nullptr,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS, 5, 5, 100, 250},
};

// Before the window exists a field still "holds" its initial text.
int32_t readField(HWND field, const char* initialText) {
    if (field == nullptr) return fieldTextToInt(initialText);
    char text[kFieldBuffer] = {};
    GetWindowTextA(field, text, kFieldBuffer);
    return fieldTextToInt(text);
}

}  // namespace

MainWindow::MainWindow() {
    quadBrushes[0] = CreateHatchBrush(HS_DIAGCROSS, RGB(240, 200, 0));
    quadBrushes[1] = CreateHatchBrush(HS_DIAGCROSS, RGB(95, 150, 220));
    linePens[0] = CreatePen(PS_SOLID, 1, RGB(180, 180, 180));
    linePens[1] = CreatePen(PS_SOLID, 5, RGB(240, 200, 0));
    linePens[2] = CreatePen(PS_SOLID, 5, RGB(95, 150, 220));
    linePens[3] = CreatePen(PS_SOLID, 5, RGB(200, 230, 30));
}

void MainWindow::createWindow(HINSTANCE instance, GameSession* session) {
    gameSession = session;
    instanceHandle = instance;
    activeWindow = this;

    windowClass = {};
    // The size of the record in this build: a fixed 48 only fits 32-bit
    // programs and makes the registration fail in a 64-bit one.
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instanceHandle;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_3DLIGHT + 1));
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);

    windowHandle =
        CreateWindowExA(WS_EX_APPWINDOW, kClassName, kCaption, WS_OVERLAPPEDWINDOW, 0, 0,
                        kWindowWidth, kWindowHeight, nullptr, nullptr, instanceHandle, nullptr);
    if (windowHandle == nullptr) {
        MessageBoxA(nullptr, "No window for you..", "ERROR", MB_ICONERROR);
        return;
    }
    deviceContext = GetDC(windowHandle);
}

void MainWindow::createControls(HWND parent) {
    for (const ControlRow& control : kControls) {
        this->*control.field =
            CreateWindowExA(0, control.className, control.text, control.style, control.x, control.y,
                            control.width, control.height, parent, nullptr, nullptr, nullptr);
    }
}

void MainWindow::show() { ShowWindow(windowHandle, SW_SHOW); }

void MainWindow::resize(int32_t width, int32_t height) {
    clientWidth = width;
    clientHeight = height;
    redraw();
}

void MainWindow::dispatchCommand(HWND control) {
    // Before the controls exist every button handle is null; a null sender
    // (a menu or accelerator command) must not match them.
    if (control == nullptr) return;
    if (control == undoButton) {
        gameSession->undoLast();
    } else if (control == computerMoveButton) {
        gameSession->startComputerTurn();
    } else if (control == executeMoveButton) {
        // One character more than a move may have, so that the session sees
        // an over-long text as such rather than cut into another move.
        char text[kMoveTextLimit + 2] = {};
        GetWindowTextA(moveField, text, sizeof text);
        gameSession->executeMove(text);
    } else if (control == newGameButton) {
        char text[kFieldBuffer] = {};
        GetWindowTextA(sizeField, text, kFieldBuffer);
        gameSession->newGame(fieldTextToInt(text));
    } else if (control == debugButton) {
        const bool on = !gameSession->debugInfo.load();
        gameSession->debugInfo = on;
        // The caption names what the next click does.
        SetWindowTextA(debugButton, on ? kDebugOffCaption : kDebugOnCaption);
        redraw();
    }
}

void MainWindow::pickInto(int32_t x, int32_t y, bool execute) {
    char buffer[kFieldBuffer] = {};
    gameSession->pickLine(buffer, x, y);
    // Cells too small to pick from give nothing: the field keeps its move,
    // and a double click there plays nothing rather than that stale move.
    if (buffer[0] == '\0') return;
    SetWindowTextA(moveField, buffer);
    if (execute) dispatchCommand(executeMoveButton);
}

void MainWindow::finishComputerTurn() {
    // The worker may be blocked in a window operation that only this thread
    // can carry out, so keep dispatching while waiting. The stop is repeated
    // because a completed quad starts another search with a fresh budget.
    while (gameSession->busy.load()) {
        gameSession->requestStop();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;  // already leaving
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = activeWindow;
    switch (message) {
        case WM_CREATE:
            self->createControls(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            self->resize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT:
            // Validates and erases with the class brush; the board is then drawn
            // whole on the kept device context.
            DefWindowProcA(window, WM_PAINT, wParam, lParam);
            self->gameSession->paintBoard();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0) self->dispatchCommand(reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_LBUTTONUP:
            self->pickInto(LOWORD(lParam), HIWORD(lParam), false);
            return 0;
        case WM_LBUTTONDBLCLK:
            self->pickInto(LOWORD(lParam), HIWORD(lParam), true);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Window operations. The handles are written once, on WM_CREATE, before any
// computer turn can start, and never change afterwards; after the window is
// destroyed these calls fail harmlessly on the dead handles.

void MainWindow::logMove(const char* text) {
    if (moveLog == nullptr) return;
    SendMessageA(moveLog, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void MainWindow::unlogMove() {
    if (moveLog == nullptr) return;
    SendMessageA(moveLog, LB_DELETESTRING, 0, 0);
}

void MainWindow::clearMoveLog() {
    if (moveLog == nullptr) return;
    SendMessageA(moveLog, LB_RESETCONTENT, 0, 0);
}

void MainWindow::setStatistics(const char* text) {
    if (statisticsLabel == nullptr) return;
    SetWindowTextA(statisticsLabel, text);
}

void MainWindow::redraw() {
    if (windowHandle == nullptr) return;
    // Only marks the window; any number of requests collapse into one paint.
    RedrawWindow(windowHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
}

int32_t MainWindow::readMaxDepth() { return readField(depthField, "25"); }

int32_t MainWindow::readTimeLimit() { return readField(timeLimitField, "5000"); }

// Drawing primitives: the pens and brushes are only selected, never made
// here, and the kept device context is never clipped to the update region.

void MainWindow::fillQuad(int32_t brush, int32_t left, int32_t top, int32_t width, int32_t height) {
    SelectObject(deviceContext, quadBrushes[brush]);
    SelectObject(deviceContext, linePens[0]);
    Rectangle(deviceContext, left, top, left + width, top + height);
}

void MainWindow::strokeLine(int32_t pen, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    SelectObject(deviceContext, linePens[pen]);
    MoveToEx(deviceContext, x1, y1, nullptr);
    LineTo(deviceContext, x2, y2);
}

void MainWindow::drawLabel(const char* text, int32_t x, int32_t y) {
    SetTextColor(deviceContext, RGB(0, 180, 0));
    SetBkColor(deviceContext, RGB(240, 240, 240));
    TextOutA(deviceContext, x, y, text, static_cast<int>(std::strlen(text)));
}
