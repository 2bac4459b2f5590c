#include "app/tmain.h"

#include "app/livepreview.h"
#include "app/openfiles.h"
#include "app/preview.h"
#include "app/problemsdock.h"
#include "app/printing.h"
#include "app/recentfiles.h"
#include "app/reopen.h"
#include "app/tfindinfiles.h"
#include "app/tlinkcheck.h"
#include "app/trecovery.h"
#include "dialogs/tabout.h"
#include "dialogs/tuploadftp.h"
#include "editor/faces.h"
#include "editor/primitives.h"
#include "editor/tagcompleter.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/clock.h"
#include "platform/command.h"
#include "platform/commondialogs.h"
#include "settings/tprefs.h"
#include "settings/tprefsrecord.h"
#include "tags/commands.h"
#include "usertags/usertagbuttons.h"
#include "wizard/thpwiz.h"

#include <Qsci/qsciprinter.h>
#include <QAction>
#include <algorithm>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

TMain::TMain(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_arguments(arguments), m_preview(std::make_unique<ts::TPreview>()) {
    setObjectName(QStringLiteral("TMain"));
    setWindowTitle(QStringLiteral("Tagsmith"));
    setWindowIcon(ApplicationIcon());
    // Files dropped anywhere on the frame open; the editors pass on drops they do not take.
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildSpeedPanel();
    m_speedPanel->setParent(central);
    layout->addWidget(m_speedPanel);
    m_mdi = new QMdiArea(central);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(m_mdi, 1);
    setCentralWidget(central);
    m_livePreview = new ts::LivePreview(*this);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] {
        THTML* doc = ActiveDocument();
        m_livePreview->SetDocument(doc ? &doc->Document() : nullptr);
    });
    buildMenu();
    m_problems = new ts::TProblemsDock(*m_mdi, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_problems);
    m_problems->RestoreVisibility();

    placeFrame();
}

void TMain::placeFrame() {
    // 800 x 600 is the outer size, frame included; the frame is known once
    // the window exists on the screen.
    const QSize outer(800, 600);
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(outer.shrunkBy(frame));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        // For a window, move() places the outer frame.
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
}

TMain::~TMain() {
    // The frame's windows close after this part of it is gone.
    disconnect(m_mdi, nullptr, this, nullptr);
}

QIcon TMain::ApplicationIcon() {
    // The resource sits in a static library: make sure it is linked in.
    Q_INIT_RESOURCE(app);
    return QIcon(QStringLiteral(":/icons/tagsmith.svg"));
}

namespace {

QStringList localFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files << url.toLocalFile();
    return files;
}

} // namespace

bool TMain::OpenDroppedFiles(const QMimeData* data) {
    const QStringList files = localFiles(data);
    for (const QString& file : files) OpenDocumentFile(file);
    return !files.isEmpty();
}

