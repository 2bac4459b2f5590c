#include "editor/recovery.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "support/waitfor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>

using ts::test::documentText;
using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

// Journals go to a private folder for the life of a test.
struct ScopedRecovery {
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/recovery");
    ScopedRecovery() { ts::setRecoveryFolder(folder); }
    ~ScopedRecovery() { ts::setRecoveryFolder(QString()); }
    QStringList journals() const {
        return QDir(folder).entryList({QStringLiteral("*.journal*")}, QDir::Files);
    }
};

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// One random edit as the user or a command makes it: typing, deleting,
// replacing a selection, undo and redo.
void randomEdit(TSRichEdit& e, std::mt19937& rng) {
    const auto len = static_cast<unsigned long>(e.ByteLength());
    auto pos = [&] {
        // Whole characters only: a position inside a UTF-8 sequence is moved by the control.
        unsigned long p = len ? rng() % (len + 1) : 0;
        return static_cast<unsigned long>(e.SendScintilla(QsciScintillaBase::SCI_POSITIONBEFORE, p + 1 > len ? len : p + 1) );
    };
    static const char* pieces[] = {"a", "<B>", "\r\n", "Zürich ", "€", "\r\n\r\n<P>x</P>"};
    switch (rng() % 6) {
    case 0:
    case 1: {
        const char* s = pieces[rng() % 6];
        e.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, pos(), s);
        break;
    }
    case 2: {
        const unsigned long a = pos(), b = pos();
        e.SendScintilla(QsciScintillaBase::SCI_SETSEL, std::min(a, b), static_cast<long>(std::max(a, b)));
        e.SendScintilla(QsciScintillaBase::SCI_CLEAR);
        break;
    }
    case 3: {
        const unsigned long a = pos(), b = pos();
        e.SendScintilla(QsciScintillaBase::SCI_SETSEL, std::min(a, b), static_cast<long>(std::max(a, b)));
        e.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0ul, "ä-ß");
        break;
    }
    case 4: e.undo(); break;
    default: e.redo(); break;
    }
}

} // namespace

// Random edits replayed from the journal give the editor's text, for a
// document based on its file and an untitled one, with and without compaction.
TEST(RecoveryJournal, RandomEditsReplayToTheEditorsText) {
    ScopedPlatform platform;
    FreshRegistry registry;
    struct Case {
        bool titled;
        qint64 bound;
        unsigned seed;
    };
    for (const Case c : {Case{true, 8 << 20, 1}, Case{false, 8 << 20, 2}, Case{true, 300, 3}, Case{false, 200, 4}}) {
        SCOPED_TRACE(c.seed);
        ScopedRecovery recovery;
        const QString path = recovery.dir.path() + QStringLiteral("/page.htm");
        ASSERT_TRUE(writeFile(path, "<HTML>\r\n<BODY>Gr\xFC\xDF" "e</BODY>\r\n</HTML>\r\n"));
        THTML doc;
        if (c.titled) {
            doc.SetFileName(path);
            doc.LoadDocument();
        } else {
            doc.SetFileName(untitledName());
            doc.InitNewDocument(true);
        }
        ASSERT_NE(doc.Journal(), nullptr);
        doc.Journal()->SetCompactBound(c.bound);
        std::mt19937 rng(c.seed);
        for (int round = 0; round < 40; ++round) {
            for (int k = 0; k < 8; ++k) randomEdit(*doc.RichEdit(), rng);
            if (!doc.RichEdit()->Modified()) continue;
            ASSERT_TRUE(doc.Journal()->Flush());
            const ts::RecoveredDocument back = ts::replayJournal(doc.Journal()->Path());
            ASSERT_TRUE(back.ok()) << back.problem.toStdString();
            ASSERT_EQ(back.text, documentText(*doc.RichEdit())) << "round " << round;
            EXPECT_EQ(back.header.fileName, doc.FileName());
            EXPECT_EQ(back.header.format, doc.Format());
        }
        if (c.bound < 1000) {
            // Compacted: the journal stays near the text's size.
            EXPECT_LT(QFileInfo(doc.Journal()->Path()).size(), 4 * (documentText(*doc.RichEdit()).size() + 300));
        }
    }
}

