// The study window: controls, labels, the board painted off screen, the
// clipboard and the file dialogs.
#include "ui/study/study_window.h"

#include <commdlg.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kClassName = "Paxlet_Study";
constexpr const char* kCaption = "Paxlet Study";
constexpr int32_t kWindowWidth = 920, kWindowHeight = 700;
constexpr int32_t kFieldBuffer = 64;
constexpr int32_t kPathBuffer = 1024;

constexpr const char* kKeysText =
    "Keys: Ctrl+Z undo, Ctrl+Y redo, Ctrl+C copy the picture, Ctrl+Shift+C copy it with "
    "the values, Ctrl+V paste a picture, Ctrl+O open, Ctrl+S save.";
constexpr const char* kPictureFilter = "Pictures (*.txt)\0*.txt\0All files (*.*)\0*.*\0";

// Only a window created by create() reaches the procedure, and there is one.
StudyWindow* activeWindow = nullptr;

COLORREF colorOf(StudyColour colour) { return RGB(colour.red, colour.green, colour.blue); }

std::string textOf(HWND control) {
    char text[kFieldBuffer] = {};
    GetWindowTextA(control, text, kFieldBuffer);
    return text;
}

// Sets a label only when its text changes, so that a stream of results does
// not make it flicker.
void setText(HWND control, const std::string& text) {
    if (textOf(control) != text) SetWindowTextA(control, text.c_str());
}

// One control of the column: class, text, style, and its place in rows of
// kStudyRowHeight from the top and halves of the column's width.
struct ControlRow {
    HWND StudyWindow::*field;
    const char* className;
    const char* text;
    DWORD style;
    int32_t left, top, width, height;
};

constexpr int32_t kColumnLeft = 8, kColumnWidth = kStudyPanelWidth - 16;
constexpr int32_t kHalf = (kColumnWidth - kStudyGap) / 2;
constexpr int32_t kSecondHalf = kColumnLeft + kHalf + kStudyGap;
constexpr int32_t rowTop(int32_t row) { return 8 + row * (kStudyRowHeight + kStudyGap); }
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = kChild | SS_LEFT;
constexpr int32_t kH = kStudyRowHeight;

const ControlRow kControls[] = {
    {nullptr, "Static", "Dots per side:", kLabel, kColumnLeft, rowTop(0) + 4, kHalf, kH},
    {&StudyWindow::dotsField, "Edit", "4", kEdit, kSecondHalf, rowTop(0), kHalf, kH},
    {&StudyWindow::newBoardButton, "Button", "New board", kButton, kColumnLeft, rowTop(1),
     kColumnWidth, kH},
    {nullptr, "Static", "Time limit (ms):", kLabel, kColumnLeft, rowTop(2) + 4, kHalf, kH},
    {&StudyWindow::timeField, "Edit", "5000", kEdit, kSecondHalf, rowTop(2), kHalf, kH},
    {&StudyWindow::undoButton, "Button", "Undo", kButton, kColumnLeft, rowTop(3), kHalf, kH},
    {&StudyWindow::redoButton, "Button", "Redo", kButton, kSecondHalf, rowTop(3), kHalf, kH},
    {&StudyWindow::showValuesBox, "Button", "Show values", kChild | WS_TABSTOP | BS_AUTOCHECKBOX,
     kColumnLeft, rowTop(4), kColumnWidth, kH},
    {nullptr, "Static", "Computer plays:", kLabel, kColumnLeft, rowTop(5) + 4, kHalf, kH},
    {&StudyWindow::computerBox, "ComboBox", "", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     kSecondHalf, rowTop(5), kHalf, 120},
    {&StudyWindow::openButton, "Button", "Open", kButton, kColumnLeft, rowTop(6), kHalf, kH},
    {&StudyWindow::saveButton, "Button", "Save", kButton, kSecondHalf, rowTop(6), kHalf, kH},
    {&StudyWindow::sideLabel, "Static", "", kLabel, kColumnLeft, rowTop(7) + 6, kColumnWidth, kH},
    {&StudyWindow::valueLabel, "Static", "", kLabel, kColumnLeft, rowTop(8), kColumnWidth, 2 * kH},
    {&StudyWindow::computerLabel, "Static", "", kLabel, kColumnLeft, rowTop(9) + 12, kColumnWidth,
     kH},
    {&StudyWindow::noteLabel, "Static", "", kLabel, kColumnLeft, rowTop(10) + 6, kColumnWidth,
     2 * kH},
    {&StudyWindow::messageLabel, "Static", "", kLabel, kColumnLeft, rowTop(12), kColumnWidth,
     4 * kH},
    {nullptr, "Static", kKeysText, kLabel, kColumnLeft, rowTop(16), kColumnWidth, 4 * kH},
};

