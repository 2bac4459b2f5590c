#include "app/printing.h"
#include "app/tmain.h"
#include "mainfixture.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <Qsci/qsciprinter.h>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrintDialog>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using ts::Answer;
using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

struct FileCommands : ts::test::MainWindowTest {
    THTML* newDocument() {
        main->sbNewClick();
        return main->ActiveDocument();
    }
};

} // namespace

TEST_F(FileCommands, SaveOfAnUntitledDocumentGoesToSaveAs) {
    THTML* doc = newDocument();
    type(doc, QStringLiteral("<P>"));
    EXPECT_EQ(doc->PanelText(1), QStringLiteral("modified..."));
    platform.dialogs.saveAnswers = {path(QStringLiteral("Index.HTM"))};
    main->findChild<QAction*>(QStringLiteral("miSave"))->trigger();
    EXPECT_EQ(platform.dialogs.saveCalls, 1);
    EXPECT_EQ(read(QStringLiteral("Index.HTM")), QByteArray("<P>"));
    EXPECT_EQ(doc->Caption(), QStringLiteral("index.htm"));
    EXPECT_EQ(doc->FileName(), path(QStringLiteral("Index.HTM")));
    EXPECT_EQ(doc->PanelText(1), QString());
    EXPECT_FALSE(doc->RichEdit()->Modified());

    // A second Save writes to the same file without asking.
    type(doc, QStringLiteral("x"));
    main->sbSaveClick();
    EXPECT_EQ(platform.dialogs.saveCalls, 1);
    EXPECT_EQ(read(QStringLiteral("Index.HTM")), QByteArray("<P>x"));
}

TEST_F(FileCommands, SaveAsKeepsTheNameAndLowersOnlyTheCaption) {
    THTML* doc = newDocument();
    type(doc, QStringLiteral("Ä"));
    platform.dialogs.saveAnswers = {path(QStringLiteral("ÄB.HTML"))};
    main->miSaveAsClick();
    EXPECT_EQ(doc->FileName(), path(QStringLiteral("ÄB.HTML")));
    EXPECT_EQ(doc->Caption(), QStringLiteral("Äb.html"));
    // The editor reports the cleared flag itself, so the mark goes at once.
    QCoreApplication::processEvents();
    EXPECT_EQ(doc->PanelText(1), QString());
    EXPECT_FALSE(doc->RichEdit()->Modified());

    // No extension is added, and an existing file is replaced without asking.
    write(QStringLiteral("plain"), "old");
    platform.dialogs.saveAnswers = {path(QStringLiteral("plain"))};
    main->miSaveAsClick();
    EXPECT_EQ(read(QStringLiteral("plain")), QByteArray("\xC3\x84"));
    EXPECT_TRUE(platform.boxes.shown.empty());

    // Cancelled: nothing changes.
    main->miSaveAsClick();
    EXPECT_EQ(doc->FileName(), path(QStringLiteral("plain")));
}

