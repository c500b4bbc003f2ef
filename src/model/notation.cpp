// Move notation: "A1-B1" names a line by its two dots, column letter and
// 1-based row number.
#include <cstdio>
#include <string>

#include "model/board.h"
#include "model/move_text.h"
#include "model/text.h"

namespace {

const char* skipBlanks(const char* p) {
    while (isBlank(*p)) ++p;
    return p;
}

// Reads one dot ("B12") into 0-based column and row; null when there is none.
// Rows beyond the largest board stop the read, so no digit run can overflow.
const char* readDot(const char* p, int32_t& column, int32_t& row) {
    if (*p < 'A' || *p > 'Z') return nullptr;
    column = *p++ - 'A';
    if (*p < '0' || *p > '9') return nullptr;
    int32_t number = 0;
    while (*p >= '0' && *p <= '9') {
        number = number * 10 + (*p++ - '0');
        if (number > kMaxDotsPerSide) return nullptr;
    }
    row = number - 1;
    return p;
}

}  // namespace

MoveIndex Board::parseMove(const char* text) const {
    if (text == nullptr) return -1;
    int32_t x1, y1, x2, y2;
    const char* p = readDot(skipBlanks(text), x1, y1);
    if (p == nullptr) return -1;
    p = skipBlanks(p);
    if (*p++ != '-') return -1;
    p = readDot(skipBlanks(p), x2, y2);
    if (p == nullptr || *skipBlanks(p) != '\0') return -1;

    const int32_t n = dotsPerSide;
    auto onBoard = [n](int32_t x, int32_t y) { return x >= 0 && x < n && y >= 0 && y < n; };
    if (!onBoard(x1, y1) || !onBoard(x2, y2)) return -1;

    // Either dot may come first; the line starts at the left or upper one.
    const int32_t x = x1 < x2 ? x1 : x2;
    const int32_t y = y1 < y2 ? y1 : y2;
    const int32_t block = y * (2 * n - 1);
    if (y1 == y2 && (x1 - x2 == 1 || x2 - x1 == 1)) return block + x;
    if (x1 == x2 && (y1 - y2 == 1 || y2 - y1 == 1)) return block + n - 1 + x;
    return -1;
}

int32_t Board::formatMove(char* buffer, MoveIndex move) const {
    const uint32_t n = static_cast<uint32_t>(dotsPerSide);
    const uint32_t row = static_cast<uint32_t>(move) / (2 * n - 1);
    const uint32_t offset = static_cast<uint32_t>(move) % (2 * n - 1);
    const bool horizontal = offset < n - 1;
    const int column = static_cast<int>(horizontal ? offset : offset - (n - 1));
    const int top = static_cast<int>(row + 1);
    // At most "Y26-Z26" for the boards the program builds.
    const int written =
        std::snprintf(buffer, 8, "%c%i-%c%i", 'A' + column, top,
                      'A' + column + (horizontal ? 1 : 0), horizontal ? top : top + 1);
    return written < 8 ? written : 7;
}

std::string moveText(const Board& board, MoveIndex move) {
    char text[8];
    const int32_t length = board.formatMove(text, move);
    return std::string(text, static_cast<size_t>(length));
}