// Windows ends text lines with CR LF, the session's pictures with LF.
std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool putOnClipboard(HWND window, const std::string& text) {
    const std::string data = withCrLf(text);
    if (!OpenClipboard(window)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, data.size() + 1);
    bool done = false;
    if (memory != nullptr) {
        std::memcpy(GlobalLock(memory), data.c_str(), data.size() + 1);
        GlobalUnlock(memory);
        // The clipboard owns the memory once it takes it.
        done = SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

bool takeFromClipboard(HWND window, std::string& text) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(window)) return false;
    HANDLE memory = GetClipboardData(CF_TEXT);
    const char* data = memory != nullptr ? static_cast<const char*>(GlobalLock(memory)) : nullptr;
    if (data != nullptr) {
        // Never past the block, even when the text in it is not terminated.
        text.assign(data, strnlen(data, GlobalSize(memory)));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return data != nullptr;
}

// The path the user picked, or empty when the dialog was cancelled.
std::string askPath(HWND window, bool save) {
    char path[kPathBuffer] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = kPictureFilter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathBuffer;
    dialog.lpstrDefExt = "txt";
    dialog.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL picked = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return picked ? std::string(path) : std::string();
}

std::string sideText(const StudyView& view) {
    return "P" + std::to_string(view.sideToMove + 1) + " to move, score " +
           std::to_string(view.scores[0]) + "-" + std::to_string(view.scores[1]);
}

std::string computerText(const StudyView& view) {
    if (view.computerMoving) return "The computer is moving...";
    switch (view.lastComputerMove) {
        case ComputerMove::Perfect:
            return "Computer's last move: perfect";
        case ComputerMove::Searched:
            return "Computer's last move: searched";
        default:
            return view.computerSide < 0 ? "" : "Computer's last move: none yet";
    }
}

std::string noteText(const StudyView& view, const StudyLayout& layout) {
    if (view.solve == StudySolve::Running) return "Solving...";
    const bool values = view.showValues && view.solve == StudySolve::Proved;
    if (values && layout.textHeight == 0)
        return "Numbers hidden: the cells are too small for them; enlarge the window.";
    if (view.solve == StudySolve::Bounded) return "Not proved in time: no line values.";
    return "";
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

bool StudyWindow::create(HINSTANCE instance, StudySession* studySession) {
    session = studySession;
    activeWindow = this;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // No background brush: painting covers the whole client area.
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);
    window = CreateWindowExA(WS_EX_APPWINDOW, kClassName, kCaption,
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, kWindowWidth,
                             kWindowHeight, nullptr, nullptr, instance, nullptr);
    return window != nullptr;
}

void StudyWindow::createControls() {
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (const ControlRow& row : kControls) {
        HWND control = CreateWindowExA(0, row.className, row.text, row.style, row.left, row.top,
                                       row.width, row.height, window, nullptr, nullptr, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (row.field != nullptr) this->*row.field = control;
    }
    for (const char* side : {"nobody", "P1", "P2"})
        SendMessageA(computerBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(side));
    SendMessageA(computerBox, CB_SETCURSEL, 0, 0);
    SendMessageA(showValuesBox, BM_SETCHECK, BST_CHECKED, 0);
}

void StudyWindow::refresh() {
    view = session->view();
    layout = layOutStudy(clientWidth, clientHeight, view.dotsPerSide);
    if (view.dotsPerSide != fieldDots) {
        fieldDots = view.dotsPerSide;
        SetWindowTextA(dotsField, std::to_string(fieldDots).c_str());
    }
    setText(sideLabel, sideText(view));
    setText(valueLabel, view.valueText());
    setText(computerLabel, computerText(view));
    setText(noteLabel, noteText(view, layout));
    setText(messageLabel, note.empty() ? view.message : note);
    EnableWindow(undoButton, view.canUndo);
    EnableWindow(redoButton, view.canRedo);
    InvalidateRect(window, nullptr, FALSE);
}

void StudyWindow::resize(int32_t width, int32_t height) {
    clientWidth = width;
    clientHeight = height;
    refresh();
}

void StudyWindow::command(HWND control, WORD code) {
    if (control == nullptr) return;
    // A control's notice other than a click or a selection changes nothing,
    // except the time field's: each edit is the new limit.
    if (control == timeField) {
        if (code == EN_CHANGE) session->setTimeLimit(textOf(timeField));
    } else if (control == computerBox) {
        if (code != CBN_SELCHANGE) return;
        session->setComputerSide(
            static_cast<int32_t>(SendMessageA(computerBox, CB_GETCURSEL, 0, 0)) - 1);
    } else if (code != BN_CLICKED) {
        return;
    } else if (control == newBoardButton) {
        session->newBoard(textOf(dotsField));
    } else if (control == undoButton) {
        session->undo();
    } else if (control == redoButton) {
        session->redo();
    } else if (control == showValuesBox) {
        session->setShowValues(SendMessageA(showValuesBox, BM_GETCHECK, 0, 0) == BST_CHECKED);
    } else if (control == openButton) {
        openPicture();
    } else if (control == saveButton) {
        savePicture();
    } else {
        return;
    }
    if (control != openButton && control != saveButton) note.clear();
    refresh();
}

void StudyWindow::click(int32_t x, int32_t y) {
    // Keys go to the board, not to the field that had the focus.
    SetFocus(window);
    const MoveIndex line = pickLine(layout, x, y);
    if (line < 0) return;
    note.clear();
    session->clickLine(line);
    refresh();
}

bool StudyWindow::handleKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || (GetKeyState(VK_CONTROL) & 0x8000) == 0) return false;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    // While the user types in a field, its own copy, paste and undo win.
    char className[16] = {};
    GetClassNameA(message.hwnd, className, sizeof className);
    const bool inField = lstrcmpiA(className, "Edit") == 0;
    switch (message.wParam) {
        case 'Z':
            if (inField) return false;
            note.clear();
            session->undo();
            break;
        case 'Y':
            if (inField) return false;
            note.clear();
            session->redo();
            break;
        case 'C':
            if (inField) return false;
            copyPicture(shift);
            break;
        case 'V':
            if (inField) return false;
            pastePicture();
            break;
        case 'O':
            openPicture();
            break;
        case 'S':
            savePicture();
            break;
        default:
            return false;
    }
    refresh();
    return true;
}

