#include "editor/diskwatch.h"
#include "editor/recovery.h"
#include "editor/tdocument.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/scratchfolder.h"
#include "support/testenv.h"
#include "support/waitfor.h"
#include "support/widgets.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

using ts::Answer;
using ts::BoxKind;
using ts::test::ScopedPlatform;

namespace {

// A document over a bare editor, with no window around it.
struct DocumentFiles : ::testing::Test, ts::test::ScratchFolder {
    ScopedPlatform platform;
    TSRichEdit editor;
    TDocument doc{editor};

    void SetUp() override { editor.show(); }
    void open(const QString& name) {
        doc.SetFileName(path(name));
        doc.Load();
    }
    void type(const QString& s) { ts::test::typeText(&editor, s); }
    QString text() const { return QString::fromUtf8(editor.DocumentBytes()); }
    QStringList texts() const { return platform.boxes.texts(); }
    // Same size, later time: a change all the same.
    void touch(const QString& name) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {2000000000, 123456789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path(name)).constData(), times, 0), 0);
    }
};

// Journals go to a private folder for the life of a test.
struct ScopedJournals {
    QTemporaryDir dir;
    ScopedJournals() { ts::setRecoveryFolder(dir.path()); }
    ~ScopedJournals() { ts::setRecoveryFolder(QString()); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
};

} // namespace

TEST_F(DocumentFiles, LoadThenSaveGivesTheFileBackByteForByte) {
    // Large enough to be built on a thread of its own, in many pieces, with
    // characters and line breaks across their edges; the second turns out
    // not to be UTF-8 only at its end, so loading starts again.
    const QByteArray line("<P>Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80</P>\r\n");
    const int lineCount = (9 << 20) / int(line.size());
    const QByteArray plain = QByteArray("<P>plain text</P>\r\n").repeated(lineCount);
    struct Case {
        const char* name;
        QByteArray file;
        QByteArray text; // as the editor holds it
        ts::LineBreak lineBreak;
        int lines;
        ts::TextEncoding encoding;
    };
    const Case cases[] = {
        {"unix.html", "a\nb\r\nc\rd", "a\nb\r\nc\rd", ts::LineBreak::Lf, 4, ts::TextEncoding::Utf8},
        {"bom.html", "\xEF\xBB\xBF<P>\xC3\xA4</P>\r\n", "<P>\xC3\xA4</P>\r\n", ts::LineBreak::CrLf, 1,
         ts::TextEncoding::Utf8},
        {"cp1252.html", "<P>caf\xE9\x80</P>\r", "<P>caf\xC3\xA9\xE2\x82\xAC</P>\r", ts::LineBreak::Cr, 1,
         ts::TextEncoding::Windows1252},
        {"large.html", line.repeated(lineCount), line.repeated(lineCount), ts::LineBreak::CrLf, lineCount,
         ts::TextEncoding::Utf8},
        {"large1252.html", plain + "<P>caf\xE9\x80</P>", plain + "<P>caf\xC3\xA9\xE2\x82\xAC</P>", ts::LineBreak::CrLf,
         lineCount + 1, ts::TextEncoding::Windows1252},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        write(name, c.file);
        open(name);
        EXPECT_EQ(ts::test::documentText(editor), c.text) << c.name;
        EXPECT_EQ(editor.LineBreak(), c.lineBreak) << c.name;
        EXPECT_EQ(editor.LineCount(), c.lines) << c.name;
        EXPECT_EQ(doc.Format().encoding, c.encoding) << c.name;
        EXPECT_EQ(doc.FileName(), path(name)) << c.name;
        EXPECT_EQ(doc.Caption(), path(name)) << c.name;
        EXPECT_FALSE(editor.Modified()) << c.name;
        // Saving an unchanged document asks nothing and writes what was read.
        QFile::remove(path(name));
        ASSERT_TRUE(doc.Save()) << c.name;
        EXPECT_EQ(read(name), c.file) << c.name;
        EXPECT_FALSE(editor.isUndoAvailable()) << c.name;
    }
    EXPECT_TRUE(texts().isEmpty());

    // Refused at its last byte: the editor is left empty, and a Save does
    // not write that over the file.
    write(QStringLiteral("nul.html"), plain + QByteArray(1, '\0'));
    EXPECT_THROW(open(QStringLiteral("nul.html")), TError);
    EXPECT_TRUE(editor.IsEmpty());
    EXPECT_EQ(doc.FileName(), untitledName());
    EXPECT_FALSE(doc.Save()); // Save as, cancelled
    EXPECT_EQ(read(QStringLiteral("nul.html")), plain + QByteArray(1, '\0'));
}

