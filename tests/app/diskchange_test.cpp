#include "app/tmain.h"
#include "mainfixture.h"
#include "editor/diskwatch.h"
#include "editor/recovery.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "support/waitfor.h"

#include <QAction>
#include <QFile>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

using ts::Answer;
using ts::BoxKind;
using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

struct DiskChanges : ts::test::MainWindowTest {
    // Written to another file and renamed over it, as most editors save.
    void replace(const QString& name, const QByteArray& bytes) {
        write(name + QStringLiteral(".new"), bytes);
        ASSERT_EQ(::rename(QFile::encodeName(path(name + QStringLiteral(".new"))).constData(),
                           QFile::encodeName(path(name)).constData()),
                  0);
    }
    static QString text(THTML* doc) { return QString::fromUtf8(doc->RichEdit()->DocumentBytes()); }
    QStringList texts() const { return platform.boxes.texts(); }
    void save() { main->findChild<QAction*>(QStringLiteral("miSave"))->trigger(); }
    // The user goes to another program and comes back.
    void comeBack() {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(ts::test::waitFor([&] { return !main->isActiveWindow(); }));
        main->activateWindow();
        ASSERT_TRUE(ts::test::waitFor([&] { return main->isActiveWindow(); }));
    }
};

} // namespace

TEST_F(DiskChanges, YesReloadsTheFileAsOpeningReadsIt) {
    struct Case {
        const char* name;
        const char* typed;
        const char* question;
    };
    const Case cases[] = {
        {"unmodified", "", " has been changed on disk. Reload it?"},
        {"modified", "mine ", " has been changed on disk. Reload it and lose your changes?"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name) + QStringLiteral(".htm");
        write(name, "<P>old</P>\r\n");
        THTML* doc = open(name);
        type(doc, QString::fromLatin1(c.typed));
        platform.boxes.shown.clear();
        // Windows-1252 with LF line breaks now: read as opening reads it.
        write(name, "<P>caf\xE9</P>\n<P>more</P>\n");
        platform.boxes.answers = {Answer::Yes};
        main->CheckDiskFiles();
        ASSERT_EQ(texts(), QStringList{path(name) + QString::fromLatin1(c.question)}) << c.name;
        EXPECT_EQ(platform.boxes.shown[0].kind, BoxKind::Confirmation);
        EXPECT_EQ(platform.boxes.shown[0].preferred, Answer::No);
        EXPECT_EQ(text(doc), QStringLiteral("<P>caf\u00E9</P>\n<P>more</P>\n")) << c.name;
        EXPECT_EQ(doc->Format().encoding, ts::TextEncoding::Windows1252) << c.name;
        EXPECT_FALSE(doc->RichEdit()->Modified()) << c.name;
        EXPECT_EQ(doc->PanelText(1), QString()) << c.name;
        // The caret stays where it was.
        const int col = static_cast<int>(strlen(c.typed));
        EXPECT_EQ(doc->PanelText(0), QStringLiteral("%1:0").arg(col)) << c.name;
        // Unchanged since: no question, and an edit saves back in the file's encoding.
        main->CheckDiskFiles();
        EXPECT_EQ(texts().size(), 1) << c.name;
        type(doc, QStringLiteral("\u00E4"));
        save();
        EXPECT_EQ(read(name), QByteArray("<P>caf\xE9</P>\n<P>more</P>\n").insert(col, '\xE4')) << c.name;
        EXPECT_EQ(texts().size(), 1) << c.name;
    }
}

