#pragma once
#include "editor/diskwatch.h"
#include "editor/docfile.h"
#include "editor/palette.h"
#include "editor/recovery.h"

#include <QLabel>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>


class QMimeData;
class QStatusBar;
class TFindDialog;
class TReplaceDialog;
class TSRichEdit;
struct TFindRequest;

// The untitled marker: the file name of a document that was never saved.
inline const QString& untitledName() {
    static const QString name = QStringLiteral("\u00BBnoname\u00AB");
    return name;
}

// One open document: the editor, its palette and its status bar.
class THTML : public QWidget {
    Q_OBJECT
public:
    explicit THTML(QWidget* parent = nullptr);
    ~THTML() override;

    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& name);

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
    bool Save();
    bool SaveAs();
    // Writes the text to FileName and clears the modified flag; false when
    // the user declined to change the file's encoding.
    bool WriteFile();

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

    const ts::DocumentFormat& Format() const { return m_format; }
    void SetFormat(const ts::DocumentFormat& f) { m_format = f; }

    // The window that shows this document in the frame (the MDI sub-window), or this.
    QWidget* FrameWindow() const;
    void SetCaption(const QString& caption);
    QString Caption() const;

    // Fills the window with a recovered text: modified, with its file name
    // and format, and journalled again at once.
    void RecoverDocument(const ts::RecoveredDocument& recovered);
    // The recovery journal, or nullptr when none is kept.
    ts::TDocumentJournal* Journal() const { return m_journal.get(); }

    // Closes without asking again: the frame has already asked every document.
    void CloseApproved();

    // Looks whether the file was changed or deleted on disk since it was
    // loaded, saved or last asked about, and asks once per change whether to
    // load it again. Runs when the frame becomes active, and when the watcher
    // reports the file once the typing has paused; does nothing for an
    // untitled document.
    void CheckDiskFile();
    ts::TDiskWatch* DiskWatch() const { return m_diskWatch; }

signals:
    void UserTagsRefresh();
    // Files from a file manager were dropped on the editor; the frame opens them.
    void FilesDropped(const QMimeData* data);
    // Written under a name the user chose, whichever command asked for it.
    void SavedAs(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void applySettingsAppearance(const struct TPrefsRecord& prefs);
    void maximiseInFrame();
    void wirePalette();
    void reportNotFound(const QString& text);
    // Begins a new journal of the text as it is now (when journals are kept).
    void startJournal(bool fileBased, const ts::FileIdentity& base);
    // The file as the text was loaded from or saved to it; watched from now on.
    void setDiskFile(const ts::FileIdentity& identity);
    void forgetDiskFile();
    // Asks before Save writes over a file someone else changed; false when declined.
    bool confirmOverwrite();
    // Replaces the text by the file's, read as opening reads it, as one step
    // that Undo takes back; throws and keeps the text when the file cannot be read.
    void reloadFile();
    // The file no longer holds what the text's edits apply to.
    void journalWholeText();
    // The watcher saw the file change: asked now, or once the typing pauses.
    void diskFileChanged();

    QString m_fileName;
    ts::DocumentFormat m_format;
    TSRichEdit* m_richEdit = nullptr;
    QWidget* m_panel1 = nullptr;
    ts::TPalette m_palette;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 4> m_panels{};
    TFindDialog* m_findDialog = nullptr;
    TReplaceDialog* m_replaceDialog = nullptr;
    bool m_closeApproved = false;
    std::unique_ptr<ts::TDocumentJournal> m_journal;
    ts::TDiskWatch* m_diskWatch = nullptr;
    bool m_diskKnown = false;
    ts::FileIdentity m_diskBase; // at the last load or save
    ts::FileIdentity m_diskSeen; // at the last load, save or question
    // Runs while keys come in and a second beyond; a change seen on disk meanwhile waits for it.
    QTimer* m_typing = nullptr;
    bool m_diskCheckDue = false;
};
