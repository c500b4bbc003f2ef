// Entry point of paxlet.exe: create the window, show it, run the loop.
#include "main_window.h"
#include "ui/win32/program.h"

// Built during static initialisation (pens and brushes only), so it outlives
// the session and every message that could still reach the window.
MainWindow mainWindow;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return runProgram(mainWindow, instance);
}
