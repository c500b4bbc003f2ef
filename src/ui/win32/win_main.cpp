// Entry point of paxlet.exe: create the window, show it, run the loop.
#include "session/game_session.h"
#include "ui/main_window.h"

// Built during static initialisation (pens and brushes only), so it outlives
// the session and every message that could still reach the window.
MainWindow mainWindow;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    GameSession session(&mainWindow);
    mainWindow.createWindow(instance, &session);
    // The failure has been shown; a loop without a window would never end.
    if (mainWindow.windowHandle == nullptr) return 1;
    mainWindow.show();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Closing the window during a computer turn lands here at once; the
    // session may only go once its worker has let go of it.
    mainWindow.finishComputerTurn();
    return 0;
}
