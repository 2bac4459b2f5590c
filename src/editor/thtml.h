#pragma once
#include "editor/palette.h"
#include "editor/tdocument.h"

#include <QLabel>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>


class QMimeData;
class QStatusBar;
class TFindDialog;
class TReplaceDialog;
class TSRichEdit;
struct TFindRequest;

// The window of one open document: the editor, its palette and its status
// bar, around the document's file state.
class THTML : public QWidget {
    Q_OBJECT
public:
    explicit THTML(QWidget* parent = nullptr);
    ~THTML() override;

    TDocument& Document() const { return *m_document; }
    const QString& FileName() const { return m_document->FileName(); }
    void SetFileName(const QString& name) { m_document->SetFileName(name); }

    // Open routine: settings applied, the file named by FileName loaded.
    void LoadDocument();
    // New-document routine; the template goes in when MinDoc is set and noTemplate is false.
    void InitNewDocument(bool noTemplate);
public slots:
    // Refreshes the status bar: column:row and the modified mark.
    void PosChange();
    // Refreshes what depends on the user tags; runs at creation and on every
    // resize. The user tags hang their button labels on UserTagsRefresh.
    void FormCreate();
    // Whether the window may close; asked before every close. A modified
    // document asks whether it should be saved first.
    bool FormCloseQuery();
    // The window closes: it is destroyed with everything it holds.
    void FormClose();
    // The editor accepts drags from the Components tree and files from a file
    // manager (handed to the frame), and refuses anything else.
    bool RichEditDragOver(const QMimeData* data) const;
    // A drop from the tree inserts that entry's snippet; false when refused.
    bool RichEditDragDrop(const QMimeData* data);

public:

    // Save: an untitled document goes to SaveAs. Both return false when the
    // user cancelled; a failed write throws and leaves text and flag alone.
    bool Save() { return m_document->Save(); }
    bool SaveAs() { return m_document->SaveAs(); }
    // Writes the text to FileName and clears the modified flag; false when
    // the user declined to change the file's encoding.
    bool WriteFile() { return m_document->WriteFile(); }

public slots:
    // Find and replace, each window with dialogs of its own.
    void sbSearchClick();
    void sbReplaceClick();
    // Searches with the find dialog's text and options, whether it is open or not.
    void FindNext();
    // Searches; shows "Cannot find" when nothing is found.
    void Find(const TFindRequest& request);
    // The replace dialog's Replace (all false) and Replace All (all true).
    void Replace(bool all);
    // The search itself: selects the match and tells whether there was one.
    bool SearchText(const TFindRequest& request);
public:
    TFindDialog* FindDialog1() const { return m_findDialog; }
    TReplaceDialog* ReplaceDialog1() const { return m_replaceDialog; }

public slots:
    void sbIndentClick();
    void sbUnIndentClick();
    void sbCutClick();
    void sbCopyClick();
    void sbPasteClick();
    void sbUndoClick();
    // Opens one more Components window.
    void sbComponentsClick();
    // Inserts the snippet of a catalogue entry at the caret; other captions insert nothing.
    void InsComponent(const QString& caption);

public:
    const ts::TPalette& Palette() const { return m_palette; }

    TSRichEdit* RichEdit() const { return m_richEdit; }
    QStatusBar* StatusBar1() const { return m_statusBar; }
    QString PanelText(int index) const;
    int LineCount() const;

    const ts::DocumentFormat& Format() const { return m_document->Format(); }
    void SetFormat(const ts::DocumentFormat& f) { m_document->SetFormat(f); }

    // The window that shows this document in the frame (the MDI sub-window), or this.
    QWidget* FrameWindow() const;
    void SetCaption(const QString& caption) { m_document->SetCaption(caption); }
    QString Caption() const { return m_document->Caption(); }

    // Fills the window with a recovered text: modified, with its file name
    // and format, and journalled again at once.
    void RecoverDocument(const ts::RecoveredDocument& recovered);
    // The recovery journal, or nullptr when none is kept.
    ts::TDocumentJournal* Journal() const { return m_document->Journal(); }

    // Closes without asking again: the frame has already asked every document.
    void CloseApproved();

    // Asks about a change of the file on disk; see TDocument.
    void CheckDiskFile() { m_document->CheckDiskFile(); }
    ts::TDiskWatch* DiskWatch() const { return m_document->DiskWatch(); }

signals:
    void UserTagsRefresh();
    // Files from a file manager were dropped on the editor; the frame opens them.
    void FilesDropped(const QMimeData* data);
    // Written under a name the user chose, whichever command asked for it.
    void SavedAs(const QString& path);

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void applySettingsAppearance(const struct TPrefsRecord& prefs);
    void maximiseInFrame();
    void wirePalette();
    void reportNotFound(const QString& text);

    std::unique_ptr<TDocument> m_document;
    TSRichEdit* m_richEdit = nullptr;
    QWidget* m_panel1 = nullptr;
    ts::TPalette m_palette;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 4> m_panels{};
    TFindDialog* m_findDialog = nullptr;
    TReplaceDialog* m_replaceDialog = nullptr;
    bool m_closeApproved = false;
};
