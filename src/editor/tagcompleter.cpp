#include "editor/tagcompleter.h"

#include "editor/asciichars.h"
#include "editor/htmlnames.h"
#include "editor/tsrichedit.h"
#include "platform/terror.h"
#include "settings/tquillonregistry.h"

#include <QKeyEvent>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Sci = QsciScintillaBase;
constexpr size_t npos = std::string_view::npos;

// How far back from the caret the markup is read: far enough for any
// sensible nesting, near enough that a keystroke deep in a large file stays
// as quick as one at its top.
constexpr qint64 kLookBack = 256 * 1024;
// How many '<' further back are tried when one turns out to be part of a
// quoted value or of text.
constexpr int kCandidates = 8;
// Typing one of these ends a completion list, keeping what was typed.
constexpr const char* kStops = " \t>/=\"'<";

using ts::ascii::isDigit;
using ts::ascii::isLetter;
using ts::ascii::isUpper;
using ts::ascii::lower;
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '-' || c == '_' || c == ':' || c == '.'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The last c in t before end.
size_t lastOf(std::string_view t, char c, size_t end) {
    const void* p = end ? memrchr(t.data(), c, end) : nullptr;
    return p ? size_t(static_cast<const char*>(p) - t.data()) : npos;
}

bool startsWith(std::string_view t, size_t at, std::string_view s) { return t.substr(at, s.size()) == s; }

// A '<' that begins markup: a start or end tag, a comment, a declaration.
bool opensMarkup(std::string_view t, size_t lt, size_t end) {
    if (lt + 1 >= end) return false;
    const char c = t[lt + 1];
    return isLetter(c) || c == '/' || c == '!' || c == '?';
}

std::string_view nameAt(std::string_view t, size_t from, size_t end) {
    size_t k = from;
    while (k < end && isNameChar(t[k])) ++k;
    return t.substr(from, k - from);
}

// Just after the '>' that ends the markup beginning at lt, when that comes
// before end; npos otherwise, with inQuote telling whether it stops inside a
// quoted attribute value.
size_t markupEnd(std::string_view t, size_t lt, size_t end, bool* inQuote = nullptr) {
    if (inQuote) *inQuote = false;
    if (startsWith(t.substr(0, end), lt, "<!--")) {
        // "<!-->" ends at once, as browsers read it.
        const size_t close = t.substr(0, end).find("-->", lt + 2);
        return close == npos ? npos : close + 3;
    }
    char quote = 0;
    char last = 0;
    for (size_t p = lt + 1; p < end; ++p) {
        const char c = t[p];
        if (quote) {
            if (c == quote) {
                quote = 0;
                last = c;
            }
            continue;
        }
        if (c == '>') return p + 1;
        // Quotes matter only where a value begins.
        if ((c == '"' || c == '\'') && last == '=') quote = c;
        else if (!isSpace(c)) last = c;
    }
    if (inQuote) *inQuote = quote != 0;
    return npos;
}

// Whether before lies inside a comment that began further back.
bool inComment(std::string_view t, size_t before) {
    // '!' is rare in markup, '<' is everywhere.
    size_t bang = before;
    while ((bang = lastOf(t, '!', bang)) != npos)
        if (bang > 0 && startsWith(t, bang - 1, "<!--")) return t.find("-->", bang + 1) == npos;
    return false;
}

enum class Where { Text, Comment, Declaration, EndTag, StartTag, Quoted };
struct Place {
    Where where = Where::Text;
    size_t lt = npos; // the '<' of the markup the end of the text lies in
};

// What the end of t lies in. Decided from the last '<' that opens markup
// not closed before the end; a '<' inside a quoted value is passed over by
// trying earlier ones until one turns out closed.
Place placeAt(std::string_view t) {
    const size_t end = t.size();
    size_t open = npos;
    bool quoted = false;
    size_t from = end;
    for (int k = 0; k < kCandidates; ++k) {
        const size_t lt = lastOf(t, '<', from);
        if (lt == npos) break;
        from = lt;
        if (!opensMarkup(t, lt, end)) continue;
        bool q = false;
        if (markupEnd(t, lt, end, &q) != npos) break;
        open = lt;
        quoted = q;
    }
    if (open == npos) return {};
    if (inComment(t, open)) return {Where::Comment, open};
    switch (t[open + 1]) {
    case '!': return {startsWith(t, open, "<!--") ? Where::Comment : Where::Declaration, open};
    case '?': return {Where::Declaration, open};
    case '/': return {Where::EndTag, open};
    default: return {quoted ? Where::Quoted : Where::StartTag, open};
    }
}

