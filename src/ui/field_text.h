// The window's text fields: what they hold when the window opens, and how the
// number fields (depth, time limit, board size) are read as integers.
#pragma once

#include <cstdint>

// Initial texts, top to bottom. Before the window exists a field still
// "holds" its initial text, so reads answer even then.
inline constexpr const char* kInitialMaxDepthText = "25";
inline constexpr const char* kInitialTimeLimitText = "5000";
inline constexpr const char* kInitialSizeText = "4";
inline constexpr const char* kInitialMoveText = "A1-B1";
// And the statistics label's, until the first computer turn ends.
inline constexpr const char* kInitialStatisticsText = "Aistatistics:";

// A number field is read 19 characters at a time: a 20-byte buffer with its
// terminator.
inline constexpr int32_t kFieldCharacters = 19;
inline constexpr int32_t kFieldBuffer = kFieldCharacters + 1;

// Integer value of a field's text: the first 19 characters, leading white
// space, an optional sign, then decimal digits; 0 when there are none.
int32_t fieldTextToInt(const char* text);
