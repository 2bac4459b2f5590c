#include "editor/tdocument.h"

#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "platform/commondialogs.h"
#include "platform/messages.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

// One question about files on disk at a time, whichever document asks.
bool g_diskQuestionOpen = false;

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

TDocument::TDocument(TSRichEdit& editor, QWidget* dialogParent)
    : QObject(nullptr), m_editor(editor), m_dialogParent(dialogParent ? dialogParent : &editor) {
    connect(&m_editor, &QsciScintillaBase::SCN_MODIFIED, this, [this](int pos, int type, const char*, int length) {
        // Told just before each edit (see TSRichEdit): an insertion's
        // bytes are read by the journal once they are in.
        if (!m_journal) return;
        if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT) m_journal->InsertAnnounced(pos, length);
        else if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE) m_journal->Delete(pos, length);
    });
    // Undone back to the saved text: nothing left to recover.
    connect(&m_editor, &QsciScintilla::modificationChanged, this, [this](bool modified) {
        if (m_journal && !modified && !m_editor.Modified()) m_journal->Discard();
    });
    m_diskWatch = new ts::TDiskWatch(this);
    connect(m_diskWatch, &ts::TDiskWatch::Changed, this, &TDocument::diskFileChanged);
    // A question about the file must not take the keys meant for the text.
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(1000);
    connect(m_typing, &QTimer::timeout, this, [this] {
        if (std::exchange(m_diskCheckDue, false)) ts::runCommand(m_dialogParent, [this] { CheckDiskFile(); });
    });
    m_editor.installEventFilter(this);
    connect(&m_editor, &TSRichEdit::Loaded, this, &TDocument::loadedInBackground);
    connect(&m_editor, &TSRichEdit::LoadFailed, this, &TDocument::notLoaded);
}

TDocument::~TDocument() { m_journal.reset(); }

void TDocument::SetCaption(const QString& caption) {
    m_caption = caption;
    emit CaptionChanged(caption);
}

void TDocument::startJournal(bool fileBased, const ts::FileIdentity& base) {
    const QString folder = ts::recoveryFolder();
    if (folder.isEmpty()) return;
    if (!m_journal) {
        m_journal = std::make_unique<ts::TDocumentJournal>(folder, [this] { return m_editor.DocumentBytes(); });
        // Only the range itself: making the whole text contiguous at every
        // keystroke would move megabytes in a large file.
        m_journal->SetRangeSource([this](qint64 pos, qint64 length) {
            const auto* p = reinterpret_cast<const char*>(m_editor.SendScintilla(
                QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(pos), static_cast<long>(length)));
            return std::string_view(p, static_cast<size_t>(length));
        });
        connect(m_journal.get(), &ts::TDocumentJournal::WriteFailed, this, [this](const QString& reason) {
            ts::messages().warning(m_dialogParent, QStringLiteral("The recovery journal of %1 cannot be written (%2). "
                                                                  "Editing goes on, but these changes cannot be "
                                                                  "recovered after a crash.")
                                                       .arg(m_caption, reason));
        });
    }
    m_journal->Reset({m_fileName, m_format, m_editor.LineBreak(), base}, fileBased);
}

void TDocument::Load() {
    // Loading is not an edit; the journal starts again from the loaded file.
    m_journal.reset();
    m_pendingShape.reset();
    struct EditorSink : ts::DocumentSink {
        TSRichEdit* editor;
        void begin(qint64 sizeHint) override { editor->BeginLoad(sizeHint); }
        void append(std::string_view utf8) override { editor->AppendLoaded(utf8); }
    } sink;
    sink.editor = &m_editor;
    ts::DocumentShape shape;
    forgetDiskFile();
    // The caption shows the name as given; the document keeps the absolute
    // path, which a later change of the program's folder does not move.
    const QString named = m_fileName;
    m_fileName = QDir::current().filePath(m_fileName);
    try {
        ts::offerSaveBackup(m_dialogParent, m_fileName);
        auto file = std::make_shared<const ts::OpenedDocumentFile>(ts::openDocumentFile(m_fileName));
        if (file->identity.size > s_backgroundFrom) return loadInBackground(named, std::move(file));
        shape = ts::streamDocumentFile(*file, sink);
    } catch (...) {
        // A file that cannot be read leaves the editor empty.
        m_editor.BeginLoad(0);
        m_editor.EndLoad();
        notLoaded();
        throw;
    }
    m_editor.EndLoad();
    m_format = shape.format;
    m_editor.SetLineBreak(shape.lineBreak);
    SetCaption(named);
    m_editor.ClearModified();
    startJournal(true, shape.identity);
    setDiskFile(shape.identity);
    emit StatusChanged();
}

