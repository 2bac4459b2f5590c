#include "platform/text.h"

#include <QSet>
#include <array>
#include <cstdint>
#include <cstring>

namespace ts {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t load8(const void* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

} // namespace

// ---- UTF-8 ------------------------------------------------------------------

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        // Documents are mostly ASCII: skip it 16 bytes at a time.
        while (n - i >= 16 && ((load8(p + i) | load8(p + i + 8)) & kHighBits) == 0) i += 16;
        if (i == n) break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = utf8::multiByteLength(p + i, n - i);
        if (length == 0) return false;
        i += size_t(length);
    }
    return true;
}

size_t incompleteUtf8Tail(std::string_view s) {
    for (size_t back = 1; back <= 3 && back <= s.size(); ++back) {
        const auto b = static_cast<unsigned char>(s[s.size() - back]);
        if (utf8::isContinuation(b)) continue;
        const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

// ---- Windows-1252 -------------------------------------------------------------

namespace cp1252 {
namespace {

// 0x80..0x9F; every other byte stands for the character of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

constexpr std::array<char32_t, 256> makeTable() {
    std::array<char32_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char32_t(b);
    return t;
}
constexpr std::array<char32_t, 256> kTable = makeTable();

// Each byte's UTF-8 form, so decoding is one look-up per byte.
struct Utf8Form {
    unsigned char length;
    char bytes[3];
};
constexpr std::array<Utf8Form, 256> makeForms() {
    std::array<Utf8Form, 256> f{};
    for (int b = 0; b < 256; ++b) {
        const char32_t c = kTable[b];
        if (c < 0x80) {
            f[b] = {1, {char(c), 0, 0}};
        } else if (c < 0x800) {
            f[b] = {2, {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F)), 0}};
        } else {
            f[b] = {3, {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))}};
        }
    }
    return f;
}
constexpr std::array<Utf8Form, 256> kForms = makeForms();


} // namespace

char32_t toUnicode(unsigned char byte) { return kTable[byte]; }

int fromUnicode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

QByteArray decodeToUtf8(std::string_view bytes) {
    const char* const begin = bytes.data();
    const qsizetype n = qsizetype(bytes.size());

    // First the exact size, so the result is allocated once.
    qsizetype size = n;
    qsizetype i = 0;
    while (i < n) {
        if (n - i >= 8 && (load8(begin + i) & kHighBits) == 0) {
            i += 8;
            continue;
        }
        size += kForms[static_cast<unsigned char>(begin[i])].length - 1;
        ++i;
    }

    QByteArray out(size, Qt::Uninitialized);
    char* o = out.data();
    i = 0;
    while (i < n) {
        qsizetype run = i;
        while (n - run >= 8 && (load8(begin + run) & kHighBits) == 0) run += 8;
        while (run < n && static_cast<unsigned char>(begin[run]) < 0x80) ++run;
        if (run > i) {
            std::memcpy(o, begin + i, size_t(run - i));
            o += run - i;
            i = run;
            continue;
        }
        const Utf8Form& f = kForms[static_cast<unsigned char>(begin[i++])];
        for (int k = 0; k < f.length; ++k) *o++ = f.bytes[k];
    }
    return out;
}

QByteArray encodeFromUtf8(std::string_view utf8, QList<char32_t>* unmappable) {
    // Never longer than the input: every character takes at least one UTF-8 byte.
    QByteArray out(qsizetype(utf8.size()), Qt::Uninitialized);
    char* o = out.data();
    QSet<char32_t> seen;
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        size_t run = i;
        while (n - run >= 8 && (load8(utf8.data() + run) & kHighBits) == 0) run += 8;
        while (run < n && static_cast<unsigned char>(utf8[run]) < 0x80) ++run;
        if (run > i) {
            std::memcpy(o, utf8.data() + i, run - i);
            o += run - i;
            i = run;
            continue;
        }
        char32_t c = 0;
        int length = decodeUtf8Char(utf8.substr(i), &c);
        if (length == 0) {
            c = 0xFFFD;
            length = 1;
        }
        i += size_t(length);
        const int b = fromUnicode(c);
        if (b >= 0) {
            *o++ = char(b);
            continue;
        }
        *o++ = '?';
        if (unmappable && !seen.contains(c)) {
            seen.insert(c);
            unmappable->append(c);
        }
    }
    out.truncate(o - out.constData());
    return out;
}

} // namespace cp1252

// ---- Line breaks ----------------------------------------------------------------

LineBreak detectLineBreak(std::string_view text) {
    if (text.empty()) return LineBreak::CrLf;
    const void* lf = std::memchr(text.data(), '\n', text.size());
    const size_t end = lf ? size_t(static_cast<const char*>(lf) - text.data()) : text.size();
    const void* cr = std::memchr(text.data(), '\r', end);
    if (cr) {
        const size_t at = size_t(static_cast<const char*>(cr) - text.data());
        return at + 1 == end && lf ? LineBreak::CrLf : LineBreak::Cr;
    }
    return lf ? LineBreak::Lf : LineBreak::CrLf;
}

QByteArray lineBreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::Lf: return QByteArrayLiteral("\n");
    case LineBreak::Cr: return QByteArrayLiteral("\r");
    case LineBreak::CrLf: break;
    }
    return QByteArrayLiteral("\r\n");
}

void LineBreakScan::feed(std::string_view s) {
    for (size_t i = 0; i < s.size() && !m_found; ++i) {
        const char c = s[i];
        if (m_pendingCr) m_found = c == '\n' ? LineBreak::CrLf : LineBreak::Cr;
        else if (c == '\r') m_pendingCr = true;
        else if (c == '\n') m_found = LineBreak::Lf;
    }
}

} // namespace ts
