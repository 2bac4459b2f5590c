#pragma once
#include <QDockWidget>
#include <QPointer>
#include <QThreadPool>

class QMdiArea;
class QMdiSubWindow;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class THTML;

namespace ts {

class DocumentCheck;

// The problems HTML Tidy finds in the active document, listed at the bottom
// of the main window. While the list is shown, a document is checked again
// once its input pauses; each document keeps its last result and its marks.
class TProblemsDock : public QDockWidget {
    Q_OBJECT
public:
    TProblemsDock(QMdiArea& documents, QWidget* parent);
    ~TProblemsDock() override;

    // Tools > Check document: shows the list and checks the active
    // document's text at once; a large one with a progress bar and Cancel.
    void CheckActiveDocument();
    // Shown or hidden as at the end of the last run.
    void RestoreVisibility();
    // The document whose problems are listed.
    THTML* Document() const;
    bool Shown() const { return !isHidden(); }

    // Larger documents are checked only when asked for, not while typing.
    static constexpr qint64 kLargeDocumentBytes = 10 * 1024 * 1024;
    // How long the input pauses before a shown document is checked again.
    static constexpr int kPauseMs = 500;

    void setVisible(bool visible) override;

signals:
    // A check of that document began.
    void CheckStarted(THTML* doc);
    // A check's result for that document's current text was taken.
    void ResultShown(THTML* doc);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    friend class DocumentCheck;

    void follow(QMdiSubWindow* sub);
    void start(DocumentCheck& check, bool large);
    void startCheck(DocumentCheck& check, bool large);
    void finished(DocumentCheck& check);
    void showList();
    void showProgress();
    void activated(QTreeWidgetItem* item);
    void storeVisibility(bool shown);
    QList<THTML*> documents() const;
    QMdiSubWindow* activeWindow() const;

    QPointer<QMdiArea> m_documents; // goes before the dock when the frame closes
    QTreeWidget* m_list = nullptr;
    QWidget* m_progressBar = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer* m_poll = nullptr;
    QPointer<THTML> m_doc;
    // One check at a time: Tidy takes a core, the user's input the other.
    QThreadPool m_pool;
};

} // namespace ts
