#include "editor/problemmarks.h"

#include "editor/tsrichedit.h"

#include <QHash>
#include <QHelpEvent>
#include <QToolTip>
#include <algorithm>

using Sci = QsciScintillaBase;

TProblemMarks& TProblemMarks::Of(TSRichEdit& editor) {
    if (auto* m = editor.findChild<TProblemMarks*>(QString(), Qt::FindDirectChildrenOnly)) return *m;
    return *new TProblemMarks(editor);
}

TProblemMarks::TProblemMarks(TSRichEdit& editor) : QObject(&editor), m_editor(editor) {
    // Colours in 0x00BBGGRR form.
    sci(Sci::SCI_MARKERDEFINE, kMarker, Sci::SC_MARK_CIRCLE);
    sci(Sci::SCI_MARKERSETFORE, kMarker, 0x000080);
    sci(Sci::SCI_MARKERSETBACK, kMarker, 0x2020E0);
    sci(Sci::SCI_INDICSETSTYLE, kIndicator, Sci::INDIC_SQUIGGLE);
    sci(Sci::SCI_INDICSETFORE, kIndicator, 0x0000FF);
    // The editor shows no margin of its own; this one opens while there are marks.
    sci(Sci::SCI_SETMARGINTYPEN, 1, Sci::SC_MARGIN_SYMBOL);
    sci(Sci::SCI_SETMARGINMASKN, 1, 1ul << kMarker);
    editor.viewport()->installEventFilter(this);
}

long TProblemMarks::sci(unsigned int msg, unsigned long w, long l) const { return m_editor.SendScintilla(msg, w, l); }

void TProblemMarks::Clear() {
    sci(Sci::SCI_MARKERDELETEALL, kMarker);
    sci(Sci::SCI_SETINDICATORCURRENT, kIndicator);
    sci(Sci::SCI_INDICATORCLEARRANGE, 0, sci(Sci::SCI_GETLENGTH));
    sci(Sci::SCI_SETMARGINWIDTHN, 1, 0);
    m_hints.clear();
}

void TProblemMarks::Show(const std::vector<ts::HtmlProblem>& problems) {
    Clear();
    const long length = sci(Sci::SCI_GETLENGTH);
    const long lines = sci(Sci::SCI_GETLINECOUNT);
    QHash<int, size_t> hintOfLine;
    sci(Sci::SCI_SETINDICATORCURRENT, kIndicator);
    for (const ts::HtmlProblem& p : problems) {
        if (p.line <= 0 || p.line > lines) continue;
        const int line = p.line - 1;
        if (auto it = hintOfLine.constFind(line); it != hintOfLine.cend()) {
            m_hints[*it].text += QLatin1Char('\n') + p.message;
        } else {
            hintOfLine.insert(line, m_hints.size());
            m_hints.push_back({int(sci(Sci::SCI_MARKERADD, line, kMarker)), p.message});
        }
        if (p.from >= 0 && p.to > p.from && p.to <= length) sci(Sci::SCI_INDICATORFILLRANGE, p.from, p.to - p.from);
    }
    if (!m_hints.empty()) sci(Sci::SCI_SETMARGINWIDTHN, 1, std::max(12l, sci(Sci::SCI_TEXTHEIGHT, 0)));
}

QString TProblemMarks::HintAt(int line) const {
    QStringList texts;
    for (const Hint& h : m_hints)
        if (sci(Sci::SCI_MARKERLINEFROMHANDLE, h.handle) == line) texts << h.text;
    return texts.join(QLatin1Char('\n'));
}

bool TProblemMarks::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::ToolTip || watched != m_editor.viewport() || m_hints.empty())
        return QObject::eventFilter(watched, e);
    auto* help = static_cast<QHelpEvent*>(e);
    const long margins = sci(Sci::SCI_GETMARGINWIDTHN, 0) + sci(Sci::SCI_GETMARGINWIDTHN, 1);
    if (help->pos().x() >= margins) return QObject::eventFilter(watched, e);
    const long visible = sci(Sci::SCI_GETFIRSTVISIBLELINE) + help->pos().y() / std::max(1l, sci(Sci::SCI_TEXTHEIGHT, 0));
    const long line = sci(Sci::SCI_DOCLINEFROMVISIBLE, visible);
    const QString hint = line < sci(Sci::SCI_GETLINECOUNT) ? HintAt(int(line)) : QString();
    if (hint.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(help->globalPos(), hint, m_editor.viewport());
    return true;
}
