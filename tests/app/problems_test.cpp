#include "app/problemsdock.h"
#include "editor/problemmarks.h"
#include "mainfixture.h"
#include "support/editorfixture.h"
#include "support/widgets.h"

#include <QAction>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using Sci = QsciScintillaBase;
using ts::TProblemsDock;
using ts::test::child;

namespace {

const QByteArray kFaulty = "<!DOCTYPE html>\r\n"
                           "<html><head><title>t</title></head><body>\r\n"
                           "<p foo=\"1\">x</p>\r\n"
                           "<img src=\"a.png\">\r\n"
                           "</span>\r\n"
                           "</body></html>\r\n";
const QStringList kFaultyRows = {
    "3|1|Warning|<p> proprietary attribute \"foo\"",
    "4|1|Warning|<img> lacks \"alt\" attribute",
    "5|1|Warning|discarding unexpected </span>",
};
const QByteArray kClean = "<!DOCTYPE html>\r\n<html><head><title>t</title></head><body>\r\n<p>Fine.</p>\r\n"
                          "</body></html>\r\n";

struct Problems : ts::test::MainWindowTest {
    TProblemsDock* dock() { return child<TProblemsDock>(*main, "dkProblems"); }
    QTreeWidget* list() { return child<QTreeWidget>(*main, "lvProblems"); }
    QStringList rows() {
        QStringList r;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list()->topLevelItem(i);
            if (item->isFirstColumnSpanned()) r << item->text(0);
            else r << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join('|');
        }
        return r;
    }
    bool awaitRows(const QStringList& expected) {
        return QTest::qWaitFor([&] { return rows() == expected; }, 20000);
    }
    THTML* openPage(const QString& name, const QByteArray& bytes) {
        write(name, bytes);
        return open(name);
    }
    void pressF7(THTML* doc) { QTest::keyClick(doc->RichEdit(), Qt::Key_F7); }
    bool stored() {
        return std::get<bool>(TQuillonRegistry().ReadValue(
            hkey::CurrentUser, QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\View"),
            QStringLiteral("Problems"), false));
    }
    static bool marked(THTML* doc, int line) {
        return doc->RichEdit()->SendScintilla(Sci::SCI_MARKERGET, line) & (1 << TProblemMarks::kMarker);
    }
    // The runs of text under the wavy line, in order.
    static QByteArrayList underlined(THTML* doc) {
        TSRichEdit* e = doc->RichEdit();
        const std::string_view text = e->DocumentBytes();
        QByteArrayList runs;
        bool in = false;
        for (size_t pos = 0; pos < text.size(); ++pos) {
            const bool on = e->SendScintilla(Sci::SCI_INDICATORVALUEAT, TProblemMarks::kIndicator, long(pos));
            if (on && !in) runs << QByteArray();
            if (on) runs.last() += text[pos];
            in = on;
        }
        return runs;
    }
    QMdiSubWindow* windowOf(THTML* doc) { return qobject_cast<QMdiSubWindow*>(doc->FrameWindow()); }
    // The program ends and starts again.
    void restart() {
        main.reset();
        main = std::make_unique<TMain>();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }
    void SetUp() override {
        MainWindowTest::SetUp();
        qRegisterMetaType<THTML*>();
    }
};

} // namespace

TEST_F(Problems, F7ListsTheProblemsAndTheListStaysShownAcrossRuns) {
    THTML* doc = openPage("faulty.html", kFaulty);
    EXPECT_TRUE(dock()->isHidden());
    auto* check = child<QAction>(*main, "miCheck");
    EXPECT_EQ(check->text(), QStringLiteral("&Check document"));
    EXPECT_EQ(check->shortcut(), QKeySequence(Qt::Key_F7));

    pressF7(doc);
    EXPECT_TRUE(dock()->isVisible());
    EXPECT_EQ(dock()->windowTitle(), QStringLiteral("Problems"));
    EXPECT_EQ(main->dockWidgetArea(dock()), Qt::BottomDockWidgetArea);
    const QTreeWidgetItem* header = list()->headerItem();
    EXPECT_EQ((QStringList{header->text(0), header->text(1), header->text(2), header->text(3)}),
              (QStringList{"Line", "Column", "Kind", "Message"}));
    ASSERT_TRUE(awaitRows(kFaultyRows)) << rows().join('\n').toStdString();
    EXPECT_TRUE(marked(doc, 2));
    EXPECT_TRUE(stored());

    THTML* clean = openPage("clean.html", kClean);
    pressF7(clean);
    ASSERT_TRUE(awaitRows({"No problems found."})) << rows().join('\n').toStdString();

    // Closed by the user: hidden at the next start too, and no marks left to grow old.
    dock()->close();
    EXPECT_TRUE(dock()->isHidden());
    EXPECT_FALSE(stored());
    EXPECT_FALSE(marked(doc, 2));
    restart();
    EXPECT_TRUE(dock()->isHidden());

    // Shown at the end of a run: shown at the next start; also when shown
    // from the main window's context menu.
    doc = openPage("faulty.html", kFaulty);
    pressF7(doc);
    ASSERT_TRUE(awaitRows(kFaultyRows)) << rows().join('\n').toStdString();
    dock()->toggleViewAction()->trigger();
    EXPECT_FALSE(stored());
    dock()->toggleViewAction()->trigger();
    EXPECT_TRUE(stored());
    restart();
    EXPECT_TRUE(dock()->isVisible());
    // Shown, it lists a document as soon as it is opened.
    openPage("faulty.html", kFaulty);
    EXPECT_TRUE(awaitRows(kFaultyRows)) << rows().join('\n').toStdString();
}