// Enter on the real question box keeps the user's text, on disk and in the editor.
TEST_F(DiskChanges, EnterAnswersNoToReloadAndOverwrite) {
    ts::QtMessageBoxes real;
    ts::setMessages(&real);
    QStringList asked;
    ts::test::DialogDriver dialogs;
    auto pressEnterInTheBox = [&] {
        dialogs.expect<QMessageBox>("QMessageBox", [&asked](QMessageBox& box) {
            asked << box.text();
            QTest::keyClick(&box, Qt::Key_Return);
        });
    };
    write(QStringLiteral("e.htm"), "theirs");
    THTML* doc = open(QStringLiteral("e.htm"));
    type(doc, QStringLiteral("mine "));
    write(QStringLiteral("e.htm"), "changed");
    pressEnterInTheBox();
    main->CheckDiskFiles();
    dialogs.done();
    pressEnterInTheBox();
    save();
    dialogs.done();
    ts::setMessages(&platform.boxes);
    const QString file = path(QStringLiteral("e.htm"));
    EXPECT_EQ(asked, (QStringList{file + " has been changed on disk. Reload it and lose your changes?",
                                  file + " has been changed on disk since it was opened or last saved. Overwrite it?"}));
    EXPECT_EQ(text(doc), QStringLiteral("mine theirs"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    EXPECT_EQ(read(QStringLiteral("e.htm")), QByteArray("changed"));
}

// While keys come in, a change found on disk waits for the typing to pause.
TEST_F(DiskChanges, NoQuestionWhileTyping) {
    write(QStringLiteral("t.htm"), "text");
    THTML* doc = open(QStringLiteral("t.htm"));
    QSignalSpy noticed(doc->DiskWatch(), &ts::TDiskWatch::Changed);
    // The user types a key every 100 ms.
    auto typeKey = [&] {
        QTest::keyClick(doc->RichEdit(), Qt::Key_A);
        QTest::qWait(100);
    };
    write(QStringLiteral("t.htm"), "changed on disk");
    QElapsedTimer deadline;
    deadline.start();
    while (noticed.isEmpty() && deadline.elapsed() < 10000) typeKey();
    ASSERT_FALSE(noticed.isEmpty());
    for (int k = 0; k < 6; ++k) typeKey();
    EXPECT_TRUE(texts().isEmpty());

    QElapsedTimer pause;
    pause.start();
    QTRY_COMPARE_WITH_TIMEOUT(texts().size(), 1, 5000);
    EXPECT_GE(pause.elapsed(), 700);
    EXPECT_EQ(texts()[0],
              path(QStringLiteral("t.htm")) + " has been changed on disk. Reload it and lose your changes?");
    EXPECT_TRUE(text(doc).startsWith(QStringLiteral("aaaaaaa")));
}

// Undo after a reload gives the typed text back, and the journal follows both ways.
TEST_F(DiskChanges, ReloadIsOneUndoStep) {
    QTemporaryDir journals;
    ts::setRecoveryFolder(journals.path());
    write(QStringLiteral("u.htm"), "file text\r\n");
    THTML* doc = open(QStringLiteral("u.htm"));
    type(doc, QStringLiteral("mine "));
    write(QStringLiteral("u.htm"), "new file text\r\n");
    platform.boxes.answers = {Answer::Yes};
    main->CheckDiskFiles();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_EQ(text(doc), QStringLiteral("new file text\r\n"));
    EXPECT_FALSE(doc->RichEdit()->Modified());

    doc->Palette().button(QStringLiteral("sbUndo"))->click();
    EXPECT_EQ(text(doc), QStringLiteral("mine file text\r\n"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    EXPECT_EQ(doc->PanelText(1), QStringLiteral("modified..."));
    ASSERT_TRUE(doc->Journal() && doc->Journal()->Flush());
    const ts::RecoveredDocument undone = ts::replayJournal(doc->Journal()->Path());
    EXPECT_EQ(undone.text, QByteArray("mine file text\r\n")) << undone.problem.toStdString();

    // Redone: the file's text again, with nothing left to recover.
    QTest::keyClick(doc->RichEdit(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text(doc), QStringLiteral("new file text\r\n"));
    EXPECT_FALSE(doc->RichEdit()->Modified());
    EXPECT_TRUE(QDir(journals.path()).entryList(QDir::Files).isEmpty());
    ts::setRecoveryFolder(QString());
}

TEST_F(DiskChanges, NoKeepsTheTextAndAsksAgainOnlyAfterTheNextChange) {
    write(QStringLiteral("a.htm"), "one");
    THTML* doc = open(QStringLiteral("a.htm"));
    type(doc, QStringLiteral("x"));
    write(QStringLiteral("a.htm"), "two!");
    platform.boxes.answers = {Answer::No};
    main->CheckDiskFiles();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_EQ(text(doc), QStringLiteral("xone"));
    EXPECT_TRUE(doc->RichEdit()->Modified());

    // Coming back to the program without a change asks nothing.
    main->CheckDiskFiles();
    main->CheckDiskFiles();
    EXPECT_EQ(texts().size(), 1);

    // Same size, later time: still a change.
    write(QStringLiteral("a.htm"), "three");
    const struct timespec times[2] = {{0, UTIME_OMIT}, {2000000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path(QStringLiteral("a.htm"))).constData(), times, 0), 0);
    main->CheckDiskFiles();
    ASSERT_EQ(texts().size(), 2);
    EXPECT_EQ(texts()[1], path(QStringLiteral("a.htm")) + " has been changed on disk. Reload it and lose your changes?");
    write(QStringLiteral("a.htm"), "four");
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path(QStringLiteral("a.htm"))).constData(), times, 0), 0);
    main->CheckDiskFiles();
    EXPECT_EQ(texts().size(), 3);
    EXPECT_EQ(text(doc), QStringLiteral("xone"));

    // Keeping the text did not make the other program's file ours to overwrite.
    platform.boxes.answers = {Answer::Yes};
    save();
    ASSERT_EQ(texts().size(), 4);
    EXPECT_EQ(texts()[3], path(QStringLiteral("a.htm")) +
                              " has been changed on disk since it was opened or last saved. Overwrite it?");
    EXPECT_EQ(read(QStringLiteral("a.htm")), QByteArray("xone"));
    main->CheckDiskFiles();
    EXPECT_EQ(texts().size(), 4);
}

// Through the system's watcher, without the frame being activated.
TEST_F(DiskChanges, WatcherSeesOtherProgramsButNotOurOwnSaves) {
    write(QStringLiteral("w.htm"), "start");
    THTML* doc = open(QStringLiteral("w.htm"));
    type(doc, QStringLiteral("a"));
    save();
    type(doc, QStringLiteral("b"));
    save();
    // Nothing is asked once the watcher has looked at the file after our saves.
    QSignalSpy looked(doc->DiskWatch(), &ts::TDiskWatch::Changed);
    EXPECT_TRUE(ts::test::waitFor([&] { return !looked.isEmpty(); }));
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(read(QStringLiteral("w.htm")), QByteArray("abstart"));

    // Replaced by a rename, then written in place: the watch survives the replacement.
    platform.boxes.answers = {Answer::Yes, Answer::Yes};
    replace(QStringLiteral("w.htm"), "renamed over");
    EXPECT_TRUE(ts::test::waitFor([&] { return texts().size() == 1; }, 10000)) << texts().size();
    EXPECT_TRUE(ts::test::waitFor([&] { return text(doc) == QStringLiteral("renamed over"); }, 10000))
        << text(doc).toStdString();
    write(QStringLiteral("w.htm"), "written in place");
    ASSERT_TRUE(ts::test::waitFor([&] { return texts().size() == 2; }, 10000)) << texts().size();
    EXPECT_EQ(text(doc), QStringLiteral("written in place"));
    EXPECT_EQ(texts()[1], path(QStringLiteral("w.htm")) + " has been changed on disk. Reload it?");
    // One question per change: the watcher's next look, after every event of
    // that write has reached it, asks nothing more.
    looked.clear();
    doc->DiskWatch()->Poke();
    EXPECT_TRUE(ts::test::waitFor([&] { return !looked.isEmpty(); }));
    EXPECT_EQ(texts().size(), 2);
}

TEST_F(DiskChanges, DeletedFileIsReportedOnceAndItsTextKeptAsModified) {
    write(QStringLiteral("d.htm"), "keep me");
    THTML* doc = open(QStringLiteral("d.htm"));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("d.htm"))));
    comeBack();
    comeBack();
    ASSERT_EQ(texts(), QStringList{path(QStringLiteral("d.htm")) +
                                   " has been deleted on disk. Its text is kept in the editor."});
    EXPECT_EQ(platform.boxes.shown[0].kind, BoxKind::Warning);
    EXPECT_EQ(text(doc), QStringLiteral("keep me"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    EXPECT_EQ(doc->PanelText(1), QStringLiteral("modified..."));

    // Closing asks to save; the file is written again without an overwrite question.
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
    platform.boxes.answers = {Answer::Yes};
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame);
    EXPECT_EQ(texts().size(), 2);
    EXPECT_EQ(texts()[1], path(QStringLiteral("d.htm")) + " is not yet saved! Save ?");
    EXPECT_EQ(read(QStringLiteral("d.htm")), QByteArray("keep me"));
}

