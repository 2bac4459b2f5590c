#include "editor/taglexer.h"

#include "editor/asciichars.h"

#include <Qsci/qsciscintilla.h>
#include <algorithm>
#include <functional>
#include <cstring>

namespace {

using ts::ascii::isDigit;
using ts::ascii::isLetter;
using ts::ascii::lower;

bool nameIs(const char* p, size_t n, const char* want) {
    const size_t len = std::strlen(want);
    if (n < len || (n > len && (isLetter(p[len]) || isDigit(p[len])))) return false;
    for (size_t k = 0; k < len; ++k)
        if (lower(p[k]) != want[k]) return false;
    return true;
}

// The state a character of this style leaves behind it.
int stateAfter(int style, char c) {
    switch (style) {
    case TTagLexer::LinkTag:
    case TTagLexer::ImageTag:
    case TTagLexer::OtherTag: return c == '>' ? TTagLexer::Text : style;
    case TTagLexer::CommentEnd: return TTagLexer::Text;
    case TTagLexer::LinkDouble: case TTagLexer::LinkSingle:
    case TTagLexer::ImageDouble: case TTagLexer::ImageSingle:
    case TTagLexer::OtherDouble: case TTagLexer::OtherSingle:
    case TTagLexer::Comment: return style;
    default: return TTagLexer::Text;
    }
}

} // namespace

TTagLexer::TTagLexer(QObject* parent) : QsciLexerCustom(parent) {}

const char* TTagLexer::language() const { return "HTML tags"; }

QString TTagLexer::description(int style) const {
    static const char* const names[StyleCount] = {
        "Text", "Link tag", "Link tag, double-quoted value", "Link tag, single-quoted value",
        "Image tag", "Image tag, double-quoted value", "Image tag, single-quoted value",
        "Other tag", "Other tag, double-quoted value", "Other tag, single-quoted value",
        "Comment", "Comment end",
    };
    return style >= 0 && style < StyleCount ? QString::fromLatin1(names[style]) : QString();
}

TTagLexer::Kind TTagLexer::KindOf(int style) {
    switch (style) {
    case LinkTag: case LinkDouble: case LinkSingle: return Kind::Links;
    case ImageTag: case ImageDouble: case ImageSingle: return Kind::Images;
    case OtherTag: case OtherDouble: case OtherSingle: case Comment: case CommentEnd: return Kind::Other;
    default: return Kind::Text;
    }
}

void TTagLexer::SetColours(const QColor& text, const QColor& links, const QColor& images, const QColor& other) {
    for (int s = 0; s < StyleCount; ++s) {
        switch (KindOf(s)) {
        case Kind::Text: setColor(text, s); break;
        case Kind::Links: setColor(links, s); break;
        case Kind::Images: setColor(images, s); break;
        case Kind::Other: setColor(other, s); break;
        }
    }
}

void TTagLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (!ed || start >= end) return;
    auto sci = [ed](unsigned int msg, long w = 0, long l = 0) {
        return static_cast<long>(ed->SendScintilla(msg, static_cast<unsigned long>(w), l));
    };
    if (sci(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS) & QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE) {
        // A document without styles is coloured where it is shown, by its
        // editor; there is nothing to keep here but the mark of styled text.
        startStyling(start);
        setStyling(end - start, Text);
        return;
    }
    const long length = sci(QsciScintillaBase::SCI_GETLENGTH);
    // Whole lines: a tag name never spans a line break, so the look-ahead at
    // '<' stays within the text read here.
    const long lastLine = sci(QsciScintillaBase::SCI_LINEFROMPOSITION, end - 1);
    const long next = sci(QsciScintillaBase::SCI_POSITIONFROMLINE, lastLine + 1);
    const long stop = next < end ? length : std::min(length, next);
    const long from = std::max(0L, long(start) - 2);
    const long readEnd = std::min(length, stop + 8);
    const char* base = reinterpret_cast<const char*>(
        sci(QsciScintillaBase::SCI_GETRANGEPOINTER, from, readEnd - from));
    if (!base) return;

    int state = Text;
    if (start > 0) state = stateAfter(int(sci(QsciScintillaBase::SCI_GETSTYLEAT, start - 1)), base[start - 1 - from]);

    startStyling(start);
    Scan(base, from, readEnd, start, stop, state, [this](int style, long count) { setStyling(int(count), style); });
}

void TTagLexer::Scan(const char* text, long from, long readEnd, long start, long stop, int state,
                     const std::function<void(int style, long count)>& run) {
    auto at = [&](long pos) -> char { return pos >= from && pos < readEnd ? text[pos - from] : '\0'; };
    int runStyle = -1;
    long runLength = 0;
    auto put = [&](int style, int count) {
        if (style != runStyle) {
            if (runLength > 0) run(runStyle, runLength);
            runStyle = style;
            runLength = 0;
        }
        runLength += count;
    };

    for (long pos = start; pos < stop;) {
        const char c = at(pos);
        switch (state) {
        case Text: {
            if (c != '<') {
                put(Text, 1);
                ++pos;
                break;
            }
            const char* p = text + (pos - from) + 1;
            const size_t avail = size_t(readEnd - pos - 1);
            if (avail >= 3 && p[0] == '!' && p[1] == '-' && p[2] == '-') {
                put(Comment, 4);
                pos += 4;
                state = Comment;
                break;
            }
            if (avail >= 1 && (p[0] == '!' || p[0] == '?')) {
                state = OtherTag;
            } else {
                const size_t skip = avail >= 1 && p[0] == '/' ? 1 : 0;
                if (avail <= skip || !isLetter(p[skip])) {
                    put(Text, 1); // a lone '<' is text
                    ++pos;
                    break;
                }
                const char* name = p + skip;
                const size_t n = avail - skip;
                state = nameIs(name, n, "a") ? LinkTag : nameIs(name, n, "img") ? ImageTag : OtherTag;
            }
            put(state, 1);
            ++pos;
            break;
        }
        case LinkTag:
        case ImageTag:
        case OtherTag:
            if (c == '"' || c == '\'') {
                const int quoted = state + (c == '"' ? 1 : 2);
                put(quoted, 1);
                state = quoted;
            } else {
                put(state, 1);
                if (c == '>') state = Text;
            }
            ++pos;
            break;
        case LinkDouble: case ImageDouble: case OtherDouble:
        case LinkSingle: case ImageSingle: case OtherSingle: {
            const bool dbl = state == LinkDouble || state == ImageDouble || state == OtherDouble;
            const int tag = state - (dbl ? 1 : 2);
            if (c == (dbl ? '"' : '\'')) {
                put(tag, 1);
                state = tag;
            } else {
                put(state, 1);
            }
            ++pos;
            break;
        }
        case Comment:
            if (c == '>' && at(pos - 1) == '-' && at(pos - 2) == '-') {
                put(CommentEnd, 1);
                state = Text;
            } else {
                put(Comment, 1);
            }
            ++pos;
            break;
        default:
            state = Text;
            break;
        }
    }
    if (runLength > 0) run(runStyle, runLength);
}