TEST_F(Problems, KnownFaultyPagesGiveTheirRowsAndUnderlines) {
    struct Case {
        const char* body; // from line 3 of an HTML5 page
        QStringList rows;
        QByteArrayList underlined;
    } cases[] = {
        // A cell's start tag left unclosed (a cell without its end tag is valid HTML).
        {R"(<table><tr><td class="c"</td></tr></table>)",
         {"3|12|Warning|<td> missing '>' for end of tag"},
         {R"(<td class="c")"}},
        {R"(<p foo="1">x</p>)", {R"(3|1|Warning|<p> proprietary attribute "foo")"}, {R"(<p foo="1">)"}},
        {R"(<img src="a.png">)", {R"(3|1|Warning|<img> lacks "alt" attribute)"}, {R"(<img src="a.png">)"}},
        {"<p>a &b</p>", {R"(3|6|Warning|unescaped & or unknown entity "&b")"}, {"&b"}},
        {"</span>", {"3|1|Warning|discarding unexpected </span>"}, {"</span>"}},
        {"<xyz>a</xyz>",
         {"3|1|Error|<xyz> is not recognized!", "3|1|Warning|discarding unexpected <xyz>",
          "3|7|Warning|discarding unexpected </xyz>"},
         {"<xyz>", "</xyz>"}},
        // Tidy reports the stray tag before the attribute; the list goes by place.
        {"<p foo=\"1\">x</p>\r\n</span>",
         {R"(3|1|Warning|<p> proprietary attribute "foo")", "4|1|Warning|discarding unexpected </span>"},
         {R"(<p foo="1">)", "</span>"}},
        {"<p>A clean page &amp; nothing more.</p>", {"No problems found."}, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        THTML* doc = openPage(QStringLiteral("page%1.html").arg(++n),
                              "<!DOCTYPE html>\r\n<html><head><title>t</title></head><body>\r\n" + QByteArray(c.body) +
                                  "\r\n</body></html>\r\n");
        pressF7(doc);
        EXPECT_TRUE(awaitRows(c.rows)) << rows().join('\n').toStdString();
        EXPECT_EQ(underlined(doc), c.underlined);
    }
}

TEST_F(Problems, DoubleClickOrEnterPutsTheCaretOnTheProblemsColumn) {
    // A tab and non-ASCII text before the problems: columns count characters.
    THTML* doc = openPage("columns.html", "<!DOCTYPE html>\r\n<html><head><title>t</title></head><body>\r\n"
                                          "\t\xC3\xA4\xE2\x82\xAC <p foo=\"1\">x</p>\r\n"
                                          "\xF0\x9F\x98\x80\t</span>\r\n"
                                          "</body></html>\r\n");
    pressF7(doc);
    ASSERT_TRUE(awaitRows({"3|5|Warning|<p> proprietary attribute \"foo\"",
                           "4|3|Warning|discarding unexpected </span>"}))
        << rows().join('\n').toStdString();
    TSRichEdit* editor = doc->RichEdit();
    list()->setFocus();
    EXPECT_FALSE(editor->hasFocus());

    QTreeWidgetItem* first = list()->topLevelItem(0);
    // A double-click as the window system delivers it: a click, then the second press as a double-click.
    const QPoint at = list()->visualItemRect(first).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(editor->CaretRow(), 2);
    EXPECT_EQ(editor->CaretCol(), 4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }));
    // The status bar counts from 0.
    EXPECT_EQ(doc->PanelText(0), QStringLiteral("4:2"));

    list()->setFocus();
    list()->setCurrentItem(list()->topLevelItem(1));
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(editor->CaretRow(), 3);
    EXPECT_EQ(editor->CaretCol(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }));
}

