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
#include "platform/commondialogs.h"
#include "settings/tprefsrecord.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSet>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace {

// One question about files on disk at a time, whichever document asks.
bool g_diskQuestionOpen = false;

} // namespace

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
    connect(m_richEdit, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int pos, int type, const char*, int length) {
                // Told just before each edit (see TSRichEdit): an insertion's
                // bytes are read by the journal once they are in.
                if (!m_journal) return;
                if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT) m_journal->InsertAnnounced(pos, length);
                else if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE) m_journal->Delete(pos, length);
            });
    // Undone back to the saved text: nothing left to recover.
    connect(m_richEdit, &QsciScintilla::modificationChanged, this, [this](bool modified) {
        if (m_journal && !modified && !m_richEdit->Modified()) m_journal->Discard();
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
    m_diskWatch = new ts::TDiskWatch(this);
    connect(m_diskWatch, &ts::TDiskWatch::Changed, this, &THTML::diskFileChanged);
    // A question about the file must not take the keys meant for the text.
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(1000);
    connect(m_typing, &QTimer::timeout, this, [this] {
        if (std::exchange(m_diskCheckDue, false)) ts::runCommand(this, [this] { CheckDiskFile(); });
    });
    m_richEdit->installEventFilter(this);
    FormCreate();
}

THTML::~THTML() {
    // A document that goes away leaves no journal: it was saved, or the user
    // chose not to keep its changes.
    m_journal.reset();
}

void THTML::startJournal(bool fileBased, const ts::FileIdentity& base) {
    const QString folder = ts::recoveryFolder();
    if (folder.isEmpty()) return;
    if (!m_journal) {
        m_journal = std::make_unique<ts::TDocumentJournal>(folder, [this] { return m_richEdit->DocumentBytes(); });
        // Only the range itself: making the whole text contiguous at every
        // keystroke would move megabytes in a large file.
        m_journal->SetRangeSource([this](qint64 pos, qint64 length) {
            const auto* p = reinterpret_cast<const char*>(m_richEdit->SendScintilla(
                QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(pos), static_cast<long>(length)));
            return std::string_view(p, static_cast<size_t>(length));
        });
        connect(m_journal.get(), &ts::TDocumentJournal::WriteFailed, this, [this](const QString& reason) {
            ts::messages().warning(this, QStringLiteral("The recovery journal of %1 cannot be written (%2). "
                                                        "Editing goes on, but these changes cannot be "
                                                        "recovered after a crash.")
                                             .arg(Caption(), reason));
        });
    }
    const ts::LineBreak lineBreak = m_richEdit->LineBreak();
    m_journal->Reset({m_fileName, m_format, lineBreak, base}, fileBased);
}

void THTML::SetFileName(const QString& name) { m_fileName = name; }

QWidget* THTML::FrameWindow() const {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
    return const_cast<THTML*>(this);
}

void THTML::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (FrameWindow() != this) FrameWindow()->setWindowTitle(caption);
}

QString THTML::Caption() const { return windowTitle(); }

void THTML::maximiseInFrame() { FrameWindow()->showMaximized(); }

void THTML::applySettingsAppearance(const TPrefsRecord& prefs) {
    m_richEdit->ApplyAppearance(prefs.StdFont, prefs.StdFontSize, prefs.TextCol, prefs.BGCol);
    m_richEdit->SetTagColours(prefs.Links, prefs.Images, prefs.Other);
}

void THTML::LoadDocument() {
    // Loading is not an edit; the journal starts again from the loaded file.
    m_journal.reset();
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

    struct EditorSink : ts::DocumentSink {
        TSRichEdit* editor;
        void begin(qint64 sizeHint) override { editor->BeginLoad(sizeHint); }
        void append(std::string_view utf8) override { editor->AppendLoaded(utf8); }
    } sink;
    sink.editor = m_richEdit;
    ts::DocumentShape shape;
    forgetDiskFile();
    // The caption shows the name as given; the document keeps the absolute
    // path, which a later change of the program's folder does not move.
    const QString named = m_fileName;
    m_fileName = QDir::current().filePath(m_fileName);
    try {
        ts::offerSaveBackup(this, m_fileName);
        shape = ts::streamDocumentFile(m_fileName, sink);
    } catch (...) {
        // A file that cannot be read leaves the window open, empty and as it was.
        m_richEdit->BeginLoad(0);
        m_richEdit->EndLoad();
        m_richEdit->SetAppearance(oldFont, oldText, oldBackground);
        m_richEdit->SetTagColours(oldLinks, oldImages, oldOther);
        throw;
    }
    m_richEdit->EndLoad();
    m_format = shape.format;
    m_richEdit->SetLineBreak(shape.lineBreak);

    if (prefs.ShowComp) sbComponentsClick();
    SetCaption(named);

    m_richEdit->setFocus();
    m_richEdit->ClearModified();
    startJournal(true, shape.identity);
    setDiskFile(shape.identity);
    PosChange();
}

