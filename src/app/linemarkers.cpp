#include "app/linemarkers.h"

#include <array>
#include <string_view>

namespace ts {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// Elements whose content the browser reads as text up to their end tag; a
// tag-like run in there must stay untouched.
constexpr std::array<std::string_view, 10> kRawText = {"script", "style",    "textarea", "title",    "xmp",
                                                       "iframe", "noembed", "noframes", "noscript", "plaintext"};

class Scanner {
public:
    explicit Scanner(QByteArrayView in) : m_in(in), m_n(in.size()) {}

    QByteArray run() {
        m_out.reserve(m_n + m_n / 8 + 64);
        qsizetype i = 0;
        while (i < m_n) {
            const char c = m_in[i];
            if (c == '\n' || c == '\r') {
                countBreak(i);
                ++i;
            } else if (c != '<' || i + 1 >= m_n) {
                ++i;
            } else if (m_in.sliced(i).startsWith("<!--")) {
                const qsizetype close = m_in.indexOf("-->", i + 4);
                i = skipTo(i, close < 0 ? m_n : close + 3);
            } else if (m_in[i + 1] == '!' || m_in[i + 1] == '?') {
                const qsizetype close = m_in.indexOf('>', i + 2);
                i = skipTo(i, close < 0 ? m_n : close + 1);
            } else if (m_in[i + 1] == '/' && i + 2 < m_n && isAlpha(m_in[i + 2])) {
                i = skipTo(i, tagEnd(nameEnd(i + 2)));
            } else if (isAlpha(m_in[i + 1])) {
                i = startTag(i);
            } else {
                ++i;
            }
        }
        m_out.append(m_in.sliced(m_copied).data(), m_n - m_copied);
        return m_out;
    }

private:
    // A line break at i: CR LF counts once, at its LF.
    void countBreak(qsizetype i) {
        if (m_in[i] == '\n' || i + 1 >= m_n || m_in[i + 1] != '\n') ++m_line;
    }
    qsizetype skipTo(qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            if (m_in[k] == '\n' || m_in[k] == '\r') countBreak(k);
        return to;
    }
    qsizetype nameEnd(qsizetype i) const {
        while (i < m_n && !isSpace(m_in[i]) && m_in[i] != '/' && m_in[i] != '>') ++i;
        return i;
    }
    qsizetype skipSpace(qsizetype i) const {
        while (i < m_n && isSpace(m_in[i])) ++i;
        return i;
    }
    // Just past the '>' that ends the tag whose attributes start at i, as the
    // browser's tokenizer finds it; the end of the text when there is none.
    qsizetype tagEnd(qsizetype i) const {
        for (;;) {
            while (i < m_n && (isSpace(m_in[i]) || m_in[i] == '/')) ++i;
            if (i >= m_n) return m_n;
            if (m_in[i] == '>') return i + 1;
            // An attribute name; a leading '=' belongs to it.
            ++i;
            while (i < m_n && !isSpace(m_in[i]) && m_in[i] != '/' && m_in[i] != '>' && m_in[i] != '=') ++i;
            i = skipSpace(i);
            if (i >= m_n || m_in[i] != '=') continue;
            i = skipSpace(i + 1);
            if (i < m_n && (m_in[i] == '"' || m_in[i] == '\'')) {
                const qsizetype close = m_in.indexOf(m_in[i], i + 1);
                if (close < 0) return m_n;
                i = close + 1;
            } else {
                while (i < m_n && !isSpace(m_in[i]) && m_in[i] != '>') ++i;
            }
        }
    }
    bool nameIs(qsizetype from, qsizetype to, std::string_view name) const {
        if (to - from != qsizetype(name.size())) return false;
        for (qsizetype k = 0; k < to - from; ++k)
            if (lower(m_in[from + k]) != name[size_t(k)]) return false;
        return true;
    }
    // Where the raw text of `name` that starts at i ends: at its end tag, or
    // at the end of the text.
    qsizetype rawTextEnd(qsizetype i, std::string_view name) const {
        if (name == "plaintext") return m_n;
        for (qsizetype at = m_in.indexOf("</", i); at >= 0; at = m_in.indexOf("</", at + 2)) {
            const qsizetype from = at + 2, to = from + qsizetype(name.size());
            if (to < m_n && nameIs(from, to, name) && (isSpace(m_in[to]) || m_in[to] == '/' || m_in[to] == '>'))
                return at;
        }
        return m_n;
    }
    qsizetype startTag(qsizetype i) {
        const qsizetype name = nameEnd(i + 1);
        if (m_line != m_markedLine) {
            m_out.append(m_in.sliced(m_copied, name - m_copied).data(), name - m_copied);
            m_out.append(" ").append(kLineAttribute).append("=\"").append(QByteArray::number(m_line)).append('"');
            m_copied = name;
            m_markedLine = m_line;
        }
        const qsizetype end = skipTo(i, tagEnd(name));
        for (std::string_view raw : kRawText)
            if (nameIs(i + 1, name, raw)) return skipTo(end, rawTextEnd(end, raw));
        return end;
    }

    QByteArrayView m_in;
    qsizetype m_n;
    QByteArray m_out;
    qsizetype m_copied = 0;
    int m_line = 0;
    int m_markedLine = -1;
};

} // namespace

QByteArray withLineMarkers(QByteArrayView html) { return Scanner(html).run(); }

} // namespace ts