TEST_F(DocumentFiles, ModifiedFlagFollowsEditsSavesAndUndo) {
    write(QStringLiteral("m.htm"), "text");
    open(QStringLiteral("m.htm"));
    QSignalSpy savedAs(&doc, &TDocument::SavedAs);
    type(QStringLiteral("x"));
    EXPECT_TRUE(editor.Modified());
    ASSERT_TRUE(doc.Save());
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(read(QStringLiteral("m.htm")), QByteArray("xtext"));
    // Undone past the saved text: modified again.
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("text"));
    EXPECT_TRUE(editor.Modified());
    // Save as writes under the chosen name, captioned in lower case, and says so.
    platform.dialogs.saveAnswers = {path(QStringLiteral("Other.HTM"))};
    ASSERT_TRUE(doc.SaveAs());
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(read(QStringLiteral("Other.HTM")), QByteArray("text"));
    EXPECT_EQ(doc.FileName(), path(QStringLiteral("Other.HTM")));
    EXPECT_EQ(doc.Caption(), QStringLiteral("other.htm"));
    ASSERT_EQ(savedAs.size(), 1);
    EXPECT_EQ(savedAs[0][0].toString(), path(QStringLiteral("Other.HTM")));
    // A new document from a template starts unmodified, with nothing to undo.
    doc.SetFileName(untitledName());
    doc.New({QStringLiteral("<HTML>"), QStringLiteral("</HTML>")});
    EXPECT_EQ(text(), QStringLiteral("<HTML>\r\n</HTML>\r\n"));
    EXPECT_EQ(doc.Caption(), untitledName());
    EXPECT_FALSE(editor.Modified());
    EXPECT_FALSE(editor.isUndoAvailable());
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(DocumentFiles, YesReloadsTheFileAsOpeningReadsIt) {
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
        open(name);
        type(QString::fromLatin1(c.typed));
        platform.boxes.shown.clear();
        // Windows-1252 with LF line breaks now: read as opening reads it.
        write(name, "<P>caf\xE9</P>\n<P>more</P>\n");
        platform.boxes.answers = {Answer::Yes};
        doc.CheckDiskFile();
        ASSERT_EQ(texts(), QStringList{path(name) + QString::fromLatin1(c.question)}) << c.name;
        EXPECT_EQ(platform.boxes.shown[0].kind, BoxKind::Confirmation);
        EXPECT_EQ(platform.boxes.shown[0].preferred, Answer::No);
        EXPECT_EQ(text(), QStringLiteral("<P>caf\u00E9</P>\n<P>more</P>\n")) << c.name;
        EXPECT_EQ(doc.Format().encoding, ts::TextEncoding::Windows1252) << c.name;
        EXPECT_FALSE(editor.Modified()) << c.name;
        // The caret stays where it was.
        const int col = static_cast<int>(strlen(c.typed));
        EXPECT_EQ(editor.CaretCol(), col) << c.name;
        EXPECT_EQ(editor.CaretRow(), 0) << c.name;
        // Unchanged since: no question, and an edit saves back in the file's encoding.
        doc.CheckDiskFile();
        EXPECT_EQ(texts().size(), 1) << c.name;
        type(QStringLiteral("\u00E4"));
        doc.Save();
        EXPECT_EQ(read(name), QByteArray("<P>caf\xE9</P>\n<P>more</P>\n").insert(col, '\xE4')) << c.name;
        EXPECT_EQ(texts().size(), 1) << c.name;
    }
}