// Whether the end of t is in text between tags, where markup may begin.
bool inText(std::string_view t) { return placeAt(t).where == Where::Text && !inComment(t, t.size()); }

struct Tag {
    enum Kind { Start, End, Other } kind;
    size_t start;
    std::string_view name;
    bool selfClosing;
};

Tag tagAt(std::string_view t, size_t lt, size_t end) {
    const char c = t[lt + 1];
    if (c == '!' || c == '?') return {Tag::Other, lt, {}, false};
    if (c == '/') {
        const std::string_view name = nameAt(t, lt + 2, end);
        return {name.empty() ? Tag::Other : Tag::End, lt, name, false};
    }
    return {Tag::Start, lt, nameAt(t, lt + 1, end), t[end - 2] == '/'};
}

// The markup that ends last before end.
std::optional<Tag> previousTag(std::string_view t, size_t end) {
    size_t before = end;
    for (;;) {
        const size_t gt = lastOf(t, '>', before);
        if (gt == npos) return std::nullopt;
        if (gt >= 2 && t[gt - 1] == '-' && t[gt - 2] == '-') {
            size_t lt = gt;
            do lt = lastOf(t, '<', lt);
            while (lt != npos && !(startsWith(t, lt, "<!--") && lt + 4 <= gt));
            // A comment that began before the text read: nothing more is known.
            if (lt == npos) return std::nullopt;
            return Tag{Tag::Other, lt, {}, false};
        }
        size_t lt = lastOf(t, '<', gt);
        for (int k = 0; lt != npos && k < kCandidates; ++k) {
            if (opensMarkup(t, lt, gt + 1)) {
                const size_t e = markupEnd(t, lt, gt + 1);
                if (e == gt + 1) return tagAt(t, lt, e);
                if (e != npos) break; // that markup ends earlier: this '>' is text
            }
            lt = lastOf(t, '<', lt);
        }
        before = gt;
    }
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

// The start tag of a raw text element ending before end.
size_t lastStartTag(std::string_view t, size_t end, std::string_view name) {
    size_t lt = end;
    while ((lt = lastOf(t, '<', lt)) != npos)
        if (sameName(nameAt(t, lt + 1, end), name)) return lt;
    return npos;
}

// The elements whose start tags came after a candidate, on its level.
class Siblings {
public:
    void add(std::string_view name) {
        if (const ts::THtmlElement* e = ts::findHtmlElement(name)) m_seen[indexOf(e)] = true;
    }
    bool endAny(const ts::THtmlElement& e) const {
        std::string_view names = e.closedBy;
        while (!names.empty()) {
            const size_t space = names.find(' ');
            const ts::THtmlElement* by = ts::findHtmlElement(names.substr(0, space));
            if (by && m_seen[indexOf(by)]) return true;
            names = space == npos ? std::string_view() : names.substr(space + 1);
        }
        return false;
    }

private:
    static size_t indexOf(const ts::THtmlElement* e) { return size_t(e - ts::htmlElements().data()); }
    std::vector<bool> m_seen = std::vector<bool>(ts::htmlElements().size());
};

// The name, as written, of the innermost element open at the end of t; empty
// when none is. Walks back tag by tag: an end tag hides everything back to
// its start tag, void elements never count, and an element whose end tag is
// optional counts only until a later sibling's start tag ends it.
QByteArray innermostOpen(std::string_view t) {
    Siblings after;
    std::vector<std::string_view> pending; // end tags waiting for their start tags
    const auto closed = [&](std::string_view name) {
        if (pending.empty()) after.add(name);
    };
    size_t end = t.size();
    while (const std::optional<Tag> tag = previousTag(t, end)) {
        end = tag->start;
        const std::string_view name = tag->name;
        if (tag->kind == Tag::Other) continue;
        if (tag->kind == Tag::End) {
            const ts::THtmlElement* e = ts::findHtmlElement(name);
            if (e && (e->flags & ts::THtmlElement::RawText)) {
                // Its content may look like anything: straight to its start.
                const size_t start = lastStartTag(t, end, name);
                if (start != npos) {
                    end = start;
                    closed(name);
                }
            } else {
                pending.push_back(name);
            }
            continue;
        }
        if (tag->selfClosing) {
            closed(name);
            continue;
        }
        if (!pending.empty() && sameName(pending.back(), name)) {
            pending.pop_back();
            closed(name);
            continue;
        }
        const ts::THtmlElement* e = ts::findHtmlElement(name);
        const unsigned flags = e ? e->flags : 0;
        if (flags & ts::THtmlElement::Void) {
            closed(name);
        } else if (!pending.empty()) {
            // Left open inside a closed element when its end is optional;
            // otherwise the end tags after it without their start tags were stray.
            if (flags & ts::THtmlElement::OptionalEnd) continue;
            const auto it =
                std::find_if(pending.rbegin(), pending.rend(), [&](std::string_view p) { return sameName(p, name); });
            if (it != pending.rend()) {
                pending.erase(std::prev(it.base()), pending.end());
                closed(name);
            }
        } else if (!(flags & ts::THtmlElement::OptionalEnd) || !after.endAny(*e)) {
            return QByteArray(name.data(), qsizetype(name.size()));
        } else {
            closed(name);
        }
    }
    return {};
}

QByteArray elementNames(bool upper) {
    static const QByteArray names = [] {
        QByteArray s;
        for (const ts::THtmlElement& e : ts::htmlElements()) {
            if (!s.isEmpty()) s += ' ';
            s += e.name;
        }
        return s;
    }();
    return upper ? names.toUpper() : names;
}

QByteArray attributeNames(const ts::THtmlElement* e, bool upper) {
    std::vector<std::string_view> names;
    const auto add = [&](std::string_view list) {
        while (!list.empty()) {
            const size_t space = list.find(' ');
            names.push_back(list.substr(0, space));
            list = space == npos ? std::string_view() : list.substr(space + 1);
        }
    };
    if (e) add(e->attributes);
    add(ts::htmlGlobalAttributes());
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    QByteArray s;
    for (std::string_view n : names) {
        if (!s.isEmpty()) s += ' ';
        s += QByteArray(n.data(), qsizetype(n.size()));
    }
    return upper ? s.toUpper() : s;
}

// The attributes of the start tag at lt, in the case of its name.
QByteArray attributesOf(std::string_view t, size_t lt) {
    const std::string_view name = nameAt(t, lt + 1, t.size());
    return attributeNames(ts::findHtmlElement(name), !name.empty() && isUpper(name[0]));
}

const QString kSettingsKey = QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\Editing");
const QString kSettingsValue = QStringLiteral("CompleteTags");

} // namespace

