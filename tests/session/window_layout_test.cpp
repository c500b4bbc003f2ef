// The shell scripts' copy of the window's layout (scripts/window_layout.sh)
// holds exactly the numbers of the C++ constants, so a change to either side
// alone fails here instead of misplacing a click under Wine.
#include "ui/window_layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "session/board_geometry.h"

namespace {

using Table = std::map<std::string, std::string>;

// NAME=VALUE words, comments left out.
Table readScript(const char* path) {
    std::ifstream file(path);
    EXPECT_TRUE(file.good()) << path;
    Table table;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word) {
            const size_t equals = word.find('=');
            EXPECT_NE(equals, std::string::npos) << "not an assignment: " << word;
            if (equals == std::string::npos) continue;
            EXPECT_EQ(table.count(word.substr(0, equals)), 0u) << "set twice: " << word;
            table[word.substr(0, equals)] = word.substr(equals + 1);
        }
    }
    return table;
}

std::string hex(Colour colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", colour.red, colour.green, colour.blue);
    return text;
}

}  // namespace

TEST(WindowLayoutScript, HoldsTheNumbersOfTheConstants) {
    const Table script = readScript(PAXLET_WINDOW_LAYOUT_SCRIPT);
    const auto n = [](int32_t value) { return std::to_string(value); };
    // Wine's frame: 4-pixel borders and a 19-pixel caption.
    const Table expected = {
        {"WINDOW_WIDTH", n(kWindowWidth)},
        {"WINDOW_HEIGHT", n(kWindowHeight)},
        {"CLIENT_WIDTH", n(kWindowWidth - 2 * 4)},
        {"CLIENT_HEIGHT", n(kWindowHeight - 2 * 4 - 19)},
        {"CONTROL_LEFT", n(kDepthFieldPlace.left)},
        {"CONTROL_WIDTH", n(kDepthFieldPlace.width)},
        {"CONTROL_HEIGHT", n(kDepthFieldPlace.height)},
        {"MOVE_LOG_TOP", n(kMoveLogPlace.top)},
        {"MOVE_LOG_HEIGHT", n(kMoveLogPlace.height)},
        {"DEPTH_FIELD_TOP", n(kDepthFieldPlace.top)},
        {"TIME_FIELD_TOP", n(kTimeLimitFieldPlace.top)},
        {"SIZE_FIELD_TOP", n(kSizeFieldPlace.top)},
        {"MOVE_FIELD_TOP", n(kMoveFieldPlace.top)},
        {"NEW_GAME_TOP", n(kNewGamePlace.top)},
        {"EXECUTE_MOVE_TOP", n(kExecuteMovePlace.top)},
        {"AI_DO_MOVE_TOP", n(kComputerMovePlace.top)},
        {"UNDO_TOP", n(kUndoPlace.top)},
        {"DEBUG_TOP", n(kDebugPlace.top)},
        {"STATISTICS_TOP", n(kStatisticsPlace.top)},
        {"STATISTICS_HEIGHT", n(kStatisticsPlace.height)},
        {"GRID_LEFT", n(kGridLeft)},
        {"GRID_TOP", n(kGridTop)},
        {"GRID_RIGHT_MARGIN", n(kGridRightMargin)},
        {"GRID_BOTTOM_MARGIN", n(kGridBottomMargin)},
        {"P1_COLOUR", hex(kPlayerColours[0])},
        {"P2_COLOUR", hex(kPlayerColours[1])},
        {"LAST_MOVE_COLOUR", hex(kLastMoveColour)},
        {"GRID_COLOUR", hex(kGridColour)},
        {"LABEL_COLOUR", hex(kLabelTextColour)},
        {"LABEL_BACK_COLOUR", hex(kLabelBackColour)},
        // No constant of ours: what Wine paints.
        {"BACKGROUND_COLOUR", "E3E3E3"},
        {"WHITE_COLOUR", "FFFFFF"},
        {"FACE_COLOUR", "F5F5F5"},
    };
    EXPECT_EQ(script, expected);
}

// The script names one left edge, one width and one height for the column:
// they must hold for every control they stand for.
TEST(WindowLayoutScript, TheColumnSharesItsLeftEdgeWidthAndHeight) {
    const ControlPlace column[] = {kMoveLogPlace,     kDepthFieldPlace,   kTimeLimitFieldPlace,
                                   kSizeFieldPlace,   kMoveFieldPlace,    kNewGamePlace,
                                   kExecuteMovePlace, kComputerMovePlace, kUndoPlace,
                                   kDebugPlace,       kStatisticsPlace};
    for (const ControlPlace& place : column) {
        EXPECT_EQ(place.left, 5) << place.top;
        EXPECT_EQ(place.width, 100) << place.top;
    }
    for (const ControlPlace& place :
         {kDepthFieldPlace, kTimeLimitFieldPlace, kSizeFieldPlace, kMoveFieldPlace, kNewGamePlace,
          kExecuteMovePlace, kComputerMovePlace, kUndoPlace, kDebugPlace})
        EXPECT_EQ(place.height, 20) << place.top;
    // Top to bottom, each below the last.
    for (size_t k = 1; k < std::size(column); ++k)
        EXPECT_GE(column[k].top, column[k - 1].top + column[k - 1].height) << k;
}
