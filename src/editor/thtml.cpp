#include "editor/thtml.h"

#include "editor/catalogue.h"
#include "editor/editcommands.h"
#include "editor/tcomps.h"
#include "editor/primitives.h"
#include "editor/search.h"
#include "editor/template.h"
#include "editor/tfinddialog.h"
#include "editor/tsrichedit.h"
#include "platform/clock.h"
#include "platform/command.h"
#include "settings/tprefsrecord.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

THTML::THTML(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("THTML"));
    resize(646, 480);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_palette = ts::buildPalette(this);
    m_panel1 = m_palette.panel1;
    layout->addWidget(m_panel1);

    m_richEdit = new TSRichEdit(this);
    layout->addWidget(m_richEdit, 1);
    m_richEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_richEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_palette.pmHTML->popup(m_richEdit->mapToGlobal(at)); });

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setFixedHeight(19);
    m_statusBar->setSizeGripEnabled(false);
    // The panels sit edge to edge from the bar's left edge; QStatusBar's own
    // layout would put margins and gaps between them, so they are placed here.
    const int widths[4] = {80, 80, 80, 50};
    for (int k = 0, left = 0; k < 4; left += widths[k], ++k) {
        auto* label = new QLabel(m_statusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(k + 1));
        label->setGeometry(left, 0, widths[k], 19);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_panels[k] = label;
    }
    layout->addWidget(m_statusBar);

    connect(m_richEdit, &TSRichEdit::StatusChanged, this, &THTML::PosChange);
    m_document = std::make_unique<TDocument>(*m_richEdit, this);
    connect(m_document.get(), &TDocument::StatusChanged, this, &THTML::PosChange);
    connect(m_document.get(), &TDocument::SavedAs, this, &THTML::SavedAs);
    connect(m_document.get(), &TDocument::CaptionChanged, this, [this](const QString& caption) {
        setWindowTitle(caption);
        if (FrameWindow() != this) FrameWindow()->setWindowTitle(caption);
    });
    wirePalette();

    m_findDialog = new TFindDialog(this);
    m_replaceDialog = new TReplaceDialog(this);
    connect(m_findDialog, &TFindDialog::FindNext, this,
            [this] { ts::runCommand(this, [this] { Find(m_findDialog->Request()); }); });
    connect(m_replaceDialog, &TReplaceDialog::FindNext, this,
            [this] { ts::runCommand(this, [this] { Find(m_replaceDialog->Request()); }); });
    connect(m_replaceDialog, &TReplaceDialog::Replace, this,
            [this](bool all) { ts::runCommand(this, [this, all] { Replace(all); }); });
    FormCreate();
}

THTML::~THTML() {
    // The document goes first: its journal reads the editor until it is gone.
    m_document.reset();
}

QWidget* THTML::FrameWindow() const {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
    return const_cast<THTML*>(this);
}

void THTML::maximiseInFrame() { FrameWindow()->showMaximized(); }

void THTML::applySettingsAppearance(const TPrefsRecord& prefs) {
    m_richEdit->ApplyAppearance(prefs.StdFont, prefs.StdFontSize, prefs.TextCol, prefs.BGCol);
    m_richEdit->SetTagColours(prefs.Links, prefs.Images, prefs.Other);
}

void THTML::LoadDocument() {
    const TPrefsRecord prefs = TPrefsRecord::loadForEditor();
    if (prefs.DocMaxi) maximiseInFrame();

    // The appearance goes on before the text: restyling a loaded large file
    // would cost seconds.
    const QFont oldFont = m_richEdit->TextFont();
    const QColor oldText = m_richEdit->TextColour(), oldBackground = m_richEdit->BackgroundColour();
    auto bgr = [](const QColor& c) { return qint32((c.blue() << 16) | (c.green() << 8) | c.red()); };
    const qint32 oldLinks = bgr(m_richEdit->LinkColour()), oldImages = bgr(m_richEdit->ImageColour()),
                 oldOther = bgr(m_richEdit->OtherColour());
    applySettingsAppearance(prefs);
    try {
        m_document->Load();
    } catch (...) {
        // A file that cannot be read leaves the window open, empty and as it was.
        m_richEdit->SetAppearance(oldFont, oldText, oldBackground);
        m_richEdit->SetTagColours(oldLinks, oldImages, oldOther);
        throw;
    }
    if (prefs.ShowComp) sbComponentsClick();
    m_richEdit->setFocus();
    PosChange();
}