namespace ts {

bool completeTagsSetting() {
    try {
        return std::get<bool>(TQuillonRegistry().ReadValue(hkey::CurrentUser, kSettingsKey, kSettingsValue, true));
    } catch (const TError&) {
        return true;
    }
}

void storeCompleteTagsSetting(bool on) {
    TQuillonRegistry().WriteValue(hkey::CurrentUser, kSettingsKey, kSettingsValue, on);
}

} // namespace ts

TTagCompleter& TTagCompleter::Of(TSRichEdit& editor) {
    if (auto* c = editor.findChild<TTagCompleter*>(QString(), Qt::FindDirectChildrenOnly)) return *c;
    return *new TTagCompleter(editor);
}

TTagCompleter::TTagCompleter(TSRichEdit& editor) : QObject(&editor), m_editor(editor) {
    connect(&editor, &Sci::SCN_CHARADDED, this, &TTagCompleter::charAdded);
    connect(&editor, qOverload<const char*, int, int, int>(&Sci::SCN_AUTOCSELECTION), this,
            [this](const char* text, int position, int, int) { chosen(text, position); });
    connect(&editor, &Sci::SCN_AUTOCCANCELLED, this, [this] { m_list = List::None; });
    editor.installEventFilter(this);
}

void TTagCompleter::SetEnabled(bool on) {
    m_enabled = on;
    if (!on && m_list != List::None) m_editor.SendScintilla(Sci::SCI_AUTOCCANCEL);
}

namespace {

// The text from at most kLookBack before pos up to pos. Read up to the caret
// only, where the control's gap is after typing, so the buffer is not moved.
std::string_view textBefore(const TSRichEdit& e, qint64 pos) {
    const qint64 from = std::max<qint64>(0, pos - kLookBack);
    if (pos <= from) return {};
    const auto* p = reinterpret_cast<const char*>(
        e.SendScintilla(Sci::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), static_cast<long>(pos - from)));
    return p ? std::string_view(p, size_t(pos - from)) : std::string_view();
}

} // namespace

void TTagCompleter::charAdded(int ch) {
    if (!m_enabled || m_editor.isListActive()) return;
    const qint64 pos = m_editor.SendScintilla(Sci::SCI_GETCURRENTPOS);
    if (pos != m_editor.SendScintilla(Sci::SCI_GETANCHOR)) return;
    const std::string_view t = textBefore(m_editor, pos);
    const size_t n = t.size();
    if (n < 2 || t[n - 1] != ch) return;
    const char before = t[n - 2];
    if (ch == '/' && before == '<') {
        if (inText(t.substr(0, n - 2))) closeElement(pos);
    } else if (isLetter(char(ch)) && before == '<') {
        if (inText(t.substr(0, n - 2))) show(List::Elements, t.substr(n - 1), elementNames(isUpper(char(ch))));
    } else if (isLetter(char(ch)) && isSpace(before)) {
        const Place place = placeAt(t.substr(0, n - 1));
        if (place.where == Where::StartTag) show(List::Attributes, t.substr(n - 1), attributesOf(t, place.lt));
    }
}