TEST_F(DiskChanges, SaveOverAFileChangedOnDiskAsksFirst) {
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        const QString name = answer == Answer::Yes ? QStringLiteral("yes.htm") : QStringLiteral("no.htm");
        write(name, "theirs");
        THTML* doc = open(name);
        type(doc, QStringLiteral("mine "));
        write(name, "changed meanwhile");
        platform.boxes.shown.clear();
        platform.boxes.answers = {answer};
        save();
        ASSERT_EQ(texts(), QStringList{path(name) + " has been changed on disk since it was opened or last saved. "
                                                    "Overwrite it?"});
        EXPECT_EQ(platform.boxes.shown[0].preferred, Answer::No);
        EXPECT_EQ(read(name), answer == Answer::Yes ? QByteArray("mine theirs") : QByteArray("changed meanwhile"));
        EXPECT_EQ(doc->RichEdit()->Modified(), answer == Answer::No);
        EXPECT_EQ(doc->PanelText(1), answer == Answer::No ? QStringLiteral("modified...") : QString());
        if (answer == Answer::Yes) continue;

        // Refused on close as well: the window stays with its text.
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
        platform.boxes.answers = {Answer::Yes, Answer::No};
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(frame);
        EXPECT_EQ(texts().size(), 3);
        EXPECT_EQ(text(doc), QStringLiteral("mine theirs"));
        EXPECT_TRUE(doc->RichEdit()->Modified());
        EXPECT_EQ(read(name), QByteArray("changed meanwhile"));
    }
}

