#pragma once
// A plain UTF-8 decoder and line-break finder, independent of the program's
// fast ones, to check them against.
#include "platform/text.h"

#include <QByteArray>

namespace ts::test {

// Length of the character at s[i], or 0 when it is not valid UTF-8.
inline int plainUtf8Length(const QByteArray& s, qsizetype i, char32_t* cp = nullptr) {
    const auto b = static_cast<unsigned char>(s[i]);
    int length;
    char32_t c;
    if (b < 0x80) return cp ? (*cp = b, 1) : 1;
    if ((b & 0xE0) == 0xC0) length = 2, c = b & 0x1F;
    else if ((b & 0xF0) == 0xE0) length = 3, c = b & 0x0F;
    else if ((b & 0xF8) == 0xF0) length = 4, c = b & 0x07;
    else return 0;
    if (i + length > s.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = c << 6 | (t & 0x3F);
    }
    const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return 0;
    if (cp) *cp = c;
    return length;
}

inline bool plainIsValidUtf8(const QByteArray& s) {
    for (qsizetype i = 0; i < s.size();) {
        const int n = plainUtf8Length(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

inline QByteArray encodeUtf8(char32_t c) {
    QByteArray out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

inline ts::LineBreak plainFirstBreak(const QByteArray& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\n') return ts::LineBreak::Lf;
        if (s[i] == '\r') return i + 1 < s.size() && s[i + 1] == '\n' ? ts::LineBreak::CrLf : ts::LineBreak::Cr;
    }
    return ts::LineBreak::CrLf;
}

} // namespace ts::test
