#include "platform/text.h"
#include "support/plainutf8.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

using namespace ts;
using namespace ts::test;

namespace {

std::string_view view(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }

} // namespace

// ---- UTF-8 ----------------------------------------------------------------

TEST(Utf8Validation, AcceptsTheValidFormsAndRejectsTheRestAtEveryAlignment) {
    const std::vector<std::pair<QByteArray, bool>> cases = {
        {"", true},
        {"plain ASCII", true},
        {"\xC3\xA4", true},                      // ä
        {"\xC2\x80", true},                      // smallest two-byte
        {"\xDF\xBF", true},                      // largest two-byte
        {"\xE0\xA0\x80", true},                  // smallest three-byte
        {"\xED\x9F\xBF", true},                  // U+D7FF, just below the surrogates
        {"\xEE\x80\x80", true},                  // U+E000, just above them
        {"\xEF\xBB\xBF", true},                  // U+FEFF
        {"\xEF\xBF\xBF", true},                  // U+FFFF
        {"\xF0\x90\x80\x80", true},              // U+10000
        {"\xF0\x9F\x98\x80", true},              // emoji
        {"\xF4\x8F\xBF\xBF", true},              // U+10FFFF
        {"\x80", false},                         // lone continuation
        {"\xBF", false},
        {"\xC0\x80", false},                     // overlong NUL
        {"\xC1\xBF", false},                     // overlong
        {"\xE0\x80\x80", false},                 // overlong
        {"\xE0\x9F\xBF", false},                 // overlong
        {"\xF0\x80\x80\x80", false},             // overlong
        {"\xF0\x8F\xBF\xBF", false},             // overlong
        {"\xED\xA0\x80", false},                 // U+D800
        {"\xED\xBF\xBF", false},                 // U+DFFF
        {"\xF4\x90\x80\x80", false},             // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xF8\x88\x80\x80\x80", false},
        {"\xFE", false},
        {"\xFF", false},
        {"\xC3", false},                         // cut short
        {"\xE2\x82", false},
        {"\xF0\x9F\x98", false},
        {"\xC3\x28", false},                     // continuation missing
        {"\xE2\x28\xA1", false},
        {"\xE2\x82\x28", false},
        {"\xF0\x9F\x28\x80", false},
        {"\xF0\x9F\x98\x28", false},
        {"Gr\xFC\xDF" "e", false},               // Windows-1252 German
    };
    for (const auto& [bytes, valid] : cases) {
        // Padding moves the sequence across the word boundaries of the fast path.
        for (int before = 0; before <= 40; ++before) {
            for (int after : {0, 1, 7, 8, 15, 16, 17, 33}) {
                const QByteArray s = QByteArray(before, 'a') + bytes + QByteArray(after, 'z');
                ASSERT_EQ(isValidUtf8(view(s)), valid)
                    << "bytes " << bytes.toHex(' ').toStdString() << " after " << before << " before " << after;
            }
        }
    }
}

TEST(Utf8Validation, AgreesWithAPlainDecoderOnAllShortSequences) {
    // Every one-, two- and three-byte string, and every four-byte one with a
    // lead from F0 to F7 and edge values in the last two places.
    QByteArray s(3, 0);
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            s.resize(2);
            s[0] = char(a), s[1] = char(b);
            ASSERT_EQ(isValidUtf8(view(s)), plainIsValidUtf8(s)) << a << ' ' << b;
            s.resize(3);
            for (int c = 0; c < 256; ++c) {
                s[2] = char(c);
                if (isValidUtf8(view(s)) != plainIsValidUtf8(s)) FAIL() << a << ' ' << b << ' ' << c;
            }
        }
    }
    s.resize(4);
    const int edges[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    for (int a = 0xF0; a <= 0xF7; ++a)
        for (int b = 0; b < 256; ++b)
            for (int c : edges)
                for (int d : edges) {
                    s[0] = char(a), s[1] = char(b), s[2] = char(c), s[3] = char(d);
                    ASSERT_EQ(isValidUtf8(view(s)), plainIsValidUtf8(s)) << s.toHex(' ').toStdString();
                }
}

TEST(Utf8Validation, DecodesEveryCharacterAndNoSurrogate) {
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        const QByteArray s = encodeUtf8(c);
        char32_t got = 0;
        const int length = decodeUtf8Char(view(s), &got);
        if (c >= 0xD800 && c <= 0xDFFF) {
            ASSERT_EQ(length, 0) << std::hex << unsigned(c);
            ASSERT_FALSE(isValidUtf8(view(s)));
        } else {
            ASSERT_EQ(length, s.size()) << std::hex << unsigned(c);
            ASSERT_EQ(got, c);
            ASSERT_TRUE(isValidUtf8(view(s))) << std::hex << unsigned(c);
        }
    }
    char32_t unused = 0;
    EXPECT_EQ(decodeUtf8Char({}, &unused), 0);
}

