#include "app/tmain.h"
#include "editor/recovery.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Answers Yes to the question before overwriting a changed file, No to any other.
struct OverwritingBoxes : ts::ScriptedMessageBoxes {
    using ScriptedMessageBoxes::askYesNo;
    ts::Answer askYesNo(QWidget* parent, const QString& text, ts::Answer preferred) override {
        ScriptedMessageBoxes::askYesNo(parent, text, preferred);
        return text.endsWith(QStringLiteral("Overwrite it?")) ? ts::Answer::Yes : ts::Answer::No;
    }
};

} // namespace

// A real program killed with unsaved edits in an untitled, a Windows-1252 and
// a 10 MB document; both files are changed by other programs before the next
// start, which recovers each text exactly and asks before overwriting them.
TEST(Recovery, KilledProgramsDocumentsComeBackByteForByte) {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    ASSERT_TRUE(write(dir.filePath(QStringLiteral("cp1252.htm")), "<P>Gr\xFC\xDF" "e \x80 caf\xE9</P>\r\n"));
    QByteArray big;
    for (int i = 0; big.size() < 10 * 1000 * 1000; ++i)
        big += "<TR><TD>row " + QByteArray::number(i) + " Z\xC3\xBCrich</TD></TR>\n";
    ASSERT_TRUE(write(dir.filePath(QStringLiteral("big.htm")), big));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TAGSMITH_REGISTRY"), registry.path());
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(RECOVERY_HELPER), {folder, dir.path()});
    ASSERT_TRUE(program.waitForStarted());
    QByteArray out;
    while (!out.contains("ready") && program.waitForReadyRead(60000)) out += program.readAllStandardOutput();
    ASSERT_TRUE(out.contains("ready")) << program.readAllStandardError().toStdString();

    // While it runs its journals are its own.
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.journal")}).size(), 3);
    EXPECT_TRUE(ts::OrphanJournals(folder).documents.empty());

    program.kill();
    ASSERT_TRUE(program.waitForFinished());

    // One file rewritten, the other changed in place keeping its size and
    // modification time (as a copy that keeps times would).
    ASSERT_TRUE(write(dir.filePath(QStringLiteral("cp1252.htm")), "<P>checked out again</P>\r\n"));
    const QByteArray bigPath = QFile::encodeName(dir.filePath(QStringLiteral("big.htm")));
    struct stat st {};
    ASSERT_EQ(::stat(bigPath.constData(), &st), 0);
    QByteArray other = big;
    other.replace("row ", "ROW ");
    ASSERT_TRUE(write(dir.filePath(QStringLiteral("big.htm")), other));
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, bigPath.constData(), times, 0), 0);

    ts::setRecoveryFolder(folder);
    const QString savedAs = dir.filePath(QStringLiteral("untitled.htm"));
    platform.dialogs.saveAnswers = {savedAs};
    ts::test::DialogDriver dialogs;
    OverwritingBoxes boxes;
    ts::setMessages(&boxes);
    int listed = 0;
    dialogs.expect("TRecovery", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Recover unsaved documents");
        listed = ts::test::child<QListWidget>(dlg, "lbDocuments")->count();
        ts::test::click(dlg, "bbRecover");
    });
    {
        TMain main;
        main.show();
        dialogs.done();
        EXPECT_EQ(listed, 3);
        const QList<THTML*> docs = main.Documents();
        ASSERT_EQ(docs.size(), 3);
        // Each journal was taken over by its document.
        EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.journal")}).size(), 3);
        for (THTML* doc : docs) {
            EXPECT_TRUE(doc->RichEdit()->Modified());
            EXPECT_EQ(doc->PanelText(1), "modified...");
            ASSERT_TRUE(doc->Save());
        }
        EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    }
    ts::setMessages(&platform.boxes);
    QStringList overwrites;
    for (const auto& shown : boxes.shown) {
        EXPECT_EQ(shown.kind, ts::BoxKind::Confirmation) << shown.text.toStdString();
        if (shown.text.endsWith(QStringLiteral("Overwrite it?"))) overwrites << shown.text;
    }
    overwrites.sort();
    const QString question =
        QStringLiteral(" has been changed on disk since it was opened or last saved. Overwrite it?");
    EXPECT_EQ(overwrites, (QStringList{dir.filePath(QStringLiteral("big.htm")) + question,
                                       dir.filePath(QStringLiteral("cp1252.htm")) + question}));
    EXPECT_EQ(read(savedAs), read(dir.filePath(QStringLiteral("expected1"))));
    EXPECT_EQ(read(dir.filePath(QStringLiteral("cp1252.htm"))), read(dir.filePath(QStringLiteral("expected2"))));
    EXPECT_EQ(read(dir.filePath(QStringLiteral("cp1252.htm"))), "P>\xE4 Gr\xFC\xDF" "e \x80 caf\xE9</P>\r\n");
    const QByteArray bigSaved = read(dir.filePath(QStringLiteral("big.htm")));
    EXPECT_TRUE(bigSaved == read(dir.filePath(QStringLiteral("expected3"))));
    EXPECT_TRUE(bigSaved.endsWith("</TD></TR>\nend\n"));
    EXPECT_TRUE(bigSaved.contains("<B>middle</B>"));
    ts::setRecoveryFolder(QString());
}
