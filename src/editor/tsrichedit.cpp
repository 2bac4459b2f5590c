#include "editor/tsrichedit.h"

#include "editor/accessibility.h"
#include "editor/docfile.h"
#include "editor/docloader.h"
#include "editor/search.h"
#include "editor/taglexer.h"
#include "platform/command.h"

#include <QAccessible>
#include <QDragEnterEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <exception>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {
// Thrown into a background reading that is no longer wanted.
struct BackgroundLoadCancelled {};

std::vector<TSRichEdit*>& editorsLoading() {
    static std::vector<TSRichEdit*> editors;
    return editors;
}
} // namespace

struct TSRichEdit::Background {
    std::unique_ptr<ts::DocumentLoader> loader;
    bool unstyled = false;
    std::atomic<bool> cancelled{false};
    std::exception_ptr failure;
    std::thread thread;
};

TSRichEdit::TSRichEdit(QWidget* parent) : QsciScintilla((installEditorAccessibility(), parent)) {
    setObjectName(QStringLiteral("RichEdit"));
    setUtf8(true);
    setWrapMode(QsciScintilla::WrapNone);
    setMarginWidth(0, 0);
    setMarginWidth(1, 0);
    setFolding(QsciScintilla::NoFoldStyle);
    setAutoIndent(false);
    setIndentationsUseTabs(false);
    setBraceMatching(QsciScintilla::NoBraceMatch);
    setAutoCompletionSource(QsciScintilla::AcsNone);
    setEolVisibility(false);
    setCaretLineVisible(false);
    // Drops are taken (from the catalogue) or refused by the handlers below.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Lines scroll horizontally as far as the longest line needs.
    sci(SCI_SETSCROLLWIDTHTRACKING, 1);
    sci(SCI_SETSCROLLWIDTH, 1);
    // The notices sent just before an insertion or a deletion feed the
    // recovery journal (position and length; it reads inserted bytes later).
    // The notices sent after an edit make QScintilla count the characters
    // from the start of the text for screen readers, whatever accessible
    // object answers: a fifth of a second per keystroke deep in a 50 MB file.
    // They are asked for only while an assistive technology is active.
    sci(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE |
                                 (QAccessible::isActive() ? SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT : 0));
    // Styling happens after painting, in idle time: a jump deep into a large
    // file shows at once instead of styling everything above it first.
    sci(SCI_SETIDLESTYLING, SC_IDLESTYLING_TOVISIBLE);
    // The selection is shown only while the editor has the focus.
    sci(SCI_HIDESELECTION, hasFocus() ? 0 : 1);
    m_restyle = new QTimer(this);
    m_restyle->setSingleShot(true);
    connect(m_restyle, &QTimer::timeout, this, &TSRichEdit::restyleStep);

    m_lexer = new TTagLexer(this);
    setLexer(m_lexer);
    ApplyAppearance(QString(), 0, 0x000000, 0xFFFFFF);
    SetLineBreak(ts::LineBreak::CrLf);

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, [this] {
        ++m_edits;
        scheduleStatus();
    });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (SC_UPDATE_CONTENT | SC_UPDATE_SELECTION)) emit StatusChanged();
    });
    connect(this, &QsciScintilla::selectionChanged, this, &TSRichEdit::StatusChanged);
    connect(this, &QsciScintilla::cursorPositionChanged, this, &TSRichEdit::StatusChanged);
    connect(this, &QsciScintilla::modificationChanged, this, &TSRichEdit::StatusChanged);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit OnHScroll(this); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit OnVScroll(this); });
}

TSRichEdit::~TSRichEdit() { cancelBackground(); }

qint64 TSRichEdit::sci(unsigned int msg, quintptr w, qintptr l) const {
    return SendScintilla(msg, static_cast<unsigned long>(w), static_cast<long>(l));
}

void TSRichEdit::scheduleStatus() {
    // The notification arrives in the middle of the edit, before the caret has
    // moved; refresh once the edit is complete.
    if (m_statusPending) return;
    m_statusPending = true;
    QTimer::singleShot(0, this, [this] {
        m_statusPending = false;
        emit StatusChanged();
    });
}

int TSRichEdit::scintillaLines() const { return static_cast<int>(sci(SCI_GETLINECOUNT)); }

qint64 TSRichEdit::ByteLength() const {
    awaitText();
    return sci(SCI_GETLENGTH);
}

bool TSRichEdit::IsEmpty() const { return ByteLength() == 0; }

