#include "editor/search.h"

#include <QChar>
#include <QList>
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

using ts::search::find;
using ts::search::Options;
using ts::search::planReplaceAll;
using ts::search::Range;
using ts::search::selectionMatches;

namespace {

// ---- A straightforward model of the search, over code points ----

constexpr char32_t kInvalid = 0x110000; // + the byte, for a byte outside a well-formed sequence

struct Text {
    std::u32string chars;
    std::vector<size_t> offsets; // byte offset of each character, and of the end
};

Text decode(std::string_view s) {
    Text out;
    size_t i = 0;
    auto cont = [&](size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return i + k < s.size() && unsigned(uint8_t(s[i + k])) >= lo && unsigned(uint8_t(s[i + k])) <= hi;
    };
    while (i < s.size()) {
        const unsigned b = uint8_t(s[i]);
        size_t len = 1;
        char32_t c = kInvalid + b;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xDF && cont(1)) {
            len = 2;
        } else if (b == 0xE0 ? cont(1, 0xA0) && cont(2)
                   : b == 0xED ? cont(1, 0x80, 0x9F) && cont(2)
                               : b >= 0xE1 && b <= 0xEF && cont(1) && cont(2)) {
            len = 3;
        } else if (b == 0xF0 ? cont(1, 0x90) && cont(2) && cont(3)
                   : b == 0xF4 ? cont(1, 0x80, 0x8F) && cont(2) && cont(3)
                               : b >= 0xF1 && b <= 0xF3 && cont(1) && cont(2) && cont(3)) {
            len = 4;
        }
        if (len > 1) c = QString::fromUtf8(s.data() + i, qsizetype(len)).toUcs4().at(0);
        out.chars += c;
        out.offsets.push_back(i);
        i += len;
    }
    out.offsets.push_back(s.size());
    return out;
}

std::string encode(const std::u32string& chars) {
    std::string out;
    for (char32_t c : chars) {
        if (c >= kInvalid) out += char(c - kInvalid);
        else out += QString::fromUcs4(&c, 1).toStdString();
    }
    return out;
}

std::u32string codePoints(const QString& s) {
    std::u32string out;
    for (uint c : s.toUcs4()) out += char32_t(c);
    return out;
}

// The system's 8-bit upper case of the Latin-1 letters, Unicode's above.
char32_t upper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c < 256 || c >= kInvalid) return c;
    return QChar::toUpper(c);
}

