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
    } catch (const char* reason) {  // the solver's table: the model's kOutOfMemory
        MessageBoxA(nullptr, reason, "Paxlet Study", MB_ICONERROR);
        return 1;
    } catch (const std::bad_alloc&) {
        MessageBoxA(nullptr, "Out of memory", "Paxlet Study", MB_ICONERROR);
        return 1;
    }
    // Before the first command starts the worker, which the window's first
    // WM_SIZE does; the window handle it posts to is set on WM_CREATE, before.
    session->changedContext = &window;
    session->changed = postChanged;
    if (!window.create(instance, &*session)) {
        MessageBoxA(nullptr, "No window could be created.", "Paxlet Study", MB_ICONERROR);
        return 1;
    }
    ShowWindow(window.window, SW_SHOW);
    SetFocus(window.window);
    window.refresh();  // the labels, before the first change arrives
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
