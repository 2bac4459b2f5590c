#include "app/preview.h"
#include "app/tmain.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/desktop.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::RecordingDesktop;
using ts::test::ScopedPlatform;

namespace {

const QByteArray kBase = "<BASE HREF=\"file:///s/\">";

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions extra = {}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    if (extra) f.setPermissions(f.permissions() | extra);
}

// A main window with one document opened from site/page.html, typed into
// and not saved; the browser setting as given.
struct Previewing {
    ScopedPlatform platform;
    FreshRegistry registry;
    RecordingDesktop desktop;
    QTemporaryDir dir;
    std::unique_ptr<TMain> main;
    THTML* doc = nullptr;
    QString page;

    explicit Previewing(const QString& browser) {
        ts::setDesktop(&desktop);
        TPrefsRecord p;
        p.ExtBrowser = browser;
        registry.store(p);
        QDir(dir.path()).mkpath(QStringLiteral("site"));
        page = dir.filePath(QStringLiteral("site/page.html"));
        // Windows-1252 with LF breaks: the copy must keep both.
        writeFile(page, "<HTML><HEAD><TITLE>Z\xFCrich</TITLE></HEAD>\n<BODY><IMG SRC=\"pic.gif\"></BODY></HTML>\n");
        writeFile(dir.filePath(QStringLiteral("site/pic.gif")), "GIF89a");
        openDocument();
    }
    ~Previewing() {
        main.reset();
        ts::setDesktop(nullptr);
    }
    void openDocument() {
        main = std::make_unique<TMain>();
        main->show();
        platform.dialogs.openAnswers = {page};
        main->sbOpenClick();
        doc = main->ActiveDocument();
        ASSERT_NE(doc, nullptr);
        doc->RichEdit()->SetCaretRow(1);
        QTest::keyClicks(doc->RichEdit(), QStringLiteral("<P>"));
        QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u00E4"));
        QCoreApplication::sendEvent(doc->RichEdit(), &umlaut);
        QTest::keyClicks(doc->RichEdit(), QStringLiteral(" new"));
    }
};

} // namespace

TEST(PreviewBase, GoesAfterTheHeadStartTagOrTheDocumentTypeOrAtTheStart) {
    const struct {
        QByteArray in, out;
    } cases[] = {
        {"<HTML><HEAD><TITLE>t</TITLE></HEAD>", "<HTML><HEAD>" + kBase + "<TITLE>t</TITLE></HEAD>"},
        {"<html>\r\n<head lang=en>\r\n", "<html>\r\n<head lang=en>" + kBase + "\r\n"},
        {"<!-- <HEAD> -->\n<Head>", "<!-- <HEAD> -->\n<Head>" + kBase},
        {"<!DOCTYPE HTML PUBLIC \"x\">\r\n<HTML><BODY>", "<!DOCTYPE HTML PUBLIC \"x\">" + kBase + "\r\n<HTML><BODY>"},
        {"<P>x<!DOCTYPE y>", kBase + "<P>x<!DOCTYPE y>"},
        {"<HEADER>x", kBase + "<HEADER>x"},
        {"", kBase},
        {"<HEAD><BASE TARGET=_top>", "<HEAD>" + kBase + "<BASE TARGET=_top>"},
        // The document's own base wins anyway: nothing is added.
        {"<HEAD><base href=\"http://x/\">", "<HEAD><base href=\"http://x/\">"},
    };
    for (const auto& c : cases) EXPECT_EQ(ts::withBaseElement(c.in, "file:///s/"), c.out) << c.in.constData();
    EXPECT_EQ(ts::withBaseElement("", "file:///a&b\"/"), "<BASE HREF=\"file:///a&amp;b%22/\">");
}

