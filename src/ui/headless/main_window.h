// The headless main window: a stand-in for the Win32 window (win32/) in tests
// and command-line self-play. It offers the session the same operations,
// keeps what the real window would show so that it can be read back, and
// records every drawing primitive call. Chosen at build time: the session
// includes "main_window.h" from whichever backend its library is built with.
//
// create() plays the part of the window coming into existence; before it
// every operation does nothing. Whoever drives it (a test, the self-play
// tool) acts as the window thread: it alone sets the client size, which
// painting reads without a lock, as on Windows.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "ui/field_text.h"

class GameSession;

// The recorded drawing primitive calls, one kind each with its own fields.
struct FillQuad {
    int32_t brush, left, top, width, height;
    bool operator==(const FillQuad&) const = default;
};
struct StrokeLine {
    int32_t pen, x1, y1, x2, y2;
    bool operator==(const StrokeLine&) const = default;
};
struct DrawLabel {
    std::string text;
    int32_t x, y;
    bool operator==(const DrawLabel&) const = default;
};
using DrawCall = std::variant<FillQuad, StrokeLine, DrawLabel>;

class MainWindow {
public:
    MainWindow();

// What the session calls: the window operations and drawing primitives.
#include "ui/window_operations.h"

    enum Field { DepthField, TimeLimitField, SizeField, MoveField };

    void create(GameSession* session);
    void setClientSize(int32_t width, int32_t height);
    void setFieldText(Field field, const char* text);
    std::string fieldText(Field field);
    std::vector<std::string> moveLogEntries();  // newest first
    std::string statisticsText();
    int32_t redrawCount();
    std::vector<DrawCall> takeDrawCalls();  // returns and clears
    // While held, readTimeLimit waits: a computer turn is kept just before
    // its next search, as when the window thread is slow to answer it.
    void holdFieldReads(bool held);
    // While held, setStatistics waits: a computer turn is kept after its
    // last search, before it ends.
    void holdStatistics(bool held);
    void setHold(bool& flag, bool held);

    // Every operation is one atomic step under this lock, standing in for
    // "carried out on the window thread while the caller waits".
    std::mutex operationLock;
    std::condition_variable holdsReleased;
    bool readsHeld = false;
    bool statisticsHeld = false;
    bool created = false;
    std::vector<std::string> moveLogItems;  // newest first
    std::string statistics = kInitialStatisticsText;
    std::string fieldTexts[4] = {kInitialMaxDepthText, kInitialTimeLimitText, kInitialSizeText,
                                 kInitialMoveText};  // indexed by Field
    int32_t redrawRequests = 0;
    std::vector<DrawCall> drawCalls;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    GameSession* gameSession = nullptr;
};