bool isWord(char32_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The search operation step by step; s and l in characters.
std::optional<size_t> modelSearch(const std::u32string& t, long s, long l, std::u32string p, const Options& o) {
    if (p.empty() || t.empty()) return std::nullopt;
    const long n = long(t.size()), m = long(p.size());
    if (!o.matchCase)
        for (char32_t& c : p) c = upper(c);
    auto equal = [&](long at) {
        for (long k = 0; k < m; ++k)
            if ((o.matchCase ? t[at + k] : upper(t[at + k])) != p[k]) return false;
        return true;
    };
    auto endsWord = [&](long at) { return at + m == n || !isWord(t[at + m]); };
    if (o.down) {
        long pos = s + l;
        if (pos < 0 || pos > n || pos > n - m) return std::nullopt;
        if (!o.wholeWord) {
            for (; pos <= n - m; ++pos)
                if (equal(pos)) return pos;
            return std::nullopt;
        }
        for (;;) {
            while (pos < n && isWord(t[pos])) ++pos;
            while (pos < n && !isWord(t[pos])) ++pos;
            if (pos > n - m) return std::nullopt;
            if (equal(pos) && endsWord(pos)) return pos;
            ++pos;
        }
    }
    long pos = s - m;
    if (pos < 0 || pos > n) return std::nullopt;
    if (!o.wholeWord) {
        for (; pos >= 0; --pos)
            if (equal(pos)) return pos;
        return std::nullopt;
    }
    for (;;) {
        while (pos >= 0 && !isWord(t[pos])) --pos;
        if (pos < 0) return std::nullopt;
        while (pos >= 0 && isWord(t[pos])) --pos;
        ++pos;
        if (equal(pos) && endsWord(pos)) return pos;
        if (--pos < 0) return std::nullopt;
    }
}

// Replace All as the loop does it: replace the selected match, search on.
struct ModelReplaceAll {
    std::string text;
    size_t selStart, selEnd, count = 0; // bytes
};

ModelReplaceAll modelReplaceAll(std::string_view utf8, Range sel, const QString& pattern, const QString& with,
                                Options o) {
    Text t = decode(utf8);
    auto charAt = [&](size_t byte) { return long(std::find(t.offsets.begin(), t.offsets.end(), byte) - t.offsets.begin()); };
    long s = charAt(sel.start), l = charAt(sel.end) - s;
    const std::u32string p = codePoints(pattern), r = codePoints(with);
    o.down = true;
    size_t count = 0;
    while (auto at = modelSearch(t.chars, s, l, p, o)) {
        t.chars.replace(*at, p.size(), r);
        s = long(*at + r.size());
        l = 0;
        ++count;
    }
    ModelReplaceAll out{encode(t.chars), sel.start, sel.end, count};
    if (count > 0) {
        out.selStart = out.selEnd = encode(t.chars.substr(0, size_t(s))).size();
    }
    return out;
}

// ---- Helpers for the fixed cases ----

Options opts(bool down, bool matchCase, bool wholeWord) {
    Options o;
    o.down = down;
    o.matchCase = matchCase;
    o.wholeWord = wholeWord;
    return o;
}

const Options kDown = opts(true, false, false);
const Options kDownWord = opts(true, false, true);
const Options kUp = opts(false, false, false);

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

Range at(size_t pos) { return {pos, pos}; }

std::string applied(std::string_view text, const ts::search::ReplaceAllPlan& plan) {
    if (plan.count == 0) return std::string(text);
    return std::string(text.substr(0, plan.replaced.start)) + plan.replacement +
           std::string(text.substr(plan.replaced.end));
}

// ---- The documented cases ----

TEST(Search, WholeWordSkipsTheWordAtTheStartPosition) {
    EXPECT_EQ(find("cat dog", at(0), q("dog"), kDownWord), (Range{4, 7}));
    EXPECT_EQ(find("cat dog", at(0), q("cat"), kDownWord), std::nullopt);
    // From inside the gap the next word is the first candidate.
    EXPECT_EQ(find("cat dog", at(3), q("dog"), kDownWord), (Range{4, 7}));
    EXPECT_EQ(find("cat dog", at(4), q("dog"), kDownWord), std::nullopt);
}

TEST(Search, MatchAtTheEndOfTheTextCounts) {
    EXPECT_EQ(find("abc", at(0), q("c"), kDown), (Range{2, 3}));
    EXPECT_EQ(find("abc", at(0), q("abc"), kDown), (Range{0, 3}));
    EXPECT_EQ(find("abc", at(1), q("abc"), kDown), std::nullopt);
}

TEST(Search, DownStartsAfterTheSelectionUpEndsBeforeIt) {
    EXPECT_EQ(find("abc abc", Range{4, 7}, q("abc"), kUp), (Range{0, 3}));
    EXPECT_EQ(find("abc abc", Range{0, 3}, q("abc"), kDown), (Range{4, 7}));
    EXPECT_EQ(find("abc abc", Range{0, 3}, q("abc"), kUp), std::nullopt);
    EXPECT_EQ(find("abc abc", Range{4, 7}, q("abc"), kDown), std::nullopt);
    // Going up, a match may end exactly at the selection start but not cross it.
    EXPECT_EQ(find("abcabc", at(5), q("abc"), kUp), (Range{0, 3}));
    EXPECT_EQ(find("abcabc", at(6), q("abc"), kUp), (Range{3, 6}));
    // Up from the very start (s - m < 0) finds nothing.
    EXPECT_EQ(find("ab", at(1), q("ab"), kUp), std::nullopt);
    EXPECT_EQ(find("abab", at(4), q("ab"), opts(false, false, true)), std::nullopt);
    EXPECT_EQ(find("ab ab", at(5), q("ab"), opts(false, false, true)), (Range{3, 5}));
    EXPECT_EQ(find("ab ab", at(4), q("ab"), opts(false, false, true)), (Range{0, 2}));
}

TEST(Search, MatchCase) {
    EXPECT_EQ(find("<HTML>", at(0), q("html"), kDown), (Range{1, 5}));
    EXPECT_EQ(find("<HTML>", at(0), q("html"), opts(true, true, false)), std::nullopt);
    EXPECT_EQ(find("<html>", at(0), q("HTML"), kDown), (Range{1, 5}));
    EXPECT_EQ(find("<HTML><html>", at(0), q("html"), opts(true, true, false)), (Range{7, 11}));
}

TEST(Search, UnderscoreAndAccentsAreDelimiters) {
    EXPECT_EQ(find("x concat", at(0), q("cat"), kDownWord), std::nullopt);
    EXPECT_EQ(find("x cats", at(0), q("cat"), kDownWord), std::nullopt);
    EXPECT_EQ(find("x cat_y", at(0), q("cat"), kDownWord), (Range{2, 5}));
    EXPECT_EQ(find("x caté", at(0), q("cat"), kDownWord), (Range{2, 5}));
    EXPECT_EQ(find("xécat", at(0), q("cat"), kDownWord), (Range{3, 6}));
    EXPECT_EQ(find("x\r\ncat\r\n", at(0), q("cat"), kDownWord), (Range{3, 6}));
    EXPECT_EQ(find("cat9", at(0), q("cat"), opts(false, false, true)), std::nullopt);
    EXPECT_EQ(find("x cat9 cat", at(10), q("cat"), opts(false, false, true)), (Range{7, 10}));
}

TEST(Search, AccentedLettersAreUpperCasedLikeTheSystemDoes) {
    EXPECT_EQ(find("ÉCOLE", at(0), q("école"), kDown), (Range{0, 6}));
    EXPECT_EQ(find("Ÿ", at(0), q("ÿ"), kDown), (Range{0, 2}));
    EXPECT_EQ(find("ÿ", at(0), q("Ÿ"), kDown), (Range{0, 2}));
    EXPECT_EQ(find("ÉCOLE", at(0), q("école"), opts(true, true, false)), std::nullopt);
    // ß and µ keep their form; ÷ and × are no case pair.
    EXPECT_EQ(find("STRASSE", at(0), q("straße"), kDown), std::nullopt);
    EXPECT_EQ(find("STRAßE", at(0), q("straße"), kDown), (Range{0, 7}));
    EXPECT_EQ(find("\xCE\x9C", at(0), q("µ"), kDown), std::nullopt); // Greek capital mu
    EXPECT_EQ(find("×", at(0), q("÷"), kDown), std::nullopt);
    // Above Latin-1 Unicode's upper case applies.
    EXPECT_EQ(find("ŠKODA", at(0), q("škoda"), kDown), (Range{0, 6}));
    EXPECT_EQ(find("ΣΟΦΊΑ", at(0), q("σοφία"), kDown), (Range{0, 10}));
}

TEST(Search, FoldedMatchMayDifferInByteLength) {
    // Dotless i and long s upper-case to ASCII I and S.
    EXPECT_EQ(find("xıs", at(0), q("IS"), kDown), (Range{1, 4}));
    EXPECT_EQ(find("xſı", at(0), q("si"), kDown), (Range{1, 5}));
    EXPECT_EQ(find("ſıſ", at(6), q("is"), kUp), (Range{2, 6}));
    EXPECT_EQ(find("this", at(0), q("THıS"), kDown), (Range{0, 4}));
    EXPECT_EQ(find("xıs", at(0), q("IS"), opts(true, true, false)), std::nullopt);
    // ı is no word character, so it cannot start a word.
    EXPECT_EQ(find("x ıs", at(0), q("is"), kDownWord), std::nullopt);
    EXPECT_EQ(find("x aı y", at(0), q("ai"), kDownWord), (Range{2, 5}));
    // The Kelvin sign is already upper case: it is not K.
    EXPECT_EQ(find("\xE2\x84\xAA", at(0), q("k"), kDown), std::nullopt);
}

TEST(Search, OffsetsAreBytesLengthsAreCharacters) {
    EXPECT_EQ(find("ääcat", at(0), q("cat"), kDown), (Range{4, 7}));
    EXPECT_EQ(find("€ cat € cat", at(7), q("cat"), kDown), (Range{12, 15}));
    // Up: s - m counts characters, so two-byte characters before the selection are one each.
    EXPECT_EQ(find("ää", at(4), q("ää"), kUp), (Range{0, 4}));
    EXPECT_EQ(find("äää", at(4), q("ää"), kUp), (Range{0, 4}));
    EXPECT_EQ(find("𝄞x𝄞", at(9), q("x𝄞"), kUp), (Range{4, 9}));
}

TEST(Search, LineBreaksAreCharacters) {
    const std::string crlf = "one\r\ntwo\r\nthree\r\n";
    EXPECT_EQ(find(crlf, at(0), q("two"), kDownWord), (Range{5, 8}));
    EXPECT_EQ(find(crlf, at(crlf.size()), q("one"), opts(false, false, true)), (Range{0, 3}));
    EXPECT_EQ(find(crlf, at(0), q("\r\nthree"), kDown), (Range{8, 15}));
    const std::string mixed = "a\rb\nc\r\nd";
    EXPECT_EQ(find(mixed, at(0), q("c"), kDownWord), (Range{4, 5}));
    EXPECT_EQ(find(mixed, at(8), q("b"), opts(false, true, true)), (Range{2, 3}));
}

TEST(Search, NothingToFind) {
    EXPECT_EQ(find("abc", at(0), QString(), kDown), std::nullopt);
    EXPECT_EQ(find("", at(0), q("a"), kDown), std::nullopt);
    EXPECT_EQ(find("", at(0), q("a"), kUp), std::nullopt);
    EXPECT_EQ(find("abc", at(4), q("a"), kUp), std::nullopt);
    EXPECT_EQ(find("abc", Range{1, 9}, q("c"), kDown), std::nullopt);
    EXPECT_EQ(find("ab", at(0), q("abc"), kDown), std::nullopt);
}

TEST(Search, MalformedBytesAreCharactersThatMatchNothing) {
    EXPECT_EQ(find("\xFF" "cat", at(0), q("cat"), kDownWord), (Range{1, 4}));
    EXPECT_EQ(find("\xC3" "cat", at(0), q("cat"), kDownWord), (Range{1, 4}));
    EXPECT_EQ(find("\xE2\x82" "x", at(0), q("x"), kDown), (Range{2, 3}));
    EXPECT_EQ(find("\xFF\xFE", at(0), q("\xEF\xBF\xBD"), kDown), std::nullopt);
    EXPECT_EQ(find("a\x80" "b", at(0), q("ab"), kDown), std::nullopt);
    // Each stray byte is one character: s - m lands on the second one.
    EXPECT_EQ(find("\x80\x80" "ab", at(4), q("\xC3\xA4" "ab"), kUp), std::nullopt);
    EXPECT_EQ(find("\x80\x80" "ab", at(4), q("ab"), kUp), (Range{2, 4}));
}

TEST(SelectionMatches, IgnoresCaseWhateverTheOptions) {
    EXPECT_TRUE(selectionMatches("abc", q("ABC")));
    EXPECT_TRUE(selectionMatches("école", q("ÉCOLE")));
    EXPECT_TRUE(selectionMatches("ıs", q("IS"))); // as the search selected it
    EXPECT_FALSE(selectionMatches("abd", q("ABC")));
    EXPECT_FALSE(selectionMatches("ab", q("ABC")));
    EXPECT_FALSE(selectionMatches("abcd", q("ABC")));
    EXPECT_FALSE(selectionMatches("", q("ABC")));
    EXPECT_FALSE(selectionMatches("", QString()));
    EXPECT_FALSE(selectionMatches("\xFF", q("\xEF\xBF\xBD")));
}

TEST(ReplaceAll, FromTheMiddleLeavesEarlierMatches) {
    const std::string text = "cat cat cat cat";
    const auto plan = planReplaceAll(text, at(8), q("cat"), q("dog"), kDown);
    EXPECT_EQ(plan.count, 2u);
    EXPECT_EQ(applied(text, plan), "cat cat dog dog");
    EXPECT_EQ(plan.replaced, (Range{8, 15}));
    EXPECT_EQ(plan.finalSelection, at(15));
}

TEST(ReplaceAll, SearchesOnAfterEachReplacement) {
    // The replacement holds the pattern: it is not searched again.
    const std::string text = "a-a-a";
    auto plan = planReplaceAll(text, at(0), q("a"), q("aa"), kDown);
    EXPECT_EQ(applied(text, plan), "aa-aa-aa");
    EXPECT_EQ(plan.count, 3u);
    EXPECT_EQ(plan.finalSelection, at(8));
    // Direction does not matter: Replace All always goes down.
    plan = planReplaceAll(text, at(0), q("a"), q("aa"), kUp);
    EXPECT_EQ(applied(text, plan), "aa-aa-aa");
    // An empty replacement deletes.
    plan = planReplaceAll("xaxax", at(0), q("A"), QString(), kDown);
    EXPECT_EQ(applied("xaxax", plan), "xxx");
    EXPECT_EQ(plan.finalSelection, at(2));
    // Whole words: the word at the start position is skipped.
    plan = planReplaceAll("cat cat_cat cats", at(0), q("cat"), q("ü"), kDownWord);
    EXPECT_EQ(applied("cat cat_cat cats", plan), "cat ü_ü cats");
    EXPECT_EQ(plan.finalSelection, at(9));
}

TEST(ReplaceAll, NoMatchKeepsTheSelection) {
    const auto plan = planReplaceAll("abc abc", Range{4, 7}, q("abc"), q("x"), kDown);
    EXPECT_EQ(plan.count, 0u);
    EXPECT_EQ(plan.finalSelection, (Range{4, 7}));
    EXPECT_EQ(planReplaceAll("abc", at(0), QString(), q("x"), kDown).count, 0u);
}

TEST(ReplaceAll, FoldedMatchesAndMultibyteReplacements) {
    const std::string text = "ıs IS is iſ";
    const auto plan = planReplaceAll(text, at(0), q("is"), q("€"), kDown);
    EXPECT_EQ(applied(text, plan), "€ € € €");
    EXPECT_EQ(plan.finalSelection, at(std::string("€ € € €").size()));
}

// ---- Random texts against the model ----

struct Case {
    std::string text;
    QString pattern;
    Range selection;
    Options options;
};

class Generator {
public:
    explicit Generator(unsigned seed) : m_rng(seed) {}

    std::string text(size_t maxTokens, bool malformed) {
        static const std::vector<std::string> tokens = {
            "a", "b", "A", "B", "a", "b", "ab", " ", "_", "\r\n", "\n", "\r", "é", "É", "ı", "ſ", "s", "S", "i",
            "I", "ÿ", "Ÿ", "ß", "µ", "1", "-", "\xE2\x84\xAA", "€", "𝄞"};
        static const std::vector<std::string> bad = {"\xFF", "\xC3", "\x80", "\xE2\x82", "\xED\xA0\x80"};
        std::string out;
        const size_t count = pick(maxTokens + 1);
        for (size_t i = 0; i < count; ++i)
            out += malformed && pick(10) == 0 ? bad[pick(bad.size())] : tokens[pick(tokens.size())];
        return out;
    }

    // A random case; the pattern is mostly a piece of the text (for whole words
    // mostly one of its words) with the case of some letters changed, and the
    // selection leans towards the side the search starts from.
    Case make(size_t maxTokens, bool malformed, bool down = false, size_t maxPiece = 4) {
        Case c;
        c.options = opts(down || pick(2), pick(2), pick(2));
        c.text = text(maxTokens, malformed);
        const Text t = decode(c.text);
        std::u32string p;
        std::vector<std::pair<size_t, size_t>> words;
        for (size_t i = 0; i < t.chars.size();) {
            size_t j = i;
            while (j < t.chars.size() && isWord(t.chars[j])) ++j;
            if (j > i) words.emplace_back(i, j - i);
            i = j + 1;
        }
        if (c.options.wholeWord && !words.empty() && pick(3) != 0) {
            const auto [from, len] = words[pick(words.size())];
            p = t.chars.substr(from, pick(4) == 0 ? 1 + pick(len) : len);
        } else if (!t.chars.empty() && pick(4) != 0) {
            const size_t from = pick(t.chars.size());
            const size_t len = 1 + pick(std::min<size_t>(maxPiece, t.chars.size() - from));
            p = t.chars.substr(from, len);
        } else {
            const std::u32string pool = U"abABsSiIıſéÉÿŸ _\n\r1";
            for (size_t i = 0, n = 1 + pick(3); i < n; ++i) p += pool[pick(pool.size())];
        }
        for (char32_t& ch : p) {
            if (ch >= kInvalid) ch = U'a';
            if (pick(c.options.matchCase ? 8 : 2) == 0) ch = pick(2) ? upper(ch) : QChar::toLower(ch);
        }
        c.pattern = QString::fromUcs4(p.data(), qsizetype(p.size()));

        const size_t n = t.offsets.size();
        size_t a = t.offsets[pick(n)], b = t.offsets[pick(n)];
        if (pick(2) == 0) a = b = t.offsets[c.options.down ? pick(1 + n / 4) : n - 1 - pick(1 + n / 4)];
        else if (pick(3) == 0) b = a;
        c.selection = {std::min(a, b), std::max(a, b)};
        return c;
    }


    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }

private:
    std::mt19937 m_rng;
};

