#include "editor/catalogue.h"
#include "editor/tcomps.h"

#include <QDrag>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const std::pair<const char*, const char*> kSnippets[] = {
    {"Marquee", "<MARQUEE>enter your marquee text here</MARQUEE>"},
    {"Strikeout", "<S>Enter strikeout text</S>"},
    {"Big text", "<BIG>todo Enter BIG text here</BIG>"},
    {"Small text", "<SMALL>Enter  small text</SMALL>"},
    {"Subscript text", "<SUB>Enter subscript text</SUB>"},
    {"Superscript text", "<SUP>Enter superscript text</SUP>"},
    {"Activated Link color", "<BODY ALINK=#rrggbb>"},
    {"Background color", "<BODY BGCOLOR=#rrggbb>"},
    {"Base font", "<BASEFONT SIZE=Enter a number between 1 and 7>"},
    {"Horizontal rule", "<HR>"},
    {"Link color", "<BODY LINK=#rrggbb>"},
    {"Text color", "<BODY TEXT=#rrggbb>"},
    {"Title", "<TITLE>Enter your title</TITLE>"},
    {"Visited link color", "<BODY VLINK=#rrggbb>"},
    {"Address", "<ADDRESS>Enter your address here</ADDRESS>"},
    {"Align", "ALIGN=LEFT or CENTER or RIGHT"},
    {"Blockquote", "<BLOCKQUOTE>Enter your quote here</BLOCKQUOTE>"},
    {"Body paragraph", "<P>Enter your paragraph here</P>"},
    {"Clear", "CLEAR"},
    {"Comment", "<! Enter your comment here>"},
    {"Heading 1", "<H1>Enter Heading here</H1>"},
    {"Heading 2", "<H2>Enter Heading here</H2>"},
    {"Heading 3", "<H3>Enter Heading here</H3>"},
    {"Heading 4", "<H4>Enter Heading here</H4>"},
    {"Heading 5", "<H5>Enter Heading here</H5>"},
    {"Heading 6", "<H6>Enter Heading here</H6>"},
    {"Line break", "<BR>"},
    {"No break", "<NOBR>Enter text here</NOBR>"},
    {"Preformatted text", "<PRE>Enter your preformatted text</PRE>"},
    {"Word Break", "<WBR>"},
    {"Row/Column table",
     "<TABLE BORDER=1><TR><TH>Enter column heading</TH></TR><TR><TD>Enter cell text</TD></TR></TABLE>"},
    {"Simple table", "<TABLE BORDER=1><TR><TD>Enter cell text</TD></TR></TABLE>"},
    {"Blink", "<BLINK>Enter blinking text here</BLINK>"},
    {"Decrease size", "<FONT SIZE=-n Enter number between 1-7> Enter text here</FONT>"},
    {"Increase size", "<FONT SIZE=+n Enter number between 1-7> Enter text here</FONT>"},
    {"Specify size", "<FONT SIZE=n Enter a number between 1-7)>Enter text</FONT>"},
    {"Bold", "<B>Enter bold text</B>"},
    {"Bold italic", "<B><I>Enter bold-italic text here</I></B>"},
    {"Citation", "<CITE>Enter cited text here</CITE>"},
    {"Emphasis", "<EM>Enter emphasized text here</EM>"},
    {"Italic", "<I>Enter italic text</I>"},
    {"Sample code", "<SAMP>Enter code sample here</SAMP>"},
    {"Strong", "<STRONG>Enter strong text here</STRONG>"},
};

// Captions in display order, two spaces per level; a trailing "/" marks a group.
const char* const kTree[] = {
    "Internet Explorer/", "  Marquee", "  Strikeout",
    "Netscape Navigator/", "  Big text", "  Small text", "  Subscript text", "  Superscript text",
    "Page Layout/", "  Activated Link color", "  Background color", "  Base font", "  Horizontal rule",
    "  Link color", "  Text color", "  Title", "  Visited link color",
    "Paragraph/", "  Address", "  Align", "  Blockquote", "  Body paragraph", "  Clear", "  Comment",
    "  Headings/", "    Heading 1", "    Heading 2", "    Heading 3", "    Heading 4", "    Heading 5",
    "    Heading 6", "  Line break", "  No break", "  Preformatted text", "  Word Break",
    "Tables/", "  Row/Column table", "  Simple table",
    "Text/", "  Effects/", "    Blink", "  Font/", "    Decrease size", "    Increase size", "    Specify size",
    "  Style/", "    Bold", "    Bold italic", "    Citation", "    Emphasis", "    Italic", "    Sample code",
    "    Strong",
};

void flatten(const std::vector<ts::TComponentNode>& nodes, int level, QStringList& out) {
    for (const auto& n : nodes) {
        out << QString(level * 2, ' ') + n.caption + (n.group ? "/" : "");
        flatten(n.children, level + 1, out);
    }
}