TEST(Preview, ExternalBrowserGetsACopyOfTheUnsavedTextThatResolvesFromTheDocumentsFolder) {
    QTemporaryDir out;
    const QString script = out.filePath(QStringLiteral("browser.sh"));
    writeFile(script, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/args'\ncp \"$1\" '%1/copy'\n")
                          .arg(out.path())
                          .toUtf8(),
              QFileDevice::ExeOwner);
    Previewing s(script);
    const QByteArray onDisk = readAll(s.page);

    s.main->findChild<QToolButton*>(QStringLiteral("sbPreview"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(out.filePath(QStringLiteral("copy"))).size() > 0; }, 5000));
    EXPECT_TRUE(s.platform.boxes.shown.empty());
    const QStringList args = QString::fromUtf8(readAll(out.filePath(QStringLiteral("args")))).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(args.size(), 1);
    const QString copyPath = args[0];
    EXPECT_EQ(QFileInfo(copyPath).absolutePath(), s.main->Preview().Folder());
    EXPECT_FALSE(copyPath.startsWith(s.dir.path()));

    // Neither saved nor changed.
    EXPECT_EQ(readAll(s.page), onDisk);
    EXPECT_TRUE(s.doc->RichEdit()->Modified());
    const QByteArray copy = readAll(out.filePath(QStringLiteral("copy")));

    // The copy is what Save writes now, plus the base of the document's folder.
    const QByteArray folderUrl = QUrl::fromLocalFile(QFileInfo(s.page).absolutePath() + "/").toEncoded();
    s.main->sbSaveClick();
    EXPECT_EQ(copy, ts::withBaseElement(readAll(s.page), folderUrl));
    EXPECT_TRUE(copy.contains("<P>\xE4 new<BODY>")) << copy.constData();
    const qsizetype href = copy.indexOf("<BASE HREF=\"") + 12;
    const QUrl base(QString::fromLatin1(copy.mid(href, copy.indexOf('"', href) - href)));
    EXPECT_TRUE(QFileInfo::exists(base.resolved(QUrl(QStringLiteral("pic.gif"))).toLocalFile()));

    // F9 replaces the document's copy; the copies go when the program ends.
    QAction* f9 = s.main->findChild<QAction*>(QStringLiteral("miPreview"));
    EXPECT_EQ(f9->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(f9->text(), QStringLiteral("Pre&view"));
    QTest::keyClicks(s.doc->RichEdit(), QStringLiteral("later "));
    f9->trigger();
    EXPECT_EQ(QDir(s.main->Preview().Folder()).entryList(QDir::Files), QStringList{QFileInfo(copyPath).fileName()});
    EXPECT_TRUE(readAll(copyPath).contains("later ")) << readAll(copyPath).constData();
    const QString folder = s.main->Preview().Folder();
    s.main.reset();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

// One copy per document, which goes when the document's window closes.
TEST(Preview, EachDocumentHasOneCopyRemovedWithItsWindow) {
    Previewing s{QString()};
    THTML* first = s.doc;
    s.main->sbPreviewClick();
    s.main->sbNewClick();
    THTML* second = s.main->ActiveDocument();
    ASSERT_NE(second, first);
    s.main->sbPreviewClick();
    s.main->sbPreviewClick();
    ASSERT_EQ(s.desktop.opened.size(), 3);
    const QString firstCopy = s.desktop.opened[0].toLocalFile(), secondCopy = s.desktop.opened[1].toLocalFile();
    EXPECT_EQ(s.desktop.opened[2].toLocalFile(), secondCopy);
    QStringList both{QFileInfo(firstCopy).fileName(), QFileInfo(secondCopy).fileName()};
    both.sort();
    EXPECT_EQ(QDir(s.main->Preview().Folder()).entryList(QDir::Files, QDir::Name), both);

    first->RichEdit()->ClearModified();
    QPointer<QWidget> frame = first->FrameWindow();
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(frame);
    EXPECT_FALSE(QFileInfo::exists(firstCopy));
    EXPECT_TRUE(QFileInfo::exists(secondCopy));
}

TEST(Preview, EmptyBrowserSettingUsesTheDesktopAndFailuresNameTheProgram) {
    Previewing s{QString()};
    s.main->findChild<QAction*>(QStringLiteral("miPreview"))->trigger();
    ASSERT_EQ(s.desktop.opened.size(), 1);
    EXPECT_TRUE(s.desktop.opened[0].isLocalFile());
    EXPECT_EQ(QFileInfo(s.desktop.opened[0].toLocalFile()).absolutePath(), s.main->Preview().Folder());
    EXPECT_TRUE(s.platform.boxes.shown.empty());

    s.desktop.succeed = false;
    s.main->sbPreviewClick();
    ASSERT_EQ(s.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(s.platform.boxes.shown[0].kind, ts::BoxKind::Error);

    const QString missing = s.dir.filePath(QStringLiteral("no such browser"));
    s.platform.boxes.shown.clear();
    ts::test::setPreference(QStringLiteral("ExtBrowser"), missing);
    s.main->sbPreviewClick();
    ASSERT_EQ(s.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(s.platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_TRUE(s.platform.boxes.shown[0].text.contains(missing)) << s.platform.boxes.shown[0].text.toStdString();
    // Failed previews leave no copy behind; the first one is still there.
    EXPECT_EQ(QDir(s.main->Preview().Folder()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(s.desktop.opened.size(), 2);
}
