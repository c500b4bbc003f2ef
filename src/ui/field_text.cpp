// Number fields of the window: the depth, the time limit and the board size
// are typed as text and read as integers.
#include "ui/field_text.h"

#include <cstdint>

#include "model/text.h"

int32_t fieldTextToInt(const char* text) {
    if (text == nullptr) return 0;
    int32_t at = 0;
    auto more = [&] { return at < kFieldCharacters && text[at] != '\0'; };
    while (more() && isBlank(text[at])) ++at;
    bool negative = false;
    if (more() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // Saturates instead of wrapping, so "99999999999" is a very long time
    // limit, never a negative one.
    constexpr int64_t kBeyond = int64_t{INT32_MAX} + 1;
    int64_t value = 0;
    while (more() && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at++] - '0');
        if (value > kBeyond) value = kBeyond;
    }
    if (negative) return static_cast<int32_t>(-value);  // -kBeyond is INT32_MIN
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}