void flatten(QTreeWidgetItem* item, int level, QStringList& out) {
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* c = item->child(i);
        out << QString(level * 2, ' ') + c->text(0) + (c->childCount() ? "/" : "");
        flatten(c, level + 1, out);
    }
}

QStringList expectedTree() {
    QStringList l;
    for (const char* s : kTree) l << QString::fromUtf8(s);
    return l;
}

TEST(Catalogue, EveryEntryGivesItsExactSnippet) {
    for (const auto& [caption, snippet] : kSnippets) {
        const auto got = ts::snippetFor(caption);
        ASSERT_TRUE(got.has_value()) << caption;
        EXPECT_EQ(*got, QString::fromUtf8(snippet)) << caption;
    }
    EXPECT_EQ(*ts::snippetFor("Small text"), "<SMALL>Enter  small text</SMALL>");
}

TEST(Catalogue, GroupsAndStrangersGiveNothing) {
    for (const char* caption : {"Internet Explorer", "Netscape Navigator", "Page Layout", "Paragraph", "Tables",
                                "Text", "Headings", "Effects", "Font", "Style", "simple table", "", "heading 3",
                                "Heading 3 ", "BOLD", "Heading"}) {
        EXPECT_FALSE(ts::snippetFor(caption).has_value()) << caption;
    }
}

TEST(Catalogue, TreeInDisplayOrder) {
    QStringList got;
    flatten(ts::componentCatalogue(), 0, got);
    EXPECT_EQ(got, expectedTree());
}

TEST(ComponentDrop, OnlyOurFormatIsAccepted) {
    std::unique_ptr<QMimeData> ours(ts::componentMimeData("Heading 3"));
    EXPECT_EQ(ts::componentCaptionFromDrop(ours.get()), QString("Heading 3"));
    std::unique_ptr<QMimeData> umlaut(ts::componentMimeData(QString::fromUtf8("Grüße")));
    EXPECT_EQ(ts::componentCaptionFromDrop(umlaut.get()), QString::fromUtf8("Grüße"));

    QMimeData text;
    text.setText("Heading 3");
    EXPECT_FALSE(ts::componentCaptionFromDrop(&text).has_value());
    QMimeData urls;
    urls.setUrls({QUrl("file:///etc/passwd")});
    EXPECT_FALSE(ts::componentCaptionFromDrop(&urls).has_value());
    EXPECT_FALSE(ts::componentCaptionFromDrop(nullptr).has_value());
    // Our data carries nothing another program would take as text.
    EXPECT_FALSE(ours->hasText());
}

class Components : public ::testing::Test {
protected:
    void SetUp() override {
        comps = TComps::open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(comps));
        tree = comps->findChild<QTreeWidget*>("oComponents");
        ASSERT_NE(tree, nullptr);
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TComps*>(w)) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTreeWidgetItem* find(const QString& caption) {
        const auto hits = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return hits.isEmpty() ? nullptr : hits.first();
    }

    QPointer<TComps> comps;
    QTreeWidget* tree = nullptr;
};

TEST_F(Components, WindowLayout) {
    EXPECT_EQ(comps->windowTitle(), "Components");
    EXPECT_EQ(comps->size(), QSize(218, 273));
    EXPECT_EQ(comps->minimumSize(), comps->maximumSize());
    const Qt::WindowFlags f = comps->windowFlags();
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(comps->isModal());
    EXPECT_TRUE(comps->testAttribute(Qt::WA_DeleteOnClose));

    QLabel* label = nullptr;
    for (QLabel* l : comps->findChildren<QLabel*>())
        if (l->pos() == QPoint(8, 8)) label = l;
    ASSERT_NE(label, nullptr);
    // Shown with a single ampersand.
    EXPECT_EQ(label->text(), "Use drag&drop to insert a component.");
    EXPECT_EQ(label->buddy(), nullptr);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_LE(label->geometry().right(), comps->width() - 1);

    auto* panel = qobject_cast<QFrame*>(tree->parentWidget());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(8, 24, 201, 209));
    EXPECT_EQ(tree->geometry(), QRect(8, 8, 185, 193));
    EXPECT_TRUE(tree->isHeaderHidden());

    auto* ok = comps->findChild<QPushButton*>("bbOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "Close");
    EXPECT_EQ(ok->geometry(), QRect(120, 240, 89, 25));
    EXPECT_EQ(ok->icon().name(), "bbOK");
}