void THTML::InitNewDocument(bool noTemplate) {
    SetCaption(untitledName());
    const TPrefsRecord prefs = TPrefsRecord::loadForEditor();
    if (prefs.DocMaxi) maximiseInFrame();

    QStringList lines;
    if (prefs.MinDoc && !noTemplate) {
        const QDateTime now = ts::clock().now();
        lines = newDocumentTemplate(ts::clock().shortDate(now.date()), ts::clock().longTime(now.time()),
                                    prefs.Author, prefs.EMail);
    }
    m_document->New(lines);

    applySettingsAppearance(prefs);
    if (prefs.ShowComp) sbComponentsClick();
    m_richEdit->setFocus();
    PosChange();
}

void THTML::RecoverDocument(const ts::RecoveredDocument& recovered) {
    TPrefsRecord prefs;
    try {
        prefs = TPrefsRecord::loadForEditor();
    } catch (const TError&) {
        // Settings that cannot be read were reported at start; the text
        // comes back all the same, in the editor's own font and colours.
        prefs = TPrefsRecord{};
        prefs.Links = TPrefsRecord::kInitialLinks;
        prefs.Images = TPrefsRecord::kInitialImages;
        prefs.Other = TPrefsRecord::kInitialOther;
    }
    if (prefs.DocMaxi) maximiseInFrame();
    applySettingsAppearance(prefs);
    m_document->Recover(recovered);
    m_richEdit->setFocus();
    PosChange();
}

int THTML::LineCount() const { return m_richEdit->LineCount(); }

void THTML::PosChange() {
    m_panels[0]->setText(QString::number(m_richEdit->CaretCol()) + QLatin1Char(':') +
                         QString::number(m_richEdit->CaretRow()));
    m_panels[1]->setText(m_richEdit->Modified() ? QStringLiteral("modified...") : QString());
    m_panels[2]->clear();
    m_panels[3]->clear();
}

QString THTML::PanelText(int index) const {
    if (index < 0 || index >= 4) return QString();
    return m_panels[index]->text();
}

void THTML::FormCreate() { emit UserTagsRefresh(); }

bool THTML::FormCloseQuery() {
    if (!m_richEdit->Modified()) return true;
    switch (ts::messages().askYesNoCancel(this, Caption() + QStringLiteral(" is not yet saved! Save ?"))) {
    case ts::Answer::Yes:
        // A cancelled Save-as keeps the window open: closing would lose the
        // text the user just asked to keep.
        return Save();
    case ts::Answer::No: return true;
    default: return false;
    }
}

void THTML::CloseApproved() {
    m_closeApproved = true;
    FrameWindow()->close();
}

void THTML::closeEvent(QCloseEvent* e) {
    if (!m_closeApproved) {
        // A save that fails keeps the window: its text would be lost otherwise.
        bool mayClose = false;
        ts::runCommand(this, [&] { mayClose = FormCloseQuery(); });
        if (!mayClose) {
            e->ignore();
            return;
        }
    }
    e->accept();
    FormClose();
}

void THTML::FormClose() {
    // The window goes with everything it holds, find and replace dialogs included.
    if (QWidget* frame = FrameWindow(); frame != this) frame->setAttribute(Qt::WA_DeleteOnClose);
}

void THTML::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormCreate();
}

void THTML::sbSearchClick() { m_findDialog->Open(); }

void THTML::sbReplaceClick() { m_replaceDialog->Open(); }

void THTML::FindNext() { Find(m_findDialog->Request()); }

bool THTML::SearchText(const TFindRequest& request) {
    const ts::search::Range selection{static_cast<size_t>(m_richEdit->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART)),
                                      static_cast<size_t>(m_richEdit->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND))};
    const std::optional<ts::search::Range> match =
        ts::search::find(m_richEdit->DocumentBytes(), selection, request.text,
                         {request.down, request.matchCase, request.wholeWord});
    if (!match) return false;
    m_richEdit->SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(match->start),
                              static_cast<long>(match->end));
    return true;
}

void THTML::reportNotFound(const QString& text) {
    ts::messages().information(this, QStringLiteral("Cannot find \"") + text + QStringLiteral("\"."));
}

void THTML::Find(const TFindRequest& request) {
    if (!SearchText(request))
        reportNotFound(request.text);
}