// A huge insertion between small edits, as Replace All over a large text
// makes: the journal takes the whole text instead, and nothing before or
// after it is lost.
TEST(RecoveryJournal, AHugeInsertionAmongSmallEditsReplaysToTheText) {
    ScopedPlatform platform;
    FreshRegistry registry;
    ScopedRecovery recovery;
    const QString path = recovery.dir.path() + QStringLiteral("/page.htm");
    ASSERT_TRUE(writeFile(path, "<HTML>\r\n</HTML>\r\n"));
    THTML doc;
    doc.SetFileName(path);
    doc.LoadDocument();
    TSRichEdit& e = *doc.RichEdit();
    const QByteArray huge = QByteArray("<P>Z\xC3\xBCrich</P>\r\n").repeated((17 << 20) / 16);
    e.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 8ul, "<BODY>");
    ASSERT_TRUE(doc.Journal()->Flush()); // on disk, whole: later edits are appended to it
    e.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 8ul, "<!-- -->");
    e.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 14ul, huge.constData());
    e.SendScintilla(QsciScintillaBase::SCI_DELETERANGE, 0ul, 2l);
    e.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(e.ByteLength()), "end");
    ASSERT_TRUE(doc.Journal()->Flush());
    const ts::RecoveredDocument back = ts::replayJournal(doc.Journal()->Path());
    ASSERT_TRUE(back.ok()) << back.problem.toStdString();
    EXPECT_TRUE(back.text == documentText(e));
    EXPECT_TRUE(back.text.startsWith("TML>\r\n<!-- -<P>Z"));
}

TEST(RecoveryJournal, WrittenASecondAfterTypingPausesAndRemovedOnSaveUndoAndClose) {
    ScopedPlatform platform;
    FreshRegistry registry;
    ScopedRecovery recovery;
    const QString path = recovery.dir.path() + QStringLiteral("/a.htm");
    ASSERT_TRUE(writeFile(path, "<P>one</P>\r\n"));
    auto doc = std::make_unique<THTML>();
    doc->SetFileName(path);
    doc->LoadDocument();
    doc->show();
    QTest::keyClicks(doc->RichEdit(), "xy");
    EXPECT_TRUE(recovery.journals().isEmpty()) << "nothing before the pause";
    EXPECT_TRUE(ts::test::waitFor([&] { return recovery.journals().size() == 2; }, 3000)) // the journal and its lock
        << recovery.journals().join(' ').toStdString();

    // Undone back to the file's text: nothing to recover.
    doc->RichEdit()->undo();
    doc->RichEdit()->undo();
    ASSERT_FALSE(doc->RichEdit()->Modified());
    EXPECT_TRUE(recovery.journals().isEmpty());

    QTest::keyClicks(doc->RichEdit(), "z");
    ASSERT_TRUE(doc->Journal()->Flush());
    EXPECT_EQ(recovery.journals().size(), 2);
    ASSERT_TRUE(doc->Save());
    EXPECT_TRUE(recovery.journals().isEmpty());

    QTest::keyClicks(doc->RichEdit(), "w");
    ASSERT_TRUE(doc->Journal()->Flush());
    const ts::RecoveredDocument back = ts::replayJournal(doc->Journal()->Path());
    EXPECT_EQ(back.text, "zw<P>one</P>\r\n") << back.problem.toStdString();

    // Closed with No.
    platform.boxes.answers = {ts::Answer::No};
    EXPECT_TRUE(doc->close());
    doc.reset();
    EXPECT_TRUE(recovery.journals().isEmpty());
}

