// The real window under Wine on a virtual display. This thread plays the
// window thread: it creates the window, sends it the messages a user's clicks
// would produce, and dispatches whatever the computer turn thread asks of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/search_engine.h"
#include "main_window.h"
#include "session/game_session.h"
#include "ui/win32/program.h"

// The seam for running out of memory: while failMoveStack is set, an
// allocation of the engine's MoveStack throws as a full machine's would.
namespace {
std::atomic<bool> failMoveStack{false};
std::atomic<int32_t> refusedMoveStacks{0};

void* allocate(std::size_t size) {
    constexpr std::size_t kMoveStackBytes = sizeof(MoveIndex) * SearchEngine::kMoveStackEntries;
    if (size == kMoveStackBytes && failMoveStack.load()) {
        refusedMoveStacks.fetch_add(1);
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {

constexpr COLORREF kP1 = RGB(240, 200, 0);
constexpr COLORREF kP2 = RGB(95, 150, 220);
constexpr COLORREF kLastMove = RGB(200, 230, 30);
constexpr COLORREF kGrid = RGB(180, 180, 180);
constexpr COLORREF kLabelText = RGB(0, 180, 0);
constexpr COLORREF kLabelBack = RGB(240, 240, 240);

// A hang guard for waits on the computer, never a measurement: every turn
// that these tests wait for either has a short time limit or is stopped.
constexpr ULONGLONG kTurnDeadlineMs = 60000;

std::string textOf(HWND control) {
    char text[256] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

void dispatchPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;  // left by a destroyed window
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Keeps dispatching, as the message loop would, until the condition holds;
// false if it still does not after kTurnDeadlineMs.
bool dispatchUntil(const std::function<bool()>& condition) {
    const ULONGLONG end = GetTickCount64() + kTurnDeadlineMs;
    while (!condition()) {
        if (GetTickCount64() >= end) return false;
        dispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Every window this thread creates, as asked for: the creation parameters,
// not what the control made of them afterwards (a list box trims its height
// to whole lines and hides an unneeded scroll bar).
struct Creation {
    std::string className, text;
    DWORD style, exStyle;
    int32_t x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
    void* parameter;
};

struct CreationLog {
    static inline std::vector<Creation> creations;
    static inline HHOOK hook = nullptr;
    // Set to refuse the main window's creation.
    static inline bool refuseMainWindow = false;
    // Set to answer every message box (a refused window's, or another).
    static inline bool answerMessageBoxes = false;
    // Set to close the main window as soon as it exists: a WM_CLOSE waits
    // for the message loop.
    static inline bool closeMainWindow = false;
    static inline std::vector<std::string> activated;

    static std::string name(const char* text) {
        if (text == nullptr) return "(null)";
        if (HIWORD(reinterpret_cast<UINT_PTR>(text)) == 0) return "(atom)";
        return text;
    }

    static LRESULT CALLBACK onEvent(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTA& c = *reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            creations.push_back({name(c.lpszClass), name(c.lpszName), static_cast<DWORD>(c.style),
                                 c.dwExStyle, c.x, c.y, c.cx, c.cy, c.hwndParent, c.hMenu,
                                 c.hInstance, c.lpCreateParams});
            if (creations.back().text == "Paxlet AI") {
                if (refuseMainWindow) return 1;
                if (closeMainWindow) PostMessageA(reinterpret_cast<HWND>(wParam), WM_CLOSE, 0, 0);
            }
        }
        if (code == HCBT_ACTIVATE && (refuseMainWindow || answerMessageBoxes)) {
            // The message box: note it, then answer it.
            HWND box = reinterpret_cast<HWND>(wParam);
            activated.push_back(textOf(box));
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                activated.push_back(textOf(child));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(hook, code, wParam, lParam);
    }

    static void start() {
        creations.clear();
        activated.clear();
        hook = SetWindowsHookExA(WH_CBT, onEvent, nullptr, GetCurrentThreadId());
    }
    static void stop() { UnhookWindowsHookEx(hook); }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreationLog::start();
        window.createWindow(GetModuleHandleA(nullptr), &session);
        CreationLog::stop();
        ASSERT_NE(window.windowHandle, nullptr);
        window.show();
        dispatchPending();
    }

    void TearDown() override {
        if (IsWindow(window.windowHandle)) DestroyWindow(window.windowHandle);
        window.finishComputerTurn();
        dispatchPending();
    }

    // What a button sends its parent when clicked. (BM_CLICK would move the
    // focus too, which costs Wine a second per click without a window manager;
    // the end-to-end test clicks for real.)
    void click(HWND button) {
        SendMessageA(window.windowHandle, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }

    void type(HWND field, const char* text) { SetWindowTextA(field, text); }

    void execute(const char* move) {
        type(window.moveField, move);
        click(window.executeMoveButton);
    }

    void waitForComputer() {
        const ULONGLONG end = GetTickCount64() + kTurnDeadlineMs;
        const bool ended = session.waitIdle([end] {
            if (GetTickCount64() >= end) return false;
            dispatchPending();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            return true;
        });
        ASSERT_TRUE(ended) << "the computer turn did not end";
        ASSERT_FALSE(session.busy.load());
        dispatchPending();
    }

    // Until the computer's search runs under the limit typed into the time
    // field: a stop sent before that would only cut the next search.
    void waitForSearch(int32_t limitMs) {
        ASSERT_TRUE(dispatchUntil([&] { return session.engine.timeBudget.load() == limitMs; }))
            << "no search with a budget of " << limitMs << " ms began; the budget is "
            << session.engine.timeBudget.load();
    }

    // Types into a field as the keyboard would: everything selected, then
    // one character message per character.
    void typeKeys(HWND field, const std::string& text) {
        SendMessageA(field, EM_SETSEL, 0, -1);
        for (char c : text) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 0);
    }

    std::vector<std::string> moveLog() {
        std::vector<std::string> entries;
        const LRESULT count = SendMessageA(window.moveLog, LB_GETCOUNT, 0, 0);
        for (LRESULT k = 0; k < count; ++k) {
            char text[64] = {};
            SendMessageA(window.moveLog, LB_GETTEXT, k, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }

    // Lets the pending repaint happen now, on the kept device context.
    void paintNow() {
        RedrawWindow(window.windowHandle, nullptr, nullptr,
                     RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
    }

    COLORREF pixel(int32_t x, int32_t y) { return GetPixel(window.deviceContext, x, y); }

    int32_t countColour(COLORREF colour, int32_t left, int32_t top, int32_t right, int32_t bottom) {
        int32_t count = 0;
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x) count += pixel(x, y) == colour;
        return count;
    }

    int32_t cellWidth() {
        return (window.clientWidth - 180) / (session.displayBoard->dotsPerSide - 1);
    }
    int32_t cellHeight() {
        return (window.clientHeight - 60) / (session.displayBoard->dotsPerSide - 1);
    }
    // Top left corner of the cell in column i, row j.
    int32_t cellX(int32_t i) { return 150 + i * cellWidth(); }
    int32_t cellY(int32_t j) { return 30 + j * cellHeight(); }

    MainWindow window;
    GameSession session{&window};
};

// ---------------------------------------------------------------- frame

TEST_F(WindowTest, ClassAndFrameAreAsRegistered) {
    WNDCLASSEXA registered = {};
    registered.cbSize = sizeof registered;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Paxlet_AI", &registered));
    EXPECT_EQ(registered.style, UINT{CS_DBLCLKS});
    EXPECT_EQ(registered.lpfnWndProc, &MainWindow::windowProc);
    EXPECT_EQ(registered.hbrBackground, reinterpret_cast<HBRUSH>(INT_PTR{23}));
    EXPECT_EQ(registered.cbClsExtra, 0);
    EXPECT_EQ(registered.cbWndExtra, 0);
    EXPECT_EQ(registered.lpszMenuName, nullptr);
    EXPECT_EQ(window.windowClass.cbSize, sizeof(WNDCLASSEXA));

    EXPECT_EQ(textOf(window.windowHandle), "Paxlet AI");
    RECT frame;
    GetWindowRect(window.windowHandle, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.right - frame.left, 750);
    EXPECT_EQ(frame.bottom - frame.top, 560);
    const LONG style = GetWindowLongA(window.windowHandle, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(style & WS_CLIPCHILDREN, 0);
    EXPECT_NE(GetWindowLongA(window.windowHandle, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(GetMenu(window.windowHandle), nullptr);

    RECT client;
    GetClientRect(window.windowHandle, &client);
    EXPECT_EQ(window.clientWidth, client.right);
    EXPECT_EQ(window.clientHeight, client.bottom);
    // The outer 750x560 less the frame: under Wine here 742x533, the size
    // that the end-to-end test waits for.
    RECT frameOnly = {0, 0, 0, 0};
    AdjustWindowRectEx(&frameOnly, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
    EXPECT_EQ(client.right, 750 - (frameOnly.right - frameOnly.left));
    EXPECT_EQ(client.bottom, 560 - (frameOnly.bottom - frameOnly.top));
    EXPECT_GT(window.clientWidth, 600);
}

TEST_F(WindowTest, MainWindowIsCreatedAsAnAppWindowAtTheTopLeft) {
    const auto main = std::find_if(CreationLog::creations.begin(), CreationLog::creations.end(),
                                   [](const Creation& c) { return c.text == "Paxlet AI"; });
    ASSERT_NE(main, CreationLog::creations.end());
    EXPECT_EQ(main->className, "Paxlet_AI");
    EXPECT_EQ(main->style, DWORD{WS_OVERLAPPEDWINDOW});
    // The system adds the edge style to every overlapped window.
    EXPECT_EQ(main->exStyle & ~DWORD{WS_EX_WINDOWEDGE}, DWORD{WS_EX_APPWINDOW});
    EXPECT_EQ(main->x, 0);
    EXPECT_EQ(main->y, 0);
    EXPECT_EQ(main->width, 750);
    EXPECT_EQ(main->height, 560);
    EXPECT_EQ(main->parent, nullptr);
    EXPECT_EQ(main->menu, nullptr);
    EXPECT_EQ(main->instance, GetModuleHandleA(nullptr));
    EXPECT_EQ(main->parameter, nullptr);
}

TEST_F(WindowTest, ElevenControlsInOrderWithClassTextStyleAndRectangle) {
    struct Expected {
        HWND handle;
        const char* className;
        const char* text;
        DWORD style;
        int32_t x, y, width, height;
    };
    const DWORD edit = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
    const DWORD button = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
    const Expected table[] = {
        {window.depthField, "Edit", "25", edit, 5, 260, 100, 20},
        {window.timeLimitField, "Edit", "5000", edit, 5, 280, 100, 20},
        {window.sizeField, "Edit", "4", edit, 5, 300, 100, 20},
        {window.moveField, "Edit", "A1-B1", edit, 5, 320, 100, 20},
        {window.newGameButton, "Button", "New Game", button, 5, 340, 100, 20},
        {window.executeMoveButton, "Button", "Execute Move", button, 5, 360, 100, 20},
        {window.computerMoveButton, "Button", "Ai Do Move", button, 5, 380, 100, 20},
        {window.undoButton, "Button", "Undo move", button, 5, 400, 100, 20},
        {window.debugButton, "Button", "DBG Info ON", button, 5, 420, 100, 20},
        {window.statisticsLabel, "Static", "Aistatistics:", WS_CHILD | WS_VISIBLE | SS_LEFT, 5, 440,
         100, 90},
        {window.moveLog, "ListBox", "(null)",
         WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS, 5, 5, 100,
         250},
    };

    // As asked for, in this order, and nothing else made with the window as
    // parent.
    std::vector<Creation> asked;
    for (const Creation& c : CreationLog::creations)
        if (c.parent == window.windowHandle) asked.push_back(c);
    ASSERT_EQ(asked.size(), std::size(table));
    for (size_t k = 0; k < std::size(table); ++k) {
        const Expected& want = table[k];
        const Creation& got = asked[k];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(got.className, want.className);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
        EXPECT_EQ(got.menu, nullptr);  // no identifiers: told apart by handle
        EXPECT_EQ(got.instance, nullptr);
        EXPECT_EQ(got.parameter, nullptr);
    }

    // And as they stand: the handles in the fields are those children, in
    // creation order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(window.windowHandle, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), std::size(table));
    for (size_t k = 0; k < std::size(table); ++k) {
        const Expected& want = table[k];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(children[k], want.handle);
        char className[32] = {};
        GetClassNameA(want.handle, className, sizeof className);
        EXPECT_EQ(_stricmp(className, want.className), 0) << className;
        EXPECT_EQ(textOf(want.handle), want.handle == window.moveLog ? "" : want.text);
        EXPECT_EQ(GetDlgCtrlID(want.handle), 0);
        RECT rect;
        GetWindowRect(want.handle, &rect);
        MapWindowPoints(nullptr, window.windowHandle, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, want.x);
        EXPECT_EQ(rect.top, want.y);
        EXPECT_EQ(rect.right - rect.left, want.width);
        // A list box trims its height to whole lines.
        if (want.handle == window.moveLog) {
            EXPECT_LE(rect.bottom - rect.top, want.height);
        } else {
            EXPECT_EQ(rect.bottom - rect.top, want.height);
        }
    }
    EXPECT_EQ(GetWindowLongA(window.moveLog, GWL_STYLE) & LBS_SORT, 0);
}

// ---------------------------------------------------------------- commands

TEST_F(WindowTest, ExecuteMoveLogsTheFieldTextAtTheTopAndUndoRemovesIt) {
    execute("A1-B1");
    execute("B1-C1");
    execute("A1-A2");
    EXPECT_EQ(moveLog(), (std::vector<std::string>{"A1-A2", "B1-C1", "A1-B1"}));
    EXPECT_EQ(session.liveBoard->historyLength, 3);

    // Refused moves leave everything, the field text included, as it was.
    execute("A1-B1");  // already drawn
    execute("D4-E4");  // off a 4-dot board
    execute("hello");
    EXPECT_EQ(moveLog(), (std::vector<std::string>{"A1-A2", "B1-C1", "A1-B1"}));
    EXPECT_EQ(textOf(window.moveField), "hello");
    EXPECT_EQ(session.liveBoard->historyLength, 3);

    click(window.undoButton);
    EXPECT_EQ(moveLog(), (std::vector<std::string>{"B1-C1", "A1-B1"}));
    EXPECT_EQ(session.liveBoard->lastMove(), session.liveBoard->parseMove("B1-C1"));
    click(window.undoButton);
    click(window.undoButton);
    click(window.undoButton);  // nothing left to take back
    EXPECT_TRUE(moveLog().empty());
    EXPECT_EQ(session.liveBoard->historyLength, 0);
}

// 20 characters that, cut to 19, would read as A1-A2: no move at all. One
// blank fewer, 19 characters, is A1-A2, logged as typed.
TEST_F(WindowTest, AMoveTextOfTwentyCharactersIsNoMoveAndOneOfNineteenPlays) {
    const std::string twenty = "A1" + std::string(14, ' ') + "-A20";
    ASSERT_EQ(twenty.size(), 20u);
    typeKeys(window.moveField, twenty);
    ASSERT_EQ(textOf(window.moveField), twenty);
    click(window.executeMoveButton);
    EXPECT_TRUE(moveLog().empty());
    EXPECT_EQ(session.liveBoard->historyLength, 0);
    EXPECT_EQ(session.liveBoard->sideToMove, 0);

    const std::string nineteen = "A1" + std::string(14, ' ') + "-A2";
    ASSERT_EQ(nineteen.size(), 19u);
    typeKeys(window.moveField, nineteen);
    ASSERT_EQ(textOf(window.moveField), nineteen);
    click(window.executeMoveButton);
    EXPECT_EQ(moveLog(), std::vector<std::string>{nineteen});
    ASSERT_EQ(session.liveBoard->historyLength, 1);
    EXPECT_EQ(session.liveBoard->lastMove(), session.liveBoard->parseMove("A1-A2"));
}

TEST_F(WindowTest, NewGameRefusesSizesOutsideTwoToTwentySix) {
    execute("A1-B1");
    for (const char* size : {"abc", "27", "1", ""}) {
        type(window.sizeField, size);
        click(window.newGameButton);
        EXPECT_EQ(session.liveBoard->dotsPerSide, 4) << size;
        EXPECT_EQ(moveLog(), std::vector<std::string>{"A1-B1"}) << size;
    }
    type(window.sizeField, " 26xyz");
    click(window.newGameButton);
    EXPECT_EQ(session.liveBoard->dotsPerSide, 26);
    EXPECT_EQ(session.liveBoard->lineCount, 1300);
    EXPECT_TRUE(moveLog().empty());
}

TEST_F(WindowTest, DebugButtonCaptionNamesTheNextAction) {
    EXPECT_FALSE(session.debugInfo.load());
    click(window.debugButton);
    EXPECT_TRUE(session.debugInfo.load());
    EXPECT_EQ(textOf(window.debugButton), "DBG Info OFF");
    click(window.debugButton);
    EXPECT_FALSE(session.debugInfo.load());
    EXPECT_EQ(textOf(window.debugButton), "DBG Info ON");
}

TEST_F(WindowTest, NotificationsOtherThanClicksChangeNothing) {
    // An edit field's change notification and a list box double click carry
    // non-zero notification codes.
    SendMessageA(window.windowHandle, WM_COMMAND, MAKEWPARAM(0, EN_CHANGE),
                 reinterpret_cast<LPARAM>(window.executeMoveButton));
    SendMessageA(window.windowHandle, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(window.debugButton));
    SendMessageA(window.windowHandle, WM_COMMAND, 0, 0);  // no sender at all
    EXPECT_TRUE(moveLog().empty());
    EXPECT_FALSE(session.debugInfo.load());
    EXPECT_EQ(session.liveBoard->historyLength, 0);
}

// ---------------------------------------------------------------- mouse

TEST_F(WindowTest, ClickPicksIntoTheMoveFieldAndDoubleClickPlaysOnce) {
    // Left quarter of the cell in column 1, row 1: its left side.
    const LPARAM point = MAKELPARAM(cellX(1) + 2, cellY(1) + cellHeight() / 2);
    SendMessageA(window.windowHandle, WM_LBUTTONUP, 0, point);
    EXPECT_EQ(textOf(window.moveField), "B2-B3");
    EXPECT_TRUE(moveLog().empty());

    // A double click arrives as up, double-click, up.
    type(window.moveField, "");
    const LPARAM top = MAKELPARAM(cellX(1) + cellWidth() / 2, cellY(1) + cellHeight() / 3);
    SendMessageA(window.windowHandle, WM_LBUTTONUP, 0, top);
    SendMessageA(window.windowHandle, WM_LBUTTONDBLCLK, 0, top);
    SendMessageA(window.windowHandle, WM_LBUTTONUP, 0, top);
    EXPECT_EQ(moveLog(), std::vector<std::string>{"B2-C2"});
    EXPECT_EQ(textOf(window.moveField), "B2-C2");
    EXPECT_EQ(session.liveBoard->historyLength, 1);

    // Left of and above the grid: the top left vertical line.
    SendMessageA(window.windowHandle, WM_LBUTTONUP, 0, MAKELPARAM(120, 10));
    EXPECT_EQ(textOf(window.moveField), "A1-A2");
}

TEST_F(WindowTest, ClicksInATinyWindowLeaveTheMoveFieldAlone) {
    MoveWindow(window.windowHandle, 0, 0, 150, 120, TRUE);
    dispatchPending();
    ASSERT_LT(window.clientWidth, 180 + 4);
    paintNow();  // a collapsed picture, but no failure
    const LPARAM point = MAKELPARAM(60, 40);
    SendMessageA(window.windowHandle, WM_LBUTTONUP, 0, point);
    SendMessageA(window.windowHandle, WM_LBUTTONDBLCLK, 0, point);
    EXPECT_EQ(textOf(window.moveField), "A1-B1");
    EXPECT_TRUE(moveLog().empty());
}

// ---------------------------------------------------------------- computer

TEST_F(WindowTest, ComputerTurnLogsItsMovesAndShowsItsTime) {
    type(window.timeLimitField, "300");
    click(window.computerMoveButton);
    EXPECT_TRUE(session.busy.load());
    waitForComputer();

    const std::vector<std::string> log = moveLog();
    ASSERT_FALSE(log.empty());
    // Every computer move is in the log, newest first, in the board's own
    // notation, and the turn has passed to the other side.
    ASSERT_EQ(static_cast<int32_t>(log.size()), session.liveBoard->historyLength);
    for (size_t k = 0; k < log.size(); ++k)
        EXPECT_EQ(session.liveBoard->parseMove(log[k].c_str()),
                  session.liveBoard->history[log.size() - 1 - k]);
    EXPECT_EQ(session.engine.computerPlayer, 0);
    EXPECT_EQ(session.liveBoard->sideToMove, 1);
    EXPECT_TRUE(std::regex_match(textOf(window.statisticsLabel), std::regex("time:[0-9]+")))
        << textOf(window.statisticsLabel);
    EXPECT_EQ(session.snapshot().status, "");

    // The user's reply hands the turn back, which starts the computer again;
    // with the overlay on, the statistics come in their five-line form.
    char reply[8] = {};
    for (int32_t k = 0; k < session.liveBoard->lineCount && reply[0] == '\0'; ++k)
        if (session.liveBoard->lines[k].owner == 0) session.liveBoard->formatMove(reply, k);
    click(window.debugButton);
    execute(reply);
    waitForComputer();
    const std::vector<std::string> after = moveLog();
    ASSERT_GT(after.size(), log.size() + 1);
    EXPECT_EQ(after[after.size() - log.size() - 1], reply);
    EXPECT_TRUE(
        std::regex_match(textOf(window.statisticsLabel),
                         std::regex("l:-?[0-9]+\nn:-?[0-9]+\na:-?[0-9]+\nd:-?[0-9]+\nt:[0-9]+")))
        << textOf(window.statisticsLabel);
}

TEST_F(WindowTest, UndoDuringALongSearchMakesTheComputerPlayAtOnce) {
    type(window.timeLimitField, "600000");  // ten minutes, far past the guard
    click(window.computerMoveButton);
    ASSERT_NO_FATAL_FAILURE(waitForSearch(600000));
    ASSERT_TRUE(session.busy.load());
    click(window.undoButton);
    waitForComputer();
    // The computer played; nothing was taken back.
    EXPECT_FALSE(moveLog().empty());
    EXPECT_EQ(static_cast<int32_t>(moveLog().size()), session.liveBoard->historyLength);
}

TEST_F(WindowTest, NewGameWhileTheComputerThinksOnlyStopsTheSearch) {
    execute("A1-B1");
    type(window.timeLimitField, "600000");
    click(window.computerMoveButton);
    ASSERT_NO_FATAL_FAILURE(waitForSearch(600000));
    ASSERT_TRUE(session.busy.load());
    type(window.sizeField, "3");
    click(window.newGameButton);
    waitForComputer();
    EXPECT_EQ(session.liveBoard->dotsPerSide, 4);
    EXPECT_EQ(moveLog().back(), "A1-B1");
    EXPECT_GE(moveLog().size(), 2u);
    // A second click, now that the computer is done, starts the new game.
    click(window.newGameButton);
    EXPECT_EQ(session.liveBoard->dotsPerSide, 3);
    EXPECT_TRUE(moveLog().empty());
}

TEST_F(WindowTest, ClosingWhileTheComputerThinksEndsCleanly) {
    type(window.timeLimitField, "600000");
    click(window.computerMoveButton);
    ASSERT_NO_FATAL_FAILURE(waitForSearch(600000));
    ASSERT_TRUE(session.busy.load());
    SendMessageA(window.windowHandle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window.windowHandle));
    window.finishComputerTurn();
    EXPECT_FALSE(session.busy.load());
}

// ---------------------------------------------------------------- operations

// The seven operations as the computer turn thread uses them: carried out by
// the window thread, in call order, with the caller waiting for each.
TEST_F(WindowTest, OperationsFromAnotherThreadRunOnTheWindowThreadInOrder) {
    type(window.timeLimitField, "2000ms");
    type(window.depthField, " 7");
    std::atomic<int32_t> done{0};
    std::vector<LRESULT> counts;
    int32_t timeLimit = 0, depth = 0;
    std::thread worker([&] {
        window.logMove("A1-B1");
        done = 1;
        counts.push_back(SendMessageA(window.moveLog, LB_GETCOUNT, 0, 0));
        window.logMove("B1-C1");
        counts.push_back(SendMessageA(window.moveLog, LB_GETCOUNT, 0, 0));
        window.logMove("A1-A2");
        counts.push_back(SendMessageA(window.moveLog, LB_GETCOUNT, 0, 0));
        window.unlogMove();
        counts.push_back(SendMessageA(window.moveLog, LB_GETCOUNT, 0, 0));
        window.setStatistics("time:42");
        timeLimit = window.readTimeLimit();
        depth = window.readMaxDepth();
        window.redraw();
        done = 2;
    });
    // The worker's first call waits in this thread's queue as a sent
    // message: until this thread dispatches, it cannot have been carried out.
    const ULONGLONG end = GetTickCount64() + kTurnDeadlineMs;
    while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0 && GetTickCount64() < end)
        Sleep(1);
    EXPECT_NE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE, 0u)
        << "the worker's first call never reached this thread";
    EXPECT_EQ(done.load(), 0);
    while (done.load() != 2 && GetTickCount64() < end) {
        dispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    worker.join();
    EXPECT_EQ(counts, (std::vector<LRESULT>{1, 2, 3, 2}));
    EXPECT_EQ(moveLog(), (std::vector<std::string>{"B1-C1", "A1-B1"}));
    EXPECT_EQ(textOf(window.statisticsLabel), "time:42");
    EXPECT_EQ(timeLimit, 2000);
    EXPECT_EQ(depth, 7);
}

TEST_F(WindowTest, RedrawFromAnotherThreadOnlyMarksTheWindow) {
    dispatchPending();
    ASSERT_FALSE(GetUpdateRect(window.windowHandle, nullptr, FALSE));
    // Returns without this thread dispatching anything: nothing is sent, and
    // nothing painted on the calling thread.
    std::thread worker([&] {
        window.redraw();
        window.redraw();
    });
    worker.join();
    RECT invalid;
    ASSERT_TRUE(GetUpdateRect(window.windowHandle, &invalid, FALSE));
    EXPECT_EQ(invalid.right, window.clientWidth);
    EXPECT_EQ(invalid.bottom, window.clientHeight);
    dispatchPending();  // the painting, here on the window thread
    EXPECT_FALSE(GetUpdateRect(window.windowHandle, nullptr, FALSE));
}

TEST_F(WindowTest, FieldsReadAsIntegers) {
    const std::pair<const char*, int32_t> cases[] = {{"2000ms", 2000}, {" 7", 7},  {"abc", 0},
                                                     {"", 0},          {"-5", -5}, {"+12", 12}};
    for (const auto& [text, value] : cases) {
        type(window.timeLimitField, text);
        type(window.depthField, text);
        EXPECT_EQ(window.readTimeLimit(), value) << text;
        EXPECT_EQ(window.readMaxDepth(), value) << text;
    }
    // Only the first 19 characters are read.
    type(window.depthField, "0000000000000000001234");
    EXPECT_EQ(window.readMaxDepth(), 1);
}

TEST_F(WindowTest, MinimisingGivesAnEmptyClientAreaAndRestoringTheRealOne) {
    const int32_t width = window.clientWidth, height = window.clientHeight;
    ShowWindow(window.windowHandle, SW_MINIMIZE);
    dispatchPending();
    EXPECT_EQ(window.clientWidth, 0);
    EXPECT_EQ(window.clientHeight, 0);
    paintNow();  // collapsed cells, no failure
    ShowWindow(window.windowHandle, SW_RESTORE);
    dispatchPending();
    EXPECT_EQ(window.clientWidth, width);
    EXPECT_EQ(window.clientHeight, height);
}

// ---------------------------------------------------------------- pixels

TEST_F(WindowTest, PaintShowsPlayersPensLastMoveAndHatchedQuads) {
    // P2 closes the top left quad, P1 the one right of it, last.
    for (const char* move :
         {"A1-B1", "A1-A2", "B1-B2", "A2-B2", "C1-D1", "B1-C1", "C1-C2", "B2-C2"})
        execute(move);
    ASSERT_EQ(session.liveBoard->historyLength, 8);
    dispatchPending();
    paintNow();

    const int32_t w = cellWidth(), h = cellHeight();
    // Midpoints of lines, which their 5-pixel pens cover.
    EXPECT_EQ(pixel(cellX(0) + w / 2, cellY(0)), kP1);        // A1-B1
    EXPECT_EQ(pixel(cellX(0), cellY(0) + h / 2), kP2);        // A1-A2
    EXPECT_EQ(pixel(cellX(1), cellY(0) + h / 2), kP1);        // B1-B2
    EXPECT_EQ(pixel(cellX(0) + w / 2, cellY(1)), kP2);        // A2-B2 closed a quad
    EXPECT_EQ(pixel(cellX(2) + w / 2, cellY(0)), kP2);        // C1-D1
    EXPECT_EQ(pixel(cellX(1) + w / 2, cellY(1)), kLastMove);  // B2-C2
    EXPECT_EQ(pixel(cellX(0) + w / 2, cellY(2)), kGrid);      // A3-B3, undrawn
    EXPECT_EQ(pixel(cellX(3), cellY(2) + h / 2), kGrid);      // D3-D4, undrawn

    // Players' pens are 5 pixels wide, the grid pen 1.
    const COLORREF background = GetSysColor(COLOR_3DLIGHT);
    const int32_t x = cellX(2) + w / 2;  // C1-D1, over an unowned quad
    EXPECT_EQ(pixel(x, cellY(0) + 2), kP2);
    EXPECT_EQ(pixel(x, cellY(0) + 3), background);
    EXPECT_EQ(pixel(x, cellY(2) + 1), background);  // C3-D3, undrawn
    EXPECT_EQ(pixel(x, cellY(2) - 1), background);

    // Hatches in the owner's colour on the label background; nothing else.
    const auto hatch = [&](int32_t i, int32_t j, COLORREF colour) {
        const int32_t l = cellX(i) + 4, t = cellY(j) + 4, r = cellX(i + 1) - 4,
                      b = cellY(j + 1) - 4;
        const int32_t area = (r - l) * (b - t);
        const int32_t ink = countColour(colour, l, t, r, b);
        const int32_t gaps = countColour(kLabelBack, l, t, r, b);
        EXPECT_GT(ink, area / 20);
        EXPECT_GT(gaps, area / 2);
        EXPECT_EQ(ink + gaps, area);
    };
    hatch(0, 0, kP2);
    hatch(1, 0, kP1);
    // An unowned quad shows the window's background.
    const int32_t l = cellX(1) + 4, t = cellY(1) + 4, r = cellX(2) - 4, b = cellY(2) - 4;
    EXPECT_EQ(countColour(background, l, t, r, b), (r - l) * (b - t));
}

TEST_F(WindowTest, StatusTextStartsAtTheCentreWhileTheComputerThinks) {
    const int32_t left = window.clientWidth / 2, top = window.clientHeight / 2;
    paintNow();
    EXPECT_EQ(countColour(kLabelText, left, top, left + 120, top + 12), 0);

    type(window.timeLimitField, "600000");
    click(window.computerMoveButton);
    ASSERT_NO_FATAL_FAILURE(waitForSearch(600000));
    paintNow();
    // "   Ai thinking !!!!   ": green text on the label background, and
    // nothing of it left of or above its starting point.
    EXPECT_GT(countColour(kLabelText, left, top, left + 120, top + 12), 20);
    EXPECT_EQ(pixel(left, top), kLabelBack);
    EXPECT_EQ(countColour(kLabelText, left - 20, top, left, top + 12), 0);
    EXPECT_EQ(countColour(kLabelText, left, top - 10, left + 120, top), 0);

    click(window.undoButton);
    waitForComputer();
    paintNow();
    EXPECT_EQ(countColour(kLabelText, left, top, left + 120, top + 12), 0);
}

TEST_F(WindowTest, DebugOverlayPutsPriorityKeysAtLineMidpoints) {
    const int32_t x = cellX(1) + cellWidth() / 2, y = cellY(1);  // B2-C2's midpoint
    paintNow();
    EXPECT_EQ(countColour(kLabelText, x, y, x + 20, y + 12), 0);
    click(window.debugButton);
    dispatchPending();
    paintNow();
    EXPECT_GT(countColour(kLabelText, x, y, x + 20, y + 12), 5);
    click(window.debugButton);
    dispatchPending();
    paintNow();
    EXPECT_EQ(countColour(kLabelText, x, y, x + 20, y + 12), 0);
}

TEST(WindowLabels, CoordinateLabelsStandAboveAndLeftOfTheGrid) {
    MainWindow window;
    GameSession session(&window);
    session.newGame(2);
    window.createWindow(GetModuleHandleA(nullptr), &session);
    ASSERT_NE(window.windowHandle, nullptr);
    window.show();
    dispatchPending();
    RedrawWindow(window.windowHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
    const auto green = [&](int32_t x, int32_t y) {
        int32_t count = 0;
        for (int32_t dy = 0; dy < 12; ++dy)
            for (int32_t dx = 0; dx < 8; ++dx)
                count += GetPixel(window.deviceContext, x + dx, y + dy) == kLabelText;
        return count;
    };
    const int32_t cellWidth = window.clientWidth - 180, cellHeight = window.clientHeight - 60;
    EXPECT_GT(green(145, 15), 3);               // "A"
    EXPECT_GT(green(145 + cellWidth, 15), 3);   // "B"
    EXPECT_GT(green(135, 24), 3);               // "1"
    EXPECT_GT(green(135, 24 + cellHeight), 3);  // "2"
    EXPECT_EQ(green(145 + cellWidth / 2, 15), 0);
    DestroyWindow(window.windowHandle);
    dispatchPending();
}

// ---------------------------------------------------------------- failure

TEST(WindowCreation, FailureIsReportedInAMessageBoxAndLeavesNoWindow) {
    MainWindow window;
    GameSession session(&window);
    CreationLog::refuseMainWindow = true;
    CreationLog::start();
    window.createWindow(GetModuleHandleA(nullptr), &session);
    CreationLog::stop();
    CreationLog::refuseMainWindow = false;
    EXPECT_EQ(window.windowHandle, nullptr);
    EXPECT_EQ(window.deviceContext, nullptr);
    ASSERT_FALSE(CreationLog::activated.empty());
    EXPECT_EQ(CreationLog::activated[0], "ERROR");
    EXPECT_NE(std::find(CreationLog::activated.begin(), CreationLog::activated.end(),
                        "No window for you.."),
              CreationLog::activated.end());
    // The session's operations stay harmless without a window.
    window.logMove("A1-B1");
    window.redraw();
    EXPECT_EQ(window.readTimeLimit(), 5000);
    EXPECT_EQ(window.readMaxDepth(), 25);
}

// ---------------------------------------------------------------- program

int32_t mainWindowsAskedFor() {
    return static_cast<int32_t>(
        std::count_if(CreationLog::creations.begin(), CreationLog::creations.end(),
                      [](const Creation& c) { return c.text == "Paxlet AI"; }));
}

TEST(Program, OutOfMemoryIsReportedInAMessageBoxAndExitsWithOne) {
    MainWindow window;
    refusedMoveStacks = 0;
    int status = -1;
    {
        // Undone however the run ends, so that a failure here cannot spread
        // to the tests after it.
        struct Seam {
            Seam() {
                CreationLog::answerMessageBoxes = true;
                CreationLog::start();
                failMoveStack = true;
            }
            ~Seam() {
                failMoveStack = false;
                CreationLog::stop();
                CreationLog::answerMessageBoxes = false;
            }
        } seam;
        status = runProgram(window, GetModuleHandleA(nullptr));
    }

    EXPECT_EQ(status, 1);
    EXPECT_EQ(refusedMoveStacks.load(), 1);
    ASSERT_FALSE(CreationLog::activated.empty());
    EXPECT_EQ(CreationLog::activated[0], "ERROR");
    EXPECT_NE(
        std::find(CreationLog::activated.begin(), CreationLog::activated.end(), "Out of memory"),
        CreationLog::activated.end());
    // And nothing else: no main window was asked for.
    EXPECT_EQ(window.windowHandle, nullptr);
    EXPECT_EQ(mainWindowsAskedFor(), 0);
}

TEST(Program, RunsUntilTheWindowClosesAndExitsWithZero) {
    MainWindow window;
    CreationLog::closeMainWindow = true;
    CreationLog::start();
    const int status = runProgram(window, GetModuleHandleA(nullptr));
    CreationLog::stop();
    CreationLog::closeMainWindow = false;

    EXPECT_EQ(status, 0);
    EXPECT_EQ(mainWindowsAskedFor(), 1);
    ASSERT_NE(window.windowHandle, nullptr);
    EXPECT_FALSE(IsWindow(window.windowHandle));
}

}  // namespace
