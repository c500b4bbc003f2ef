#include "picture/picture.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

constexpr int32_t kGap = 3;  // characters between two dots of a row, as typed
constexpr const char* kNotGrid = " is not part of the grid";
constexpr const char* kNoLine = "a line is drawn where no line can be";
constexpr const char* kNoDot = "a dot stands where no dot can be";
constexpr const char* kHalfLine = "a line between two dots is \"---\" or blank";
constexpr const char* kNoGrid = "the picture holds no grid";
constexpr const char* kNoSide =
    "no side to move: the last line is \"P1 to move\" or \"P2 to move\"";
constexpr const char* kScoreForm = "the score after the side to move is written \", A-B\"";
constexpr const char* kAfterSide = "nothing may follow the side to move";

int32_t horizontalLine(int32_t n, int32_t x, int32_t y) { return y * (2 * n - 1) + x; }
int32_t verticalLine(int32_t n, int32_t x, int32_t y) { return y * (2 * n - 1) + n - 1 + x; }

void trimEnd(std::string& row) {
    while (!row.empty() && (row.back() == ' ' || row.back() == '\t' || row.back() == '\r'))
        row.pop_back();
}

void place(std::string& row, int32_t at, const std::string& text) {
    row.replace(static_cast<size_t>(at), text.size(), text);
}

}  // namespace

std::string sideAndScore(const Board& board) {
    char text[48];
    std::snprintf(text, sizeof text, "P%d to move, %d-%d", board.sideToMove + 1, board.scores[0],
                  board.scores[1]);
    return text;
}

std::string drawPicture(const Board& board, const std::vector<std::string>& texts) {
    const int32_t n = board.dotsPerSide;
    auto textOf = [&](int32_t line) -> std::string {
        return texts.empty() || board.lines[line].owner != 0 ? std::string() : texts[line];
    };
    // A blank at each end of a row's text, so that "-3" cannot be taken
    // for part of a line.
    int32_t gap = kGap;
    for (int32_t line = 0; line < board.lineCount; ++line)
        if (!textOf(line).empty())
            gap = std::max(gap, static_cast<int32_t>(textOf(line).size()) + 2);
    // A column's text ends on its dot column and reaches at most gap - 1
    // characters left of it, so the margin holds the first column's.
    const int32_t step = gap + 1, margin = gap;
    const size_t width = static_cast<size_t>(margin + step * (n - 1) + 1);

    std::string picture, header(width, ' ');
    for (int32_t x = 0; x < n; ++x) header[margin + step * x] = static_cast<char>('A' + x);
    picture += header + "\n";
    for (int32_t y = 0; y < n; ++y) {
        std::string dots(width, ' ');
        const std::string number = std::to_string(y + 1);
        place(dots, margin - 1 - static_cast<int32_t>(number.size()), number);
        for (int32_t x = 0; x < n; ++x) {
            dots[margin + step * x] = '+';
            if (x == n - 1) continue;
            const int32_t line = horizontalLine(n, x, y);
            const std::string text = textOf(line);
            if (board.lines[line].owner != 0)
                place(dots, margin + step * x + 1, std::string(gap, '-'));
            else
                place(dots, margin + step * x + 1 + (gap + 1 - int32_t(text.size())) / 2, text);
        }
        trimEnd(dots);
        picture += dots + "\n";
        if (y == n - 1) break;
        std::string sides(width, ' ');
        for (int32_t x = 0; x < n; ++x) {
            const int32_t column = margin + step * x, line = verticalLine(n, x, y);
            const std::string text = textOf(line);
            if (board.lines[line].owner != 0)
                sides[column] = '|';
            else
                place(sides, column + 1 - static_cast<int32_t>(text.size()), text);
            const uint8_t owner = x < n - 1 ? board.quads[y * (n - 1) + x].owner : 0;
            if (owner != 0) sides[column + step / 2] = static_cast<char>('0' + owner);
        }
        trimEnd(sides);
        picture += sides + "\n";
    }
    return picture + sideAndScore(board) + "\n";
}

