#pragma once
#include "editor/lineeditor.h"
#include "platform/text.h"

#include <Qsci/qsciscintilla.h>
#include <QByteArray>
#include <QColor>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

class QMimeData;
class QTimer;

class TTagLexer;
namespace ts {
class DocumentLoader;
class DocumentSink;
namespace search {
class ReplaceAllSteps;
}
}

// The document's text editor: a QScintilla control in UTF-8 mode, used as
// plain text. It keeps every line break as loaded; lines the user or the
// program adds use the document's own line break.
class TSRichEdit : public QsciScintilla, public TLineEditor {
    Q_OBJECT
public:
    explicit TSRichEdit(QWidget* parent = nullptr);
    ~TSRichEdit() override;

    // TLineEditor
    int LineCount() const override;
    QString GetLine(int i) const override;
    void ReplaceLine(int i, const QString& s) override;
    void InsertLine(int i, const QString& s) override;
    int CaretRow() const override;
    int CaretCol() const override;
    void SetCaretRow(int row) override;
    void SetCaretCol(int col) override;
    bool IsEmpty() const override;
    bool EndsWithLineBreak() const override;
    void ClearText() override;
    void BeginProgramChange() override;
    void EndProgramChange() override;

    // Whole document as UTF-8 bytes, without undo history and unmodified.
    void SetDocumentBytes(const QByteArray& utf8);
    // The same in pieces: EndLoad shows the text given since BeginLoad,
    // unmodified with no undo history; until then the old text stays.
    void BeginLoad(qint64 sizeHint);
    void AppendLoaded(std::string_view utf8);
    void EndLoad();
    // A large file in the background: reading starts with `read` on a thread
    // of its own, into a new document that replaces the shown one once
    // complete. ShowFirstLines shows its beginning meanwhile, read-only.
    // Whatever reads or edits the text, and any input, waits for it first.
    // A second call starts over.
    using BackgroundReader = std::function<void(ts::DocumentSink&)>;
    void LoadInBackground(qint64 sizeHint, BackgroundReader read);
    void ShowFirstLines(std::string_view utf8);
    bool Loading() const { return m_background != nullptr; }
    // Waits for the text being read and shows it, as EndLoad does. When the
    // reading failed, the editor is left empty and the failure is thrown.
    void FinishLoad();
    // The same for every editor still loading (before input elsewhere).
    static void FinishAllLoads();
    static bool AnyLoading();
    // Replaces the whole text as one step that Undo takes back.
    void ReplaceDocumentBytes(const QByteArray& utf8);
    // Replace All from byte `from` on, as one undo step, in edits of about
    // pieceBytes each. Returns where the last replacement ends, or -1 when
    // nothing was replaced.
    qint64 ReplaceAll(ts::search::ReplaceAllSteps& steps, qint64 from, size_t pieceBytes = size_t(32) << 20);
    // The text as one contiguous buffer; valid until the next edit.
    std::string_view DocumentBytes() const;
    qint64 ByteLength() const;

    void SetLineBreak(ts::LineBreak lineBreak);
    ts::LineBreak LineBreak() const;
    QByteArray LineBreakBytes() const;

    bool Modified() const;
    void ClearModified();
    // Marks a text that was not loaded from its file (a recovered one) as
    // modified until it is saved; the control itself cannot be told so.
    void SetUnsaved();

    // Font and colours from the settings; colours in 0x00BBGGRR form.
    // An empty name gives the system's fixed-pitch font, a size of 0 gives 10
    // points, and equal colours give black text on white.
    void ApplyAppearance(const QString& fontName, int pointSize, qint32 textColour, qint32 backgroundColour);
    QColor TextColour() const { return m_textColour; }
    QColor BackgroundColour() const { return m_backgroundColour; }
    QFont TextFont() const { return m_font; }
    void SetAppearance(const QFont& font, const QColor& text, const QColor& background);
    // Colours of A tags, IMG tags and every other tag (0x00BBGGRR); text
    // between tags keeps the text colour.
    void SetTagColours(qint32 links, qint32 images, qint32 other);
    QColor LinkColour() const { return m_links; }
    QColor ImageColour() const { return m_images; }
    QColor OtherColour() const { return m_other; }

    // Byte position of a character column on a line, clamped to the line.
    qint64 BytePosOf(int line, int col) const;
    // Converts line breaks in s to the document's and returns UTF-8.
    QByteArray ToDocumentBytes(const QString& s) const;

    static QColor ColourFromBgr(qint32 bgr);

    // The owning window decides about drags (DragOver: accept or refuse) and
    // takes drops (Drop: false when refused). Without handlers every drop is refused.
    using DropHandler = std::function<bool(const QMimeData*)>;
    void SetDropHandlers(DropHandler dragOver, DropHandler drop);
    bool AcceptsDrop(const QMimeData* data) const;
    bool TakeDrop(const QMimeData* data);

    // Colouring of text that was skipped to show a jump far down at once is
    // still being corrected (in pauses of the user's input).
    bool StylingPending() const { return m_restyleFrom >= 0; }

    // A document loaded from more bytes than this keeps no colour per
    // character: its tags are coloured only where it is shown.
    static constexpr qint64 kUnstyledAbove = 20'000'000;
    bool ColouredWhereShown() const { return m_unstyled; }
    // The indicators that colour links, images and other tags in such a document.
    static constexpr int kTagIndicator = 21;

    // What input methods see around the caret: its line.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // Raised after the control's own handling of a scroll.
    void OnHScroll(TSRichEdit* sender);
    void OnVScroll(TSRichEdit* sender);
    // Text, selection or modified flag changed: the status bar needs a refresh.
    void StatusChanged();
    // The text was replaced by a loaded one, without the notices of an edit.
    void Loaded();
    // A background load failed; the editor is empty.
    void LoadFailed();

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    qint64 sci(unsigned int msg, quintptr w = 0, qintptr l = 0) const;
    void replaceBytes(qint64 start, qint64 end, const QByteArray& bytes);
    int scintillaLines() const;
    void scheduleStatus();
    void skipStylingToView();
    void showDocument(void* document, bool unstyled);
    void cancelBackground();
    // Reading the text waits for a background load (see LoadInBackground).
    void awaitText() const {
        if (m_background) const_cast<TSRichEdit*>(this)->FinishLoad();
    }
    bool finishForInput(QEvent* e);
    void colourShown();
    void restyleStep();

    void applyColours();

    TTagLexer* m_lexer = nullptr;
    QColor m_links = ColourFromBgr(0xFF0000);
    QColor m_images = ColourFromBgr(0x0000FF);
    QColor m_other = ColourFromBgr(0x808000);
    QFont m_font;
    QColor m_textColour = Qt::black;
    QColor m_backgroundColour = Qt::white;
    int m_changeDepth = 0;
    bool m_unstyled = false;
    // What colourShown last coloured: the lines and the edits so far.
    struct Shown {
        qint64 first = -1, last = -1;
        quint64 edits = 0;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    Shown m_shown;
    quint64 m_edits = 0;
    bool m_loadUnstyled = false;
    std::unique_ptr<ts::DocumentLoader> m_loader;
    struct Background;
    std::unique_ptr<Background> m_background;
    quint64 m_backgroundRun = 0;
    bool m_statusPending = false;
    bool m_unsaved = false;
    DropHandler m_dragOver, m_drop;
    // Where the correct colouring of skipped text resumes; -1 when none is due.
    qint64 m_restyleFrom = -1;
    int m_restyleLines = 2000;
    QTimer* m_restyle = nullptr;
};