// The frame is activated again while a question is open (the box itself
// activates it), and the file changes once more meanwhile.
TEST_F(DiskChanges, NoSecondQuestionWhileOneIsOpen) {
    struct Reentering : ts::ScriptedMessageBoxes {
        std::function<void()> meanwhile;
        int open = 0, mostOpen = 0;
        using ScriptedMessageBoxes::askYesNo;
        Answer askYesNo(QWidget* parent, const QString& text, Answer preferred) override {
            mostOpen = std::max(mostOpen, ++open);
            if (meanwhile) std::exchange(meanwhile, nullptr)();
            const Answer a = ScriptedMessageBoxes::askYesNo(parent, text, preferred);
            --open;
            return a;
        }
    } boxes;
    ts::setMessages(&boxes);
    write(QStringLiteral("r.htm"), "r");
    THTML* doc = open(QStringLiteral("r.htm"));
    write(QStringLiteral("r.htm"), "rr");
    boxes.meanwhile = [&] {
        write(QStringLiteral("r.htm"), "rrr");
        main->CheckDiskFiles();
    };
    main->CheckDiskFiles();
    // The second change is asked about once the first question is answered.
    EXPECT_TRUE(ts::test::waitFor([&] { return boxes.shown.size() == 2; }, 10000)) << boxes.shown.size();
    ts::setMessages(&platform.boxes);
    EXPECT_EQ(boxes.mostOpen, 1);
    EXPECT_EQ(text(doc), QStringLiteral("r"));
}