TEST(Utf8Validation, AgreesWithAPlainDecoderOnRandomText) {
    std::mt19937 rng(20240307);
    for (int round = 0; round < 3000; ++round) {
        QByteArray s;
        const int chars = int(rng() % 200);
        for (int k = 0; k < chars; ++k) {
            switch (rng() % 8) {
            case 0: s += encodeUtf8(0x80 + rng() % (0x800 - 0x80)); break;
            case 1: s += encodeUtf8(0x800 + rng() % (0x10000 - 0x800)); break; // surrogates too
            case 2: s += encodeUtf8(0x10000 + rng() % (0x110000 - 0x10000)); break;
            case 3:
                if (rng() % 20 == 0) s += char(rng() % 256); // the odd stray byte
                break;
            default: s += QByteArray(int(rng() % 30), char(0x20 + rng() % 0x5F)); break;
            }
        }
        ASSERT_EQ(isValidUtf8(view(s)), plainIsValidUtf8(s)) << s.toHex(' ').toStdString();
    }
}

// ---- Windows-1252 ---------------------------------------------------------

TEST(Cp1252, EveryByteDecodesAsWindowsDoesAndEncodesBack) {
    QStringDecoder windows("Windows-1252");
    ASSERT_TRUE(windows.isValid());
    const std::set<int> undefined = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
    std::set<char32_t> seen;
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(b));
        if (undefined.count(b)) {
            EXPECT_EQ(c, char32_t(b)) << std::hex << b;
        } else {
            const char byte = char(b);
            const QString expected = windows.decode(QByteArrayView(&byte, 1));
            ASSERT_EQ(expected.size() , 1);
            EXPECT_EQ(c, char32_t(expected[0].unicode())) << std::hex << b;
        }
        EXPECT_EQ(cp1252::fromUnicode(c), b);
        seen.insert(c);
        all += char(b);
    }
    EXPECT_EQ(seen.size(), 256u);

    // Whole buffers: each byte twice, in two orders.
    QByteArray reversed = all;
    std::reverse(reversed.begin(), reversed.end());
    const QByteArray bytes = all + reversed + QByteArray(37, 'x') + all;
    const QByteArray utf8 = cp1252::decodeToUtf8(view(bytes));
    ASSERT_TRUE(isValidUtf8(view(utf8)));
    const std::u32string chars = QString::fromUtf8(utf8).toStdU32String();
    ASSERT_EQ(qsizetype(chars.size()), bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(chars[size_t(i)], cp1252::toUnicode(static_cast<unsigned char>(bytes[i]))) << i;
    QList<char32_t> unmappable;
    EXPECT_EQ(cp1252::encodeFromUtf8(view(utf8), &unmappable), bytes);
    EXPECT_TRUE(unmappable.isEmpty());
}

TEST(Cp1252, ListsWhatItCannotHoldOnceEachInOrder) {
    const QByteArray text = QStringLiteral("a€b中c\U0001F600d中e\u0080f\u0081g").toUtf8();
    QList<char32_t> unmappable;
    const QByteArray bytes = cp1252::encodeFromUtf8(view(text), &unmappable);
    EXPECT_EQ(bytes, QByteArray("a\x80" "b?c?d?e?f\x81g"));
    EXPECT_EQ(unmappable, (QList<char32_t>{U'中', U'\U0001F600', U'\u0080'}));

    // Bytes that are no UTF-8 at all are not silently dropped.
    unmappable.clear();
    EXPECT_EQ(cp1252::encodeFromUtf8("x\xC3y\xFF", &unmappable), QByteArray("x?y?"));
    EXPECT_EQ(unmappable, QList<char32_t>{U'\uFFFD'});
}

// ---- Line breaks ----------------------------------------------------------

TEST(LineBreaks, TheFirstBreakDecidesAndNoneMeansCrLf) {
    const std::vector<std::pair<QByteArray, LineBreak>> cases = {
        {"", LineBreak::CrLf},         {"no break", LineBreak::CrLf},  {"a\r\nb\nc\r", LineBreak::CrLf},
        {"a\nb\r\n", LineBreak::Lf},   {"a\rb\r\n", LineBreak::Cr},    {"a\r", LineBreak::Cr},
        {"\r\n", LineBreak::CrLf},     {"\n\r", LineBreak::Lf},        {"a\r\r\n", LineBreak::Cr},
        {"\n", LineBreak::Lf},         {"\r", LineBreak::Cr},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(detectLineBreak(view(text)), expected) << text.toHex(' ').toStdString();
        EXPECT_EQ(plainFirstBreak(text), expected);
    }
    const QByteArray far = QByteArray(1 << 20, 'x') + "\r" + QByteArray(1000, 'y') + "\n";
    EXPECT_EQ(detectLineBreak(view(far)), LineBreak::Cr);
    EXPECT_EQ(detectLineBreak({}), LineBreak::CrLf);
    EXPECT_EQ(lineBreakBytes(LineBreak::CrLf), QByteArray("\r\n"));
    EXPECT_EQ(lineBreakBytes(LineBreak::Lf), QByteArray("\n"));
    EXPECT_EQ(lineBreakBytes(LineBreak::Cr), QByteArray("\r"));
}