TEST_F(Components, TreeOpensCollapsedWithTheWholeCatalogue) {
    QStringList got;
    flatten(tree->invisibleRootItem(), 0, got);
    EXPECT_EQ(got, expectedTree());
    ASSERT_EQ(tree->topLevelItemCount(), 6);
    int visibleRows = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        EXPECT_FALSE((*it)->isExpanded()) << (*it)->text(0).toStdString();
        if (!tree->visualItemRect(*it).isEmpty()) ++visibleRows;
    }
    EXPECT_EQ(visibleRows, 6);
    EXPECT_EQ(tree->visualItemRect(tree->topLevelItem(0)).height(), 16);
}

TEST_F(Components, GroupPicturesFollowOpenAndClosed) {
    QTreeWidgetItem* paragraph = find("Paragraph");
    ASSERT_NE(paragraph, nullptr);
    EXPECT_EQ(paragraph->icon(0).name(), "treeGroupClosed");
    paragraph->setExpanded(true);
    EXPECT_EQ(paragraph->icon(0).name(), "treeGroupOpen");
    EXPECT_EQ(find("Address")->icon(0).name(), "treeEntry");
    EXPECT_EQ(find("Headings")->icon(0).name(), "treeGroupClosed");
    paragraph->setExpanded(false);
    EXPECT_EQ(paragraph->icon(0).name(), "treeGroupClosed");
}

TEST_F(Components, EveryOpenMakesOneMoreWindowAtTheSamePlace) {
    TComps* second = TComps::open();
    TComps* third = TComps::open();
    EXPECT_NE(second, comps.data());
    EXPECT_NE(third, second);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (TComps* w : {comps.data(), second, third}) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->frameGeometry().x(), screen.width() - w->frameGeometry().width() - 10);
        EXPECT_EQ(w->frameGeometry().y(), 145);
    }
    // Closing the top one leaves the others open.
    QPointer<TComps> top(third);
    third->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(top.isNull());
    EXPECT_TRUE(second->isVisible());
    EXPECT_TRUE(comps->isVisible());
}

TEST_F(Components, CloseButtonDestroysTheWindow) {
    QTest::mouseClick(comps->findChild<QPushButton*>("bbOK"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(comps.isNull());
}

// Presses on pos and moves the mouse with the button held; reports what the
// drag carried, or nothing when no drag began. The offscreen platform ends a
// drag at once, leaving the drag object for deferred deletion.
std::optional<QString> dragFrom(QTreeWidget* tree, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                                int distance = 20) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mousePress(tree->viewport(), button, {}, pos);
    const QPointF to(pos + QPoint(distance, 0));
    QMouseEvent move(QEvent::MouseMove, to, tree->viewport()->mapToGlobal(to), Qt::NoButton, button, {});
    QApplication::sendEvent(tree->viewport(), &move);
    std::optional<QString> carried;
    if (auto* drag = tree->findChild<QDrag*>()) carried = ts::componentCaptionFromDrop(drag->mimeData());
    QTest::mouseRelease(tree->viewport(), button, {}, pos);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return carried;
}

QPoint centreOf(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    return tree->visualItemRect(item).center();
}

TEST_F(Components, DraggingAnEntryCarriesItsCaption) {
    QTreeWidgetItem* paragraph = find("Paragraph");
    paragraph->setExpanded(true);
    find("Headings")->setExpanded(true);
    QTreeWidgetItem* h3 = find("Heading 3");
    const QPoint at = centreOf(tree, h3);
    EXPECT_EQ(dragFrom(tree, at), QString("Heading 3"));
    EXPECT_EQ(tree->currentItem(), h3);
    EXPECT_TRUE(h3->isSelected());
}

TEST_F(Components, PlainClickOnlySelects) {
    QTreeWidgetItem* ie = find("Internet Explorer");
    const QPoint at = centreOf(tree, ie);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(ie->isSelected());
    EXPECT_EQ(tree->findChild<QDrag*>(), nullptr);
    // A jitter below the drag distance is still a click.
    QTreeWidgetItem* nn = find("Netscape Navigator");
    EXPECT_FALSE(dragFrom(tree, centreOf(tree, nn), Qt::LeftButton, 1).has_value());
    EXPECT_TRUE(nn->isSelected());
}

TEST_F(Components, OtherButtonsDoNothing) {
    QTreeWidgetItem* text = find("Text");
    const QPoint at = centreOf(tree, text);
    EXPECT_FALSE(dragFrom(tree, at, Qt::RightButton).has_value());
    EXPECT_FALSE(text->isSelected());
}

TEST_F(Components, DraggingAGroupCarriesItsCaptionButInsertsNothing) {
    QTreeWidgetItem* tables = find("Tables");
    const auto caption = dragFrom(tree, centreOf(tree, tables));
    ASSERT_EQ(caption, QString("Tables"));
    EXPECT_FALSE(ts::snippetFor(*caption).has_value());
}

} // namespace
