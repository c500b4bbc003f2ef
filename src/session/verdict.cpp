// The verdict texts and the check for them.
#include "session/verdict.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

void formatVerdict(char* buffer, size_t size, const int32_t scores[2], int32_t quadCount,
                   int32_t computerPlayer) {
    const int32_t half = quadCount / 2;
    const bool even = quadCount % 2 == 0;
    if (computerPlayer == -1) {
        if (even && scores[0] == half) {
            std::snprintf(buffer, size, "%s", kDrawVerdict);
        } else {
            const int32_t winner = scores[1] > scores[0] ? 1 : 0;
            std::snprintf(buffer, size, kPlayerWinsVerdict, winner + 1, scores[winner]);
        }
        return;
    }
    const int32_t own = scores[computerPlayer];
    if (own > half)
        std::snprintf(buffer, size, "%s", kComputerWinsVerdict);
    else if (even && own == half)
        std::snprintf(buffer, size, "%s", kComputerDrawVerdict);
    else
        std::snprintf(buffer, size, "%s", kUserWinsVerdict);
}

bool isVerdict(const char* text) {
    for (const char* fixed :
         {kDrawVerdict, kComputerWinsVerdict, kComputerDrawVerdict, kUserWinsVerdict})
        if (std::strcmp(text, fixed) == 0) return true;
    int player = 0, quads = 0;
    if (std::sscanf(text, kPlayerWinsVerdict, &player, &quads) != 2) return false;
    if (player != 1 && player != 2) return false;
    // Written again it must be the same text: sscanf alone takes other
    // spacing, signs and leading zeros.
    char again[80];
    std::snprintf(again, sizeof again, kPlayerWinsVerdict, player, quads);
    return std::strcmp(again, text) == 0;
}