void THTML::InitNewDocument(bool noTemplate) {
    m_journal.reset();
    forgetDiskFile();
    SetCaption(untitledName());
    const TPrefsRecord prefs = TPrefsRecord::loadForEditor();
    if (prefs.DocMaxi) maximiseInFrame();

    m_format = ts::DocumentFormat{};
    m_richEdit->SetLineBreak(ts::LineBreak::CrLf);
    if (prefs.MinDoc && !noTemplate) {
        const QDateTime now = ts::clock().now();
        const QStringList lines = newDocumentTemplate(ts::clock().shortDate(now.date()),
                                                      ts::clock().longTime(now.time()), prefs.Author,
                                                      prefs.EMail);
        for (const QString& line : lines) m_richEdit->InsertLine(m_richEdit->LineCount(), line);
        // The template is the starting point, not an edit to undo.
        m_richEdit->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        m_richEdit->ClearModified();
    }

    applySettingsAppearance(prefs);
    if (prefs.ShowComp) sbComponentsClick();

    m_richEdit->setFocus();
    m_richEdit->ClearModified();
    startJournal(false, {});
    PosChange();
}

void THTML::RecoverDocument(const ts::RecoveredDocument& recovered) {
    m_journal.reset();
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
    m_fileName = recovered.header.fileName;
    m_format = recovered.header.format;
    m_richEdit->SetDocumentBytes(recovered.text);
    m_richEdit->SetLineBreak(recovered.header.lineBreak);
    SetCaption(m_fileName);
    m_richEdit->SetUnsaved();
    // The file keeps the identity it had when the journal began, so that a
    // change on disk since then is still noticed. The old journal goes once
    // this one is on disk, so the text is written before the window shows.
    startJournal(false, recovered.header.base);
    if (m_journal) {
        m_journal->RequestSnapshot();
        m_journal->Flush();
    }
    // The file as it was when the journal began: unchanged since, it is
    // saved over without a question.
    if (m_fileName == untitledName()) forgetDiskFile();
    else setDiskFile(recovered.header.base);
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

namespace {

// Only A to Z are lowered, as the caption after Save as has always shown.
QString lowerAsciiLetters(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    return s;
}

QString bareFileName(const QString& path) {
    const qsizetype cut = std::max({path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':')),
                                    path.lastIndexOf(QLatin1Char('/'))});
    return path.mid(cut + 1);
}

} // namespace

bool THTML::Save() {
    bool saved = true;
    if (m_fileName == untitledName()) saved = SaveAs();
    else saved = confirmOverwrite() && WriteFile();
    PosChange();
    return saved;
}

bool THTML::SaveAs() {
    const std::optional<QString> name = ts::commonDialogs().saveFileName(this);
    if (!name) return false;
    // The chosen file is replaced as it is; what was known of the old one does not apply.
    forgetDiskFile();
    m_fileName = *name;
    SetCaption(lowerAsciiLetters(bareFileName(*name)));
    if (!WriteFile()) return false;
    emit SavedAs(m_fileName);
    return true;
}

bool THTML::WriteFile() {
    ts::EncodedDocument encoded = ts::encodeDocument(m_richEdit->DocumentBytes(), m_format);
    if (!encoded.unmappable.isEmpty()) {
        // Dropping or replacing the characters would change the text behind
        // the user's back; UTF-8 keeps every one of them.
        const QString text =
            QStringLiteral("The document \u00BB%1\u00AB holds characters that Windows-1252 cannot store. "
                           "Save it as UTF-8?")
                .arg(m_fileName);
        if (ts::messages().askYesNo(this, text) != ts::Answer::Yes) return false;
        m_format = ts::DocumentFormat{ts::TextEncoding::Utf8, false};
        encoded = ts::encodeDocument(m_richEdit->DocumentBytes(), m_format);
    }
    const ts::FileIdentity written = ts::saveDocumentFile(m_fileName, encoded);
    m_richEdit->ClearModified();
    startJournal(true, written);
    // Our own write is not a change on disk to ask about.
    setDiskFile(written);
    return true;
}

void THTML::setDiskFile(const ts::FileIdentity& identity) {
    m_diskKnown = true;
    m_diskBase = m_diskSeen = identity;
    m_diskWatch->Watch(m_fileName);
}

void THTML::forgetDiskFile() {
    m_diskKnown = false;
    m_diskWatch->Stop();
}