std::string describe(const Case& c) {
    std::string hex;
    for (unsigned char b : c.text) hex += (b < 0x20 || b >= 0x7F ? "\\x" + QByteArray::number(b, 16).toStdString()
                                                                : std::string(1, char(b)));
    return "text \"" + hex + "\" pattern \"" + c.pattern.toStdString() + "\" selection " +
           std::to_string(c.selection.start) + ".." + std::to_string(c.selection.end) + " down " +
           std::to_string(c.options.down) + " case " + std::to_string(c.options.matchCase) + " word " +
           std::to_string(c.options.wholeWord);
}

// Exactly sized copies, so that reading past the end is caught under AddressSanitizer.
std::string_view exact(const std::string& s, std::vector<char>& storage) {
    storage.assign(s.begin(), s.end());
    return std::string_view(storage.data(), storage.size());
}

// Returns whether the model found a match.
bool checkFind(const Case& c) {
    const Text t = decode(c.text);
    const auto charOf = [&](size_t byte) {
        return long(std::find(t.offsets.begin(), t.offsets.end(), byte) - t.offsets.begin());
    };
    const long s = charOf(c.selection.start), l = charOf(c.selection.end) - s;
    const std::u32string p = codePoints(c.pattern);
    const auto expected = modelSearch(t.chars, s, l, p, c.options);
    std::optional<Range> expectedBytes;
    if (expected) expectedBytes = Range{t.offsets[*expected], t.offsets[*expected + p.size()]};
    std::vector<char> storage;
    EXPECT_EQ(find(exact(c.text, storage), c.selection, c.pattern, c.options), expectedBytes) << describe(c);
    return expected.has_value();
}

// Returns the number of replacements the loop made.
size_t checkReplaceAll(const Case& c, const QString& with) {
    const auto model = modelReplaceAll(c.text, c.selection, c.pattern, with, c.options);
    std::vector<char> storage;
    const auto plan = planReplaceAll(exact(c.text, storage), c.selection, c.pattern, with, c.options);
    EXPECT_EQ(plan.count, model.count) << describe(c);
    EXPECT_EQ(applied(c.text, plan), model.text) << describe(c);
    EXPECT_EQ(plan.finalSelection, (Range{model.selStart, model.selEnd})) << describe(c);

    // In pieces, each applied before the next is planned, as the editor does.
    const size_t pieceBytes = 1 + c.text.size() % 7;
    ts::search::ReplaceAllSteps steps(c.pattern, with, c.options);
    std::string text = c.text;
    size_t at = std::max(c.selection.start, c.selection.end), count = 0;
    while (at <= text.size() && !c.pattern.isEmpty()) {
        const std::string rest = text.substr(at);
        const auto piece = steps.next(exact(rest, storage), pieceBytes);
        if (piece.count == 0) break;
        text.replace(at + piece.replaced.start, piece.replaced.end - piece.replaced.start, piece.replacement);
        at += piece.replaced.start + piece.replacement.size();
        count += piece.count;
    }
    EXPECT_EQ(count, model.count) << describe(c) << " in pieces of " << pieceBytes;
    EXPECT_EQ(text, model.text) << describe(c) << " in pieces of " << pieceBytes;
    return model.count;
}

TEST(SearchProperty, FindAgreesWithTheModel) {
    Generator g(20240307);
    int found[2][2][2] = {};
    const int total = 30000;
    for (int i = 0; i < total; ++i) {
        const Case c = g.make(i % 3 == 0 ? 40 : 12, i % 5 == 0);
        found[c.options.down][c.options.matchCase][c.options.wholeWord] += checkFind(c);
        if (HasFailure()) return;
    }
    // Every combination of options has to meet plenty of matches to prove anything.
    for (auto& byDown : found)
        for (auto& byCase : byDown)
            for (int n : byCase) EXPECT_GT(n, total / 8 / 5);
}

TEST(SearchProperty, LongTextsUseTheBlockScan) {
    // Long enough for whole blocks in both directions, patterns longer than a block.
    Generator g(77);
    for (int i = 0; i < 2000; ++i) {
        const Case c = g.make(120, i % 4 == 0, false, i % 2 == 0 ? 4 : 30);
        checkFind(c);
        if (HasFailure()) return;
    }
}

TEST(SearchProperty, ReplaceAllAgreesWithTheLoop) {
    Generator g(4711);
    const std::vector<QString> replacements = {QString(), q("x"), q("ab"), q("É€"), q("a b"), q("_")};
    size_t replaced = 0;
    const int total = 8000;
    for (int i = 0; i < total; ++i) {
        const Case c = g.make(i % 4 == 0 ? 50 : 16, i % 6 == 0, i % 8 != 0);
        replaced += checkReplaceAll(c, replacements[g.pick(replacements.size())]);
        if (HasFailure()) return;
    }
    EXPECT_GT(replaced, size_t(total / 4));
}

} // namespace
