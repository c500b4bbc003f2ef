// The body of paxlet.exe's entry function, apart from WinMain so that the
// window tests can run it whole.
#pragma once

#include <windows.h>

class MainWindow;

// Builds the session, creates and shows the window and runs the message loop
// until the window closes. Returns the exit status: 0 once the window has
// closed; 1 when memory for the session or the window itself could not be
// had, after a message box that says so.
int runProgram(MainWindow& window, HINSTANCE instance);
