#pragma once
#include <QMainWindow>
#include <QStringList>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class QsciPrinter;
class THTML;

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

    // Creates an empty document window in the frame; the caller fills and shows it.
    THTML* CreateDocument();
    void ShowDocument(THTML* doc);

public slots:
    void sbNewClick();
    void sbOpenClick();
    void sbSaveClick();
    void miSaveAsClick();
    void miPrinterSetupClick();
    void sbPrintClick();
    void sbExitClick();
    void miFindClick();
    void miFindNextClick();
    void miReplaceClick();
    void miHPWizClick();
    void miUserTagsClick();
    void miPrefsClick();
    void miAboutClick();
    // The start-up sequence, run when the window is first shown.
    void FormShow();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void placeFrame();
    void buildMenu();
    void buildSpeedPanel();
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption, void (TMain::*handler)(),
                      const QKeySequence& shortcut = {});
    void openDocumentFile(const QString& path);
    QPoint cascadePosition(const QMdiSubWindow& sub);

    QStringList m_arguments;
    QMdiArea* m_mdi = nullptr;
    QWidget* m_speedPanel = nullptr;
    mutable std::unique_ptr<QsciPrinter> m_printer;
    bool m_shown = false;
    int m_cascade = 0;
};
