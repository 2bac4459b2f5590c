#pragma once

// Markup names are ASCII; these never depend on the locale.
namespace ts::ascii {

constexpr bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool isLetter(char c) { return isUpper(c) || (c >= 'a' && c <= 'z'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr char lower(char c) { return isUpper(c) ? char(c + 32) : c; }

} // namespace ts::ascii