TEST(RecoveryJournal, ADamagedJournalSaysSoAndAChangedFileDoesNotMatter) {
    ScopedPlatform platform;
    FreshRegistry registry;
    ScopedRecovery recovery;
    const QString path = recovery.dir.path() + QStringLiteral("/b.htm");
    ASSERT_TRUE(writeFile(path, "<P>base</P>\r\n"));
    THTML doc;
    doc.SetFileName(path);
    doc.LoadDocument();
    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 3ul, "new ");
    ASSERT_TRUE(doc.Journal()->Flush());
    const QString journal = doc.Journal()->Path();
    EXPECT_EQ(ts::replayJournal(journal).text, "<P>new base</P>\r\n");

    // A byte changed inside the journal.
    QFile f(journal);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const QByteArray intact = bytes;
    bytes[bytes.indexOf("new ")] = 'N';
    f.seek(0);
    f.write(bytes);
    f.close();
    EXPECT_EQ(ts::replayJournal(journal).problem, "the journal is damaged");
    EXPECT_TRUE(ts::replayJournal(journal).text.isEmpty());

    // The file changed since: the journal holds the text, it needs no file.
    ASSERT_TRUE(writeFile(journal, intact));
    ASSERT_TRUE(writeFile(path, "<P>other</P>\r\n"));
    const ts::RecoveredDocument back = ts::replayJournal(journal);
    EXPECT_TRUE(back.ok()) << back.problem.toStdString();
    EXPECT_EQ(back.text, "<P>new base</P>\r\n");
}

TEST(RecoveryJournal, LiveJournalsAreNotOfferedAndWriteFailuresAreReportedOnce) {
    ScopedPlatform platform;
    FreshRegistry registry;
    ScopedRecovery recovery;
    THTML doc;
    doc.SetFileName(untitledName());
    doc.InitNewDocument(true);
    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0ul, "abc");
    ASSERT_TRUE(doc.Journal()->Flush());
    EXPECT_TRUE(ts::OrphanJournals(recovery.folder).documents.empty());
    {
        // The same journal without a program holding it is offered.
        ASSERT_TRUE(QFile::copy(doc.Journal()->Path(), recovery.folder + QStringLiteral("/copy.journal")));
        const ts::OrphanJournals orphans(recovery.folder);
        ASSERT_EQ(orphans.documents.size(), 1u);
        EXPECT_EQ(orphans.documents[0].text, "abc");
        EXPECT_EQ(orphans.documents[0].header.fileName, untitledName());
        EXPECT_EQ(orphans.documents[0].lastEdit, platform.clock.now());
    }

    // The folder cannot be made: one warning, and typing goes on.
    ScopedRecovery broken;
    ASSERT_TRUE(writeFile(broken.dir.path() + QStringLiteral("/file"), "x"));
    ts::setRecoveryFolder(broken.dir.path() + QStringLiteral("/file/recovery"));
    THTML other;
    other.SetFileName(untitledName());
    other.InitNewDocument(true);
    for (int k = 0; k < 3; ++k) {
        other.RichEdit()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0ul, "q");
        EXPECT_FALSE(other.Journal()->Flush());
    }
    EXPECT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(documentText(*other.RichEdit()), "qqq");
}

