#pragma once
#include <QByteArray>
#include <QList>
#include <optional>
#include <string_view>

// Text as documents hold it: UTF-8, the Windows-1252 code page of legacy
// 8-bit files, and line breaks.
namespace ts {

// ---- UTF-8 ------------------------------------------------------------------

namespace utf8 {

inline bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid multi-byte sequence at p (lead byte >= 0x80), or 0:
// no overlong forms, no surrogates, nothing above U+10FFFF.
inline int multiByteLength(const unsigned char* p, size_t avail) {
    const unsigned char b0 = p[0];
    if (b0 < 0xC2) return 0; // a continuation byte, or the lead of an overlong pair
    if (b0 < 0xE0) return avail >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (b0 < 0xF0) {
        if (avail < 3) return 0;
        // E0 would be overlong below A0, ED a surrogate from A0 on.
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        return p[1] >= lo && p[1] <= hi && isContinuation(p[2]) ? 3 : 0;
    }
    if (b0 < 0xF5) {
        if (avail < 4) return 0;
        // F0 would be overlong below 90, F4 above U+10FFFF from 90 on.
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= lo && p[1] <= hi && isContinuation(p[2]) && isContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

} // namespace utf8

// The length (1 to 4) of the valid UTF-8 character at the start of s, which
// is stored in *c; 0 when s is empty or does not start with one. Inline:
// search decodes with it character by character.
inline int decodeUtf8Char(std::string_view s, char32_t* c) {
    if (s.empty()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    if (p[0] < 0x80) {
        *c = p[0];
        return 1;
    }
    const int length = utf8::multiByteLength(p, s.size());
    switch (length) {
    case 2: *c = char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F); break;
    case 3: *c = char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F); break;
    case 4:
        *c = char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
             (p[3] & 0x3F);
        break;
    default: break;
    }
    return length;
}

// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s);

// Bytes at the end of s that start a UTF-8 character not yet complete.
size_t incompleteUtf8Tail(std::string_view s);

// A character's UTF-8 bytes, appended to out (char32_t up to U+10FFFF).
template <typename Bytes>
void appendUtf8(Bytes& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// ---- Windows-1252 -------------------------------------------------------------
//
// With our own table so that all 256 byte values survive a round trip: the
// five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// stand for the C1 controls of the same value, as Windows' own conversion does.
namespace cp1252 {

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

} // namespace cp1252

// ---- Line breaks ----------------------------------------------------------------

enum class LineBreak { CrLf, Lf, Cr };

// The first line break of the text (CR LF, LF or CR); CR LF when it has none.
LineBreak detectLineBreak(std::string_view text);
QByteArray lineBreakBytes(LineBreak lineBreak);

// Finds the first line break of a text that arrives in pieces.
class LineBreakScan {
public:
    void feed(std::string_view s);
    LineBreak result() const { return m_found ? *m_found : m_pendingCr ? LineBreak::Cr : LineBreak::CrLf; }

private:
    std::optional<LineBreak> m_found;
    bool m_pendingCr = false;
};

} // namespace ts