bool TSRichEdit::EndsWithLineBreak() const {
    const qint64 len = ByteLength();
    if (len == 0) return false;
    const char last = static_cast<char>(sci(SCI_GETCHARAT, len - 1));
    return last == '\n' || last == '\r';
}

// Not QsciScintilla::clear(), which also forgets the undo history.
void TSRichEdit::ClearText() {
    awaitText();
    sci(SCI_CLEARALL);
}

int TSRichEdit::LineCount() const {
    if (IsEmpty()) return 0;
    const int n = scintillaLines();
    return EndsWithLineBreak() ? n - 1 : n;
}

QString TSRichEdit::GetLine(int i) const {
    awaitText();
    if (i < 0 || i >= scintillaLines()) return QString();
    const qint64 start = sci(SCI_POSITIONFROMLINE, i);
    const qint64 end = sci(SCI_GETLINEENDPOSITION, i);
    if (end <= start) return QString();
    const char* p = reinterpret_cast<const char*>(sci(SCI_GETRANGEPOINTER, start, end - start));
    return QString::fromUtf8(p, end - start);
}

QByteArray TSRichEdit::ToDocumentBytes(const QString& s) const {
    QByteArray utf8 = s.toUtf8();
    if (utf8.indexOf('\r') < 0 && utf8.indexOf('\n') < 0) return utf8;
    const QByteArray eol = LineBreakBytes();
    QByteArray out;
    out.reserve(utf8.size() + utf8.size() / 8);
    for (qsizetype k = 0; k < utf8.size(); ++k) {
        const char c = utf8[k];
        if (c == '\r') {
            if (k + 1 < utf8.size() && utf8[k + 1] == '\n') ++k;
            out += eol;
        } else if (c == '\n') {
            out += eol;
        } else {
            out += c;
        }
    }
    return out;
}

void TSRichEdit::replaceBytes(qint64 start, qint64 end, const QByteArray& bytes) {
    sci(SCI_SETTARGETRANGE, start, end);
    sci(SCI_REPLACETARGET, bytes.size(), reinterpret_cast<qintptr>(bytes.constData()));
    sci(SCI_GOTOPOS, start + bytes.size());
}

void TSRichEdit::ReplaceLine(int i, const QString& s) {
    awaitText();
    i = std::clamp(i, 0, scintillaLines() - 1);
    const qint64 start = sci(SCI_POSITIONFROMLINE, i);
    const qint64 end = sci(SCI_GETLINEENDPOSITION, i);
    replaceBytes(start, end, ToDocumentBytes(s));
}

void TSRichEdit::InsertLine(int i, const QString& s) {
    awaitText();
    const int count = LineCount();
    i = std::clamp(i, 0, count);
    const QByteArray eol = LineBreakBytes();
    const QByteArray text = ToDocumentBytes(s);
    if (i < count || IsEmpty() || EndsWithLineBreak()) {
        const qint64 at = i < count ? sci(SCI_POSITIONFROMLINE, i) : ByteLength();
        replaceBytes(at, at, text + eol);
    } else {
        const qint64 at = ByteLength();
        replaceBytes(at, at, eol + text);
    }
}

int TSRichEdit::CaretRow() const {
    return static_cast<int>(sci(SCI_LINEFROMPOSITION, sci(SCI_GETSELECTIONSTART)));
}

int TSRichEdit::CaretCol() const {
    const qint64 pos = sci(SCI_GETSELECTIONSTART);
    const qint64 lineStart = sci(SCI_POSITIONFROMLINE, sci(SCI_LINEFROMPOSITION, pos));
    return static_cast<int>(sci(SCI_COUNTCHARACTERS, lineStart, pos));
}

void TSRichEdit::SetCaretRow(int row) {
    awaitText();
    row = std::clamp(row, 0, std::max(0, LineCount() - 1));
    sci(SCI_GOTOPOS, sci(SCI_POSITIONFROMLINE, row));
}

qint64 TSRichEdit::BytePosOf(int line, int col) const {
    awaitText();
    line = std::clamp(line, 0, scintillaLines() - 1);
    const qint64 start = sci(SCI_POSITIONFROMLINE, line);
    const qint64 end = sci(SCI_GETLINEENDPOSITION, line);
    if (col <= 0) return start;
    const qint64 chars = sci(SCI_COUNTCHARACTERS, start, end);
    if (col >= chars) return end;
    return sci(SCI_POSITIONRELATIVE, start, col);
}

