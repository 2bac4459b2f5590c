#pragma once
#include <QByteArray>
#include <QList>
#include <string_view>

// Windows-1252, the code page of legacy 8-bit documents, with our own table so
// that all 256 byte values survive a round trip: the five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of
// the same value, as Windows' own conversion does.
namespace ts::cp1252 {

// The character a byte stands for.
char32_t toUnicode(unsigned char byte);

// The byte of a character, or -1 when the code page cannot hold it.
int fromUnicode(char32_t c);

// Whole buffers. The UTF-8 result is always valid UTF-8.
QByteArray decodeToUtf8(std::string_view bytes);

// Characters the code page cannot hold become '?' and are listed in
// `unmappable` once each, in order of first appearance (when it is given).
// Bytes that are not valid UTF-8 count as U+FFFD.
QByteArray encodeFromUtf8(std::string_view utf8, QList<char32_t>* unmappable);

} // namespace ts::cp1252
