// paxlet.exe from start to end: session, window, message loop.
#include "ui/win32/program.h"

#include <new>
#include <optional>

#include "main_window.h"
#include "session/game_session.h"

namespace {

void runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int runProgram(MainWindow& window, HINSTANCE instance) {
    // The engine's 256 MB MoveStack is what fails on a machine short of
    // memory; with no window yet, a message box is all the user can be shown.
    std::optional<GameSession> session;
    try {
        session.emplace(&window);
    } catch (const std::bad_alloc&) {
        MessageBoxA(nullptr, "Out of memory", "ERROR", MB_ICONERROR);
        return 1;
    }
    window.createWindow(instance, &*session);
    // The failure has been shown; a loop without a window would never end.
    if (window.windowHandle == nullptr) return 1;
    window.show();
    runMessageLoop();
    // Closing the window during a computer turn lands here at once. The
    // window stops and waits for the worker here, dispatching messages, before
    // the session is released on return: the session's destructor only sleeps
    // while it waits, and a worker blocked in a window operation sent to this
    // thread would never let go of it.
    window.finishComputerTurn();
    return 0;
}