void TSRichEdit::SetCaretCol(int col) {
    awaitText();
    const int line = static_cast<int>(sci(SCI_LINEFROMPOSITION, sci(SCI_GETCURRENTPOS)));
    sci(SCI_GOTOPOS, BytePosOf(line, col));
}

void TSRichEdit::BeginProgramChange() {
    awaitText();
    if (m_changeDepth++ == 0) sci(SCI_BEGINUNDOACTION);
}

void TSRichEdit::EndProgramChange() {
    if (m_changeDepth > 0 && --m_changeDepth == 0) sci(SCI_ENDUNDOACTION);
}

void TSRichEdit::LoadInBackground(qint64 sizeHint, BackgroundReader read) {
    cancelBackground();
    m_loader.reset();
    auto background = std::make_unique<Background>();
    background->unstyled = sizeHint > kUnstyledAbove;
    Background* b = background.get();
    const quint64 run = ++m_backgroundRun;
    b->thread = std::thread([this, b, run, sizeHint, read = std::move(read)] {
        struct Sink : ts::DocumentSink {
            Background* b = nullptr;
            bool begun = false;
            // The document was made for the size given to LoadInBackground.
            void begin(qint64) override {
                // Text appended before a second begin would be void; the
                // reader is told the encoding and never starts over.
                if (begun) throw std::logic_error("a background load started over");
                begun = true;
            }
            void append(std::string_view utf8) override {
                if (b->cancelled.load(std::memory_order_relaxed)) throw BackgroundLoadCancelled{};
                b->loader->append(utf8);
            }
        } sink;
        sink.b = b;
        try {
            // Making the new document touches nothing of the control's own
            // state, so it may be asked for here; its memory, as large as
            // the file, is then found away from the first lines' showing.
            b->loader = std::make_unique<ts::DocumentLoader>(*this, sizeHint, !b->unstyled);
            read(sink);
        } catch (const BackgroundLoadCancelled&) {
            return;
        } catch (...) {
            b->failure = std::current_exception();
        }
        // The editor joins this thread before it goes, and its posted calls go with it.
        QMetaObject::invokeMethod(
            this,
            [this, run] {
                if (run == m_backgroundRun && m_background) ts::runCommand(window(), [this] { FinishLoad(); });
            },
            Qt::QueuedConnection);
    });
    m_background = std::move(background);
    editorsLoading().push_back(this);
}

void TSRichEdit::ShowFirstLines(std::string_view utf8) {
    const bool unstyled = m_background && m_background->unstyled;
    {
        ts::DocumentLoader first(*this, qint64(utf8.size()), !unstyled);
        first.append(utf8);
        showDocument(first.take(), unstyled);
    }
    m_restyleFrom = -1;
    sci(SCI_SETSAVEPOINT);
    sci(SCI_GOTOPOS, 0);
    // Only a view until the whole text is in; its document has no undo.
    sci(SCI_SETREADONLY, 1);
}