bool TTagCompleter::OfferAtCaret() {
    const qint64 pos = m_editor.SendScintilla(Sci::SCI_GETCURRENTPOS);
    if (pos != m_editor.SendScintilla(Sci::SCI_GETANCHOR)) return false;
    const std::string_view t = textBefore(m_editor, pos);
    size_t word = t.size();
    while (word > 0 && isNameChar(t[word - 1])) --word;
    if (word == 0) return false;
    if (t[word - 1] == '<' && word < t.size() && isLetter(t[word])) {
        if (!inText(t.substr(0, word - 1))) return false;
        show(List::Elements, t.substr(word), elementNames(isUpper(t[word])));
        return true;
    }
    if (!isSpace(t[word - 1])) return false;
    const Place place = placeAt(t.substr(0, word));
    if (place.where != Where::StartTag) return false;
    show(List::Attributes, t.substr(word), attributesOf(t, place.lt));
    return true;
}

void TTagCompleter::show(List kind, std::string_view entered, const QByteArray& names) {
    // Only the names that begin with what was typed; typing on narrows the
    // choice further.
    QByteArray offered;
    for (const QByteArray& name : names.split(' ')) {
        if (!sameName(std::string_view(name.constData(), std::min(size_t(name.size()), entered.size())), entered))
            continue;
        if (!offered.isEmpty()) offered += ' ';
        offered += name;
    }
    if (offered.isEmpty()) return;
    auto sci = [this](unsigned int msg, unsigned long w = 0, long l = 0) { m_editor.SendScintilla(msg, w, l); };
    sci(Sci::SCI_AUTOCSETSEPARATOR, ' ');
    sci(Sci::SCI_AUTOCSETIGNORECASE, 1);
    sci(Sci::SCI_AUTOCSETORDER, Sci::SC_ORDER_PERFORMSORT);
    sci(Sci::SCI_AUTOCSETAUTOHIDE, 1);
    sci(Sci::SCI_AUTOCSETCHOOSESINGLE, 0);
    // Deleting back to the first letter keeps the list; before it, it goes.
    sci(Sci::SCI_AUTOCSETCANCELATSTART, 0);
    sci(Sci::SCI_AUTOCSETDROPRESTOFWORD, 0);
    sci(Sci::SCI_AUTOCSETMAXHEIGHT, 10);
    m_editor.SendScintilla(Sci::SCI_AUTOCSETFILLUPS, 0UL, "");
    m_editor.SendScintilla(Sci::SCI_AUTOCSTOPS, 0UL, kStops);
    m_editor.SendScintilla(Sci::SCI_AUTOCSHOW, static_cast<unsigned long>(entered.size()), offered.constData());
    m_list = m_editor.isListActive() ? kind : List::None;
}

void TTagCompleter::chosen(const char* text, int position) {
    const List kind = std::exchange(m_list, List::None);
    if (kind == List::None || !text) return;
    // The control would put in the bare name; this puts in what fits.
    m_editor.SendScintilla(Sci::SCI_AUTOCCANCEL);
    const qint64 caret = m_editor.SendScintilla(Sci::SCI_GETCURRENTPOS);
    if (caret < position) return;
    QByteArray insert(text);
    qint64 caretAfter = position + insert.size();
    if (kind == List::Attributes) {
        insert += "=\"\"";
        caretAfter += 2;
    }
    TProgramChange change(m_editor);
    m_editor.SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(position), static_cast<long>(caret));
    m_editor.SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(insert.size()), insert.constData());
    m_editor.SendScintilla(Sci::SCI_GOTOPOS, static_cast<unsigned long>(caretAfter));
}

void TTagCompleter::closeElement(qint64 caret) {
    const std::string_view t = textBefore(m_editor, caret);
    const QByteArray name = innermostOpen(t.substr(0, t.size() - 2));
    if (name.isEmpty()) return;
    const QByteArray insert = name + '>';
    TProgramChange change(m_editor);
    m_editor.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(caret), insert.constData());
    m_editor.SendScintilla(Sci::SCI_GOTOPOS, static_cast<unsigned long>(caret + insert.size()));
}

bool TTagCompleter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_editor && m_enabled && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
            OfferAtCaret();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
