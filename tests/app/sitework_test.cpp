#include "app/mainfixture.h"
#include "app/openfiles.h"
#include "app/tfindinfiles.h"
#include "app/tlinkcheck.h"
#include "support/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

namespace ts::test {
namespace {

struct SiteTest : MainWindowTest {
    void put(const QString& name, const QByteArray& bytes) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(name).path()));
        write(name, bytes);
    }
    TFindInFiles* findWindow() {
        main->findChild<QAction*>(QStringLiteral("miFindInFiles"))->trigger();
        return child<TFindInFiles>(*main, "TFindInFiles");
    }
    // Sets the fields as the user would, leaving the folder as it starts unless given.
    void fill(TFindInFiles& w, const QString& text, bool matchCase = false, bool wholeWord = false,
              bool subfolders = true, const QString& masks = QStringLiteral("*.htm;*.html")) {
        child<QLineEdit>(w, "eFolder")->setText(dir.path());
        child<QLineEdit>(w, "eMasks")->setText(masks);
        child<QLineEdit>(w, "eText")->setText(text);
        child<QCheckBox>(w, "cbCase")->setChecked(matchCase);
        child<QCheckBox>(w, "cbWholeWord")->setChecked(wholeWord);
        child<QCheckBox>(w, "cbSubfolders")->setChecked(subfolders);
    }
    // Presses the button and waits until the window reports the end of its work.
    void pressAndWait(TFindInFiles& w, const char* button) {
        QSignalSpy done(&w, &TFindInFiles::Done);
        child<QPushButton>(w, button)->click();
        QElapsedTimer deadline;
        deadline.start();
        while (done.isEmpty() && deadline.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_EQ(done.size(), 1) << button;
    }
    // "file:line:text" for every row.
    static QStringList rows(QTreeWidget& list) {
        QStringList out;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list.topLevelItem(i);
            QStringList cells;
            for (int c = 0; c < list.columnCount(); ++c) cells << row->text(c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    static QString text(THTML* doc) {
        const std::string_view t = doc->RichEdit()->DocumentBytes();
        return QString::fromUtf8(t.data(), qsizetype(t.size()));
    }
    void makeUnreadable(const QString& name) {
        if (::geteuid() == 0) {
            // Root reads any file; a read that fails needs a file that refuses it.
            ASSERT_EQ(::symlink("/proc/self/mem", QFile::encodeName(path(name)).constData()), 0);
        } else {
            put(name, "red");
            ASSERT_EQ(::chmod(QFile::encodeName(path(name)).constData(), 0), 0);
        }
    }
};

// A small tree: nested folders, both encodings, CR, CR LF and LF line breaks,
// a file the masks leave out and a binary one.
void makeTree(SiteTest& t) {
    t.put(QStringLiteral("index.html"), "<p>Red and red</p>\r\n<p>redder RED</p>\r\n");
    t.put(QStringLiteral("sub/page.htm"), "<p>Gr\xFC\xDF" "e red</p>\n");
    t.put(QStringLiteral("sub/deep/cr.html"), "x\rred\r");
    t.put(QStringLiteral("sub/UPPER.HTML"), "\xEF\xBB\xBFred");
    t.put(QStringLiteral("sub/notes.txt"), "red");
    t.put(QStringLiteral("binary.html"), QByteArray("red\0red", 7));
}

TEST_F(SiteTest, FindInFilesFollowsTheMasksFoldersAndSearchRules) {
    makeTree(*this);
    TFindInFiles* w = findWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Find in files"));
    EXPECT_EQ(child<QLineEdit>(*w, "eMasks")->text(), QStringLiteral("*.htm;*.html"));
    EXPECT_TRUE(child<QCheckBox>(*w, "cbSubfolders")->isChecked());
    QStringList headers;
    for (int c = 0; c < child<QTreeWidget>(*w, "lvResults")->columnCount(); ++c)
        headers << child<QTreeWidget>(*w, "lvResults")->headerItem()->text(c);
    EXPECT_EQ(headers, (QStringList{"File", "Line", "Text"}));
    struct Case {
        const char* text;
        bool matchCase, wholeWord, subfolders;
        const char* masks;
        QStringList expected;
    };
    const QString red1 = QStringLiteral("|1|<p>Red and red</p>"), red2 = QStringLiteral("|2|<p>redder RED</p>");
    const QString page = QStringLiteral("sub/page.htm|1|<p>Gr\u00FC\u00DFe red</p>");
    const QString cr = QStringLiteral("sub/deep/cr.html|2|red"), upper = QStringLiteral("sub/UPPER.HTML|1|red");
    const Case cases[] = {
        {"red", false, false, true, "*.htm;*.html",
         {"index.html" + red1, "index.html" + red1, "index.html" + red2, "index.html" + red2, page, upper, cr}},
        {"red", true, false, true, "*.htm;*.html", {"index.html" + red1, "index.html" + red2, page, upper, cr}},
        {"red", false, true, true, "*.htm;*.html",
         {"index.html" + red1, "index.html" + red1, "index.html" + red2, page, upper, cr}},
        {"grüße", false, false, true, "*.htm;*.html", {page}},
        {"red", false, false, false, "*.htm;*.html",
         {"index.html" + red1, "index.html" + red1, "index.html" + red2, "index.html" + red2}},
        {"red", false, false, true, "*.txt", {"sub/notes.txt|1|red"}},
    };
    for (const Case& c : cases) {
        fill(*w, QString::fromUtf8(c.text), c.matchCase, c.wholeWord, c.subfolders, QString::fromLatin1(c.masks));
        pressAndWait(*w, "bbFind");
        EXPECT_EQ(rows(*child<QTreeWidget>(*w, "lvResults")).join(QLatin1Char('\n')).toStdString(),
                  c.expected.join(QLatin1Char('\n')).toStdString())
            << c.text << " case " << c.matchCase << " whole " << c.wholeWord << " sub " << c.subfolders;
    }
    // The binary file was passed over, not listed.
    fill(*w, QStringLiteral("red"));
    pressAndWait(*w, "bbFind");
    EXPECT_TRUE(child<QLabel>(*w, "lStatus")->text().contains(QStringLiteral("1 binary files skipped")));
    EXPECT_FALSE(child<QProgressBar>(*w, "pbProgress")->isVisible());

    // A double-click opens a closed file with the match selected.
    auto* list = child<QTreeWidget>(*w, "lvResults");
    const QList<QTreeWidgetItem*> crRows = list->findItems(QStringLiteral("sub/deep/cr.html"), Qt::MatchExactly);
    ASSERT_EQ(crRows.size(), 1);
    emit list->itemDoubleClicked(crRows.first(), 0);
    THTML* doc = main->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(sameFile(doc->FileName(), path(QStringLiteral("sub/deep/cr.html"))));
    EXPECT_EQ(doc->RichEdit()->selectedText(), QStringLiteral("red"));
    EXPECT_EQ(doc->RichEdit()->CaretRow(), 1);

    // The folder button puts the chosen folder in the field.
    platform.dialogs.folderAnswers = {path(QStringLiteral("sub"))};
    child<QToolButton>(*w, "sbFolder")->click();
    EXPECT_EQ(child<QLineEdit>(*w, "eFolder")->text(), path(QStringLiteral("sub")));
}

TEST_F(SiteTest, UnreadableFilesAreListedWithTheirReasonAndTheSearchGoesOn) {
    makeTree(*this);
    makeUnreadable(QStringLiteral("sub/locked.html"));
    TFindInFiles* w = findWindow();
    fill(*w, QStringLiteral("grüße"));
    pressAndWait(*w, "bbFind");
    const QStringList list = rows(*child<QTreeWidget>(*w, "lvResults"));
    ASSERT_EQ(list.size(), 2) << list.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(list[0].startsWith(QStringLiteral("sub/locked.html||"))) << list[0].toStdString();
    EXPECT_TRUE(list[0].contains(QStringLiteral("locked.html|")) && list[0].size() > 20);
    EXPECT_TRUE(list[1].startsWith(QStringLiteral("sub/page.htm|1|")));
}

TEST_F(SiteTest, AnOpenDocumentIsSearchedAndReplacedInItsTextAsOneUndoStep) {
    makeTree(*this);
    const QByteArray onDisk = read(QStringLiteral("index.html"));
    THTML* doc = open(QStringLiteral("index.html"));
    ASSERT_NE(doc, nullptr);
    type(doc, QStringLiteral("red "));
    const QString typed = text(doc);
    TFindInFiles* w = findWindow();
    EXPECT_EQ(child<QLineEdit>(*w, "eFolder")->text(), dir.path()); // the active document's folder
    fill(*w, QStringLiteral("red"), true, true, false);
    pressAndWait(*w, "bbFind");
    auto* list = child<QTreeWidget>(*w, "lvResults");
    EXPECT_EQ(rows(*list), (QStringList{"index.html|1|red <p>Red and red</p>", "index.html|1|red <p>Red and red</p>"}));

    // A double-click selects the match in the document.
    ASSERT_EQ(list->topLevelItemCount(), 2);
    emit list->itemDoubleClicked(list->topLevelItem(1), 0);
    EXPECT_EQ(main->ActiveDocument(), doc);
    EXPECT_EQ(doc->RichEdit()->selectedText(), QStringLiteral("red"));
    EXPECT_EQ(doc->RichEdit()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 15);

    child<QLineEdit>(*w, "eReplace")->setText(QStringLiteral("blue"));
    platform.boxes.answers = {Answer::Yes};
    pressAndWait(*w, "bbReplaceAll");
    ASSERT_FALSE(platform.boxes.shown.empty());
    EXPECT_EQ(platform.boxes.shown.back().text, QStringLiteral("Replace 2 occurrences in 1 files?"));
    EXPECT_EQ(platform.boxes.shown.back().preferred, Answer::No);
    EXPECT_EQ(text(doc), QStringLiteral("blue <p>Red and blue</p>\r\n<p>redder RED</p>\r\n"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    EXPECT_EQ(read(QStringLiteral("index.html")), onDisk);
    EXPECT_EQ(rows(*list), (QStringList{"index.html||Replaced 2 occurrences."}));
    doc->RichEdit()->undo();
    EXPECT_EQ(text(doc), typed);
}

TEST_F(SiteTest, ReplaceAllWritesClosedFilesByteExactAndSkipsFilesChangedSinceTheSearch) {
    makeTree(*this);
    put(QStringLiteral("sub/bom.html"), "\xEF\xBB\xBF<b>red</b>\n\xC3\xA4 red\n");
    TFindInFiles* w = findWindow();
    fill(*w, QStringLiteral("red"), true);
    child<QLineEdit>(*w, "eReplace")->setText(QStringLiteral("grün"));

    // Replace all searches first; No, the answer Enter gives, leaves every file alone.
    pressAndWait(*w, "bbReplaceAll");
    EXPECT_EQ(rows(*child<QTreeWidget>(*w, "lvResults")).size(), 7);
    ASSERT_FALSE(platform.boxes.shown.empty());
    EXPECT_EQ(platform.boxes.shown.back().text, QStringLiteral("Replace 7 occurrences in 5 files?"));
    EXPECT_EQ(read(QStringLiteral("index.html")), QByteArray("<p>Red and red</p>\r\n<p>redder RED</p>\r\n"));

    // Changed by someone else between the search and the replacement.
    pressAndWait(*w, "bbFind");
    put(QStringLiteral("sub/deep/cr.html"), "x\rred\rred\r");
    platform.boxes.answers = {Answer::Yes};
    pressAndWait(*w, "bbReplaceAll");
    EXPECT_EQ(read(QStringLiteral("index.html")), QByteArray("<p>Red and gr\xC3\xBCn</p>\r\n<p>gr\xC3\xBCnder RED</p>\r\n"));
    EXPECT_EQ(read(QStringLiteral("sub/page.htm")), QByteArray("<p>Gr\xFC\xDF" "e gr\xFCn</p>\n"));
    EXPECT_EQ(read(QStringLiteral("sub/UPPER.HTML")), QByteArray("\xEF\xBB\xBFgr\xC3\xBCn"));
    EXPECT_EQ(read(QStringLiteral("sub/bom.html")), QByteArray("\xEF\xBB\xBF<b>gr\xC3\xBCn</b>\n\xC3\xA4 gr\xC3\xBCn\n"));
    EXPECT_EQ(read(QStringLiteral("sub/deep/cr.html")), QByteArray("x\rred\rred\r"));
    EXPECT_EQ(read(QStringLiteral("binary.html")), QByteArray("red\0red", 7));
    EXPECT_EQ(read(QStringLiteral("sub/notes.txt")), QByteArray("red"));
    EXPECT_EQ(rows(*child<QTreeWidget>(*w, "lvResults")),
              (QStringList{"index.html||Replaced 2 occurrences.", "sub/bom.html||Replaced 2 occurrences.",
                           "sub/page.htm||Replaced 1 occurrences.", "sub/UPPER.HTML||Replaced 1 occurrences.",
                           "sub/deep/cr.html||Skipped: the file has changed since the search."}));
}

TEST_F(SiteTest, CancelStopsTheSearchAndKeepsWhatWasFound) {
    const int files = 2000;
    for (int i = 0; i < files; ++i) put(QStringLiteral("p%1.html").arg(i, 4, 10, QLatin1Char('0')), "red\n");
    TFindInFiles* w = findWindow();
    fill(*w, QStringLiteral("red"));
    QSignalSpy done(w, &TFindInFiles::Done);
    child<QPushButton>(*w, "bbFind")->click();
    EXPECT_TRUE(child<QProgressBar>(*w, "pbProgress")->isVisible());
    EXPECT_FALSE(child<QPushButton>(*w, "bbFind")->isEnabled());
    child<QPushButton>(*w, "bbCancel")->click();
    QElapsedTimer deadline;
    deadline.start();
    while (done.isEmpty() && deadline.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(done.size(), 1);
    EXPECT_LT(child<QTreeWidget>(*w, "lvResults")->topLevelItemCount(), files);
    EXPECT_TRUE(child<QLabel>(*w, "lStatus")->text().contains(QStringLiteral("cancelled")));
    EXPECT_TRUE(child<QPushButton>(*w, "bbFind")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*w, "bbCancel")->isVisible());
}

TEST_F(SiteTest, CheckLinksFindsMissingFilesAndAnchorsAndLeavesSchemesUnchecked) {
    put(QStringLiteral("index.html"),
        "<a name=\"local\" href=\"page%20two.html\">\n"          // 1 good, escaped space
        "<a href=\"Page%20two.html\">\n"                        // 2 names are case-sensitive
        "<img src=\"img/missing.png\">\n"                       // 3
        "<a href='page%20two.html#top'>\n"                      // 4 good
        "<a href=\"page%20two.html#nowhere\">\n"                // 5
        "<a href=\"#local\"><a href=\"#gone\">\n"               // 6: good, then no anchor
        "<A HREF=\"http://example.com/\"><a href=\"http://example.com/\">\n" // 7: not checked, once
        "<a href=\"mailto:x@example.com\">\n"                   // 8
        "<form action=\"/cgi/form.html?x=1&amp;y=2\">\n"        // 9 good, from the site's folder
        "<td background=img/bg.gif>\n"                          // 10 good, unquoted
        "<!-- <a href=\"commented.html\"> -->\n"                // 11 ignored
        "<script>if (a<b) x='<a href=\"script.html\">'</script>\n"); // 12 ignored
    put(QStringLiteral("page two.html"), "<h1 id=\"top\">");
    put(QStringLiteral("cgi/form.html"), "");
    put(QStringLiteral("img/bg.gif"), "GIF");
    put(QStringLiteral("sub/base.html"), "<base href=\"../img/\">\n<img src=\"bg.gif\">\n<img src=\"nope.gif\">\n");
    put(QStringLiteral("sub/remote.html"), "<base href=\"https://example.org/\"><a href=\"x.html\">\n");

    open(QStringLiteral("index.html"));
    main->findChild<QAction*>(QStringLiteral("miCheckLinks"))->trigger();
    auto* w = child<TLinkCheck>(*main, "TLinkCheck");
    ASSERT_NE(w, nullptr);
    // The check runs off the window's thread; the button waits for it.
    QSignalSpy done(w, &TLinkCheck::Done);
    EXPECT_FALSE(child<QPushButton>(*w, "bbCheck")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 60000);
    EXPECT_TRUE(child<QPushButton>(*w, "bbCheck")->isEnabled());
    auto* list = child<QTreeWidget>(*w, "lvLinks");
    QStringList headers;
    for (int c = 0; c < list->columnCount(); ++c) headers << list->headerItem()->text(c);
    EXPECT_EQ(headers, (QStringList{"Page", "Line", "Link", "Problem"}));
    const QStringList indexRows = {
        "index.html|2|Page%20two.html|The file does not exist.",
        "index.html|3|img/missing.png|The file does not exist.",
        "index.html|5|page%20two.html#nowhere|The page has no NAME or id \"nowhere\".",
        "index.html|6|#gone|The page has no NAME or id \"gone\".",
    };
    const QStringList indexUnchecked = {"index.html|7|http://example.com/|not checked",
                                        "index.html|8|mailto:x@example.com|not checked"};
    EXPECT_EQ(SiteTest::rows(*list), indexRows + indexUnchecked);

    child<QCheckBox>(*w, "cbWholeSite")->setChecked(true);
    child<QPushButton>(*w, "bbCheck")->click();
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, 60000);
    EXPECT_EQ(SiteTest::rows(*list), indexRows + QStringList{"sub/base.html|3|nope.gif|The file does not exist."} +
                                         indexUnchecked + QStringList{"sub/remote.html|1|x.html|not checked"});

    // A double-click opens the page at the line.
    emit list->itemDoubleClicked(list->findItems(QStringLiteral("sub/base.html"), Qt::MatchExactly).first(), 0);
    THTML* base = main->ActiveDocument();
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(sameFile(base->FileName(), path(QStringLiteral("sub/base.html"))));
    EXPECT_EQ(base->RichEdit()->CaretRow(), 2);
}

} // namespace
} // namespace ts::test