void TSRichEdit::FinishLoad() {
    if (!m_background) return;
    const std::unique_ptr<Background> background = std::move(m_background);
    std::erase(editorsLoading(), this);
    if (background->thread.joinable()) background->thread.join();
    std::exception_ptr failure = background->failure;
    void* document = nullptr;
    if (!failure) {
        try {
            document = background->loader->take();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    background->loader.reset();
    if (failure) {
        // As a file that cannot be read at all: the editor empty.
        emit LoadFailed();
        BeginLoad(0);
        EndLoad();
        std::rethrow_exception(failure);
    }
    // The lines shown so far are the same lines of the whole text.
    const qint64 firstLine = sci(SCI_GETFIRSTVISIBLELINE);
    const qint64 xOffset = sci(SCI_GETXOFFSET);
    showDocument(document, background->unstyled);
    m_restyleFrom = -1;
    sci(SCI_SETUNDOCOLLECTION, 1);
    sci(SCI_EMPTYUNDOBUFFER);
    sci(SCI_SETSAVEPOINT);
    sci(SCI_GOTOPOS, 0);
    sci(SCI_SETFIRSTVISIBLELINE, firstLine);
    sci(SCI_SETXOFFSET, xOffset);
    emit Loaded();
}

void TSRichEdit::FinishAllLoads() {
    std::exception_ptr first;
    while (!editorsLoading().empty()) {
        try {
            editorsLoading().front()->FinishLoad();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

bool TSRichEdit::AnyLoading() { return !editorsLoading().empty(); }

void TSRichEdit::cancelBackground() {
    if (!m_background) return;
    const std::unique_ptr<Background> background = std::move(m_background);
    std::erase(editorsLoading(), this);
    background->cancelled = true;
    if (background->thread.joinable()) background->thread.join();
}

bool TSRichEdit::finishForInput(QEvent* e) {
    if (!m_background) return false;
    switch (e->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        FinishLoad();
        return true;
    default:
        return false;
    }
}

bool TSRichEdit::event(QEvent* e) {
    finishForInput(e);
    return QsciScintilla::event(e);
}

bool TSRichEdit::viewportEvent(QEvent* e) {
    finishForInput(e);
    return QsciScintilla::viewportEvent(e);
}

void TSRichEdit::BeginLoad(qint64 sizeHint) {
    // The text goes into a new document, built on a thread of its own and
    // shown once complete. Loading is not an edit: the new document has no
    // undo history, which would otherwise hold a second copy of the file.
    cancelBackground();
    m_loader.reset();
    m_loadUnstyled = sizeHint > kUnstyledAbove;
    m_loader = std::make_unique<ts::DocumentLoader>(*this, sizeHint, !m_loadUnstyled);
}

void TSRichEdit::AppendLoaded(std::string_view utf8) {
    if (!m_loader) BeginLoad(0);
    m_loader->append(utf8);
}

void TSRichEdit::EndLoad() {
    if (!m_loader) BeginLoad(0);
    const std::unique_ptr<ts::DocumentLoader> loader = std::move(m_loader);
    showDocument(loader->take(), m_loadUnstyled);
    m_restyleFrom = -1;
    sci(SCI_SETUNDOCOLLECTION, 1);
    sci(SCI_EMPTYUNDOBUFFER);
    sci(SCI_SETSAVEPOINT);
    sci(SCI_GOTOPOS, 0);
    emit Loaded();
}

void TSRichEdit::showDocument(void* document, bool unstyled) {
    // A large document keeps no style byte per character, which would double
    // its memory; its tags are coloured where it is shown (colourShown).
    // The code page, line break and tab settings belong to the document.
    const qint64 eol = sci(SCI_GETEOLMODE);
    const qint64 tabWidth = sci(SCI_GETTABWIDTH);
    const qint64 indent = sci(SCI_GETINDENT);
    const qint64 useTabs = sci(SCI_GETUSETABS);
    sci(SCI_SETDOCPOINTER, 0, reinterpret_cast<qintptr>(document));
    sci(SCI_RELEASEDOCUMENT, 0, reinterpret_cast<qintptr>(document)); // the control holds the only reference now
    sci(SCI_SETCODEPAGE, SC_CP_UTF8);
    sci(SCI_SETEOLMODE, eol);
    sci(SCI_SETTABWIDTH, tabWidth);
    sci(SCI_SETINDENT, indent);
    sci(SCI_SETUSETABS, useTabs);
    sci(SCI_SETLEXER, SCLEX_CONTAINER);
    m_unstyled = unstyled;
    m_shown = {};
}

void TSRichEdit::SetDocumentBytes(const QByteArray& utf8) {
    BeginLoad(utf8.size());
    AppendLoaded(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    EndLoad();
}

void TSRichEdit::ReplaceDocumentBytes(const QByteArray& utf8) {
    awaitText();
    BeginProgramChange();
    sci(SCI_SETTARGETRANGE, 0, ByteLength());
    sci(SCI_REPLACETARGET, utf8.size(), reinterpret_cast<qintptr>(utf8.constData()));
    EndProgramChange();
}

qint64 TSRichEdit::ReplaceAll(ts::search::ReplaceAllSteps& steps, qint64 from, size_t pieceBytes) {
    awaitText();
    // A few edits of moderate size rather than one over the whole text: the
    // control copies each edit for undo, and small copies are made quickly.
    TProgramChange change(*this);
    qint64 at = from;
    bool replaced = false;
    for (;;) {
        // The text after the last edit, where the control's gap is: reading
        // it moves nothing.
        const qint64 length = ByteLength();
        const auto* rest = reinterpret_cast<const char*>(sci(SCI_GETRANGEPOINTER, at, length - at));
        const ts::search::ReplaceAllSteps::Piece piece =
            steps.next(std::string_view(rest, static_cast<size_t>(length - at)), pieceBytes);
        if (piece.count == 0) break;
        sci(SCI_SETTARGETRANGE, at + qint64(piece.replaced.start), at + qint64(piece.replaced.end));
        sci(SCI_REPLACETARGET, piece.replacement.size(), reinterpret_cast<qintptr>(piece.replacement.data()));
        at += qint64(piece.replaced.start + piece.replacement.size());
        replaced = true;
    }
    return replaced ? at : -1;
}

std::string_view TSRichEdit::DocumentBytes() const {
    awaitText();
    const char* p = reinterpret_cast<const char*>(sci(SCI_GETCHARACTERPOINTER));
    return std::string_view(p, static_cast<size_t>(ByteLength()));
}

void TSRichEdit::SetLineBreak(ts::LineBreak lineBreak) {
    switch (lineBreak) {
    case ts::LineBreak::CrLf: setEolMode(QsciScintilla::EolWindows); break;
    case ts::LineBreak::Lf: setEolMode(QsciScintilla::EolUnix); break;
    case ts::LineBreak::Cr: setEolMode(QsciScintilla::EolMac); break;
    }
}

ts::LineBreak TSRichEdit::LineBreak() const {
    switch (eolMode()) {
    case QsciScintilla::EolUnix: return ts::LineBreak::Lf;
    case QsciScintilla::EolMac: return ts::LineBreak::Cr;
    default: return ts::LineBreak::CrLf;
    }
}

QByteArray TSRichEdit::LineBreakBytes() const { return ts::lineBreakBytes(LineBreak()); }

bool TSRichEdit::Modified() const { return m_unsaved || sci(SCI_GETMODIFY) != 0; }

void TSRichEdit::ClearModified() {
    m_unsaved = false;
    sci(SCI_SETSAVEPOINT);
}

void TSRichEdit::SetUnsaved() {
    awaitText();
    m_unsaved = true;
    emit StatusChanged();
}

QColor TSRichEdit::ColourFromBgr(qint32 bgr) {
    const quint32 v = static_cast<quint32>(bgr);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

void TSRichEdit::ApplyAppearance(const QString& fontName, int pointSize, qint32 textColour,
                                 qint32 backgroundColour) {
    // Nothing stored yet gives empty name, size 0 and black on black: the
    // text and the caret would be invisible. Stored values that differ stay as they are.
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!fontName.isEmpty()) f.setFamily(fontName);
    f.setPointSize(pointSize > 0 ? pointSize : 10);
    if (textColour == backgroundColour) SetAppearance(f, Qt::black, Qt::white);
    else SetAppearance(f, ColourFromBgr(textColour), ColourFromBgr(backgroundColour));
}

void TSRichEdit::SetAppearance(const QFont& f, const QColor& text, const QColor& background) {
    m_font = f;
    m_textColour = text;
    m_backgroundColour = background;

    // Text and paper use the settings, applied unchanged even when they are equal.
    m_lexer->setFont(f, -1);
    m_lexer->setPaper(m_backgroundColour, -1);
    m_lexer->setDefaultPaper(m_backgroundColour);
    m_lexer->setDefaultColor(m_textColour);
    applyColours();
    setLexer(m_lexer);
    setCaretForegroundColor(m_textColour);
    setPaper(m_backgroundColour);
    setColor(m_textColour);
    setFont(f);
}

void TSRichEdit::SetTagColours(qint32 links, qint32 images, qint32 other) {
    m_links = ColourFromBgr(links);
    m_images = ColourFromBgr(images);
    m_other = ColourFromBgr(other);
    applyColours();
}

void TSRichEdit::applyColours() {
    m_lexer->SetColours(m_textColour, m_links, m_images, m_other);
    const QColor colours[3] = {m_links, m_images, m_other};
    for (int k = 0; k < 3; ++k) {
        sci(SCI_INDICSETSTYLE, kTagIndicator + k, INDIC_TEXTFORE);
        const QColor& c = colours[k];
        sci(SCI_INDICSETFORE, kTagIndicator + k, c.red() | (c.green() << 8) | (c.blue() << 16));
    }
}

namespace {

// When the user last typed or used the mouse anywhere in the program.
class InputWatch : public QObject {
public:
    InputWatch() : QObject(QCoreApplication::instance()) {
        m_last.start();
        QCoreApplication::instance()->installEventFilter(this);
    }
    qint64 msSince() const { return m_last.elapsed(); }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::Wheel: m_last.restart(); break;
        default: break;
        }
        return false;
    }

private:
    QElapsedTimer m_last;
};

qint64 msSinceInput() {
    // Owned by the application, made when the first editor needs it.
    static QPointer<InputWatch> watch;
    if (!watch) watch = new InputWatch;
    return watch->msSince();
}

// A jump further than this many lines below the coloured text skips
// colouring the text in between (the lexer takes a few microseconds a line).
constexpr qint64 kSkipLines = 5000;
// Lines above the view coloured with the view, for constructs that begin there.
constexpr qint64 kContextLines = 200;
// The correct colouring of skipped text waits for a pause in the input this
// long and then works in steps of about this many milliseconds.
constexpr int kQuietMs = 150;
constexpr qint64 kStepMs = 8;
} // namespace

QVariant TSRichEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    // QScintilla answers with the paragraph around the caret, up to the next
    // blank lines: in a large file without any that is the whole text, copied
    // at every query of an input method. The caret's line is all they need.
    const qint64 caret = sci(SCI_GETCURRENTPOS);
    const qint64 line = sci(SCI_LINEFROMPOSITION, caret);
    const qint64 start = sci(SCI_POSITIONFROMLINE, line);
    const qint64 end = sci(SCI_GETLINEENDPOSITION, line);
    // The line alone, and only as shown: a query while a large file is being
    // read does not wait for it.
    const std::string_view text(reinterpret_cast<const char*>(sci(SCI_GETRANGEPOINTER, start, end - start)),
                                static_cast<size_t>(end - start));
    auto offset = [&](qint64 pos) {
        pos = std::clamp(pos, start, end);
        return static_cast<int>(QString::fromUtf8(text.data(), pos - start).size());
    };
    switch (query) {
    case Qt::ImSurroundingText: return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    case Qt::ImCursorPosition: return offset(caret);
    case Qt::ImAnchorPosition: return offset(sci(SCI_GETANCHOR));
    case Qt::ImTextBeforeCursor: return QString::fromUtf8(text.data(), caret - start);
    case Qt::ImTextAfterCursor: return QString::fromUtf8(text.data() + (caret - start), end - caret);
    default: return QsciScintilla::inputMethodQuery(query);
    }
}

void TSRichEdit::paintEvent(QPaintEvent* e) {
    if (m_unstyled) colourShown();
    else skipStylingToView();
    QsciScintilla::paintEvent(e);
}

void TSRichEdit::colourShown() {
    // The shown lines and a few above them for constructs that begin there,
    // as the lexer would see them, put into indicators that colour the text.
    // Only what changes is set, so an unchanged view costs no second paint,
    // and nothing stays coloured outside the view. The text as shown: a
    // paint does not wait for a file being read.
    const qint64 length = sci(SCI_GETLENGTH);
    const qint64 lines = scintillaLines();
    const qint64 first = sci(SCI_DOCLINEFROMVISIBLE, sci(SCI_GETFIRSTVISIBLELINE));
    const qint64 last = first + sci(SCI_LINESONSCREEN) + 1;
    // A repaint for the caret or the selection leaves the colours as they are.
    const Shown now{first, last, m_edits};
    if (now == m_shown) return;
    m_shown = now;
    auto lineStart = [&](qint64 line) { return line >= lines ? length : sci(SCI_POSITIONFROMLINE, line); };
    const qint64 from = lineStart(std::max<qint64>(0, first - kContextLines));
    const qint64 start = lineStart(first);
    const qint64 stop = lineStart(last + 1);
    const qint64 readEnd = std::min(length, stop + 8);
    std::vector<std::pair<qint64, qint64>> runs[3];
    if (stop > start) {
        const char* text = reinterpret_cast<const char*>(sci(SCI_GETRANGEPOINTER, from, readEnd - from));
        qint64 pos = from;
        TTagLexer::Scan(text, long(from), long(readEnd), long(from), long(stop), TTagLexer::Text,
                        [&](int style, long count) {
                            const qint64 a = std::max(pos, start), b = pos + count;
                            pos = b;
                            const TTagLexer::Kind kind = TTagLexer::KindOf(style);
                            if (kind == TTagLexer::Kind::Text || b <= a) return;
                            auto& list = runs[kind == TTagLexer::Kind::Links ? 0 : kind == TTagLexer::Kind::Images ? 1 : 2];
                            if (!list.empty() && list.back().second == a) list.back().second = b;
                            else list.emplace_back(a, b);
                        });
    }
    for (int k = 0; k < 3; ++k) {
        sci(SCI_SETINDICATORCURRENT, kTagIndicator + k);
        sci(SCI_INDICATORCLEARRANGE, 0, start);
        qint64 at = start;
        for (const auto& [a, b] : runs[k]) {
            if (a > at) sci(SCI_INDICATORCLEARRANGE, at, a - at);
            sci(SCI_INDICATORFILLRANGE, a, b - a);
            at = b;
        }
        if (length > at) sci(SCI_INDICATORCLEARRANGE, at, length - at);
    }
}

void TSRichEdit::skipStylingToView() {
    // The HTML lexer colours from the top: a jump deep into a large file
    // would have every keystroke of the next seconds pay for colouring the
    // text above. The text in between is marked as plain for now and coloured
    // correctly later, in pauses of the user's input.
    const qint64 endStyled = sci(SCI_GETENDSTYLED);
    const qint64 styledLine = sci(SCI_LINEFROMPOSITION, endStyled);
    const qint64 firstLine = sci(SCI_DOCLINEFROMVISIBLE, sci(SCI_GETFIRSTVISIBLELINE));
    const qint64 fromLine = firstLine - kContextLines;
    if (fromLine - styledLine < kSkipLines) return;
    const qint64 lineStart = sci(SCI_POSITIONFROMLINE, styledLine);
    if (m_restyleFrom < 0 || lineStart < m_restyleFrom) m_restyleFrom = lineStart;
    // Moving the mark is enough: text never coloured shows plain, text
    // coloured before an earlier edit keeps its colours until corrected.
    sci(SCI_STARTSTYLING, sci(SCI_POSITIONFROMLINE, fromLine));
    m_restyle->start(kQuietMs);
}

void TSRichEdit::restyleStep() {
    if (m_restyleFrom < 0) return;
    const qint64 endStyled = sci(SCI_GETENDSTYLED);
    // An edit above the skipped text: the control colours onwards from there itself.
    if (endStyled <= m_restyleFrom) {
        m_restyleFrom = -1;
        return;
    }
    // Typing or clicking anywhere in the program comes first.
    const qint64 sinceInput = msSinceInput();
    if (sinceInput < kQuietMs) {
        m_restyle->start(static_cast<int>(kQuietMs - sinceInput));
        return;
    }
    const qint64 line = sci(SCI_LINEFROMPOSITION, m_restyleFrom);
    const qint64 lastLine = sci(SCI_LINEFROMPOSITION, endStyled);
    const qint64 to = line + m_restyleLines < lastLine ? sci(SCI_POSITIONFROMLINE, line + m_restyleLines) : endStyled;
    QElapsedTimer took;
    took.start();
    sci(SCI_COLOURISE, m_restyleFrom, to);
    // Colouring a range moves the control's mark of coloured text to its end;
    // what lies beyond was coloured already.
    sci(SCI_STARTSTYLING, endStyled);
    const qint64 ms = std::max<qint64>(took.elapsed(), 1);
    m_restyleLines = static_cast<int>(std::clamp<qint64>(m_restyleLines * kStepMs / ms, 100, 200000));
    m_restyleFrom = to < endStyled ? to : -1;
    if (m_restyleFrom >= 0) m_restyle->start(0);
}

void TSRichEdit::SetDropHandlers(DropHandler dragOver, DropHandler drop) {
    m_dragOver = std::move(dragOver);
    m_drop = std::move(drop);
}

bool TSRichEdit::AcceptsDrop(const QMimeData* data) const { return m_dragOver && m_dragOver(data); }

bool TSRichEdit::TakeDrop(const QMimeData* data) { return m_drop && m_drop(data); }

void TSRichEdit::dragEnterEvent(QDragEnterEvent* e) {
    if (AcceptsDrop(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

void TSRichEdit::dragMoveEvent(QDragMoveEvent* e) {
    if (AcceptsDrop(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

void TSRichEdit::dropEvent(QDropEvent* e) {
    if (TakeDrop(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

void TSRichEdit::focusInEvent(QFocusEvent* e) {
    sci(SCI_HIDESELECTION, 0);
    QsciScintilla::focusInEvent(e);
}

void TSRichEdit::focusOutEvent(QFocusEvent* e) {
    sci(SCI_HIDESELECTION, 1);
    QsciScintilla::focusOutEvent(e);
}