void StudyWindow::copyPicture(bool values) {
    const std::string text = values ? session->valuesPicture() : session->picture();
    if (text.empty()) {
        note = "Nothing to copy yet: the values are not proved.";
    } else {
        note = putOnClipboard(window, text) ? "" : "The clipboard could not be written.";
    }
}

void StudyWindow::pastePicture() {
    std::string text;
    if (!takeFromClipboard(window, text)) {
        note = "The clipboard holds no text.";
        return;
    }
    note.clear();
    session->pastePicture(text);
}

void StudyWindow::openPicture() {
    const std::string path = askPath(window, false);
    if (path.empty()) return;
    note.clear();
    session->openFile(path);
}

void StudyWindow::savePicture() {
    const std::string path = askPath(window, true);
    if (path.empty()) return;
    note.clear();
    session->saveFile(path);
}

namespace {

// The board, drawn on a memory device context the size of the client area.
struct BoardPainter {
    HDC dc;
    const StudyView& view;
    const StudyLayout& layout;

    void fill(const RECT& rect, StudyColour colour) const {
        HBRUSH brush = CreateSolidBrush(colorOf(colour));
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    void stroke(MoveIndex line, StudyColour colour, int32_t width) const {
        StudyPoint from, to;
        lineEnds(layout, line, from, to);
        HPEN pen = CreatePen(PS_SOLID, width, colorOf(colour));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, from.x, from.y, nullptr);
        LineTo(dc, to.x, to.y);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    void write(const std::string& text, RECT box, StudyColour colour) const {
        SetTextColor(dc, colorOf(colour));
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    void quads() const {
        for (size_t k = 0; k < view.quadOwners.size(); ++k) {
            const int32_t owner = view.quadOwners[k];
            if (owner == 0) continue;
            const StudyRect r = quadRect(layout, static_cast<int32_t>(k));
            const RECT rect = {r.left, r.top, r.right, r.bottom};
            fill(rect, kStudyQuadColours[owner - 1]);
            write(std::to_string(owner), rect, kStudyPlayerColours[owner - 1]);
        }
    }
    void lines(bool values) const {
        const int32_t bestWidth = layout.penWidth / 2 + 1;
        for (size_t k = 0; k < view.lineOwners.size(); ++k) {
            const MoveIndex line = static_cast<MoveIndex>(k);
            const int32_t owner = view.lineOwners[k];
            if (owner != 0) {
                const bool last = line == view.lastMove;
                stroke(line, last ? kStudyLastMoveColour : kStudyPlayerColours[owner - 1],
                       layout.penWidth);
            } else if (values && k < view.best.size() && view.best[k]) {
                stroke(line, kStudyBestColour, bestWidth);
            } else {
                stroke(line, kStudyGridColour, 1);
            }
        }
    }
    void numbers() const {
        for (size_t k = 0; k < view.lineOwners.size() && k < view.lineValues.size(); ++k) {
            if (view.lineOwners[k] != 0) continue;
            const StudyRect r = labelBox(layout, static_cast<MoveIndex>(k));
            const bool best = k < view.best.size() && view.best[k];
            write(std::to_string(view.lineValues[k]), {r.left, r.top, r.right, r.bottom},
                  best ? kStudyBestColour : kStudyValueColour);
        }
    }
    void dots() const {
        HBRUSH brush = CreateSolidBrush(colorOf(kStudyDotColour));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        const int32_t r = layout.dotRadius;
        for (int32_t row = 0; row < layout.dots; ++row)
            for (int32_t column = 0; column < layout.dots; ++column) {
                const StudyPoint c = dotCentre(layout, column, row);
                Ellipse(dc, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
            }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
};

// A font whose longest value fits the layout's box: Windows fonts differ in
// width, so the box's width is measured rather than trusted.
HFONT makeValueFont(HDC dc, const StudyLayout& layout) {
    const std::string longest = "-" + std::string(longestValueChars(layout.dots) - 1, '8');
    for (int32_t height = layout.textHeight; height > 0; --height) {
        HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 VARIABLE_PITCH | FF_SWISS, "Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size = {};
        GetTextExtentPoint32A(dc, longest.c_str(), static_cast<int>(longest.size()), &size);
        SelectObject(dc, old);
        if (size.cx <= layout.labelWidth && size.cy <= layout.textHeight) return font;
        DeleteObject(font);
    }
    return nullptr;
}

}  // namespace

void StudyWindow::paint() {
    PAINTSTRUCT paintStruct;
    HDC screen = BeginPaint(window, &paintStruct);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, clientWidth, clientHeight);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const RECT panel = {0, 0, kStudyPanelWidth, clientHeight};
    FillRect(dc, &panel, GetSysColorBrush(COLOR_BTNFACE));
    BoardPainter painter{dc, view, layout};
    painter.fill({kStudyPanelWidth, 0, clientWidth, clientHeight}, kStudyBoardColour);
    SetBkMode(dc, TRANSPARENT);
    if (valueFontHeight != layout.textHeight || valueFont == nullptr) {
        if (valueFont != nullptr) DeleteObject(valueFont);
        valueFont = makeValueFont(dc, layout);
        valueFontHeight = layout.textHeight;
    }
    HGDIOBJ oldFont = valueFont != nullptr ? SelectObject(dc, valueFont) : nullptr;
    const bool values = view.showValues && view.solve == StudySolve::Proved;
    painter.quads();
    painter.lines(values);
    painter.dots();
    if (values && valueFont != nullptr) painter.numbers();
    if (oldFont != nullptr) SelectObject(dc, oldFont);
    BitBlt(screen, 0, 0, clientWidth, clientHeight, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(window, &paintStruct);
}

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    StudyWindow* self = activeWindow;
    switch (message) {
        case WM_CREATE:
            self->window = window;
            self->createControls();
            return 0;
        case WM_SIZE:
            self->resize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting covers it all, off screen
        case WM_PAINT:
            self->paint();
            return 0;
        case WM_LBUTTONDOWN:
            self->click(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
            return 0;
        case WM_COMMAND:
            self->command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            return 0;
        case kStudyChanged:
            self->refresh();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace
