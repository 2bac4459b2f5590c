#include "app/tmain.h"
#include "editor/recovery.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "settings/tprefs.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

// Runs the program's start-up with the given arguments in a scratch folder.
struct Started {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    QString oldCwd = QDir::currentPath();
    std::unique_ptr<TMain> main;

    explicit Started(const TPrefsRecord& prefs = {}) {
        registry.store(prefs);
        QDir::setCurrent(dir.path());
    }
    ~Started() {
        main.reset();
        QDir::setCurrent(oldCwd);
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    TMain& start(const QStringList& args = {}) {
        main = std::make_unique<TMain>(args);
        main->show();
        QCoreApplication::processEvents();
        return *main;
    }
};

} // namespace

TEST(StartUp, NoFlagsNoArgumentShowsAnEmptyCentredFrame) {
    Started s;
    TMain& m = s.start();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Tagsmith"));
    EXPECT_EQ(m.objectName(), QStringLiteral("TMain"));
    // The outer size, frame included.
    EXPECT_EQ(m.frameGeometry().size(), QSize(800, 600));
    EXPECT_FALSE(m.isMaximized());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(m.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(m.frameGeometry().center().y() - screen.center().y()), 1);
    EXPECT_TRUE(m.Documents().isEmpty());
    EXPECT_EQ(m.ActiveDocument(), nullptr);
    EXPECT_TRUE(s.platform.boxes.shown.empty());
}

TEST(StartUp, AppMaxiMaximisesAndNewDocCreatesTheTemplate) {
    TPrefsRecord p;
    p.AppMaxi = true;
    p.NewDoc = true;
    p.MinDoc = true;
    Started s(p);
    TMain& m = s.start();
    EXPECT_TRUE(m.isMaximized());
    ASSERT_EQ(m.Documents().size(), 1);
    THTML* doc = m.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->FileName(), untitledName());
    EXPECT_EQ(doc->Caption(), untitledName());
    EXPECT_EQ(doc->LineCount(), 18);
    EXPECT_EQ(doc->PanelText(0), QStringLiteral("0:18"));
    EXPECT_FALSE(doc->RichEdit()->Modified());
    // The frame gives each new window its tag commands.
    doc->RichEdit()->SetCaretRow(0);
    doc->Palette().button(QStringLiteral("sbBold"))->click();
    EXPECT_TRUE(doc->RichEdit()->Modified());
}

TEST(StartUp, FirstArgumentWithHtmIsOpenedUnchanged) {
    Started s;
    // A Windows-style path is a plain file name here.
    const QString name = QStringLiteral("C:\\site\\index.html");
    s.write(name, "<HTML></HTML>\r\n");
    TMain& m = s.start({name, QStringLiteral("second.htm")});
    ASSERT_EQ(m.Documents().size(), 1);
    THTML* doc = m.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Caption(), name);
    EXPECT_EQ(doc->FileName(), s.dir.filePath(name));
    EXPECT_EQ(doc->RichEdit()->GetLine(0), QStringLiteral("<HTML></HTML>"));
    EXPECT_TRUE(s.platform.boxes.shown.empty());
}

// Started from a terminal with a relative path, recovered or saved after the
// program's folder changed (a start from the desktop menu is in $HOME).
TEST(StartUp, ARelativeArgumentKeepsItsCaptionAndOpensTheAbsolutePath) {
    Started s;
    QTemporaryDir journals, elsewhere;
    ts::setRecoveryFolder(journals.path());
    s.write(QStringLiteral("page.htm"), "<P>x</P>\r\n");
    TMain& m = s.start({QStringLiteral("page.htm")});
    THTML* doc = m.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Caption(), QStringLiteral("page.htm"));
    EXPECT_EQ(doc->FileName(), s.dir.filePath(QStringLiteral("page.htm")));

    QDir::setCurrent(elsewhere.path());
    QTest::keyClicks(doc->RichEdit(), QStringLiteral("new "));
    ASSERT_TRUE(doc->Journal() && doc->Journal()->Flush());
    EXPECT_EQ(ts::replayJournal(doc->Journal()->Path()).header.fileName, s.dir.filePath(QStringLiteral("page.htm")));
    ASSERT_TRUE(doc->Save());
    QFile saved(s.dir.filePath(QStringLiteral("page.htm")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("new <P>x</P>\r\n"));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    ts::setRecoveryFolder(QString());
}

TEST(StartUp, ArgumentsWithoutLowerCaseHtmAreIgnoredSilently) {
    for (const char* arg : {"notes.txt", "INDEX.HTM", ""}) {
        Started s;
        s.write(QString::fromLatin1(arg).isEmpty() ? QStringLiteral("x") : QString::fromLatin1(arg), "text");
        TMain& m = s.start({QString::fromLatin1(arg)});
        EXPECT_TRUE(m.Documents().isEmpty()) << arg;
        EXPECT_TRUE(s.platform.boxes.shown.empty()) << arg;
    }
}

TEST(StartUp, NewDocAndAnArgumentGiveTwoWindowsWithTheFileInFront) {
    TPrefsRecord p;
    p.NewDoc = true;
    Started s(p);
    s.write(QStringLiteral("page.htm"), "x");
    TMain& m = s.start({QStringLiteral("page.htm")});
    const QList<THTML*> docs = m.Documents();
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0]->Caption(), QStringLiteral("page.htm"));
    EXPECT_EQ(docs[1]->FileName(), untitledName());
    EXPECT_EQ(m.ActiveDocument(), docs[0]);
}

TEST(StartUp, UnreadableArgumentShowsTheMessageAndKeepsAnEmptyWindow) {
    Started s;
    TMain& m = s.start({QStringLiteral("missing.html")});
    ASSERT_EQ(m.Documents().size(), 1);
    EXPECT_TRUE(m.Documents()[0]->RichEdit()->IsEmpty());
    ASSERT_EQ(s.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(s.platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_TRUE(s.platform.boxes.shown[0].text.contains(QStringLiteral("missing.html")));
}

TEST(StartUp, DamagedSettingsAreReportedAndTheProgramGoesOn) {
    Started s;
    QFile f(s.registry.path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a registry file\r\n");
    f.close();
    TMain& m = s.start();
    EXPECT_TRUE(m.isVisible());
    ASSERT_EQ(s.platform.boxes.shown.size(), 1u);
    EXPECT_TRUE(s.platform.boxes.shown[0].text.contains(s.registry.path()));
    // Still damaged, never silently replaced.
    QFile again(s.registry.path());
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("this is not a registry file\r\n"));
}

// The settings cannot be read, but the unsaved work of the last run is still offered.
TEST(StartUp, DamagedSettingsStillOfferRecovery) {
    Started s;
    QTemporaryDir journals;
    const QString folder = journals.filePath(QStringLiteral("recovery"));
    ts::setRecoveryFolder(folder);
    {
        // The journal of a program that ended without saving.
        THTML doc;
        doc.SetFileName(untitledName());
        doc.InitNewDocument(true);
        doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0ul, "recover me");
        ASSERT_TRUE(doc.Journal() && doc.Journal()->Flush());
        ASSERT_TRUE(QFile::copy(doc.Journal()->Path(), folder + QStringLiteral("/left.journal")));
        doc.RichEdit()->ClearModified();
    }
    QFile f(s.registry.path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a registry file\r\n");
    f.close();
    ts::test::DialogDriver dialogs;
    dialogs.expect("TRecovery", [](QDialog& dlg) { ts::test::click(dlg, "bbRecover"); });
    TMain& m = s.start();
    dialogs.done();
    ASSERT_EQ(m.Documents().size(), 1);
    EXPECT_EQ(m.Documents()[0]->RichEdit()->DocumentBytes(), "recover me");
    EXPECT_TRUE(m.Documents()[0]->RichEdit()->Modified());
    ASSERT_FALSE(s.platform.boxes.shown.empty());
    EXPECT_EQ(s.platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_TRUE(s.platform.boxes.shown[0].text.contains(s.registry.path()));
    m.Documents()[0]->RichEdit()->ClearModified();
    ts::setRecoveryFolder(QString());
}

TEST(StartUp, ASettingOfTheWrongTypeIsReportedOnceAndNothingMoreOpens) {
    TPrefsRecord p;
    p.NewDoc = true;
    Started s(p);
    ts::test::setPreference(QStringLiteral("BGCol"), QStringLiteral("white"));
    s.write(QStringLiteral("page.htm"), "x");
    TMain& m = s.start({QStringLiteral("page.htm")});
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(m.Documents().isEmpty());
    ASSERT_EQ(s.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(s.platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_TRUE(s.platform.boxes.shown[0].text.contains(QStringLiteral("BGCol")));
}

TEST(MainWindow, MenuEntriesAndShortcuts) {
    Started s;
    TMain& m = s.start();
    EXPECT_EQ(m.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    struct Entry {
        const char* menu;
        const char* menuCaption;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
    };
    const Entry entries[] = {
        {"miFile", "&File", "miNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"miFile", "&File", "miOpen", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"miFile", "&File", "miSave", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"miFile", "&File", "miSaveAS", "Save &as...", {}},
        {"miFile", "&File", "miPrinterSetup", "P&rinter setup...", {}},
        {"miFile", "&File", "miPrint", "&Print...", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"miFile", "&File", "miLivePreview", "&Live preview", QKeySequence(Qt::SHIFT | Qt::Key_F9)},
        {"miFile", "&File", "miRecent", "Recent &files", {}},
        {"miFile", "&File", "miExit", "E&xit", {}},
        {"miEdit", "&Edit", "miFind", "F&ind...", {}},
        {"miEdit", "&Edit", "miFindNext", "Find &next", QKeySequence(Qt::Key_F3)},
        {"miEdit", "&Edit", "miReplace", "&Replace...", {}},
        {"miEdit", "&Edit", "miFindInFiles", "Find in &files...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
        {"miTools", "&Tools", "miHPWiz", "&Homepage Wizard", {}},
        {"miTools", "&Tools", "miUserTags", "User-&Tags", {}},
        {"miTools", "&Tools", "miCheck", "&Check document", QKeySequence(Qt::Key_F7)},
        {"miTools", "&Tools", "miCheckLinks", "Check &links", {}},
        {"Options1", "&Options", "miPrefs", "&Preferences...", {}},
        {"Options1", "&Options", "miCompleteTags", "&Complete tags", {}},
        {"miHelp", "&Help", "miAbout", "&About...", {}},
        {"Options1", "&Options", "miReopenDocuments", "&Restore documents at start", {}},
    };
    for (const Entry& e : entries) {
        auto* menu = m.findChild<QMenu*>(QString::fromLatin1(e.menu));
        ASSERT_NE(menu, nullptr) << e.menu;
        EXPECT_EQ(menu->title(), QString::fromLatin1(e.menuCaption));
        auto* action = m.findChild<QAction*>(QString::fromLatin1(e.name));
        ASSERT_NE(action, nullptr) << e.name;
        EXPECT_TRUE(menu->actions().contains(action)) << e.name;
        EXPECT_EQ(action->text(), QString::fromLatin1(e.caption)) << e.name;
        EXPECT_EQ(action->shortcut(), e.shortcut) << e.name;
    }
    // Separators stand where the menu shows lines.
    QStringList fileNames;
    for (QAction* a : m.findChild<QMenu*>(QStringLiteral("miFile"))->actions()) fileNames << a->objectName();
    EXPECT_EQ(fileNames, (QStringList{"miNew", "miOpen", "N1", "miSave", "miSaveAS", "N2", "miPrinterSetup",
                                      "miPrint", "miPreview", "miLivePreview", "miRecent", "N3", "miExit"}));
    QStringList editNames;
    for (QAction* a : m.findChild<QMenu*>(QStringLiteral("miEdit"))->actions()) editNames << a->objectName();
    EXPECT_EQ(editNames, (QStringList{"miFind", "miFindNext", "N4", "miReplace", "miFindInFiles"}));
    QStringList toolNames;
    for (QAction* a : m.findChild<QMenu*>(QStringLiteral("miTools"))->actions()) toolNames << a->objectName();
    EXPECT_EQ(toolNames, (QStringList{"miHPWiz", "N6", "miUserTags", "N7", "miFTP", "N8", "miCheck", "miCheckLinks"}));
    QStringList optionNames;
    for (QAction* a : m.findChild<QMenu*>(QStringLiteral("Options1"))->actions()) optionNames << a->objectName();
    EXPECT_EQ(optionNames, (QStringList{"miPrefs", "miCompleteTags", "miReopenDocuments"}));
}

TEST(MainWindow, CompleteTagsSwitchesEveryDocumentAtOnceAndIsKept) {
    Started s;
    TMain& m = s.start();
    auto* complete = m.findChild<QAction*>(QStringLiteral("miCompleteTags"));
    ASSERT_TRUE(complete->isCheckable());
    EXPECT_TRUE(complete->isChecked());
    const auto stored = [] {
        return std::get<bool>(TQuillonRegistry().ReadValue(
            hkey::CurrentUser, QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\Editing"),
            QStringLiteral("CompleteTags"), true));
    };
    const auto newDocument = [&](const char* text) {
        m.sbNewClick();
        TSRichEdit* e = m.ActiveDocument()->RichEdit();
        e->SetDocumentBytes(text);
        e->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        return e;
    };
    TSRichEdit* first = newDocument("<B>x");
    QTest::keyClicks(first, QStringLiteral("</"));
    EXPECT_EQ(ts::test::documentText(*first), QByteArray("<B>x</B>"));
    // A palette button inserts its text as it is, and opens no list.
    m.ActiveDocument()->Palette().button(QStringLiteral("sbBold"))->click();
    EXPECT_EQ(ts::test::documentText(*first), QByteArray("<B>x</B><B></B>"));
    EXPECT_FALSE(first->isListActive());

    complete->trigger();
    EXPECT_FALSE(complete->isChecked());
    EXPECT_FALSE(stored());
    QTest::keyClicks(first, QStringLiteral("y</"));
    EXPECT_EQ(ts::test::documentText(*first), QByteArray("<B>x</B><B>y</</B>"));
    TSRichEdit* second = newDocument("<I>x");
    QTest::keyClicks(second, QStringLiteral("</"));
    EXPECT_EQ(ts::test::documentText(*second), QByteArray("<I>x</"));
    EXPECT_FALSE(TMain().findChild<QAction*>(QStringLiteral("miCompleteTags"))->isChecked());

    complete->trigger();
    EXPECT_TRUE(stored());
    QTest::keyClicks(second, QStringLiteral("<U>z</"));
    EXPECT_EQ(ts::test::documentText(*second), QByteArray("<I>x</<U>z</U>"));
    for (THTML* doc : m.Documents()) doc->RichEdit()->ClearModified();
}

TEST(MainWindow, PreferencesOpensTheDialogModallyAndItSavesOnClose) {
    Started s;
    TMain& m = s.start();
    QAction* prefs = m.findChild<QAction*>(QStringLiteral("miPrefs"));
    ASSERT_TRUE(prefs->isEnabled());
    ts::test::DialogDriver dialogs;
    dialogs.expect<TPrefs>("TPrefs", [&](TPrefs& dlg) {
        EXPECT_EQ(dlg.parentWidget(), &m);
        dlg.findChild<QCheckBox*>(QStringLiteral("cbNewDoc"))->click();
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    prefs->trigger();
    dialogs.done();
    EXPECT_TRUE(m.findChildren<TPrefs*>().isEmpty());
    EXPECT_TRUE(TPrefsRecord::load().NewDoc);
}

TEST(MainWindow, HandlersAreSlotsOfTheirOwnNames) {
    for (const char* slot : {"sbNewClick()", "sbOpenClick()", "sbSaveClick()", "miSaveAsClick()",
                             "miPrinterSetupClick()", "sbPrintClick()", "sbExitClick()", "miFindClick()",
                             "miFindNextClick()", "miReplaceClick()", "FormShow()"})
        EXPECT_GE(TMain::staticMetaObject.indexOfSlot(slot), 0) << slot;
}

TEST(MainWindow, SpeedPanelButtonsAndHints) {
    Started s;
    TMain& m = s.start();
    auto* panel = m.findChild<QWidget*>(QStringLiteral("SpeedPanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->height(), 25);
    const std::tuple<const char*, int, const char*> buttons[] = {
        {"sbNew", 0, "Create a new HTML file"},     {"sbOpen", 24, "Open a HTML file"},
        {"sbSave", 48, "Save the active document"}, {"sbPrint", 80, "Print the active document"},
        {"sbPreview", 104, "Preview in the browser"}, {"sbExit", 136, "Leave Tagsmith"},
    };
    for (const auto& [name, left, hint] : buttons) {
        auto* b = panel->findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->geometry(), QRect(left, 0, 25, 25)) << name;
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(hint)) << name;
    }
}

TEST(MainWindow, NewAndExitCloseEverything) {
    Started s;
    TMain& m = s.start();
    m.findChild<QToolButton*>(QStringLiteral("sbNew"))->click();
    m.findChild<QAction*>(QStringLiteral("miNew"))->trigger();
    EXPECT_EQ(m.Documents().size(), 2);
    m.findChild<QAction*>(QStringLiteral("miExit"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(m.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m.Documents().isEmpty());
}

TEST(MainWindow, NewWindowsCascadeAndAreVisibleFromCreation) {
    Started s;
    TMain& m = s.start();
    auto create = [&] {
        THTML* doc = m.CreateDocument();
        EXPECT_TRUE(doc->FrameWindow()->isVisible());
        doc->InitNewDocument(false);
        m.ShowDocument(doc);
        return doc->FrameWindow()->pos();
    };
    const QPoint first = create(), second = create(), third = create();
    EXPECT_EQ(first, QPoint(0, 0));
    const int step = second.x();
    EXPECT_GT(step, 10);
    EXPECT_EQ(second, QPoint(step, step));
    EXPECT_EQ(third, QPoint(2 * step, 2 * step));
    // With every window closed the next one starts in the corner again.
    m.MdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(create(), QPoint(0, 0));
}

TEST(MainWindow, OpenUsesTheDialogAndCancelDoesNothing) {
    Started s;
    s.write(QStringLiteral("a.html"), "A");
    TMain& m = s.start();
    s.platform.dialogs.openAnswers = {std::nullopt, s.dir.filePath(QStringLiteral("a.html"))};
    m.sbOpenClick();
    EXPECT_TRUE(m.Documents().isEmpty());
    m.sbOpenClick();
    ASSERT_EQ(m.Documents().size(), 1);
    EXPECT_EQ(m.ActiveDocument()->Caption(), s.dir.filePath(QStringLiteral("a.html")));
    // The same file again opens a second, independent window.
    s.platform.dialogs.openAnswers = {s.dir.filePath(QStringLiteral("a.html"))};
    m.sbOpenClick();
    EXPECT_EQ(m.Documents().size(), 2);
}

TEST(Desktop, FilesDroppedOnTheFrameOrAnEditorOpenAsDocumentsWithTheIcon) {
    Started s;
    s.write("a.htm", "<P>a</P>\r\n");
    s.write("b.html", "<P>b</P>\n");
    s.write("c.htm", "c");
    TMain& m = s.start();
    EXPECT_FALSE(m.windowIcon().isNull());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(s.dir.filePath("a.htm")), QUrl::fromLocalFile(s.dir.filePath("b.html")),
                   QUrl("https://example.org/x.htm")});
    // The offscreen platform ends a drag at once: the frame's drop handler stands for the drop.
    EXPECT_TRUE(m.acceptDrops());
    EXPECT_TRUE(m.OpenDroppedFiles(&files));
    QStringList names;
    for (THTML* doc : m.Documents()) {
        names << QFileInfo(doc->FileName()).fileName();
        EXPECT_EQ(doc->windowIcon().cacheKey(), m.windowIcon().cacheKey());
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{"a.htm", "b.html"}));

    // An editor passes such a drop on to the frame; plain text it refuses.
    THTML* doc = m.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    QMimeData third;
    third.setUrls({QUrl::fromLocalFile(s.dir.filePath("c.htm"))});
    EXPECT_TRUE(doc->RichEdit()->AcceptsDrop(&third));
    EXPECT_TRUE(doc->RichEdit()->TakeDrop(&third));
    EXPECT_EQ(m.Documents().size(), 3);
    QMimeData text;
    text.setText("c.htm");
    EXPECT_FALSE(doc->RichEdit()->AcceptsDrop(&text));
    EXPECT_FALSE(m.OpenDroppedFiles(&text));
    EXPECT_EQ(m.Documents().size(), 3);
}

TEST(Desktop, ApplicationIconDrawsAtEveryPixelRatio) {
    const QIcon icon = TMain::ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QPixmap one = icon.pixmap(QSize(32, 32), 1.0);
    const QPixmap two = icon.pixmap(QSize(32, 32), 2.0);
    EXPECT_EQ(one.size(), QSize(32, 32));
    EXPECT_EQ(two.size(), QSize(64, 64));
}