void THTML::Replace(bool all) {
    const TFindRequest request = m_replaceDialog->Request();
    const QByteArray replacement = m_richEdit->ToDocumentBytes(m_replaceDialog->ReplaceText());
    auto sci = [this](unsigned int msg, unsigned long w = 0, long l = 0) {
        return m_richEdit->SendScintilla(msg, w, l);
    };
    TProgramChange change(*m_richEdit);

    const auto selStart = static_cast<size_t>(sci(QsciScintillaBase::SCI_GETSELECTIONSTART));
    const auto selEnd = static_cast<size_t>(sci(QsciScintillaBase::SCI_GETSELECTIONEND));
    const std::string_view selected = m_richEdit->DocumentBytes().substr(selStart, selEnd - selStart);
    if (ts::search::selectionMatches(selected, request.text)) {
        sci(QsciScintillaBase::SCI_SETTARGETRANGE, selStart, static_cast<long>(selEnd));
        sci(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()),
            reinterpret_cast<long>(replacement.constData()));
        sci(QsciScintillaBase::SCI_GOTOPOS, selStart + replacement.size());
    }

    if (!all) {
        if (!SearchText(request))
            reportNotFound(request.text);
        return;
    }
    // Every further match to the end of the text; matches before the caret
    // stay, nothing wraps around.
    ts::search::ReplaceAllSteps steps(request.text, QString::fromUtf8(replacement),
                                      {true, request.matchCase, request.wholeWord});
    const qint64 end = m_richEdit->ReplaceAll(steps, static_cast<qint64>(sci(QsciScintillaBase::SCI_GETSELECTIONEND)));
    if (end >= 0) sci(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(end), static_cast<long>(end));
}

void THTML::wirePalette() {
    auto command = [this](const char* name, void (THTML::*handler)()) {
        QToolButton* button = m_palette.button(QString::fromLatin1(name));
        connect(button, &QToolButton::clicked, this, [this, handler] { ts::runCommand(this, [&] { (this->*handler)(); }); });
        return button;
    };
    const std::pair<const char*, void (THTML::*)()> editing[] = {
        {"sbSearch", &THTML::sbSearchClick}, {"sbReplace", &THTML::sbReplaceClick},
        {"sbIndent", &THTML::sbIndentClick}, {"sbOutdent", &THTML::sbUnIndentClick},
        {"sbCut", &THTML::sbCutClick},       {"sbCopy", &THTML::sbCopyClick},
        {"sbPaste", &THTML::sbPasteClick},   {"sbUndo", &THTML::sbUndoClick},
        {"sbComponents", &THTML::sbComponentsClick},
    };
    QSet<QToolButton*> wired;
    for (const auto& [name, handler] : editing) wired << command(name, handler);
    m_richEdit->SetDropHandlers([this](const QMimeData* data) { return RichEditDragOver(data); },
                                [this](const QMimeData* data) { return RichEditDragDrop(data); });

    // The tag buttons get their commands from the application when it creates
    // the window; until then, and where a command is not built, they are disabled.
    for (QToolButton* button : m_palette.buttons)
        if (!wired.contains(button)) button->setEnabled(false);
    for (QAction* action : m_palette.menuActions) action->setEnabled(false);
}

void THTML::sbCutClick() { m_richEdit->cut(); }

void THTML::sbCopyClick() { m_richEdit->copy(); }

void THTML::sbPasteClick() { m_richEdit->paste(); }

void THTML::sbUndoClick() { m_richEdit->undo(); }

void THTML::sbIndentClick() {
    ts::indentLine(*m_richEdit);
    PosChange();
}

void THTML::sbUnIndentClick() {
    ts::unindentLine(*m_richEdit);
    PosChange();
}

void THTML::sbComponentsClick() {
    // Owned by the frame, so it outlives this document but not the program.
    TComps::open(window() != this ? window() : nullptr);
}

namespace {

bool holdsLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
}

} // namespace

bool THTML::RichEditDragOver(const QMimeData* data) const {
    return ts::componentCaptionFromDrop(data).has_value() || holdsLocalFiles(data);
}

bool THTML::RichEditDragDrop(const QMimeData* data) {
    const std::optional<QString> caption = ts::componentCaptionFromDrop(data);
    if (!caption) {
        if (!holdsLocalFiles(data)) return false;
        emit FilesDropped(data);
        return true;
    }
    ts::runCommand(this, [&] { InsComponent(*caption); });
    return true;
}

void THTML::InsComponent(const QString& caption) {
    const std::optional<QString> snippet = ts::snippetFor(caption);
    if (!snippet) return;
    ts::insertAtCaret(*m_richEdit, *snippet, false);
    PosChange();
}
