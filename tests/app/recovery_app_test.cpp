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

} // namespace

// A real program killed with unsaved edits in an untitled, a Windows-1252 and
// a 10 MB document; the next start recovers each exactly.
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

    ts::setRecoveryFolder(folder);
    const QString savedAs = dir.filePath(QStringLiteral("untitled.htm"));
    platform.dialogs.saveAnswers = {savedAs};
    ts::test::DialogDriver dialogs;
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
    EXPECT_EQ(read(savedAs), read(dir.filePath(QStringLiteral("expected1"))));
    EXPECT_EQ(read(dir.filePath(QStringLiteral("cp1252.htm"))), read(dir.filePath(QStringLiteral("expected2"))));
    EXPECT_EQ(read(dir.filePath(QStringLiteral("cp1252.htm"))), "P>\xE4 Gr\xFC\xDF" "e \x80 caf\xE9</P>\r\n");
    const QByteArray bigSaved = read(dir.filePath(QStringLiteral("big.htm")));
    EXPECT_TRUE(bigSaved == read(dir.filePath(QStringLiteral("expected3"))));
    EXPECT_TRUE(bigSaved.endsWith("</TD></TR>\nend\n"));
    EXPECT_TRUE(bigSaved.contains("<B>middle</B>"));
    ts::setRecoveryFolder(QString());
}