// Enter on the real question box keeps the user's text, on disk and in the editor.
TEST_F(DocumentFiles, EnterAnswersNoToReloadAndOverwrite) {
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
    open(QStringLiteral("e.htm"));
    type(QStringLiteral("mine "));
    write(QStringLiteral("e.htm"), "changed");
    pressEnterInTheBox();
    doc.CheckDiskFile();
    dialogs.done();
    pressEnterInTheBox();
    doc.Save();
    dialogs.done();
    ts::setMessages(&platform.boxes);
    const QString file = path(QStringLiteral("e.htm"));
    EXPECT_EQ(asked, (QStringList{file + " has been changed on disk. Reload it and lose your changes?",
                                  file + " has been changed on disk since it was opened or last saved. Overwrite it?"}));
    EXPECT_EQ(text(), QStringLiteral("mine theirs"));
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(read(QStringLiteral("e.htm")), QByteArray("changed"));
}

// While keys come in, a change found on disk waits for the typing to pause.
TEST_F(DocumentFiles, NoQuestionWhileTyping) {
    write(QStringLiteral("t.htm"), "text");
    open(QStringLiteral("t.htm"));
    QSignalSpy noticed(doc.DiskWatch(), &ts::TDiskWatch::Changed);
    // The user types a key every 100 ms.
    auto typeKey = [&] {
        QTest::keyClick(&editor, Qt::Key_A);
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
    EXPECT_TRUE(text().startsWith(QStringLiteral("aaaaaaa")));
}

// Undo after a reload gives the typed text back, and the journal follows both ways.
TEST_F(DocumentFiles, ReloadIsOneUndoStep) {
    ScopedJournals journals;
    write(QStringLiteral("u.htm"), "file text\r\n");
    open(QStringLiteral("u.htm"));
    type(QStringLiteral("mine "));
    write(QStringLiteral("u.htm"), "new file text\r\n");
    platform.boxes.answers = {Answer::Yes};
    doc.CheckDiskFile();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_EQ(text(), QStringLiteral("new file text\r\n"));
    EXPECT_FALSE(editor.Modified());

    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("mine file text\r\n"));
    EXPECT_TRUE(editor.Modified());
    ASSERT_TRUE(doc.Journal() && doc.Journal()->Flush());
    const ts::RecoveredDocument undone = ts::replayJournal(doc.Journal()->Path());
    EXPECT_EQ(undone.text, QByteArray("mine file text\r\n")) << undone.problem.toStdString();

    // Redone: the file's text again, with nothing left to recover.
    QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("new file text\r\n"));
    EXPECT_FALSE(editor.Modified());
    EXPECT_TRUE(journals.files().isEmpty());
}

TEST_F(DocumentFiles, NoKeepsTheTextAndAsksAgainOnlyAfterTheNextChange) {
    const QString name = QStringLiteral("a.htm");
    write(name, "one");
    open(name);
    type(QStringLiteral("x"));
    write(name, "two!");
    platform.boxes.answers = {Answer::No};
    doc.CheckDiskFile();
    ASSERT_EQ(texts().size(), 1);
    EXPECT_EQ(text(), QStringLiteral("xone"));
    EXPECT_TRUE(editor.Modified());

    // Coming back to the program without a change asks nothing.
    doc.CheckDiskFile();
    doc.CheckDiskFile();
    EXPECT_EQ(texts().size(), 1);

    // Same size, later time: still a change.
    write(name, "three");
    touch(name);
    doc.CheckDiskFile();
    ASSERT_EQ(texts().size(), 2);
    EXPECT_EQ(texts()[1], path(name) + " has been changed on disk. Reload it and lose your changes?");
    write(name, "four");
    touch(name);
    doc.CheckDiskFile();
    EXPECT_EQ(texts().size(), 3);
    EXPECT_EQ(text(), QStringLiteral("xone"));

    // Keeping the text did not make the other program's file ours to overwrite.
    platform.boxes.answers = {Answer::Yes};
    doc.Save();
    ASSERT_EQ(texts().size(), 4);
    EXPECT_EQ(texts()[3], path(name) + " has been changed on disk since it was opened or last saved. Overwrite it?");
    EXPECT_EQ(read(name), QByteArray("xone"));
    doc.CheckDiskFile();
    EXPECT_EQ(texts().size(), 4);
}

// Through the system's watcher, without anyone asking for a look.
TEST_F(DocumentFiles, WatcherSeesOtherProgramsButNotOurOwnSaves) {
    write(QStringLiteral("w.htm"), "start");
    open(QStringLiteral("w.htm"));
    type(QStringLiteral("a"));
    doc.Save();
    type(QStringLiteral("b"));
    doc.Save();
    // Nothing is asked once the watcher has looked at the file after our saves.
    QSignalSpy looked(doc.DiskWatch(), &ts::TDiskWatch::Changed);
    EXPECT_TRUE(ts::test::waitFor([&] { return !looked.isEmpty(); }));
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(read(QStringLiteral("w.htm")), QByteArray("abstart"));

    // Replaced by a rename, then written in place: the watch survives the replacement.
    platform.boxes.answers = {Answer::Yes, Answer::Yes};
    replace(QStringLiteral("w.htm"), "renamed over");
    EXPECT_TRUE(ts::test::waitFor([&] { return texts().size() == 1; }, 10000)) << texts().size();
    EXPECT_TRUE(ts::test::waitFor([&] { return text() == QStringLiteral("renamed over"); }, 10000))
        << text().toStdString();
    write(QStringLiteral("w.htm"), "written in place");
    ASSERT_TRUE(ts::test::waitFor([&] { return texts().size() == 2; }, 10000)) << texts().size();
    EXPECT_EQ(text(), QStringLiteral("written in place"));
    EXPECT_EQ(texts()[1], path(QStringLiteral("w.htm")) + " has been changed on disk. Reload it?");
    // One question per change: the watcher's next look, after every event of
    // that write has reached it, asks nothing more.
    looked.clear();
    doc.DiskWatch()->Poke();
    EXPECT_TRUE(ts::test::waitFor([&] { return !looked.isEmpty(); }));
    EXPECT_EQ(texts().size(), 2);
}

TEST_F(DocumentFiles, RecoveredDocumentSavesWithoutQuestionWhileItsFileIsUnchanged) {
    for (const bool changed : {false, true}) {
        const QString name = changed ? QStringLiteral("changed.htm") : QStringLiteral("same.htm");
        write(name, "base text");
        // As the journal kept it: the file's size and time when the journal began.
        ts::RecoveredDocument recovered;
        recovered.header.fileName = path(name);
        recovered.header.base = ts::FileIdentity::of(path(name));
        recovered.text = "recovered text";
        if (changed) write(name, "changed after the journal began");
        doc.Recover(recovered);
        EXPECT_TRUE(editor.Modified()) << changed;
        EXPECT_EQ(doc.Caption(), path(name)) << changed;
        platform.boxes.shown.clear();
        // Changed: keep the recovered text, then overwrite the file with it.
        platform.boxes.answers = {Answer::No, Answer::Yes};
        doc.CheckDiskFile();
        doc.Save();
        const QStringList expected =
            changed ? QStringList{path(name) + " has been changed on disk. Reload it and lose your changes?",
                                  path(name) + " has been changed on disk since it was opened or last saved. "
                                               "Overwrite it?"}
                    : QStringList{};
        EXPECT_EQ(texts(), expected) << changed;
        EXPECT_EQ(read(name), QByteArray("recovered text")) << changed;
        EXPECT_FALSE(editor.Modified()) << changed;
    }
}

