// The seven window operations on the real controls, against the same table of
// facts that the headless stand-in shows natively.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "../session/window_operation_facts.h"
#include "session/game_session.h"

namespace {

std::string textOf(HWND control) {
    char text[256] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

std::vector<std::string> entriesOf(HWND listBox) {
    std::vector<std::string> entries;
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT k = 0; k < count; ++k) {
        char text[64] = {};
        SendMessageA(listBox, LB_GETTEXT, k, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

TEST(WindowOperations, HaveNoEffectBeforeTheWindowExists) {
    MainWindow window;
    GameSession session(&window);
    expectNoEffectBeforeTheWindowExists(window);
    EXPECT_EQ(window.windowHandle, nullptr);
}

TEST(WindowOperations, ShowTheFactsTheSessionReliesOn) {
    MainWindow window;
    GameSession session(&window);
    window.createWindow(GetModuleHandleA(nullptr), &session);
    ASSERT_NE(window.windowHandle, nullptr);
    window.show();
    const WindowProbe probe = {
        [&] { return entriesOf(window.moveLog); }, [&] { return textOf(window.statisticsLabel); },
        [&](const char* text) { SetWindowTextA(window.timeLimitField, text); },
        [&](const char* text) { SetWindowTextA(window.depthField, text); }};
    expectWindowOperationFacts(window, probe);
    DestroyWindow(window.windowHandle);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace
