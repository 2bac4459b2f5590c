#include "editor/search.h"

#include "platform/text.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ts::search {
namespace {

using Byte = unsigned char;

// A byte outside a well-formed sequence decodes to a value no pattern holds.
constexpr char32_t kInvalidBase = 0x110000;

struct Decoded {
    char32_t cp;
    size_t len;
};

inline bool isCont(Byte b) { return utf8::isContinuation(b); }

// The well-formed UTF-8 sequence at p, or one invalid byte. This is how
// Scintilla counts characters in UTF-8 mode.
inline Decoded decodeAt(const Byte* p, size_t avail) {
    char32_t c = 0;
    const int length = decodeUtf8Char(std::string_view(reinterpret_cast<const char*>(p), avail), &c);
    return length > 0 ? Decoded{c, size_t(length)} : Decoded{kInvalidBase + p[0], 1};
}

// Start of the character that ends at byte b (b > 0, b on a character boundary).
inline size_t charStartBefore(const Byte* t, size_t n, size_t b) {
    size_t j = b - 1;
    if (!isCont(t[j])) return j;
    const size_t limit = b >= 4 ? b - 4 : 0;
    while (j > limit && isCont(t[j])) --j;
    if (!isCont(t[j]) && decodeAt(t + j, n - j).len == b - j) return j;
    return b - 1;
}

Byte leadByte(char32_t c) {
    std::string s;
    appendUtf8(s, c);
    return Byte(s[0]);
}

// Code points of the pattern; a lone surrogate becomes U+FFFD, as it would in
// the editor's UTF-8 text.
std::u32string toCodePoints(const QString& s) {
    std::u32string out;
    for (uint c : s.toUcs4()) out += (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? char32_t(0xFFFD) : char32_t(c);
    return out;
}

inline bool isWordByte(Byte b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

using UpperTable = std::array<char32_t, 256>;

// Windows-1252's upper case of the Latin-1 letters: ß and µ have no single
// upper-case letter there and stay, ÿ becomes Ÿ.
UpperTable buildUpperTable() {
    UpperTable t;
    for (char32_t c = 0; c < 256; ++c) t[c] = c;
    for (char32_t c = 'a'; c <= 'z'; ++c) t[c] = c - 0x20;
    for (char32_t c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) t[c] = c - 0x20;
    t[0xFF] = 0x178;
    return t;
}

inline char32_t upperCase(const UpperTable& t, char32_t c) {
    if (c < 256) return t[c];
    if (c < kInvalidBase) return QChar::toUpper(c);
    return c;
}

// Every code point whose upper case differs from itself, by upper case: what a
// case-insensitive search has to accept for a pattern character. Built once.
class FoldIndex {
public:
    static const FoldIndex& get() {
        static const FoldIndex index;
        return index;
    }

    // Code points whose upper case is u.
    std::vector<char32_t> preimages(char32_t u) const {
        std::vector<char32_t> out;
        if (upperCase(m_table, u) == u) out.push_back(u);
        auto it = std::lower_bound(m_inverse.begin(), m_inverse.end(), std::pair<char32_t, char32_t>(u, 0));
        for (; it != m_inverse.end() && it->first == u; ++it) out.push_back(it->second);
        return out;
    }

private:
    FoldIndex() : m_table(buildUpperTable()) {
        for (char32_t c = 0; c < kInvalidBase; ++c) {
            if (c == 0xD800) c = 0xE000;
            const char32_t u = upperCase(m_table, c);
            if (u != c) m_inverse.emplace_back(u, c);
        }
        std::sort(m_inverse.begin(), m_inverse.end());
    }

    UpperTable m_table;
    std::vector<std::pair<char32_t, char32_t>> m_inverse;
};

// A set of bytes of the form {b : (b | mask) == value}: one byte, or the two
// cases of an ASCII letter.
struct ByteClass {
    Byte value = 0;
    Byte mask = 0;
    bool test(Byte b) const { return Byte(b | mask) == value; }
};

// Builds the class holding exactly the given bytes, if there is one.
std::optional<ByteClass> classOf(const std::vector<Byte>& bytes) {
    if (bytes.size() == 1) return ByteClass{bytes[0], 0};
    if (bytes.size() == 2 && (bytes[0] ^ bytes[1]) == 0x20) return ByteClass{Byte(bytes[0] | 0x20), 0x20};
    return std::nullopt;
}

constexpr size_t kBlock = 16;

// Candidate filter: two bytes at fixed offsets of the candidate.
struct PairFilter {
    size_t off1 = 0, off2 = 0;
    ByteClass c1, c2;

    size_t reach() const { return off2 + 1; }
    bool test(const Byte* t, size_t q) const { return c1.test(t[q + off1]) && c2.test(t[q + off2]); }
    // Bit i set when candidate q + i passes; needs q + off2 + kBlock <= n.
    unsigned block(const Byte* t, size_t q) const {
#if defined(__SSE2__)
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + q + off1));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + q + off2));
        const __m128i ea = _mm_cmpeq_epi8(_mm_or_si128(a, _mm_set1_epi8(char(c1.mask))), _mm_set1_epi8(char(c1.value)));
        const __m128i eb = _mm_cmpeq_epi8(_mm_or_si128(b, _mm_set1_epi8(char(c2.mask))), _mm_set1_epi8(char(c2.value)));
        return unsigned(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
#else
        unsigned bits = 0;
        for (size_t i = 0; i < kBlock; ++i) bits |= unsigned(test(t, q + i)) << i;
        return bits;
#endif
    }
};

// Candidate filter: the byte at the candidate is one of a few lead bytes.
struct LeadFilter {
    std::vector<Byte> leads;

    size_t reach() const { return 1; }
    bool test(const Byte* t, size_t q) const { return std::find(leads.begin(), leads.end(), t[q]) != leads.end(); }
    unsigned block(const Byte* t, size_t q) const {
#if defined(__SSE2__)
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + q));
        __m128i any = _mm_setzero_si128();
        for (Byte l : leads) any = _mm_or_si128(any, _mm_cmpeq_epi8(a, _mm_set1_epi8(char(l))));
        return unsigned(_mm_movemask_epi8(any));
#else
        unsigned bits = 0;
        for (size_t i = 0; i < kBlock; ++i) bits |= unsigned(test(t, q + i)) << i;
        return bits;
#endif
    }
};

// Visits the candidates in [lo, hi] in increasing order until visit() says stop.
template <class Filter, class Visit>
bool scanForward(const Filter& f, const Byte* t, size_t lo, size_t hi, Visit&& visit) {
    size_t q = lo;
    for (; q + kBlock - 1 <= hi; q += kBlock) {
        for (unsigned bits = f.block(t, q); bits; bits &= bits - 1)
            if (visit(q + size_t(__builtin_ctz(bits)))) return true;
    }
    for (; q <= hi; ++q)
        if (f.test(t, q) && visit(q)) return true;
    return false;
}

// Visits the candidates in [lo, hi] in decreasing order until visit() says stop.
template <class Filter, class Visit>
bool scanBackward(const Filter& f, const Byte* t, size_t lo, size_t hi, Visit&& visit) {
    size_t end = hi + 1; // candidates below end are left
    for (; end >= lo + kBlock; end -= kBlock) {
        const size_t q = end - kBlock;
        for (unsigned bits = f.block(t, q); bits;) {
            const int i = 31 - __builtin_clz(bits);
            if (visit(q + size_t(i))) return true;
            bits &= ~(1u << i);
        }
    }
    for (; end > lo; --end)
        if (f.test(t, end - 1) && visit(end - 1)) return true;
    return false;
}

// The prepared pattern. A match is found through its core: either a run of
// characters each of which the text can only hold as one known byte class
// (matched bytewise, with two of its bytes as the candidate filter), or, when
// there is no such run, one anchor character found by its possible lead bytes.
// The characters before and after the core are checked by decoding the text.
class Matcher {
public:
    Matcher(const QString& pattern, bool matchCase, bool wholeWord)
        : m_matchCase(matchCase), m_wholeWord(wholeWord), m_table(buildUpperTable()) {
        m_pattern = toCodePoints(pattern);
        if (m_pattern.empty()) return;
        if (matchCase) {
            // Exact bytes: the whole pattern is the core.
            std::string bytes;
            for (char32_t c : m_pattern) appendUtf8(bytes, c);
            for (char b : bytes) m_core.push_back(ByteClass{Byte(b), 0});
            m_coreChars = m_pattern.size();
            setPairFilter();
            return;
        }
        for (char32_t& c : m_pattern) c = upperCase(m_table, c);

        const FoldIndex& index = FoldIndex::get();
        std::vector<std::optional<ByteClass>> classes;
        std::vector<std::vector<Byte>> leads;
        for (char32_t u : m_pattern) {
            std::vector<Byte> bytes;
            bool ascii = true;
            for (char32_t c : index.preimages(u)) {
                ascii = ascii && c < 0x80;
                const Byte lead = leadByte(c);
                if (std::find(bytes.begin(), bytes.end(), lead) == bytes.end()) bytes.push_back(lead);
            }
            classes.push_back(ascii ? classOf(bytes) : std::nullopt);
            leads.push_back(std::move(bytes));
        }
        // The longest run of single-byte characters is the core.
        size_t best = 0, bestLen = 0;
        for (size_t i = 0; i < classes.size();) {
            if (!classes[i]) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < classes.size() && classes[j]) ++j;
            if (j - i > bestLen) best = i, bestLen = j - i;
            i = j;
        }
        if (bestLen > 0) {
            m_coreFirst = best;
            m_coreChars = bestLen;
            for (size_t i = best; i < best + bestLen; ++i) m_core.push_back(*classes[i]);
            setPairFilter();
            return;
        }
        // No such character: anchor on the one with the fewest lead bytes.
        size_t anchor = 0;
        for (size_t i = 1; i < leads.size(); ++i)
            if (leads[i].size() < leads[anchor].size()) anchor = i;
        m_coreFirst = anchor;
        m_coreChars = 1;
        m_leads.leads = leads[anchor];
    }

    bool empty() const { return m_pattern.empty(); }

    // First match starting at or after `from`, or for whole words starting
    // after it unless atFrom allows a word starting there.
    std::optional<Range> next(std::string_view text, size_t from, bool atFrom = false) const {
        const size_t n = text.size();
        const size_t lo = from + m_coreFirst;
        const size_t tail = coreMinBytes() + charsAfterCore();
        if (n < tail || lo > n - tail) return std::nullopt;
        const size_t hi = n - tail;
        const Byte* t = reinterpret_cast<const Byte*>(text.data());
        std::optional<Range> found;
        auto visit = [&](size_t q) {
            Range r;
            if (!matchAt(t, n, q, r) || r.start < from) return false;
            if (m_wholeWord && ((r.start == from && !atFrom) || !wordBounded(t, n, r))) return false;
            found = r;
            return true;
        };
        if (m_leads.leads.empty())
            scanForward(m_pair, t, lo, hi, visit);
        else
            scanForward(m_leads, t, lo, hi, visit);
        return found;
    }

    // The matches repeated calls of next() find, each from the end of the one
    // before, in one scan: a candidate before the end of the last match
    // cannot start a match after it. Stops when each() returns true.
    template <class Each>
    void each(std::string_view text, size_t from, Each&& each) const {
        const size_t n = text.size();
        const size_t lo = from + m_coreFirst;
        const size_t tail = coreMinBytes() + charsAfterCore();
        if (n < tail || lo > n - tail) return;
        const size_t hi = n - tail;
        const Byte* t = reinterpret_cast<const Byte*>(text.data());
        auto visit = [&](size_t q) {
            Range r;
            if (!matchAt(t, n, q, r) || r.start < from) return false;
            if (m_wholeWord && (r.start == from || !wordBounded(t, n, r))) return false;
            if (each(r)) return true;
            from = r.end;
            return false;
        };
        if (m_leads.leads.empty())
            scanForward(m_pair, t, lo, hi, visit);
        else
            scanForward(m_leads, t, lo, hi, visit);
    }

    // Last match ending at or before `to`.
    std::optional<Range> previous(std::string_view text, size_t to) const {
        const size_t n = text.size();
        const size_t tail = coreMinBytes() + charsAfterCore();
        const size_t lo = m_coreFirst;
        if (to < tail || to - tail < lo) return std::nullopt;
        const size_t hi = to - tail;
        const Byte* t = reinterpret_cast<const Byte*>(text.data());
        std::optional<Range> found;
        auto visit = [&](size_t q) {
            Range r;
            if (!matchAt(t, n, q, r) || r.end > to) return false;
            if (m_wholeWord && !wordBounded(t, n, r)) return false;
            found = r;
            return true;
        };
        if (m_leads.leads.empty())
            scanBackward(m_pair, t, lo, hi, visit);
        else
            scanBackward(m_leads, t, lo, hi, visit);
        return found;
    }

private:
    void setPairFilter() {
        m_pair.off1 = 0;
        m_pair.off2 = m_core.size() - 1;
        m_pair.c1 = m_core.front();
        m_pair.c2 = m_core.back();
    }

    size_t coreMinBytes() const { return m_core.empty() ? 1 : m_core.size(); }
    size_t charsAfterCore() const { return m_pattern.size() - m_coreFirst - m_coreChars; }

    bool sameChar(char32_t textChar, char32_t patternChar) const {
        return (m_matchCase ? textChar : upperCase(m_table, textChar)) == patternChar;
    }

    // Whether the pattern matches with its core at byte q; r is the match.
    bool matchAt(const Byte* t, size_t n, size_t q, Range& r) const {
        size_t end = q;
        if (!m_core.empty()) {
            for (size_t i = 0; i < m_core.size(); ++i)
                if (!m_core[i].test(t[q + i])) return false;
            end = q + m_core.size();
        } else {
            const Decoded d = decodeAt(t + q, n - q);
            if (!sameChar(d.cp, m_pattern[m_coreFirst])) return false;
            end = q + d.len;
        }
        size_t start = q;
        for (size_t k = m_coreFirst; k-- > 0;) {
            if (start == 0) return false;
            const size_t s = charStartBefore(t, n, start);
            if (!sameChar(decodeAt(t + s, n - s).cp, m_pattern[k])) return false;
            start = s;
        }
        for (size_t k = m_coreFirst + m_coreChars; k < m_pattern.size(); ++k) {
            if (end >= n) return false;
            const Decoded d = decodeAt(t + end, n - end);
            if (!sameChar(d.cp, m_pattern[k])) return false;
            end += d.len;
        }
        r = {start, end};
        return true;
    }

    // A word starts the match, and a delimiter or the end of the text follows it.
    // Every byte from 0x80 up belongs to a delimiter, so bytes tell it.
    static bool wordBounded(const Byte* t, size_t n, Range r) {
        return isWordByte(t[r.start]) && (r.start == 0 || !isWordByte(t[r.start - 1])) &&
               (r.end == n || !isWordByte(t[r.end]));
    }

    bool m_matchCase;
    bool m_wholeWord;
    UpperTable m_table; // built once per search
    std::u32string m_pattern; // upper-cased unless match case
    size_t m_coreFirst = 0;   // characters before the core
    size_t m_coreChars = 0;
    std::vector<ByteClass> m_core; // one class per byte; empty for an anchor character
    PairFilter m_pair;
    LeadFilter m_leads;
};

bool validRange(std::string_view text, Range& r) {
    if (r.start > r.end) std::swap(r.start, r.end);
    return r.end <= text.size();
}

} // namespace

std::optional<Range> find(std::string_view text, Range selection, const QString& pattern, const Options& o) {
    if (pattern.isEmpty() || text.empty() || !validRange(text, selection)) return std::nullopt;
    const Matcher m(pattern, o.matchCase, o.wholeWord);
    if (m.empty()) return std::nullopt;
    return o.down ? m.next(text, selection.end) : m.previous(text, selection.start);
}

