#include "editor/cp1252.h"

#include "editor/docfile.h"

#include <QSet>
#include <array>
#include <cstdint>
#include <cstring>

namespace ts::cp1252 {
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

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t load8(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

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

} // namespace ts::cp1252
