// What counts as white space in the texts a user types: moves, and the
// window's number fields. Spelled out rather than std::isspace, whose answer
// depends on the locale and is undefined for negative chars.
#pragma once

inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
