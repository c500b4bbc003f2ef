// The study window: the controls in a column at the left, the board with
// every line's value in the rest. It draws what the study session's last
// view says and turns clicks and keys into the session's commands; every
// field belongs to the window thread. The session's worker only posts
// kStudyChanged, so the window never waits for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "study/study_session.h"
#include "ui/study/study_layout.h"

inline constexpr UINT kStudyChanged = WM_APP + 1;

struct StudyWindow {
    StudySession* session = nullptr;
    HWND window = nullptr;
    HWND dotsField = nullptr, newBoardButton = nullptr, timeField = nullptr;
    HWND undoButton = nullptr, redoButton = nullptr, showValuesBox = nullptr;
    HWND computerBox = nullptr, openButton = nullptr, saveButton = nullptr;
    HWND sideLabel = nullptr, valueLabel = nullptr, computerLabel = nullptr;
    HWND noteLabel = nullptr, messageLabel = nullptr;

    StudyView view;  // the session's, as of the last change
    StudyLayout layout;
    int32_t clientWidth = 0, clientHeight = 0;
    // The size the dots field was last set to: a pasted or opened picture
    // of another size writes its own there, the user's typing stays.
    int32_t fieldDots = kStudyStartDots;
    HFONT valueFont = nullptr;
    int32_t valueFontHeight = 0;  // the layout's text height the font was made for
    // The window's own refusals (an empty clipboard, values not yet proved);
    // shown instead of the session's message until the next command.
    std::string note;

    // Registers the class and creates the window with its controls; false
    // when Windows gives none.
    bool create(HINSTANCE instance, StudySession* studySession);
    // Ctrl+ keys of the study, taken from the message loop before the focused
    // control sees them; true when the message was one.
    bool handleKey(const MSG& message);

    void createControls();
    void refresh();  // takes the session's view and updates every label
    void resize(int32_t width, int32_t height);
    void command(HWND control, WORD code);
    void click(int32_t x, int32_t y);
    void paint();
    void copyPicture(bool values);
    void pastePicture();
    void openPicture();
    void savePicture();
};
