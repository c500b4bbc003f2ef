// Takes the first window of a Wine session for a program under test (see
// wine-gui.sh --hold-desktop).
//
// The first window of a Wine session makes Wine start its desktop process
// and wait 10 s for it. When the start takes longer (a busy or brand-new
// machine), that program gets no window driver ("The explorer process
// failed to start"), nor does any later program of that session: paxlet.exe
// could not even show its creation failure and ended at once with status 1.
// So this program meets that wait instead. It prints "ready" once it has a
// window and then stays, keeping the session and its desktop up for the
// program under test; without a window it prints "no window" and exits 1,
// and wine-gui.sh starts a new session.
#include <windows.h>

#include <cstdio>

int main() {
    HWND window = CreateWindowExA(0, "Static", "Wine desktop holder", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    if (window == nullptr) {
        std::puts("no window");
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    // A message loop rather than a sleep, so that messages broadcast to every
    // top-level window find an answer here and never hold up their sender.
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    // Ending is up to the Wine session alone.
    for (;;) Sleep(INFINITE);
}