// Edits kept against a file that changed or went away still come back after a crash.
TEST_F(DocumentFiles, KeptTextStaysRecoverable) {
    ScopedJournals journals;
    for (const bool deleted : {false, true}) {
        const QString name = deleted ? QStringLiteral("gone.htm") : QStringLiteral("kept.htm");
        write(name, "file text");
        open(name);
        type(QStringLiteral("typed "));
        ASSERT_TRUE(doc.Journal() && doc.Journal()->Flush());
        if (deleted) ASSERT_TRUE(QFile::remove(path(name)));
        else write(name, "someone else's text");
        platform.boxes.answers = {Answer::No};
        doc.CheckDiskFile();
        const ts::RecoveredDocument recovered = ts::replayJournal(doc.Journal()->Path());
        EXPECT_TRUE(recovered.ok()) << deleted << ' ' << recovered.problem.toStdString();
        EXPECT_EQ(recovered.text, QByteArray("typed file text")) << deleted;
        type(QStringLiteral("more "));
        ASSERT_TRUE(doc.Journal()->Flush());
        EXPECT_EQ(ts::replayJournal(doc.Journal()->Path()).text, QByteArray("typed more file text")) << deleted;
    }
    // Unmodified again: the journal goes with the folder.
    editor.ClearModified();
    EXPECT_TRUE(journals.files().isEmpty());
}

TEST_F(DocumentFiles, ReloadOfAFileThatCannotBeReadKeepsTheText) {
    write(QStringLiteral("n.htm"), "good text");
    open(QStringLiteral("n.htm"));
    type(QStringLiteral("my "));
    write(QStringLiteral("n.htm"), QByteArray("bad\0text", 8));
    platform.boxes.answers = {Answer::Yes};
    ts::runCommand(&editor, [&] { doc.CheckDiskFile(); });
    ASSERT_EQ(texts().size(), 2);
    EXPECT_EQ(platform.boxes.shown[1].kind, BoxKind::Error);
    EXPECT_TRUE(texts()[1].contains(path(QStringLiteral("n.htm"))));
    EXPECT_EQ(text(), QStringLiteral("my good text"));
    EXPECT_TRUE(editor.Modified());
}