void TDocument::loadInBackground(const QString& named, std::shared_ptr<const ts::OpenedDocumentFile> file) {
    // Both readings go through the one opened file: a file renamed, replaced
    // or deleted meanwhile is still the file that was opened.
    const qint64 size = file->identity.size;
    auto shape = std::make_shared<ts::DocumentShape>();
    auto read = [&](ts::TextEncoding encoding, qint64 sizeHint) {
        m_editor.LoadInBackground(sizeHint, [file, shape, encoding](ts::DocumentSink& sink) {
            *shape = ts::streamDocumentFile(*file, sink, ts::kReadPiece, encoding);
        });
    };
    // Most files are UTF-8: that reading starts while this one checks the
    // whole file, so that a file that cannot be opened throws here.
    read(ts::TextEncoding::Utf8, size);
    struct FirstLines : ts::DocumentSink {
        std::string text;
        void begin(qint64) override { text.clear(); }
        void append(std::string_view utf8) override {
            if (text.size() < ts::kReadPiece) text.append(utf8);
        }
    } first;
    const ts::DocumentShape checked = ts::streamDocumentFile(*file, first);
    if (checked.format.encoding != ts::TextEncoding::Utf8) read(checked.format.encoding, size + size / 4);
    // Whole lines only, when there is a line break to end them.
    const size_t end = first.text.find_last_of("\r\n");
    m_editor.ShowFirstLines(std::string_view(first.text).substr(0, end == std::string::npos ? first.text.size() : end + 1));
    m_pendingShape = shape;
    m_format = checked.format;
    m_editor.SetLineBreak(checked.lineBreak);
    SetCaption(named);
    emit StatusChanged();
}

void TDocument::notLoaded() {
    m_pendingShape.reset();
    // The empty editor is not the file's text: a Save asks for a name
    // instead of writing nothing over the file.
    m_fileName = untitledName();
}

void TDocument::loadedInBackground() {
    if (!m_pendingShape) return;
    // As read the second time, which is the text the editor holds.
    const ts::DocumentShape shape = *std::exchange(m_pendingShape, nullptr);
    m_format = shape.format;
    m_editor.SetLineBreak(shape.lineBreak);
    m_editor.ClearModified();
    startJournal(true, shape.identity);
    setDiskFile(shape.identity);
    emit StatusChanged();
}

void TDocument::New(const QStringList& templateLines) {
    m_journal.reset();
    m_pendingShape.reset();
    forgetDiskFile();
    SetCaption(untitledName());
    m_format = ts::DocumentFormat{};
    m_editor.SetDocumentBytes(QByteArray());
    m_editor.SetLineBreak(ts::LineBreak::CrLf);
    if (!templateLines.isEmpty()) {
        for (const QString& line : templateLines) m_editor.InsertLine(m_editor.LineCount(), line);
        // The template is the starting point, not an edit to undo.
        m_editor.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    }
    m_editor.ClearModified();
    startJournal(false, {});
    emit StatusChanged();
}

void TDocument::Recover(const ts::RecoveredDocument& recovered) {
    m_journal.reset();
    m_pendingShape.reset();
    m_fileName = recovered.header.fileName;
    m_format = recovered.header.format;
    m_editor.SetDocumentBytes(recovered.text);
    m_editor.SetLineBreak(recovered.header.lineBreak);
    SetCaption(m_fileName);
    m_editor.SetUnsaved();
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
    emit StatusChanged();
}

bool TDocument::Save() {
    // The whole text, and the file as it was read, before anything is decided.
    m_editor.FinishLoad();
    bool saved = true;
    if (m_fileName == untitledName()) saved = SaveAs();
    else saved = confirmOverwrite() && WriteFile();
    emit StatusChanged();
    return saved;
}

bool TDocument::SaveAs() {
    m_editor.FinishLoad();
    const std::optional<QString> name = ts::commonDialogs().saveFileName(m_dialogParent);
    if (!name) return false;
    // The chosen file is replaced as it is; what was known of the old one does not apply.
    forgetDiskFile();
    m_fileName = *name;
    SetCaption(lowerAsciiLetters(bareFileName(*name)));
    if (!WriteFile()) return false;
    emit SavedAs(m_fileName);
    return true;
}