ReplaceAllSteps::ReplaceAllSteps(const QString& pattern, const QString& replacementText, const Options& o)
    : m_with(replacementText.toStdString()) {
    if (pattern.isEmpty()) return;
    auto matcher = std::make_shared<const Matcher>(pattern, o.matchCase, o.wholeWord);
    if (matcher->empty()) return;
    m_each = [matcher](std::string_view text, const std::function<bool(Range)>& each) { matcher->each(text, 0, each); };
}

ReplaceAllSteps::Piece ReplaceAllSteps::next(std::string_view rest, size_t pieceBytes) {
    Piece piece;
    if (!m_each) return piece;
    // Each search starts right after the text the loop just inserted and
    // looks only at what follows, which is still the original text from the
    // end of the replaced match on: so the loop's matches are the ones found
    // by searching the original text from the end of each match. A match
    // right at the start of `rest` follows the last piece's last match, so
    // it is no whole word, as there.
    m_buffer.clear();
    size_t first = 0, copied = 0;
    m_each(rest, [&](Range match) {
        if (piece.count == 0) {
            first = copied = match.start;
            m_buffer.reserve(std::min(rest.size() - first, pieceBytes + pieceBytes / 8));
        } else if (match.start - first >= pieceBytes) return true; // the next piece's
        m_buffer.append(rest.substr(copied, match.start - copied));
        m_buffer.append(m_with);
        copied = match.end;
        ++piece.count;
        return false;
    });
    if (piece.count == 0) return piece;
    piece.replaced = {first, copied};
    piece.replacement = m_buffer;
    return piece;
}

ReplaceAllPlan planReplaceAll(std::string_view text, Range selection, const QString& pattern,
                              const QString& replacementText, const Options& o) {
    ReplaceAllPlan plan;
    plan.finalSelection = selection;
    if (pattern.isEmpty() || text.empty() || !validRange(text, selection)) return plan;
    ReplaceAllSteps steps(pattern, replacementText, o);
    const ReplaceAllSteps::Piece piece = steps.next(text.substr(selection.end), text.size());
    if (piece.count == 0) return plan;
    plan.replaced = {selection.end + piece.replaced.start, selection.end + piece.replaced.end};
    plan.replacement = steps.takeReplacement();
    plan.count = piece.count;
    const size_t caret = plan.replaced.start + plan.replacement.size();
    plan.finalSelection = {caret, caret};
    return plan;
}

std::vector<Range> findAll(std::string_view text, const QString& pattern, const Options& o) {
    std::vector<Range> all;
    if (pattern.isEmpty() || text.empty()) return all;
    const Matcher m(pattern, o.matchCase, o.wholeWord);
    if (m.empty()) return all;
    for (std::optional<Range> match = m.next(text, 0, true); match; match = m.next(text, match->end))
        all.push_back(*match);
    return all;
}

bool selectionMatches(std::string_view selected, const QString& pattern) {
    if (pattern.isEmpty()) return false;
    const UpperTable table = buildUpperTable();
    const std::u32string p = toCodePoints(pattern);
    const Byte* t = reinterpret_cast<const Byte*>(selected.data());
    const size_t n = selected.size();
    bool wellFormed = true;
    bool sameUpper = true;
    size_t pos = 0, k = 0;
    for (; pos < n; ++k) {
        const Decoded d = decodeAt(t + pos, n - pos);
        wellFormed = wellFormed && d.cp < kInvalidBase;
        sameUpper = sameUpper && k < p.size() && upperCase(table, d.cp) == upperCase(table, p[k]);
        pos += d.len;
    }
    if (sameUpper && k == p.size()) return true;
    // A malformed byte would turn into U+FFFD and compare equal to it.
    return wellFormed &&
           QString::compare(QString::fromUtf8(selected.data(), qsizetype(n)), pattern, Qt::CaseInsensitive) == 0;
}

} // namespace ts::search