bool THTML::confirmOverwrite() {
    if (!m_diskKnown) return true;
    const ts::FileIdentity now = ts::FileIdentity::of(m_fileName);
    // A deleted file loses nothing when it is written again.
    if (!now.exists || now.same(m_diskBase)) return true;
    QScopedValueRollback<bool> asking(g_diskQuestionOpen, true);
    return ts::messages().askYesNo(this,
                                   QStringLiteral("%1 has been changed on disk since it was opened or last "
                                                  "saved. Overwrite it?")
                                       .arg(m_fileName),
                                   ts::Answer::No) == ts::Answer::Yes;
}

bool THTML::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_richEdit && (e->type() == QEvent::KeyPress || e->type() == QEvent::InputMethod))
        m_typing->start();
    return QWidget::eventFilter(watched, e);
}

void THTML::diskFileChanged() {
    if (m_typing->isActive()) {
        m_diskCheckDue = true;
        return;
    }
    ts::runCommand(this, [this] { CheckDiskFile(); });
}

void THTML::CheckDiskFile() {
    m_diskCheckDue = false;
    if (!m_diskKnown || m_fileName == untitledName()) return;
    if (g_diskQuestionOpen || QApplication::activeModalWidget()) {
        // Not on top of another question or dialog: looked at again once it is gone.
        m_diskWatch->Poke();
        return;
    }
    m_diskWatch->Rewatch();
    const ts::FileIdentity now = ts::FileIdentity::of(m_fileName);
    if (now.same(m_diskSeen)) return;
    // Asked once per change, whatever the answer.
    m_diskSeen = now;
    QScopedValueRollback<bool> asking(g_diskQuestionOpen, true);
    if (!now.exists) {
        // The editor holds the only copy now: closing must ask to save it.
        m_richEdit->SetUnsaved();
        journalWholeText();
        PosChange();
        ts::messages().warning(this, QStringLiteral("%1 has been deleted on disk. Its text is kept in the editor.")
                                         .arg(Caption()));
        return;
    }
    const QString question = m_richEdit->Modified()
                                 ? QStringLiteral("%1 has been changed on disk. Reload it and lose your changes?")
                                 : QStringLiteral("%1 has been changed on disk. Reload it?");
    const QPointer<THTML> self(this);
    const ts::Answer answer = ts::messages().askYesNo(this, question.arg(Caption()), ts::Answer::No);
    if (!self) return;
    if (answer == ts::Answer::Yes) reloadFile();
    else journalWholeText();
}

void THTML::reloadFile() {
    ts::LoadedDocument loaded = ts::loadDocumentFile(m_fileName);
    // The caret and the view stay where they were, as far as the new text reaches.
    const int row = m_richEdit->CaretRow(), col = m_richEdit->CaretCol();
    const long firstLine = m_richEdit->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    // The journal starts again from the file; the replacement is no edit to keep.
    m_journal.reset();
    m_richEdit->ReplaceDocumentBytes(loaded.utf8);
    loaded.utf8.clear();
    m_format = loaded.format;
    m_richEdit->SetLineBreak(loaded.lineBreak);
    m_richEdit->ClearModified();
    m_richEdit->SetCaretRow(row);
    m_richEdit->SetCaretCol(col);
    m_richEdit->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(firstLine));
    startJournal(true, loaded.identity);
    setDiskFile(loaded.identity);
    PosChange();
}

void THTML::journalWholeText() {
    // Edits that refer to the old file would not replay on the new one; the
    // header keeps the old file's identity, so that a recovered text still
    // asks before it overwrites the change.
    if (!m_journal) return;
    m_journal->DetachFromFile();
    // A deleted file leaves the editor with the only copy of the text.
    if (m_richEdit->Modified() && !m_journal->HoldsText()) m_journal->RequestSnapshot();
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
    // Every further match to the end of the text, computed in one pass and
    // written as one edit; matches before the caret stay, nothing wraps around.
    const ts::search::Range selection{static_cast<size_t>(sci(QsciScintillaBase::SCI_GETSELECTIONSTART)),
                                      static_cast<size_t>(sci(QsciScintillaBase::SCI_GETSELECTIONEND))};
    const ts::search::ReplaceAllPlan plan =
        ts::search::planReplaceAll(m_richEdit->DocumentBytes(), selection, request.text,
                                   QString::fromUtf8(replacement), {true, request.matchCase, request.wholeWord});
    if (plan.count == 0) return;
    sci(QsciScintillaBase::SCI_SETTARGETRANGE, plan.replaced.start, static_cast<long>(plan.replaced.end));
    sci(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(plan.replacement.size()),
        reinterpret_cast<long>(plan.replacement.data()));
    sci(QsciScintillaBase::SCI_SETSEL, plan.finalSelection.start, static_cast<long>(plan.finalSelection.end));
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
