// The verdict shown once the last line is drawn, and how to tell one from any
// other status text. The texts keep their blanks: they are shown as they are.
#pragma once

#include <cstddef>
#include <cstdint>

// Two people playing.
inline constexpr const char* kDrawVerdict = "   Draw   ";
inline constexpr const char* kPlayerWinsVerdict = "   P%i wins with %i quads   ";  // P1 or P2
// Against the computer, as it sees the result.
inline constexpr const char* kComputerWinsVerdict = "   I win >:)   ";
inline constexpr const char* kComputerDrawVerdict = "   Draw :/   ";
inline constexpr const char* kUserWinsVerdict = "   You win :(   ";

// The verdict on a board with every line drawn; computerPlayer is -1 while
// no side has been handed to the computer.
void formatVerdict(char* buffer, size_t size, const int32_t scores[2], int32_t quadCount,
                   int32_t computerPlayer);

// Whether text is exactly one that formatVerdict writes, for some scores.
bool isVerdict(const char* text);
