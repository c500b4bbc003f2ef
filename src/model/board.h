// The game model: one position of dots and boxes on an n x n grid of dots.
//
// A Board owns its lines, quads, available set and history, and frees them
// when it goes; it is never copied (the search plays on one board in place,
// and two owners of one set of arrays would free them twice). Moves are played
// and taken back in place (playMove / undoMove) in constant time and without
// allocation, because the search calls both at every node. Take-backs restore
// the board exactly, down to the order of the available set, which the move
// ordering reads.
#pragma once

#include <cstdint>

// Index of a line, numbered in row blocks of 2n - 1; -1 means no move.
using MoveIndex = int32_t;

// Errors are thrown as the constant message text itself (const char*).
inline constexpr const char* kInvalidMove = "Invalid move";
inline constexpr const char* kUndoLimitExceeded = "Undo Limit Exceeded";
inline constexpr const char* kLineSharedTwice =
    "A line got shared more than once::you are a bad coder";
inline constexpr const char* kOutOfMemory = "Out of memory";

inline constexpr int32_t kMinDotsPerSide = 2;
inline constexpr int32_t kMaxDotsPerSide = 26;

struct Quad;

// One possible move. Drawn when owner is non-zero (player index + 1).
struct Line {
    int32_t weight = 0;     // the board's lineCount; base of the priority key
    uint8_t owner = 0;      // 0 undrawn, else player index + 1
    Quad* quadA = nullptr;  // quad above / to the left, or the only one
    Quad* quadB = nullptr;  // quad below / to the right; null on the edge
    int8_t linkCount = 0;   // quads attached so far, only while building
    int32_t index = 0;      // own MoveIndex
    int32_t slot = 0;       // position in Board::available (kept while drawn)

    void attachQuad(Quad* quad);
};

// One unit square.
struct Quad {
    Line* sides[4] = {};  // top, left, right, bottom
    uint8_t owner = 0;    // 0 until complete, then the completing line's owner
    // Sides drawn, kept by every draw and take-back: the ordering and the
    // search read it for every line they look at.
    uint8_t drawn = 0;

    void linkSides(Line* top, Line* left, Line* right, Line* bottom);
    int32_t drawnSides() const { return drawn; }
};

struct Board {
    int32_t dotsPerSide = 0;
    MoveIndex* history = nullptr;  // moves played, oldest first
    Line* lines = nullptr;         // lines[i].index == i
    Line** available = nullptr;    // undrawn lines first; see playMove
    Line** sortScratch = nullptr;  // working space of the move ordering
    Quad* quads = nullptr;
    int32_t chainMetric = 0;  // quads with exactly two drawn sides
    int32_t lineCount = 0;
    int32_t quadCount = 0;
    int32_t historyLength = 0;
    int32_t availableCount = 0;
    int32_t* scores = nullptr;  // quads won, per player
    int32_t playerCount = 0;
    int32_t sideToMove = 0;

    Board() = default;
    Board(int32_t n, int32_t players) { createBoard(n, players); }
    ~Board() { releaseBoard(); }
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // Builds the whole board or throws, leaving the record as it was. A board
    // built before is released once the new one stands.
    Board& createBoard(int32_t n, int32_t players);
    // Frees the arrays and nulls their pointers; the counts stay. Safe to
    // call twice.
    void releaseBoard();
    Quad* quadAt(int32_t k, int32_t& column, int32_t& row) const;
    // Takes over the owners of lines and quads and the quads' drawn sides
    // only; used to refresh the display board.
    void copyLinesFrom(const Board& source);

    // Move notation "A1-B1". parseMove gives -1 for any text that does not
    // name two neighbouring dots of this board.
    MoveIndex parseMove(const char* text) const;
    // Writes at most 7 characters and the terminator; returns the length.
    // moveText (model/move_text.h) gives the same text as a std::string.
    int32_t formatMove(char* buffer, MoveIndex move) const;

    void playMove(MoveIndex move);  // throws kInvalidMove, changing nothing
    void undoMove();                // throws kUndoLimitExceeded, changing nothing
    MoveIndex lastMove() const;
    int32_t chains() const;
    // Draws the undrawn line move for the side to move, or takes back the
    // drawn line move; playMove and undoMove check first.
    void applyLine(MoveIndex move, bool draw);
};