TEST_F(FileCommands, WithoutDocumentsSaveDoesNothingAndPrintOnlyShowsItsDialog) {
    main->sbSaveClick();
    main->miSaveAsClick();
    EXPECT_EQ(platform.dialogs.saveCalls, 0);
    platform.dialogs.printAnswers = {true};
    main->sbPrintClick();
    EXPECT_EQ(platform.dialogs.printCalls, 1);
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(FileCommands, OpenedFileIsSavedBackByteForByte) {
    const QByteArray bytes = "\xEF\xBB\xBF<P>Gr\xC3\xBC\xC3\x9F" "e</P>\n<BR>\r\n\r<HR>";
    write(QStringLiteral("mixed.html"), bytes);
    THTML* doc = open(QStringLiteral("mixed.html"));
    main->sbSaveClick();
    EXPECT_EQ(read(QStringLiteral("mixed.html")), bytes);

    const QByteArray legacy = "<P>caf\xE9 \x80 \x81</P>\r\n";
    write(QStringLiteral("legacy.htm"), legacy);
    doc = open(QStringLiteral("legacy.htm"));
    EXPECT_EQ(doc->RichEdit()->GetLine(0), QStringLiteral("<P>caf\u00E9 \u20AC \u0081</P>"));
    main->sbSaveClick();
    EXPECT_EQ(read(QStringLiteral("legacy.htm")), legacy);
}

TEST_F(FileCommands, CharacterWindows1252CannotHoldAsksBeforeSavingAsUtf8) {
    write(QStringLiteral("legacy.htm"), "caf\xE9\r\n");
    THTML* doc = open(QStringLiteral("legacy.htm"));
    doc->RichEdit()->SetCaretRow(0);
    doc->RichEdit()->SetCaretCol(4);
    type(doc, QStringLiteral("\u4E2D"));
    // Declined: the file stays as it was and the document stays modified.
    platform.boxes.answers = {Answer::No};
    main->sbSaveClick();
    EXPECT_EQ(read(QStringLiteral("legacy.htm")), QByteArray("caf\xE9\r\n"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    platform.boxes.answers = {Answer::Yes};
    main->sbSaveClick();
    EXPECT_EQ(read(QStringLiteral("legacy.htm")), QByteArray("caf\xC3\xA9\xE4\xB8\xAD\r\n"));
    EXPECT_FALSE(doc->RichEdit()->Modified());
    EXPECT_EQ(platform.boxes.shown.size(), 2u);
}

TEST_F(FileCommands, FailedWriteNamesTheFileAndKeepsTextAndFlag) {
    THTML* doc = newDocument();
    type(doc, QStringLiteral("keep me"));
    const QString target = path(QStringLiteral("no/such/folder/page.htm"));
    platform.dialogs.saveAnswers = {target};
    main->sbSaveClick();
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_TRUE(platform.boxes.shown[0].text.contains(target));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    EXPECT_EQ(doc->RichEdit()->GetLine(0), QStringLiteral("keep me"));
    // The new name and caption were already set.
    EXPECT_EQ(doc->FileName(), target);
    EXPECT_EQ(doc->Caption(), QStringLiteral("page.htm"));
}

TEST_F(FileCommands, CloseQuestionYesNoCancel) {
    write(QStringLiteral("a.htm"), "a");
    THTML* doc = open(QStringLiteral("a.htm"));
    type(doc, QStringLiteral("1"));
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());

    platform.boxes.answers = {Answer::Cancel};
    frame->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(frame);
    EXPECT_EQ(platform.boxes.shown.back().text, path(QStringLiteral("a.htm")) + QStringLiteral(" is not yet saved! Save ?"));
    EXPECT_EQ(platform.boxes.shown.back().kind, ts::BoxKind::Confirmation);

    platform.boxes.answers = {Answer::Yes};
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame);
    EXPECT_EQ(read(QStringLiteral("a.htm")), QByteArray("1a"));

    doc = open(QStringLiteral("a.htm"));
    type(doc, QStringLiteral("2"));
    frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
    platform.boxes.answers = {Answer::No};
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame);
    EXPECT_EQ(read(QStringLiteral("a.htm")), QByteArray("1a"));
}

TEST_F(FileCommands, FailedSaveOnCloseKeepsTheWindowTextAndFlagOnEveryPath) {
    // The folder of the file turns into a plain file: no one, root included, can write there.
    struct Path {
        const char* name;
        std::function<void(TMain&, QMdiSubWindow&)> close;
    };
    const Path paths[] = {
        {"close box", [](TMain&, QMdiSubWindow& frame) { frame.close(); }},
        {"Exit", [](TMain& m, QMdiSubWindow&) { m.findChild<QAction*>(QStringLiteral("miExit"))->trigger(); }},
        {"frame closing", [](TMain& m, QMdiSubWindow&) { m.close(); }},
    };
    for (const Path& p : paths) {
        const QString folder = path(QString::fromLatin1(p.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        write(QString::fromLatin1(p.name) + QStringLiteral("/page.htm"), "old");
        THTML* doc = open(QString::fromLatin1(p.name) + QStringLiteral("/page.htm"));
        type(doc, QStringLiteral("new "));
        ASSERT_TRUE(QDir(folder).removeRecursively());
        write(QString::fromLatin1(p.name), "not a folder");
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());

        platform.boxes.shown.clear();
        platform.boxes.answers = {Answer::Yes};
        p.close(*main, *frame);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(frame) << p.name;
        EXPECT_TRUE(main->isVisible()) << p.name;
        ASSERT_EQ(platform.boxes.shown.size(), 2u) << p.name;
        EXPECT_EQ(platform.boxes.shown[1].kind, ts::BoxKind::Error) << p.name;
        EXPECT_TRUE(platform.boxes.shown[1].text.contains(folder)) << p.name;
        EXPECT_EQ(doc->RichEdit()->GetLine(0), QStringLiteral("new old")) << p.name;
        EXPECT_TRUE(doc->RichEdit()->Modified()) << p.name;
        EXPECT_EQ(doc->PanelText(1), QStringLiteral("modified...")) << p.name;
    }
    // An untitled document whose Save as goes to a missing folder stays open as well.
    THTML* doc = newDocument();
    type(doc, QStringLiteral("draft"));
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
    platform.boxes.answers = {Answer::Yes};
    platform.dialogs.saveAnswers = {path(QStringLiteral("missing/page.htm"))};
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(frame);
    EXPECT_EQ(doc->RichEdit()->GetLine(0), QStringLiteral("draft"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
}

TEST_F(FileCommands, UnmodifiedDocumentClosesWithoutQuestion) {
    THTML* doc = newDocument();
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame);
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(FileCommands, YesOnAnUntitledDocumentWhoseSaveAsIsCancelledKeepsItOpen) {
    THTML* doc = newDocument();
    type(doc, QStringLiteral("unsaved work"));
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
    platform.boxes.answers = {Answer::Yes};
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(frame);
    EXPECT_EQ(platform.dialogs.saveCalls, 1);
    EXPECT_EQ(doc->RichEdit()->GetLine(0), QStringLiteral("unsaved work"));
}

TEST_F(FileCommands, ExitAsksEachDocumentAndOneCancelKeepsEverythingOpen) {
    write(QStringLiteral("first.htm"), "1");
    write(QStringLiteral("second.htm"), "2");
    THTML* first = open(QStringLiteral("first.htm"));
    type(first, QStringLiteral("a"));
    THTML* second = open(QStringLiteral("second.htm"));
    type(second, QStringLiteral("b"));
    // The front window is asked first.
    platform.boxes.answers = {Answer::Yes, Answer::Cancel};
    main->sbExitClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->Documents().size(), 2);
    ASSERT_EQ(platform.boxes.shown.size(), 2u);
    EXPECT_TRUE(platform.boxes.shown[0].text.startsWith(path(QStringLiteral("second.htm"))));
    EXPECT_EQ(read(QStringLiteral("second.htm")), QByteArray("b2"));
    EXPECT_EQ(read(QStringLiteral("first.htm")), QByteArray("1"));

    platform.boxes.answers = {Answer::No};
    main->sbExitClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(main->Documents().isEmpty());
    EXPECT_EQ(read(QStringLiteral("first.htm")), QByteArray("1"));
}

TEST_F(FileCommands, PrintToPdfHoldsTheTextAndReportsTheJob) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "pdftotext missing";
    THTML* doc = newDocument();
    QString body;
    for (int k = 0; k < 150; ++k) body += QStringLiteral("<P>line %1 of the printed page</P>\r\n").arg(k);
    doc->RichEdit()->SetDocumentBytes(body.toUtf8());
    const QString pdf = path(QStringLiteral("out.pdf"));
    main->Printer().setOutputFormat(QPrinter::PdfFormat);
    main->Printer().setOutputFileName(pdf);
    platform.dialogs.printAnswers = {true};
    main->findChild<QAction*>(QStringLiteral("miPrint"))->trigger();

    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Information);
    EXPECT_EQ(platform.boxes.shown[0].text, QStringLiteral("Document \u00BB\u00BBnoname\u00AB\u00AB printed."));
    EXPECT_EQ(main->Printer().docName(), QStringLiteral("Tagsmith - \u00BB\u00BBnoname\u00AB\u00AB"));

    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("<P>line 0 of the printed page</P>")));
    EXPECT_TRUE(printed.contains(QStringLiteral("<P>line 149 of the printed page</P>")));
    // More than one page.
    EXPECT_GE(printed.count(QLatin1Char('\f')), 1);
}

TEST_F(FileCommands, PrinterSetupChoosesThePrinterThatPrintUses) {
    THTML* doc = newDocument();
    doc->RichEdit()->SetDocumentBytes("<P>chosen printer</P>\r\n");
    const QString pdf = path(QStringLiteral("chosen.pdf"));
    // The real set-up dialog: choose printing to a file there.
    ts::QtCommonDialogs real;
    ts::setCommonDialogs(&real);
    ts::test::DialogDriver dialogs;
    dialogs.expect<QPrintDialog>("QPrintDialog", [&](QPrintDialog& dlg) {
        if (auto* name = dlg.findChild<QLineEdit*>(QStringLiteral("filename"))) name->setText(pdf);
        dlg.accept();
    });
    main->findChild<QAction*>(QStringLiteral("miPrinterSetup"))->trigger();
    dialogs.done();
    ts::setCommonDialogs(&platform.dialogs);

    platform.dialogs.printAnswers = {true};
    main->sbPrintClick();
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
}

TEST_F(FileCommands, PrintCancelledPrintsNothing) {
    newDocument();
    main->sbPrintClick();
    EXPECT_EQ(platform.dialogs.printCalls, 1);
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST(PrintJob, TitleNamesTheFile) {
    EXPECT_EQ(printJobTitle(QStringLiteral("C:\\a.htm")), QStringLiteral("Tagsmith - \u00BBC:\\a.htm\u00AB"));
}
