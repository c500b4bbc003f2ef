// Entry point of paxlet-study.exe: the session, the window, the loop.
#include <new>
#include <optional>

#include "ui/study/study_window.h"

namespace {

// Worker thread: never waits for the window thread, whatever it is doing.
void postChanged(void* context) {
    PostMessageA(static_cast<StudyWindow*>(context)->window, kStudyChanged, 0, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Declared first, so that it outlives the session and any change the
    // worker still reports while the session stops.
    StudyWindow window;
    std::optional<StudySession> session;
    try {
        session.emplace();
    } catch (const std::bad_alloc&) {
        MessageBoxA(nullptr, "Out of memory", "Paxlet Study", MB_ICONERROR);
        return 1;
    }
    if (!window.create(instance, &*session)) {
        MessageBoxA(nullptr, "No window could be created.", "Paxlet Study", MB_ICONERROR);
        return 1;
    }
    session->changedContext = &window;
    session->changed = postChanged;
    ShowWindow(window.window, SW_SHOW);
    SetFocus(window.window);
    window.refresh();  // what the worker found before it could tell the window
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (window.handleKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // The session's destructor stops a running solve or computer move and
    // joins the worker; its last posts go to a window that is gone.
    return 0;
}
