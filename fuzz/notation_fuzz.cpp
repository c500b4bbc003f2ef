// Move notation under libFuzzer: every input is parsed on every board size
// and must give what the grammar below says, and formatted moves parse back.
//
// The grammar, written as a character-class automaton rather than as a
// parser: blanks, a dot, blanks, a hyphen, blanks, a dot, blanks, the end,
// where a dot is an upper-case letter and one or more decimal digits. The
// text is a move when both dots lie on the board and are neighbours.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "model/board.h"

namespace {

enum CharClass { Blank, Letter, Digit, Hyphen, Other, kClasses };
enum State {
    Start,
    FirstColumn,
    FirstRow,
    BeforeHyphen,
    AfterHyphen,
    SecondColumn,
    SecondRow,
    Trailing,
    Refused,
    kStates
};

// Rows: the state; columns: Blank, Letter, Digit, Hyphen, Other.
constexpr State kNext[kStates][kClasses] = {
    {Start, FirstColumn, Refused, Refused, Refused},          // Start
    {Refused, Refused, FirstRow, Refused, Refused},           // FirstColumn
    {BeforeHyphen, Refused, FirstRow, AfterHyphen, Refused},  // FirstRow
    {BeforeHyphen, Refused, Refused, AfterHyphen, Refused},   // BeforeHyphen
    {AfterHyphen, SecondColumn, Refused, Refused, Refused},   // AfterHyphen
    {Refused, Refused, SecondRow, Refused, Refused},          // SecondColumn
    {Trailing, Refused, SecondRow, Refused, Refused},         // SecondRow
    {Trailing, Refused, Refused, Refused, Refused},           // Trailing
    {Refused, Refused, Refused, Refused, Refused},            // Refused
};

// The C locale's classes, which the fuzz binaries never change.
CharClass classOf(char c) {
    const int u = static_cast<unsigned char>(c);
    if (std::isspace(u)) return Blank;
    if (std::isupper(u)) return Letter;
    if (std::isdigit(u)) return Digit;
    return c == '-' ? Hyphen : Other;
}

struct Dot {
    int32_t column = 0;
    std::string row;  // the digits as written, leading zeros and all
};

// Row number of the digits, or 0 (no row of any board) when it has more
// digits than any board's row, zeros aside.
int32_t rowNumber(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    const std::string significant = digits.substr(first);
    return significant.size() > 2 ? 0 : std::atoi(significant.c_str());
}

MoveIndex expectedMove(const char* text, int32_t n) {
    State state = Start;
    Dot dots[2];
    for (const char* p = text; *p != '\0'; ++p) {
        state = kNext[state][classOf(*p)];
        if (state == FirstColumn || state == SecondColumn)
            dots[state == SecondColumn].column = *p - 'A';
        if (state == FirstRow || state == SecondRow) dots[state == SecondRow].row += *p;
    }
    if (state != SecondRow && state != Trailing) return -1;

    // Dots as (x, y) from the top-left dot (0, 0).
    int32_t x[2], y[2];
    for (int i = 0; i < 2; ++i) {
        x[i] = dots[i].column;
        y[i] = rowNumber(dots[i].row) - 1;
        if (x[i] >= n || y[i] < 0 || y[i] >= n) return -1;
    }
    if (std::abs(x[0] - x[1]) + std::abs(y[0] - y[1]) != 1) return -1;
    // Row blocks of 2n - 1: first the row's n - 1 horizontal lines, then the
    // n vertical ones that go down from it.
    const int32_t left = x[0] < x[1] ? x[0] : x[1];
    const int32_t top = y[0] < y[1] ? y[0] : y[1];
    return top * (2 * n - 1) + (y[0] == y[1] ? left : n - 1 + left);
}

Board boards[kMaxDotsPerSide + 1];  // indexed by dots per side; built once

std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
        char escaped[8];
        const unsigned char u = static_cast<unsigned char>(*p);
        std::snprintf(escaped, sizeof escaped, u < 0x20 || u >= 0x7f ? "\\x%02x" : "%c", u);
        out += escaped;
    }
    return out + '"';
}

[[noreturn]] void fail(const char* what, const char* text, int32_t n, MoveIndex want,
                       MoveIndex got) {
    std::fprintf(stderr, "notation: %s: %s on %d dots gave %d, want %d\n", what,
                 quoted(text).c_str(), n, got, want);
    std::abort();
}

void checkParse(const char* text) {
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n) {
        const MoveIndex want = expectedMove(text, n);
        const MoveIndex got = boards[n].parseMove(text);
        if (got != want) fail("parseMove", text, n, want, got);
    }
}

// The text of move, with its dots in the other order when swap is set and
// the blanks of gaps[] before, around the hyphen and after.
std::string decorated(const Board& board, MoveIndex move, bool swap, const std::string gaps[4]) {
    char text[8];
    const int32_t length = board.formatMove(text, move);
    const char* hyphen = std::strchr(text, '-');
    if (length != static_cast<int32_t>(std::strlen(text)) || length > 7 || hyphen == nullptr) {
        std::fprintf(stderr, "notation: formatMove of %d on %d dots wrote %s and returned %d\n",
                     move, board.dotsPerSide, quoted(text).c_str(), length);
        std::abort();
    }
    std::string first(text, hyphen - text), second(hyphen + 1);
    if (swap) first.swap(second);
    return gaps[0] + first + gaps[1] + "-" + gaps[2] + second + gaps[3];
}

void checkRoundTrip(const Board& board, MoveIndex move, bool swap, const std::string gaps[4]) {
    const std::string text = decorated(board, move, swap, gaps);
    const MoveIndex got = board.parseMove(text.c_str());
    if (got != move) fail("round trip", text.c_str(), board.dotsPerSide, move, got);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string none[4];
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n) {
        boards[n].createBoard(n, 2);
        for (MoveIndex m = 0; m < boards[n].lineCount; ++m) {
            checkRoundTrip(boards[n], m, false, none);
            checkRoundTrip(boards[n], m, true, none);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A heap copy of exactly the text and its terminator, so that a read past
    // the end is an AddressSanitizer report.
    const size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<char[]> text(new char[length + 1]);
    std::memcpy(text.get(), data, length);
    text[length] = '\0';
    checkParse(text.get());

    // The input also picks a line of some board and the blanks around its
    // dots, so that round trips cover white space and both orders.
    if (size >= 4) {
        const Board& board = boards[kMinDotsPerSide + data[0] % 25];
        const MoveIndex move = (data[1] | data[2] << 8) % board.lineCount;
        static const char kBlanks[] = " \t\n\v\f\r";
        std::string gaps[4];
        for (size_t i = 4; i < size && i < 4 + 16; ++i)
            gaps[data[i] % 4] += kBlanks[data[i] / 4 % 6];
        checkRoundTrip(board, move, data[3] & 1, gaps);
    }
    return 0;
}