bool TDocument::WriteFile() {
    m_editor.FinishLoad();
    ts::EncodedDocument encoded = ts::encodeDocument(m_editor.DocumentBytes(), m_format);
    if (!encoded.unmappable.isEmpty()) {
        // Dropping or replacing the characters would change the text behind
        // the user's back; UTF-8 keeps every one of them.
        const QString text =
            QStringLiteral("The document \u00BB%1\u00AB holds characters that Windows-1252 cannot store. "
                           "Save it as UTF-8?")
                .arg(m_fileName);
        if (ts::messages().askYesNo(m_dialogParent, text) != ts::Answer::Yes) return false;
        m_format = ts::DocumentFormat{ts::TextEncoding::Utf8, false};
        encoded = ts::encodeDocument(m_editor.DocumentBytes(), m_format);
    }
    const ts::FileIdentity written = ts::saveDocumentFile(m_fileName, encoded);
    m_editor.ClearModified();
    startJournal(true, written);
    // Our own write is not a change on disk to ask about.
    setDiskFile(written);
    return true;
}

void TDocument::setDiskFile(const ts::FileIdentity& identity) {
    m_diskKnown = true;
    m_diskBase = m_diskSeen = identity;
    m_diskWatch->Watch(m_fileName);
}

void TDocument::forgetDiskFile() {
    m_diskKnown = false;
    m_diskWatch->Stop();
}

bool TDocument::confirmOverwrite() {
    if (!m_diskKnown) return true;
    const ts::FileIdentity now = ts::FileIdentity::of(m_fileName);
    // A deleted file loses nothing when it is written again.
    if (!now.exists || now.same(m_diskBase)) return true;
    QScopedValueRollback<bool> asking(g_diskQuestionOpen, true);
    return ts::messages().askYesNo(m_dialogParent,
                                   QStringLiteral("%1 has been changed on disk since it was opened or last "
                                                  "saved. Overwrite it?")
                                       .arg(m_fileName),
                                   ts::Answer::No) == ts::Answer::Yes;
}

bool TDocument::eventFilter(QObject* watched, QEvent* e) {
    if (watched == &m_editor && (e->type() == QEvent::KeyPress || e->type() == QEvent::InputMethod))
        m_typing->start();
    return QObject::eventFilter(watched, e);
}

void TDocument::diskFileChanged() {
    if (m_typing->isActive()) {
        m_diskCheckDue = true;
        return;
    }
    ts::runCommand(m_dialogParent, [this] { CheckDiskFile(); });
}

void TDocument::CheckDiskFile() {
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
        m_editor.SetUnsaved();
        journalWholeText();
        emit StatusChanged();
        ts::messages().warning(m_dialogParent,
                               QStringLiteral("%1 has been deleted on disk. Its text is kept in the editor.")
                                   .arg(m_caption));
        return;
    }
    const QString question = m_editor.Modified()
                                 ? QStringLiteral("%1 has been changed on disk. Reload it and lose your changes?")
                                 : QStringLiteral("%1 has been changed on disk. Reload it?");
    // The window may be closed while the question is open.
    const QPointer<TDocument> self(this);
    const ts::Answer answer = ts::messages().askYesNo(m_dialogParent, question.arg(m_caption), ts::Answer::No);
    if (!self) return;
    if (answer == ts::Answer::Yes) reloadFile();
    else journalWholeText();
}

void TDocument::reloadFile() {
    ts::LoadedDocument loaded = ts::loadDocumentFile(m_fileName);
    // The caret and the view stay where they were, as far as the new text reaches.
    const int row = m_editor.CaretRow(), col = m_editor.CaretCol();
    const long firstLine = m_editor.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    // The journal starts again from the file; the replacement is no edit to keep.
    m_journal.reset();
    m_editor.ReplaceDocumentBytes(loaded.utf8);
    loaded.utf8.clear();
    m_format = loaded.format;
    m_editor.SetLineBreak(loaded.lineBreak);
    m_editor.ClearModified();
    m_editor.SetCaretRow(row);
    m_editor.SetCaretCol(col);
    m_editor.SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(firstLine));
    startJournal(true, loaded.identity);
    setDiskFile(loaded.identity);
    emit StatusChanged();
}

void TDocument::journalWholeText() {
    // Edits that refer to the old file would not replay on the new one; the
    // header keeps the old file's identity, so that a recovered text still
    // asks before it overwrites the change.
    if (!m_journal) return;
    m_journal->DetachFromFile();
    // A deleted file leaves the editor with the only copy of the text.
    if (m_editor.Modified() && !m_journal->HoldsText()) m_journal->RequestSnapshot();
}