// What the journals hold is the user's alone: the folder is 0700 and every file
// in it 0600, whichever way it was written, also after an earlier version.
TEST(RecoveryJournal, TheFolderAndItsFilesAreTheUsersAlone) {
    ScopedPlatform platform;
    FreshRegistry registry;
    ScopedRecovery recovery;
    const mode_t oldMask = ::umask(022);
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    };
    auto expectPrivate = [&](const char* when) {
        EXPECT_EQ(mode(recovery.folder), 0700u) << when;
        const QStringList files = QDir(recovery.folder).entryList(QDir::Files | QDir::Hidden);
        EXPECT_FALSE(files.isEmpty()) << when;
        for (const QString& name : files)
            EXPECT_EQ(mode(recovery.folder + '/' + name), 0600u) << when << ' ' << name.toStdString();
    };
    const QString path = recovery.dir.path() + QStringLiteral("/page.htm");
    ASSERT_TRUE(writeFile(path, "<P>page</P>\r\n"));
    THTML titled, untitled;
    titled.SetFileName(path);
    titled.LoadDocument();
    untitled.SetFileName(untitledName());
    untitled.InitNewDocument(true);
    for (THTML* doc : {&titled, &untitled}) {
        doc->RichEdit()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0ul, "typed ");
        ASSERT_TRUE(doc->Journal()->Flush());
    }
    expectPrivate("written");

    // As an earlier version left it: an open folder, readable journals, one
    // of them damaged and kept.
    ASSERT_EQ(::chmod(QFile::encodeName(recovery.folder).constData(), 0755), 0);
    ASSERT_TRUE(QFile::copy(untitled.Journal()->Path(), recovery.folder + QStringLiteral("/old.journal")));
    ASSERT_TRUE(writeFile(recovery.folder + QStringLiteral("/bad.journal"), "TAGSMITH-JOURNAL 1\nbroken"));
    for (const QString& name : QDir(recovery.folder).entryList(QDir::Files))
        ASSERT_EQ(::chmod(QFile::encodeName(recovery.folder + '/' + name).constData(), 0644), 0);
    {
        ts::OrphanJournals orphans(recovery.folder);
        ASSERT_EQ(orphans.documents.size(), 2u);
        for (size_t i = 0; i < orphans.documents.size(); ++i)
            if (!orphans.documents[i].ok()) orphans.keep(i);
    }
    EXPECT_EQ(QDir(recovery.folder).entryList({QStringLiteral("*.damaged")}, QDir::Files).size(), 1);
    expectPrivate("tightened at start");
    titled.RichEdit()->ClearModified();
    untitled.RichEdit()->ClearModified();
    ::umask(oldMask);
}

// A journal as earlier versions wrote it: edits that refer to the file as
// it was loaded. It replays while the file is unchanged.
TEST(RecoveryJournal, EditsOfAnEarlierVersionReplayOnTheirUnchangedFile) {
    ScopedRecovery recovery;
    ASSERT_TRUE(QDir().mkpath(recovery.folder));
    const QString path = recovery.dir.path() + QStringLiteral("/old.htm");
    ASSERT_TRUE(writeFile(path, "<P>base</P>\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    auto u64 = [](quint64 v) {
        QByteArray b;
        for (int i = 0; i < 8; ++i) b.append(char(v >> (8 * i)));
        return b;
    };
    auto u32 = [](quint32 v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i) b.append(char(v >> (8 * i)));
        return b;
    };
    const QByteArray name = QFile::encodeName(path);
    const QByteArray payload = 'H' + u64(name.size()) + name + QByteArray("\0\0\0\1", 4) + u64(st.st_size) +
                               u64(quint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec) + 'I' + u64(3) +
                               u64(4) + "new " + 'L' + u64(17) + 'T' + u64(0);
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : payload) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    const QString journal = recovery.folder + QStringLiteral("/old.journal");
    ASSERT_TRUE(writeFile(journal, "TAGSMITH-JOURNAL 1\n" + u32(payload.size()) + u32(~crc) + payload));
    const ts::RecoveredDocument back = ts::replayJournal(journal);
    EXPECT_TRUE(back.ok()) << back.problem.toStdString();
    EXPECT_EQ(back.text, "<P>new base</P>\r\n");
    EXPECT_EQ(back.header.fileName, path);

    ASSERT_TRUE(writeFile(path, "<P>BASE</P>\r\n"));
    const struct timespec later[2] = {{0, UTIME_OMIT}, {st.st_mtim.tv_sec + 1, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), later, 0), 0);
    EXPECT_EQ(ts::replayJournal(journal).problem, "its file has been changed on disk since");
}