namespace {

// What a picture says, as it is read: the lines drawn, the owners written in
// the quads and where, and the last line.
struct PictureReader {
    std::vector<std::string> rows;
    int32_t n = 0;
    int32_t left = 0;  // character column of the dots of column A
    std::vector<uint8_t> drawn;
    std::vector<uint8_t> owners;
    std::vector<int32_t> ownerRow, ownerColumn;  // where each quad's middle stands
    int32_t side = 0;
    bool scoreGiven = false;
    int32_t score[2] = {};
    int32_t scoreRow = 0, scoreColumn = 0;
    std::string fault;

    bool fail(size_t row, size_t column, const std::string& reason) {
        fault = "board line " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) +
                ": " + reason;
        return false;
    }
    char at(size_t row, size_t column) const {
        return row < rows.size() && column < rows[row].size() ? rows[row][column] : ' ';
    }
    bool blankRow(size_t row) const {
        return row >= rows.size() || rows[row].find_first_not_of(' ') == std::string::npos;
    }
    std::string wrongSize() const {
        return "the grid is not " + std::to_string(n) + " by " + std::to_string(n) + " dots";
    }
    // A character out of place: a line's, a dot's, or any other.
    bool stray(size_t row, size_t column) {
        const char c = at(row, column);
        if (c == '-' || c == '|') return fail(row, column, kNoLine);
        if (c == '+') return fail(row, column, kNoDot);
        const unsigned char u = static_cast<unsigned char>(c);
        std::string shown(1, c);
        if (u < 0x20 || u >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
            shown = escaped;
        }
        return fail(row, column, "\"" + shown + "\"" + kNotGrid);
    }
    bool blankFrom(size_t row, size_t from, size_t to) {
        for (size_t c = from; c < to && c < rows[row].size(); ++c)
            if (rows[row][c] != ' ') return stray(row, c);
        return true;
    }

    bool read(const std::string& text, int32_t dotsPerSide);
    bool readHeader(size_t row);
    bool readDots(size_t row, int32_t y);
    bool readSides(size_t row, int32_t y);
    bool readLastLine(size_t row, size_t end);  // end: the row below the grid
    bool checkQuads();
};

bool PictureReader::readHeader(size_t row) {
    for (size_t c = 0; c < rows[row].size(); ++c) {
        const int32_t offset = static_cast<int32_t>(c) - left;
        const char letter = rows[row][c];
        if (letter == ' ') continue;
        const bool onDot = offset >= 0 && offset % (kGap + 1) == 0;
        if (!onDot || letter != 'A' + offset / (kGap + 1)) return stray(row, c);
        if (offset / (kGap + 1) >= n) return fail(row, c, wrongSize());
    }
    return true;
}

bool PictureReader::readDots(size_t row, int32_t y) {
    if (row >= rows.size() || rows[row].find('+') == std::string::npos)
        return fail(row, static_cast<size_t>(left), wrongSize());
    const std::string& s = rows[row];
    // Left of the grid: blanks, or the row's number.
    const size_t first = s.find_first_not_of(' ');
    if (first < static_cast<size_t>(left)) {
        const std::string number = std::to_string(y + 1);
        for (size_t i = 0; i < number.size(); ++i)
            if (first + i >= static_cast<size_t>(left) || s[first + i] != number[i])
                return stray(row, first + i);
        if (!blankFrom(row, first + number.size(), static_cast<size_t>(left))) return false;
    }
    for (int32_t x = 0; x < n; ++x) {
        const size_t dot = static_cast<size_t>(left + (kGap + 1) * x);
        if (at(row, dot) == ' ') return fail(row, dot, wrongSize());
        if (at(row, dot) != '+') return stray(row, dot);
        if (x == n - 1) break;
        int32_t dashes = 0;
        for (size_t c = dot + 1; c <= dot + kGap; ++c) {
            if (at(row, c) != '-' && at(row, c) != ' ') return stray(row, c);
            dashes += at(row, c) == '-';
        }
        if (dashes != 0 && dashes != kGap) return fail(row, dot + 1, kHalfLine);
        drawn[horizontalLine(n, x, y)] = dashes == kGap;
    }
    const size_t end = static_cast<size_t>(left + (kGap + 1) * (n - 1) + 1);
    if (s.find('+', end) != std::string::npos)
        return fail(row, s.find_first_not_of(' ', end), wrongSize());
    return blankFrom(row, end, s.size());
}

