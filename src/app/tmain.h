#pragma once
#include <QMainWindow>
#include <QStringList>
#include <memory>

class QAction;
class QIcon;
class QMimeData;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class QsciPrinter;
class TFindInFiles;
class TLinkCheck;
class THTML;
namespace ts {
class LivePreview;
class RecentFiles;
class TPreview;
class TProblemsDock;
}

// The frame: menu, toolbar and the documents as MDI children.
class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TMain() override;

    // The document that has the focus, asked for at the moment a command runs.
    THTML* ActiveDocument() const;
    QList<THTML*> Documents() const;
    QMdiArea* MdiArea() const { return m_mdi; }
    // The printer chosen in Printer setup, used by every Print.
    QsciPrinter& Printer() const;
    // The temporary copies shown by Preview.
    ts::TPreview& Preview() const { return *m_preview; }

    // The program's picture, for every window.
    static QIcon ApplicationIcon();
    // Opens each local file of a drop from a file manager as a document; false
    // when the data holds none.
    bool OpenDroppedFiles(const QMimeData* data);

    // Creates an empty document window in the frame; the caller fills and shows it.
    THTML* CreateDocument();
    void ShowDocument(THTML* doc);
    // File > Open for one file: a new document window with the file loaded,
    // shown. A file that cannot be loaded leaves the window empty after its
    // error; *loaded tells which.
    THTML* OpenDocumentFile(const QString& path, bool* loaded = nullptr);

public slots:
    void sbNewClick();
    void sbOpenClick();
    void sbSaveClick();
    void miSaveAsClick();
    void miPrinterSetupClick();
    void sbPrintClick();
    // Shows the active document in the browser, saved or not.
    void sbPreviewClick();
    void sbExitClick();
    void miFindClick();
    void miFindNextClick();
    void miReplaceClick();
    // The one Find in files window of the frame, shown and brought to the front.
    void miFindInFilesClick();
    void miHPWizClick();
    // Checks the active document's links in the frame's one link window.
    void miCheckLinksClick();
    void miUserTagsClick();
    void miFTPClick();
    // Shows the problems HTML Tidy finds in the active document.
    void miCheckClick();
    void miPrefsClick();
    // Turns tag completion on or off in every document, open or yet to come.
    void miCompleteTagsClick();
    void miAboutClick();
    // The start-up sequence, run when the window is first shown.
    void FormShow();
    // Every document looks whether its file was changed on disk meanwhile;
    // runs whenever the frame becomes the active window.
    void CheckDiskFiles();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void placeFrame();
    void buildMenu();
    void buildSpeedPanel();
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption, void (TMain::*handler)(),
                      const QKeySequence& shortcut = {});
    QPoint cascadePosition(const QMdiSubWindow& sub);

    QStringList m_arguments;
    QMdiArea* m_mdi = nullptr;
    QWidget* m_speedPanel = nullptr;
    mutable std::unique_ptr<QsciPrinter> m_printer;
    std::unique_ptr<ts::TPreview> m_preview;
    ts::RecentFiles* m_recent = nullptr;
    ts::LivePreview* m_livePreview = nullptr;
    ts::TProblemsDock* m_problems = nullptr;
    TFindInFiles* m_findInFiles = nullptr;
    TLinkCheck* m_linkCheck = nullptr;
    bool m_shown = false;
    int m_cascade = 0;
};
