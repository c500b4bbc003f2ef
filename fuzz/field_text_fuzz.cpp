// Field numbers under libFuzzer: fieldTextToInt against a plain reading of
// the same rule, on the text as typed, on its first 19 characters with no
// terminator (as the window's 20-byte read may leave them), and with other
// characters after those 19, which must change nothing.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ui/field_text.h"

namespace {

constexpr size_t kCounted = 19;

// The rule read plainly: white space, a sign, the digits collected as text,
// then compared with the limits as text, so no arithmetic can overflow.
int32_t expectedValue(std::string text) {
    text = text.substr(0, kCounted);
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    std::string digits;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
        digits += text[at++];
    digits.erase(0, digits.find_first_not_of('0'));  // all of it when all zeros

    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return negative ? INT32_MIN : INT32_MAX;
    const long long magnitude = digits.empty() ? 0 : std::atoll(digits.c_str());
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        char escaped[8];
        const unsigned char u = static_cast<unsigned char>(c);
        std::snprintf(escaped, sizeof escaped, u < 0x20 || u >= 0x7f ? "\\x%02x" : "%c", u);
        out += escaped;
    }
    return out + '"';
}

void check(const char* how, const std::string& text, const char* given) {
    const int32_t want = expectedValue(text);
    const int32_t got = fieldTextToInt(given);
    if (got == want) return;
    std::fprintf(stderr, "field text %s %s gave %d, want %d\n", how, quoted(text).c_str(), got,
                 want);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data),
                           strnlen(reinterpret_cast<const char*>(data), size));

    // Exactly the text and its terminator, on the heap: a read past it is an
    // AddressSanitizer report.
    std::unique_ptr<char[]> typed(new char[text.size() + 1]);
    std::memcpy(typed.get(), text.c_str(), text.size() + 1);
    check("as typed", text, typed.get());

    if (text.size() >= kCounted) {
        std::unique_ptr<char[]> unterminated(new char[kCounted]);
        std::memcpy(unterminated.get(), text.data(), kCounted);
        check("unterminated after 19", text, unterminated.get());

        const std::string longer = text.substr(0, kCounted) + "9999999999";
        check("with digits after 19", longer, longer.c_str());
    }
    if (fieldTextToInt(nullptr) != 0) {
        std::fprintf(stderr, "field text: a null text gave %d\n", fieldTextToInt(nullptr));
        std::abort();
    }
    return 0;
}