void TMain::dragEnterEvent(QDragEnterEvent* e) {
    if (!localFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
    else e->ignore();
}

void TMain::dragMoveEvent(QDragMoveEvent* e) {
    if (!localFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
    else e->ignore();
}

void TMain::dropEvent(QDropEvent* e) {
    if (OpenDroppedFiles(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

QsciPrinter& TMain::Printer() const {
    // Made at the first use: finding the system's printers can take long,
    // and the start of the program should not wait for it.
    if (!m_printer) m_printer = std::make_unique<QsciPrinter>();
    return *m_printer;
}

QAction* TMain::addEntry(QMenu* menu, const char* name, const QString& caption, void (TMain::*handler)(),
                         const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    menu->addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TMain::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto separator = [&](QMenu* m, const char* name) { m->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    QMenu* file = menu("miFile", QStringLiteral("&File"));
    addEntry(file, "miNew", QStringLiteral("&New"), &TMain::sbNewClick, QKeySequence(Qt::CTRL | Qt::Key_N));
    addEntry(file, "miOpen", QStringLiteral("&Open..."), &TMain::sbOpenClick, QKeySequence(Qt::CTRL | Qt::Key_O));
    separator(file, "N1");
    addEntry(file, "miSave", QStringLiteral("&Save"), &TMain::sbSaveClick, QKeySequence(Qt::CTRL | Qt::Key_S));
    addEntry(file, "miSaveAS", QStringLiteral("Save &as..."), &TMain::miSaveAsClick);
    separator(file, "N2");
    addEntry(file, "miPrinterSetup", QStringLiteral("P&rinter setup..."), &TMain::miPrinterSetupClick);
    addEntry(file, "miPrint", QStringLiteral("&Print..."), &TMain::sbPrintClick, QKeySequence(Qt::CTRL | Qt::Key_P));
    addEntry(file, "miPreview", QStringLiteral("Pre&view"), &TMain::sbPreviewClick, QKeySequence(Qt::Key_F9));
    file->addAction(m_livePreview->ToggleAction());
    m_recent = new ts::RecentFiles(*this, file);
    separator(file, "N3");
    addEntry(file, "miExit", QStringLiteral("E&xit"), &TMain::sbExitClick);

    QMenu* edit = menu("miEdit", QStringLiteral("&Edit"));
    addEntry(edit, "miFind", QStringLiteral("F&ind..."), &TMain::miFindClick);
    addEntry(edit, "miFindNext", QStringLiteral("Find &next"), &TMain::miFindNextClick, QKeySequence(Qt::Key_F3));
    separator(edit, "N4");
    addEntry(edit, "miReplace", QStringLiteral("&Replace..."), &TMain::miReplaceClick);
    addEntry(edit, "miFindInFiles", QStringLiteral("Find in &files..."), &TMain::miFindInFilesClick,
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));

    QMenu* tools = menu("miTools", QStringLiteral("&Tools"));
    addEntry(tools, "miHPWiz", QStringLiteral("&Homepage Wizard"), &TMain::miHPWizClick);
    separator(tools, "N6");
    addEntry(tools, "miUserTags", QStringLiteral("User-&Tags"), &TMain::miUserTagsClick);
    separator(tools, "N7");
    addEntry(tools, "miFTP", QStringLiteral("&Upload to FTP-site..."), &TMain::miFTPClick);
    separator(tools, "N8");
    addEntry(tools, "miCheck", QStringLiteral("&Check document"), &TMain::miCheckClick, QKeySequence(Qt::Key_F7));
    addEntry(tools, "miCheckLinks", QStringLiteral("Check &links"), &TMain::miCheckLinksClick);

    QMenu* options = menu("Options1", QStringLiteral("&Options"));
    addEntry(options, "miPrefs", QStringLiteral("&Preferences..."), &TMain::miPrefsClick);
    QAction* complete =
        addEntry(options, "miCompleteTags", QStringLiteral("&Complete tags"), &TMain::miCompleteTagsClick);
    complete->setCheckable(true);
    complete->setChecked(ts::completeTagsSetting());

    QMenu* help = menu("miHelp", QStringLiteral("&Help"));
    addEntry(help, "miAbout", QStringLiteral("&About..."), &TMain::miAboutClick);

    // Last in Options, after whatever else goes there.
    ts::addReopenSwitch(*this, options);
}

void TMain::buildSpeedPanel() {
    m_speedPanel = new QWidget(this);
    m_speedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    m_speedPanel->setFixedHeight(25);
    struct Button {
        const char* name;
        int left;
        const char* hint;
        void (TMain::*handler)();
    };
    const Button buttons[] = {
        {"sbNew", 0, "Create a new HTML file", &TMain::sbNewClick},
        {"sbOpen", 24, "Open a HTML file", &TMain::sbOpenClick},
        {"sbSave", 48, "Save the active document", &TMain::sbSaveClick},
        {"sbPrint", 80, "Print the active document", &TMain::sbPrintClick},
        {"sbPreview", 104, "Preview in the browser", &TMain::sbPreviewClick},
        {"sbExit", 136, "Leave Tagsmith", &TMain::sbExitClick},
    };
    for (const Button& b : buttons) {
        auto* button = new QToolButton(m_speedPanel);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setGeometry(b.left, 0, 25, 25);
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setAutoRaise(true);
        ts::applyFace(button);
        connect(button, &QToolButton::clicked, this, b.handler);
    }
}

THTML* TMain::ActiveDocument() const {
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    if (!sub) sub = m_mdi->currentSubWindow();
    return sub ? qobject_cast<THTML*>(sub->widget()) : nullptr;
}

QList<THTML*> TMain::Documents() const {
    QList<THTML*> docs;
    // Front to back, as the user sees them.
    const QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it)
        if (auto* doc = qobject_cast<THTML*>((*it)->widget())) docs << doc;
    return docs;
}

THTML* TMain::CreateDocument() {
    auto* doc = new THTML;
    doc->setWindowIcon(windowIcon());
    ts::connectTagCommands(*doc);
    connect(doc, &THTML::FilesDropped, this, [this](const QMimeData* data) { OpenDroppedFiles(data); });
    connect(doc, &THTML::SavedAs, this, [this](const QString& path) { m_recent->Add(path); });
    ts::connectUserTags(*doc);
    TTagCompleter::Of(*doc->RichEdit())
        .SetEnabled(findChild<QAction*>(QStringLiteral("miCompleteTags"))->isChecked());
    QMdiSubWindow* sub = m_mdi->addSubWindow(doc);
    sub->resize(646, 480);
    sub->setWindowIcon(windowIcon());
    sub->move(cascadePosition(*sub));
    sub->show();
    return doc;
}

QPoint TMain::cascadePosition(const QMdiSubWindow& sub) {
    // As the window system places new MDI children: each one a title bar
    // further down and to the right, back in the corner when the column of
    // steps is full or when no other window is open.
    if (m_mdi->subWindowList().size() <= 1) m_cascade = 0;
    QStyleOptionTitleBar option;
    option.initFrom(&sub);
    const int step = sub.style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, &sub) +
                     sub.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &sub);
    const int steps = std::max(1, m_mdi->viewport()->height() / (3 * step));
    const int k = m_cascade++ % (steps + 1);
    return QPoint(k * step, k * step);
}

void TMain::ShowDocument(THTML* doc) {
    QWidget* frame = doc->FrameWindow();
    if (frame->isHidden()) {
        if (frame->windowState() & Qt::WindowMaximized) frame->showMaximized();
        else frame->show();
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) m_mdi->setActiveSubWindow(sub);
    doc->RichEdit()->setFocus();
}

void TMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (m_shown) return;
    m_shown = true;
    placeFrame();
    FormShow();
}

void TMain::FormShow() {
    const bool read = ts::runCommand(this, [&] {
        const TPrefsRecord prefs = TPrefsRecord::load();
        if (prefs.AppMaxi) setWindowState(windowState() | Qt::WindowMaximized);
        if (prefs.NewDoc) sbNewClick();
    });
    if (read) ts::runCommand(this, [&] { m_livePreview->RestoreView(); });
    // The unsaved work of the last run comes back whatever the settings hold.
    offerRecovery(*this);
    // Settings that cannot be read stop the start-up here: every document
    // would fail on the same value again.
    if (!read) return;
    // The documents of the last run, then the command line's file in front.
    ts::openStartDocuments(*this, ts::commandLineFile(m_arguments));
}

THTML* TMain::OpenDocumentFile(const QString& path, bool* loaded) {
    THTML* doc = CreateDocument();
    doc->SetFileName(path);
    const bool done = ts::runCommand(this, [&] { doc->LoadDocument(); });
    ShowDocument(doc);
    // The absolute path: a relative argument names the file as the document keeps it.
    if (done) m_recent->Add(doc->FileName());
    if (loaded) *loaded = done;
    return doc;
}

void TMain::sbNewClick() {
    THTML* doc = CreateDocument();
    doc->SetFileName(untitledName());
    ts::runCommand(this, [&] { doc->InitNewDocument(false); });
    ShowDocument(doc);
}

void TMain::sbOpenClick() {
    std::optional<QString> path;
    if (!ts::runCommand(this, [&] { path = ts::commonDialogs().openFileName(this); }) || !path) return;
    OpenDocumentFile(*path);
}

void TMain::sbSaveClick() {
    THTML* doc = ActiveDocument();
    if (!doc) return;
    ts::runCommand(this, [&] { doc->Save(); });
}

void TMain::miSaveAsClick() {
    THTML* doc = ActiveDocument();
    if (!doc) return;
    ts::runCommand(this, [&] { doc->SaveAs(); });
}

void TMain::miPrinterSetupClick() {
    ts::runCommand(this, [&] { ts::commonDialogs().printerSetup(this, Printer()); });
}

void TMain::sbPrintClick() {
    ts::runCommand(this, [&] {
        if (!ts::commonDialogs().print(this, Printer())) return;
        THTML* doc = ActiveDocument();
        if (!doc) return;
        printDocument(*doc, Printer());
        ts::messages().information(this, QStringLiteral("Document \u00BB") + doc->FileName() +
                                             QStringLiteral("\u00AB printed."));
    });
}

void TMain::sbPreviewClick() {
    THTML* doc = ActiveDocument();
    if (!doc) return;
    ts::runCommand(this, [&] { m_preview->Show(*doc, TPrefsRecord::load().ExtBrowser); });
}

void TMain::sbExitClick() { close(); }

void TMain::miFindClick() {
    if (THTML* doc = ActiveDocument()) ts::runCommand(this, [&] { doc->sbSearchClick(); });
}

void TMain::miFindNextClick() {
    if (THTML* doc = ActiveDocument()) ts::runCommand(this, [&] { doc->FindNext(); });
}

void TMain::miReplaceClick() {
    if (THTML* doc = ActiveDocument()) ts::runCommand(this, [&] { doc->sbReplaceClick(); });
}

void TMain::miFindInFilesClick() {
    ts::runCommand(this, [this] {
        if (!m_findInFiles) m_findInFiles = new TFindInFiles(*this);
        if (m_findInFiles->isHidden() && !m_findInFiles->Running()) m_findInFiles->StartFolder();
        m_findInFiles->show();
        m_findInFiles->raise();
        m_findInFiles->activateWindow();
    });
}

void TMain::miCheckLinksClick() {
    ts::runCommand(this, [this] {
        if (!m_linkCheck) m_linkCheck = new TLinkCheck(*this);
        if (!m_linkCheck->TakeActiveDocument()) {
            ts::messages().information(this, QStringLiteral("There is no document whose links could be checked."));
            return;
        }
        m_linkCheck->show();
        m_linkCheck->raise();
        m_linkCheck->activateWindow();
        m_linkCheck->bbCheckClick();
    });
}

void TMain::miHPWizClick() {
    THPWiz wizard(this);
    // Finish or the close box: the page is written either way.
    wizard.exec();
    THTML* doc = CreateDocument();
    doc->SetFileName(untitledName());
    ts::runCommand(this, [&] { doc->InitNewDocument(true); });
    ShowDocument(doc);
    ts::runCommand(this, [&] {
        const QDateTime now = ts::clock().now();
        const QStringList lines = ts::homepageLines(wizard.values(), ts::clock().shortDate(now.date()),
                                                    ts::clock().longTime(now.time()));
        TSRichEdit& editor = *doc->RichEdit();
        {
            TProgramChange change(editor);
            for (const QString& line : lines) ts::appendLine(editor, line);
        }
        doc->PosChange();
    });
}
void TMain::miUserTagsClick() { ts::openUserTagManager(this); }
void TMain::miPrefsClick() {
    // The dialog saves as it closes, whichever way; its result means nothing here.
    TPrefs prefs(this);
    prefs.exec();
}

void TMain::miCompleteTagsClick() {
    const bool on = findChild<QAction*>(QStringLiteral("miCompleteTags"))->isChecked();
    for (THTML* doc : Documents()) TTagCompleter::Of(*doc->RichEdit()).SetEnabled(on);
    ts::runCommand(this, [on] { ts::storeCompleteTagsSetting(on); });
}

void TMain::miFTPClick() {
    ts::runCommand(this, [this] {
        TUploadFTP dlg(this);
        dlg.exec();
    });
}

void TMain::miCheckClick() {
    ts::runCommand(this, [this] { m_problems->CheckActiveDocument(); });
}

void TMain::miAboutClick() {
    ts::runCommand(this, [this] {
        TAbout dlg(this);
        dlg.exec();
    });
}

void TMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // Back from another program: its changes to open files are found at once.
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) CheckDiskFiles();
}

void TMain::CheckDiskFiles() {
    QList<QPointer<THTML>> docs;
    for (THTML* doc : Documents()) docs << doc;
    for (const QPointer<THTML>& doc : docs)
        if (doc) ts::runCommand(this, [&] { doc->CheckDiskFile(); });
}

void TMain::closeEvent(QCloseEvent* e) {
    // Every document is asked first; one refusal keeps everything open.
    const QList<THTML*> docs = Documents();
    ts::ExitRecord record(*this);
    for (THTML* doc : docs) {
        bool mayClose = false;
        ts::runCommand(this, [&] { mayClose = doc->FormCloseQuery(); });
        if (!mayClose) {
            e->ignore();
            return;
        }
    }
    record.Commit();
    ts::runCommand(this, [&] { m_livePreview->SaveView(); });
    for (THTML* doc : docs) doc->CloseApproved();
    e->accept();
}