bool PictureReader::readSides(size_t row, int32_t y) {
    if (row >= rows.size()) return true;  // a row of nothing: no line, no owner
    // A row of dots here: a row of quads too few or too many.
    if (rows[row].find('+') != std::string::npos)
        return fail(row, rows[row].find('+'), wrongSize());
    if (!blankFrom(row, 0, static_cast<size_t>(left))) return false;
    for (int32_t x = 0; x < n; ++x) {
        const size_t column = static_cast<size_t>(left + (kGap + 1) * x);
        if (at(row, column) != '|' && at(row, column) != ' ') return stray(row, column);
        drawn[verticalLine(n, x, y)] = at(row, column) == '|';
        if (x == n - 1) break;
        const size_t middle = column + (kGap + 1) / 2;
        for (size_t c = column + 1; c <= column + kGap; ++c) {
            const char mark = at(row, c);
            if (mark == ' ' || (c == middle && (mark == '1' || mark == '2'))) continue;
            return stray(row, c);
        }
        const int32_t k = y * (n - 1) + x;
        owners[k] = at(row, middle) == ' ' ? 0 : static_cast<uint8_t>(at(row, middle) - '0');
        ownerRow[k] = static_cast<int32_t>(row);
        ownerColumn[k] = static_cast<int32_t>(middle);
    }
    return blankFrom(row, static_cast<size_t>(left + (kGap + 1) * (n - 1) + 1), rows[row].size());
}

// "P1 to move" or "P2 to move", then ", A-B" or nothing. Missing, it is
// missed right below the grid.
bool PictureReader::readLastLine(size_t row, size_t end) {
    if (row >= rows.size()) return fail(end, 0, kNoSide);
    const std::string& s = rows[row];
    const size_t first = s.find_first_not_of(' ');
    if (s.find_first_of("+|") != std::string::npos) return fail(row, first, wrongSize());
    const std::string words = "P_ to move";
    for (size_t i = 0; i < words.size(); ++i) {
        const char c = first + i < s.size() ? s[first + i] : '\0';
        if (i == 1 ? c != '1' && c != '2' : c != words[i]) return fail(row, first + i, kNoSide);
    }
    side = s[first + 1] - '1';
    size_t at = first + words.size();
    if (at < s.size()) {
        if (s.compare(at, 2, ", ") != 0) return fail(row, at, kScoreForm);
        at += 2;
        scoreRow = static_cast<int32_t>(row);
        scoreColumn = static_cast<int32_t>(at);
        for (int32_t player = 0; player < 2; ++player) {
            const char* begin = s.data() + at;
            const auto [stop, error] = std::from_chars(begin, s.data() + s.size(), score[player]);
            if (error != std::errc() || score[player] < 0 || (player == 0 && *stop != '-'))
                return fail(row, at, kScoreForm);
            at += static_cast<size_t>(stop - begin) + (player == 0);
        }
        if (at < s.size()) return fail(row, at, kScoreForm);
        scoreGiven = true;
    }
    for (size_t next = row + 1; next < rows.size(); ++next)
        if (!blankRow(next)) return fail(next, rows[next].find_first_not_of(' '), kAfterSide);
    return true;
}

bool PictureReader::checkQuads() {
    int32_t taken[2] = {};
    for (int32_t k = 0; k < (n - 1) * (n - 1); ++k) {
        const int32_t x = k % (n - 1), y = k / (n - 1);
        const bool closed = drawn[horizontalLine(n, x, y)] && drawn[horizontalLine(n, x, y + 1)] &&
                            drawn[verticalLine(n, x, y)] && drawn[verticalLine(n, x + 1, y)];
        const size_t row = static_cast<size_t>(ownerRow[k]);
        const size_t column = static_cast<size_t>(ownerColumn[k]);
        if (owners[k] != 0 && !closed)
            return fail(row, column, "a quad that is not closed has an owner");
        if (owners[k] == 0 && closed) return fail(row, column, "a closed quad has no owner");
        if (owners[k] != 0) ++taken[owners[k] - 1];
    }
    if (scoreGiven && (score[0] != taken[0] || score[1] != taken[1]))
        return fail(static_cast<size_t>(scoreRow), static_cast<size_t>(scoreColumn),
                    "the score " + std::to_string(score[0]) + "-" + std::to_string(score[1]) +
                        " does not agree with the owners, " + std::to_string(taken[0]) + "-" +
                        std::to_string(taken[1]));
    return true;
}