TEST_F(DiskChanges, RecoveredDocumentSavesWithoutQuestionWhileItsFileIsUnchanged) {
    for (const bool changed : {false, true}) {
        const QString name = changed ? QStringLiteral("changed.htm") : QStringLiteral("same.htm");
        write(name, "base text");
        // As the journal kept it: the file's size and time when the journal began.
        ts::RecoveredDocument recovered;
        recovered.header.fileName = path(name);
        recovered.header.base = ts::FileIdentity::of(path(name));
        recovered.text = "recovered text";
        if (changed) write(name, "changed after the journal began");
        THTML* doc = main->CreateDocument();
        doc->SetFileName(path(name));
        doc->RecoverDocument(recovered);
        main->ShowDocument(doc);
        platform.boxes.shown.clear();
        // Changed: keep the recovered text, then overwrite the file with it.
        platform.boxes.answers = {Answer::No, Answer::Yes};
        main->CheckDiskFiles();
        save();
        const QStringList expected =
            changed ? QStringList{path(name) + " has been changed on disk. Reload it and lose your changes?",
                                  path(name) + " has been changed on disk since it was opened or last saved. "
                                               "Overwrite it?"}
                    : QStringList{};
        EXPECT_EQ(texts(), expected) << changed;
        EXPECT_EQ(read(name), QByteArray("recovered text")) << changed;
        EXPECT_FALSE(doc->RichEdit()->Modified()) << changed;
    }
}

// Edits kept against a file that changed or went away still come back after a crash.
TEST_F(DiskChanges, KeptTextStaysRecoverable) {
    QTemporaryDir journals;
    ts::setRecoveryFolder(journals.path());
    for (const bool deleted : {false, true}) {
        const QString name = deleted ? QStringLiteral("gone.htm") : QStringLiteral("kept.htm");
        write(name, "file text");
        THTML* doc = open(name);
        type(doc, QStringLiteral("typed "));
        ASSERT_TRUE(doc->Journal() && doc->Journal()->Flush());
        if (deleted) ASSERT_TRUE(QFile::remove(path(name)));
        else write(name, "someone else's text");
        platform.boxes.answers = {Answer::No};
        main->CheckDiskFiles();
        const ts::RecoveredDocument recovered = ts::replayJournal(doc->Journal()->Path());
        EXPECT_TRUE(recovered.ok()) << deleted << ' ' << recovered.problem.toStdString();
        EXPECT_EQ(recovered.text, QByteArray("typed file text")) << deleted;
        type(doc, QStringLiteral("more "));
        ASSERT_TRUE(doc->Journal()->Flush());
        EXPECT_EQ(ts::replayJournal(doc->Journal()->Path()).text, QByteArray("typed more file text")) << deleted;
    }
    for (THTML* doc : main->Documents()) doc->RichEdit()->ClearModified();
    main.reset();
    ts::setRecoveryFolder(QString());
}

TEST_F(DiskChanges, ReloadOfAFileThatCannotBeReadKeepsTheText) {
    write(QStringLiteral("n.htm"), "good text");
    THTML* doc = open(QStringLiteral("n.htm"));
    type(doc, QStringLiteral("my "));
    write(QStringLiteral("n.htm"), QByteArray("bad\0text", 8));
    platform.boxes.answers = {Answer::Yes};
    main->CheckDiskFiles();
    ASSERT_EQ(texts().size(), 2);
    EXPECT_EQ(platform.boxes.shown[1].kind, BoxKind::Error);
    EXPECT_TRUE(texts()[1].contains(path(QStringLiteral("n.htm"))));
    EXPECT_EQ(text(doc), QStringLiteral("my good text"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
}