TEST_F(DocumentFiles, ALargeFileShowsItsFirstLinesAtOnceAndIsWholeForEveryUseOfTheText) {
    ScopedJournals journals;
    const qint64 oldFrom = TDocument::BackgroundFrom();
    TDocument::SetBackgroundFrom(64 << 10);
    const QByteArray line("<P>Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80</P>\r\n");
    const QByteArray utf8 = line.repeated((2 << 20) / int(line.size()));
    const QByteArray cp1252 = QByteArray("<P>plain</P>\n").repeated(40000) + "<P>caf\xE9</P>\n";
    write(QStringLiteral("utf8.html"), utf8);
    write(QStringLiteral("cp1252.html"), cp1252);
    auto shown = [&] {
        const auto* p = reinterpret_cast<const char*>(editor.SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        return QByteArray(p, editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    };
    struct Case {
        const char* name;
        QByteArray text;
        ts::TextEncoding encoding;
        ts::LineBreak lineBreak;
    };
    const Case cases[] = {
        {"utf8.html", utf8, ts::TextEncoding::Utf8, ts::LineBreak::CrLf},
        {"cp1252.html", QByteArray("<P>plain</P>\n").repeated(40000) + "<P>caf\xC3\xA9</P>\n",
         ts::TextEncoding::Windows1252, ts::LineBreak::Lf},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        // Shown at once: whole lines from the start, read-only, no journal yet.
        open(name);
        ASSERT_TRUE(editor.Loading()) << c.name;
        const QByteArray first = shown();
        EXPECT_TRUE(!first.isEmpty() && first.size() < c.text.size() && c.text.startsWith(first)) << c.name;
        EXPECT_TRUE(first.endsWith('\n')) << c.name;
        EXPECT_EQ(editor.SendScintilla(QsciScintillaBase::SCI_GETREADONLY), 1) << c.name;
        EXPECT_EQ(doc.Journal(), nullptr) << c.name;
        EXPECT_TRUE(doc.DiskWatch()->Path().isEmpty()) << c.name;
        EXPECT_EQ(doc.Format().encoding, c.encoding) << c.name;
        // Then the whole text, by itself.
        ASSERT_TRUE(ts::test::waitFor([&] { return !editor.Loading(); })) << c.name;
        EXPECT_EQ(shown(), c.text) << c.name;
        EXPECT_EQ(editor.SendScintilla(QsciScintillaBase::SCI_GETREADONLY), 0) << c.name;
        EXPECT_FALSE(editor.Modified()) << c.name;
        EXPECT_FALSE(editor.isUndoAvailable()) << c.name;
        EXPECT_EQ(editor.LineBreak(), c.lineBreak) << c.name;
        EXPECT_NE(doc.Journal(), nullptr) << c.name;
        EXPECT_EQ(doc.DiskWatch()->Path(), path(name)) << c.name;
    }

    // A key while the file is read goes into the whole text.
    open(QStringLiteral("utf8.html"));
    ASSERT_TRUE(editor.Loading());
    QTest::keyClick(&editor, Qt::Key_X);
    EXPECT_FALSE(editor.Loading());
    EXPECT_EQ(ts::test::documentText(editor), "x" + utf8);
    EXPECT_TRUE(editor.Modified());
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ts::test::documentText(editor), utf8);
    // The file as opened, whatever happens to its name meanwhile.
    open(QStringLiteral("utf8.html"));
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("utf8.html")), path(QStringLiteral("moved.html"))));
    write(QStringLiteral("utf8.html"), "another file");
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("moved.html"))));
    EXPECT_EQ(ts::test::documentText(editor), utf8);
    write(QStringLiteral("utf8.html"), utf8);
    // Saved while read: the whole file, as it was.
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        open(name);
        ASSERT_TRUE(editor.Loading());
        platform.dialogs.saveAnswers = {path(QStringLiteral("copy.html"))};
        ASSERT_TRUE(doc.SaveAs()) << c.name;
        EXPECT_EQ(read(QStringLiteral("copy.html")), read(name)) << c.name;
    }
    // Refused whole before anything shows: the editor is left empty.
    write(QStringLiteral("nul.html"), utf8 + QByteArray(1, '\0'));
    EXPECT_THROW(open(QStringLiteral("nul.html")), TError);
    EXPECT_FALSE(editor.Loading());
    EXPECT_TRUE(editor.IsEmpty());
    // A window closed while its file is read.
    {
        TSRichEdit other;
        TDocument otherDoc{other};
        otherDoc.SetFileName(path(QStringLiteral("utf8.html")));
        otherDoc.Load();
        EXPECT_TRUE(other.Loading());
    }
    EXPECT_TRUE(texts().isEmpty());
    TDocument::SetBackgroundFrom(oldFrom);
}

TEST_F(DocumentFiles, AFileThatChangesWhileReadInTheBackgroundLeavesTheEditorEmptyAndSaysSo) {
    // Read a second time as UTF-8, it turns out to be something else now.
    write(QStringLiteral("changed.html"), QByteArray("<P>caf\xE9</P>\r\n").repeated(1000));
    const QString file = path(QStringLiteral("changed.html"));
    editor.SetDocumentBytes("old text");
    QSignalSpy failed(&editor, &TSRichEdit::LoadFailed);
    editor.LoadInBackground(12000, [file](ts::DocumentSink& sink) {
        ts::streamDocumentFile(file, sink, ts::kReadPiece, ts::TextEncoding::Utf8);
    });
    editor.ShowFirstLines("<P>caf");
    ASSERT_TRUE(ts::test::waitFor([&] { return !editor.Loading(); }));
    EXPECT_EQ(failed.size(), 1);
    EXPECT_TRUE(editor.IsEmpty());
    EXPECT_EQ(editor.SendScintilla(QsciScintillaBase::SCI_GETREADONLY), 0);
    ASSERT_EQ(texts().size(), 1);
    EXPECT_TRUE(texts()[0].contains(QStringLiteral("beim Lesen geändert"))) << texts()[0].toStdString();
}