bool PictureReader::read(const std::string& text, int32_t dotsPerSide) {
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        rows.push_back(text.substr(at, end - at));
        trimEnd(rows.back());
        at = end + 1;
    }
    size_t row = 0;
    while (row < rows.size() && blankRow(row)) ++row;
    if (row == rows.size()) return fail(0, 0, kNoGrid);
    // A first row without dots holds the column letters.
    size_t grid = row;
    if (rows[row].find('+') == std::string::npos) {
        ++grid;
        while (grid < rows.size() && blankRow(grid)) ++grid;
        if (grid == rows.size() || rows[grid].find('+') == std::string::npos)
            return fail(row, rows[row].find_first_not_of(' '), kNoGrid);
    }
    left = static_cast<int32_t>(rows[grid].find('+'));
    n = dotsPerSide;
    if (n == 0) {
        n = static_cast<int32_t>(std::count(rows[grid].begin(), rows[grid].end(), '+'));
        if (n < kMinDotsPerSide || n > kMaxDotsPerSide)
            return fail(grid, static_cast<size_t>(left),
                        "the grid has " + std::to_string(n) + " dots per side, not 2 to 26");
    }
    drawn.assign(static_cast<size_t>(2 * n * (n - 1)), 0);
    owners.assign(static_cast<size_t>((n - 1) * (n - 1)), 0);
    ownerRow.assign(owners.size(), 0);
    ownerColumn.assign(owners.size(), 0);
    if (grid != row && !readHeader(row)) return false;
    // With too few rows of dots, the row below the last one is where one is
    // missing: there, not on the last line, the grid falls short.
    size_t lastDots = grid;
    for (size_t r = grid; r < rows.size(); ++r)
        if (rows[r].find('+') != std::string::npos) lastDots = r;
    for (int32_t y = 0; y < n; ++y) {
        const size_t dots = grid + 2 * static_cast<size_t>(y);
        if (!readDots(dots, y)) return false;
        if (y == n - 1) break;
        if (dots + 2 > lastDots) return fail(lastDots + 1, static_cast<size_t>(left), wrongSize());
        if (!readSides(dots + 1, y)) return false;
    }
    const size_t end = grid + 2 * static_cast<size_t>(n) - 1;
    row = end;
    while (row < rows.size() && blankRow(row)) ++row;
    return readLastLine(row, end) && checkQuads();
}

}  // namespace

bool readPicture(const std::string& text, int32_t dotsPerSide, Board& board, std::string& fault) {
    PictureReader reader;
    if (!reader.read(text, dotsPerSide)) {
        fault = reader.fault;
        return false;
    }
    // The lines are drawn without a history: the picture tells nothing of the
    // order they came in, so the position cannot be taken back past it. The
    // owners, scores and side to move are then the picture's, not the draws'.
    board.createBoard(reader.n, 2);
    for (int32_t line = 0; line < board.lineCount; ++line)
        if (reader.drawn[line]) board.applyLine(line, true);
    board.scores[0] = board.scores[1] = 0;
    for (int32_t k = 0; k < board.quadCount; ++k) {
        board.quads[k].owner = reader.owners[k];
        if (reader.owners[k] != 0) ++board.scores[reader.owners[k] - 1];
    }
    board.sideToMove = reader.side;
    return true;
}

std::string solvedPicture(const Board& board, const SolveResult& result, bool values) {
    std::vector<std::string> texts(static_cast<size_t>(board.lineCount));
    if (values) {
        for (MoveIndex line = 0; line < board.lineCount; ++line)
            if (board.lines[line].owner == 0) texts[line] = std::to_string(result.values[line]);
    }
    std::string best;
    for (const MoveIndex line : result.best) {
        texts[line] = std::to_string(result.value);
        char name[8];
        board.formatMove(name, line);
        best += ' ';
        best += name;
    }
    return drawPicture(board, texts) + "value " + std::to_string(result.value) + ", best" + best +
           "\n";
}