TEST_F(Problems, TypingChecksAgainAfterAPauseAndAResultForAnOlderTextIsDropped) {
    THTML* doc = openPage("faulty.html", kFaulty);
    pressF7(doc);
    ASSERT_TRUE(awaitRows(kFaultyRows)) << rows().join('\n').toStdString();

    std::vector<QStringList> shown;
    QObject::connect(dock(), &TProblemsDock::ResultShown, dock(), [&] { shown.push_back(rows()); });
    // A check of the text as it is, then an edit before its result is taken.
    pressF7(doc);
    doc->RichEdit()->SetCaretRow(3);
    type(doc, QStringLiteral("&x "));
    const QStringList after = {
        "3|1|Warning|<p> proprietary attribute \"foo\"",
        "4|1|Warning|unescaped & or unknown entity \"&x\"",
        "4|4|Warning|<img> lacks \"alt\" attribute",
        "5|1|Warning|discarding unexpected </span>",
    };
    ASSERT_TRUE(awaitRows(after)) << rows().join('\n').toStdString();
    // Only the result for the edited text was ever shown.
    EXPECT_EQ(shown, std::vector<QStringList>{after});
    EXPECT_TRUE(marked(doc, 3));
}

TEST_F(Problems, TheListFollowsTheActiveDocumentAndKeepsEachOnesResult) {
    THTML* faulty = openPage("faulty.html", kFaulty);
    pressF7(faulty);
    ASSERT_TRUE(awaitRows(kFaultyRows)) << rows().join('\n').toStdString();
    // Shown, the list checks a document that becomes active without a result.
    THTML* clean = openPage("clean.html", kClean);
    EXPECT_EQ(dock()->Document(), clean);
    ASSERT_TRUE(awaitRows({"No problems found."})) << rows().join('\n').toStdString();

    QSignalSpy started(dock(), &TProblemsDock::CheckStarted);
    main->MdiArea()->setActiveSubWindow(windowOf(faulty));
    EXPECT_EQ(dock()->Document(), faulty);
    EXPECT_EQ(rows(), kFaultyRows);
    main->MdiArea()->setActiveSubWindow(windowOf(clean));
    EXPECT_EQ(rows(), QStringList{"No problems found."});
    EXPECT_EQ(started.count(), 0);
    // Each document keeps its own marks.
    EXPECT_TRUE(marked(faulty, 2));
    EXPECT_FALSE(marked(clean, 2));
}

TEST_F(Problems, MarksNeverEnterTheUndoHistoryOrTheSavedFile) {
    THTML* doc = openPage("faulty.html", kFaulty);
    TSRichEdit* editor = doc->RichEdit();
    pressF7(doc);
    ASSERT_TRUE(awaitRows(kFaultyRows)) << rows().join('\n').toStdString();
    EXPECT_TRUE(marked(doc, 4));
    EXPECT_FALSE(editor->Modified());
    EXPECT_FALSE(editor->SendScintilla(Sci::SCI_CANUNDO));

    QSignalSpy shown(dock(), &TProblemsDock::ResultShown);
    type(doc, QStringLiteral("<!-- x -->"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 20000));
    // Undone, the text is as loaded and nothing else is left to undo.
    for (int k = 0; k < 10; ++k) doc->sbUndoClick();
    EXPECT_EQ(ts::test::documentText(*editor), kFaulty);
    EXPECT_FALSE(editor->SendScintilla(Sci::SCI_CANUNDO));
    EXPECT_FALSE(editor->Modified());

    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 2; }, 20000));
    EXPECT_TRUE(marked(doc, 4));
    type(doc, QStringLiteral("<!-- y -->"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 3; }, 20000));
    main->sbSaveClick();
    EXPECT_EQ(read("faulty.html"), "<!-- y -->" + kFaulty);
}

TEST_F(Problems, ALargeDocumentIsCheckedOnlyOnF7WithAProgressBarAndCancel) {
    QByteArray big = "<!DOCTYPE html>\r\n<html><head><title>t</title></head><body>\r\n";
    const QByteArray row = "<p>a line of text that fills a large page, over and over again</p>\r\n";
    while (big.size() <= TProblemsDock::kLargeDocumentBytes) big += row;
    big += "</body></html>\r\n";
    THTML* small = openPage("small.html", kClean);
    THTML* large = openPage("large.html", big);

    pressF7(large);
    ASSERT_TRUE(dock()->isVisible());
    auto* progress = child<QProgressBar>(*main, "pbCheck");
    auto* cancel = child<QPushButton>(*main, "bbCancelCheck");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(rows().isEmpty());

    // Typing in the large document starts no check, while the small one is
    // checked after its pause: its timer, started later, would go off later.
    QSignalSpy shown(dock(), &TProblemsDock::ResultShown);
    main->MdiArea()->setActiveSubWindow(windowOf(small));
    ASSERT_TRUE(awaitRows({"No problems found."})) << rows().join('\n').toStdString();
    shown.clear();
    QSignalSpy started(dock(), &TProblemsDock::CheckStarted);
    type(large, QStringLiteral("x"));
    type(small, QStringLiteral("x"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 20000));
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started[0][0].value<THTML*>(), small);
    EXPECT_EQ(shown[0][0].value<THTML*>(), small);
}
