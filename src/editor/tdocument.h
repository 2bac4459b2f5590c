#pragma once
#include "editor/diskwatch.h"
#include "editor/docfile.h"
#include "editor/recovery.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QTimer;
class QWidget;
class TSRichEdit;

// The untitled marker: the file name of a document that was never saved.
inline const QString& untitledName() {
    static const QString name = QStringLiteral("\u00BBnoname\u00AB");
    return name;
}

// A document's file state over its editor: the file's name and format, loading
// and saving, the recovery journal and the watch on the file. It knows no
// window; questions go to the user through the message and dialog seams,
// parented to the widget given (the editor when none is).
class TDocument : public QObject {
    Q_OBJECT
public:
    explicit TDocument(TSRichEdit& editor, QWidget* dialogParent = nullptr);
    // A document that goes away leaves no journal: it was saved, or the user
    // chose not to keep its changes.
    ~TDocument() override;

    TSRichEdit& Editor() const { return m_editor; }

    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& name) { m_fileName = name; }
    const ts::DocumentFormat& Format() const { return m_format; }
    void SetFormat(const ts::DocumentFormat& f) { m_format = f; }
    // The name the user sees for the document; empty until it is loaded or made.
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    // Reads the file named by FileName into the editor, which then keeps the
    // absolute path and shows the name as given. A file that cannot be read
    // leaves the editor empty and untitled, and throws. A file larger than BackgroundFrom
    // is checked whole first (so it throws here just the same), then shows
    // its first lines while the editor takes in the rest in the background;
    // the journal and the watch on the file begin once it is all in.
    void Load();
    static qint64 BackgroundFrom() { return s_backgroundFrom; }
    static void SetBackgroundFrom(qint64 bytes) { s_backgroundFrom = bytes; }
    // An untitled document holding only these lines, not modified and with
    // nothing to undo.
    void New(const QStringList& templateLines);
    // Fills the editor with a recovered text: modified, with its file name
    // and format, and journalled again at once.
    void Recover(const ts::RecoveredDocument& recovered);

    // Save: an untitled document goes to SaveAs. Both return false when the
    // user cancelled; a failed write throws and leaves text and flag alone.
    bool Save();
    bool SaveAs();
    // Writes the text to FileName and clears the modified flag; false when
    // the user declined to change the file's encoding.
    bool WriteFile();

    // The recovery journal, or nullptr when none is kept.
    ts::TDocumentJournal* Journal() const { return m_journal.get(); }

    // Looks whether the file was changed or deleted on disk since it was
    // loaded, saved or last asked about, and asks once per change whether to
    // load it again. Runs when the window becomes active, and when the watcher
    // reports the file once the typing has paused; does nothing for an
    // untitled document.
    void CheckDiskFile();
    ts::TDiskWatch* DiskWatch() const { return m_diskWatch; }

signals:
    void CaptionChanged(const QString& caption);
    // Written under a name the user chose, whichever command asked for it.
    void SavedAs(const QString& path);
    // The modified flag or the caret may have moved without an edit.
    void StatusChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
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
    void loadInBackground(const QString& named, std::shared_ptr<const ts::OpenedDocumentFile> file);
    // The editor took in the whole of a file read in the background.
    void loadedInBackground();
    // The file could not be read, now or in the background.
    void notLoaded();

    TSRichEdit& m_editor;
    QWidget* m_dialogParent;
    QString m_fileName;
    QString m_caption;
    ts::DocumentFormat m_format;
    std::unique_ptr<ts::TDocumentJournal> m_journal;
    ts::TDiskWatch* m_diskWatch = nullptr;
    bool m_diskKnown = false;
    ts::FileIdentity m_diskBase; // at the last load or save
    ts::FileIdentity m_diskSeen; // at the last load, save or question
    // Runs while keys come in and a second beyond; a change seen on disk meanwhile waits for it.
    QTimer* m_typing = nullptr;
    bool m_diskCheckDue = false;
    // What the background reading found, once the editor has it all.
    std::shared_ptr<ts::DocumentShape> m_pendingShape;
    static inline qint64 s_backgroundFrom = 32'000'000;
};
