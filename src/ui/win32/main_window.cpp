// The Win32 main window.
//
// The computer turn thread reaches the controls only through SendMessageA,
// SetWindowTextA and GetWindowTextA, which Windows carries out on the window
// thread while the caller waits. That keeps every control on one thread
// without a lock, and is why the window thread must never wait for the
// worker except while it keeps dispatching messages (finishComputerTurn).
#include "main_window.h"

#include <cstring>

#include "session/game_session.h"
#include "ui/window_layout.h"

namespace {

constexpr const char* kClassName = "Paxlet_AI";
constexpr const char* kCaption = "Paxlet AI";
// One character more than a move may have, so that the session sees an
// over-long text as such rather than cut into another move.
constexpr int32_t kMoveFieldBuffer = kMoveTextLimit + 2;

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
    ControlPlace place;
};

constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;

// In creation order; the controls carry no identifiers, only their handles.
const ControlRow kControls[] = {
    {&MainWindow::depthField, "Edit", kInitialMaxDepthText, kEditStyle, kDepthFieldPlace},
    {&MainWindow::timeLimitField, "Edit", kInitialTimeLimitText, kEditStyle, kTimeLimitFieldPlace},
    {&MainWindow::sizeField, "Edit", kInitialSizeText, kEditStyle, kSizeFieldPlace},
    {&MainWindow::moveField, "Edit", kInitialMoveText, kEditStyle, kMoveFieldPlace},
    {&MainWindow::newGameButton, "Button", "New Game", kButtonStyle, kNewGamePlace},
    {&MainWindow::executeMoveButton, "Button", "Execute Move", kButtonStyle, kExecuteMovePlace},
    {&MainWindow::computerMoveButton, "Button", "Ai Do Move", kButtonStyle, kComputerMovePlace},
    {&MainWindow::undoButton, "Button", "Undo move", kButtonStyle, kUndoPlace},
    {&MainWindow::debugButton, "Button", kDebugOnCaption, kButtonStyle, kDebugPlace},
    {&MainWindow::statisticsLabel, "Static", kInitialStatisticsText,
     WS_CHILD | WS_VISIBLE | SS_LEFT, kStatisticsPlace},
    {&MainWindow::moveLog, "ListBox", nullptr,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS, kMoveLogPlace},
};

COLORREF colorOf(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

// Before the window exists a field still "holds" its initial text.
int32_t readField(HWND field, const char* initialText) {
    if (field == nullptr) return fieldTextToInt(initialText);
    char text[kFieldBuffer] = {};
    GetWindowTextA(field, text, kFieldBuffer);
    return fieldTextToInt(text);
}

}  // namespace

MainWindow::MainWindow() {
    for (int32_t k = 0; k < 2; ++k)
        quadBrushes[k] = CreateHatchBrush(HS_DIAGCROSS, colorOf(kQuadBrushColours[k]));
    for (int32_t k = 0; k < 4; ++k)
        linePens[k] = CreatePen(PS_SOLID, kPens[k].width, colorOf(kPens[k].colour));
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
        const ControlPlace& place = control.place;
        this->*control.field = CreateWindowExA(0, control.className, control.text, control.style,
                                               place.left, place.top, place.width, place.height,
                                               parent, nullptr, nullptr, nullptr);
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
        char text[kMoveFieldBuffer] = {};
        GetWindowTextA(moveField, text, kMoveFieldBuffer);
        gameSession->executeMove(text);
    } else if (control == newGameButton) {
        char text[kFieldBuffer] = {};
        GetWindowTextA(sizeField, text, kFieldBuffer);
        gameSession->newGame(fieldTextToInt(text));
    } else if (control == debugButton) {
        const bool on = gameSession->toggleDebugInfo();
        // The caption names what the next click does.
        SetWindowTextA(debugButton, on ? kDebugOffCaption : kDebugOnCaption);
        redraw();
    }
}

void MainWindow::pickInto(int32_t x, int32_t y, bool execute) {
    char buffer[kMoveTextBuffer] = {};
    gameSession->pickLine(buffer, x, y);
    // Cells too small to pick from give nothing: the field keeps its move,
    // and a double click there plays nothing rather than that stale move.
    if (buffer[0] == '\0') return;
    SetWindowTextA(moveField, buffer);
    if (execute) dispatchCommand(executeMoveButton);
}

void MainWindow::finishComputerTurn() {
    // The worker may be blocked in a window operation that only this thread
    // can carry out, so keep dispatching while waiting.
    gameSession->stopAndWait([] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;  // already leaving
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    });
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

int32_t MainWindow::readMaxDepth() { return readField(depthField, kInitialMaxDepthText); }

int32_t MainWindow::readTimeLimit() { return readField(timeLimitField, kInitialTimeLimitText); }

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
    SetTextColor(deviceContext, colorOf(kLabelTextColour));
    SetBkColor(deviceContext, colorOf(kLabelBackColour));
    TextOutA(deviceContext, x, y, text, static_cast<int>(std::strlen(text)));
}
