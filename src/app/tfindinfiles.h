#pragma once
#include "editor/sitesearch.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QHash>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TMain;

// Edit > Find in files: searches and replaces in the files of a folder, on
// worker threads, while the window goes on working. Open documents are
// searched and changed in the editor, not in their files.
class TFindInFiles : public QDialog {
    Q_OBJECT
public:
    explicit TFindInFiles(TMain& main);
    ~TFindInFiles() override;

    // Whether a search or a replacement is running.
    bool Running() const;
    // The folder field starts at the active document's folder, else the working folder.
    void StartFolder();

public slots:
    void bbFindClick();
    void bbReplaceAllClick();
    void bbCancelClick();
    void sbFolderClick();
    void lvResultsDoubleClick(QTreeWidgetItem* item);

signals:
    // A search or a replacement has ended, finished or cancelled.
    void Done();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    struct Query {
        QString folder, masks, pattern;
        bool matchCase = false, wholeWord = false, subfolders = true;
        bool operator==(const Query&) const = default;
        ts::search::Options options() const { return {true, matchCase, wholeWord}; }
    };
    Query currentQuery() const;
    bool startSearch();
    void searchFinished();
    // Asks, then replaces; false when nothing was started.
    bool replaceAll();
    void replaceFinished();
    void setRunning(bool running, int total);
    void showSearchResults(bool cancelled);
    QString shownName(const QString& path) const;
    // Replaces in an open document as one undo step; the reason when it was skipped.
    QString replaceInEditor(const ts::sitesearch::FileResult& r);

    TMain& m_main;
    QLineEdit* m_folder;
    QToolButton* m_folderButton;
    QLineEdit* m_masks;
    QLineEdit* m_text;
    QLineEdit* m_replace;
    QCheckBox* m_case;
    QCheckBox* m_wholeWord;
    QCheckBox* m_subfolders;
    QPushButton* m_find;
    QPushButton* m_replaceAll;
    QPushButton* m_close;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QLabel* m_status;
    QTreeWidget* m_results;

    QFutureWatcher<ts::sitesearch::FileResult> m_searchWatcher;
    QFutureWatcher<ts::sitesearch::ReplaceResult> m_replaceWatcher;
    // The last search that ran to its end, and what it found.
    std::optional<Query> m_searched;
    Query m_running;
    QString m_root; // the searched folder's real name
    int m_searchTotal = 0;
    std::vector<ts::sitesearch::FileResult> m_found;
    // The editor's text of each open document, as it was searched.
    QHash<QString, QByteArray> m_editorTexts;
    bool m_replaceAfterSearch = false;
    // What Replace all did in open documents, listed with the files' results.
    std::vector<ts::sitesearch::ReplaceResult> m_editorReplaced;
    // Files that were not written to, in the order of the search.
    std::vector<ts::sitesearch::FileResult> m_toWrite;
};
