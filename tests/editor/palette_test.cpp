#include "editor/palette.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct Expected {
    QString page;  // tab caption, empty for the editing buttons
    QString name;
    int left;
    int top;       // editing buttons only
    int width;
    QString hint;
    bool caption;  // face drawn as a caption
};

QList<Expected> expectedButtons() {
    QList<Expected> e{
        {"", "sbSearch", 3, 3, 25, "Search...", false},
        {"", "sbReplace", 27, 3, 25, "Replace...", false},
        {"", "sbIndent", 56, 3, 25, "Indent", false},
        {"", "sbOutdent", 80, 3, 25, "Unindent", false},
        {"", "sbCut", 3, 29, 25, "Cut the selected text", false},
        {"", "sbCopy", 27, 29, 25, "Copy the selected text", false},
        {"", "sbPaste", 51, 29, 25, "Paste text", false},
        {"", "sbUndo", 80, 29, 25, "Undo...", false},
        {"", "sbComponents", 109, 29, 25, "Shows the components-list", false},
        {"General", "sbQuickDoc", 0, -1, 25, "QuickDocument", false},
        {"General", "sbHeading", 32, -1, 25, "Insert a heading", true},
        {"General", "sbLineBreak", 64, -1, 25, "Insert a line break", true},
        {"General", "sbParagraph", 88, -1, 25, "Insert a paragraph", true},
        {"General", "sbHRule", 120, -1, 25, "Insert a horizontal rule", true},
        {"General", "sbBold", 152, -1, 25, "Insert a bold tag", true},
        {"General", "sbItalic", 176, -1, 25, "Insert an italic tag", true},
        {"General", "sbUnderline", 200, -1, 25, "Insert an underline tag", true},
        {"General", "sbAnchor", 232, -1, 25, "Insert an anchor", false},
        {"General", "sbImage", 256, -1, 25, "Insert an image tag", false},
        {"Fonts", "sbQuickFont", 0, -1, 25, "QuickFont", false},
        {"Fonts", "sbPre", 32, -1, 25, "Preformatted text", true},
        {"Fonts", "sbSub", 64, -1, 25, "Subscribt", true},
        {"Fonts", "sbSup", 88, -1, 25, "Superscript", true},
        {"Fonts", "sbStrong", 120, -1, 25, "Strong", true},
        {"Fonts", "sbEmp", 152, -1, 25, "Emphasis", true},
        {"Tables", "sbTableEdit", 0, -1, 25, "QuickTable", false},
        {"Tables", "sbTable", 32, -1, 25, "Table", false},
        {"Tables", "sbTableCaption", 56, -1, 25, "Table caption", false},
        {"Tables", "sbTR", 88, -1, 25, "Table row", false},
        {"Tables", "sbTD", 112, -1, 25, "Table data", false},
        {"Forms", "sbQuickForm", 0, -1, 25, "QuickForm", false},
        {"Forms", "SpeedButton2", 32, -1, 25, "Insert a form tag", false},
        {"Forms", "sbText", 64, -1, 25, "Insert a text field", false},
        {"Forms", "sbHiddenText", 88, -1, 25, "Insert a hidden text field", false},
        {"Forms", "sbEntry", 112, -1, 25, "Insert a text box", false},
        {"Forms", "sbCheckBox", 144, -1, 25, "Insert a checkbox", false},
        {"Forms", "sbRadioButton", 168, -1, 25, "Insert a radio-button", false},
        {"Forms", "sbDropDown", 192, -1, 25, "Insert a dropdown-list", false},
        {"Forms", "sbSubmit", 224, -1, 25, "Insert a Submit-button", false},
        {"Forms", "sbReset", 248, -1, 25, "Insert a Reset-button", false},
        {"Lists", "sbOrdList", 0, -1, 25, "Ordered list", false},
        {"Lists", "sbUnOrdList", 24, -1, 25, "Unordered list", false},
        {"Lists", "sbListItem", 48, -1, 25, "List item", false},
        {"Lists", "sbMenuList", 80, -1, 25, "Menu list", false},
        {"Lists", "sbDirList", 112, -1, 25, "Directory list", false},
        {"Frames", "sbFrameSet", 0, -1, 25, "FrameSet", false},
        {"Frames", "sbFrame", 24, -1, 25, "Frame", false},
        {"Frames", "sbNoFrames", 56, -1, 25, "No Frame", false},
        {"Special", "sbParty", 0, -1, 57, "Insert a \"Party\"-tag", false},
        {"Special", "sbColorMixer", 64, -1, 25, "Color-Mixer", false},
        {"Special", "sbImgGallery", 96, -1, 25, "Image gallery", false},
    };
    const int userLefts[] = {0, 49, 98, 147, 196, 245, 294, 343, 392};
    for (int i = 0; i < 9; ++i)
        e.append({"User-Tags", QString("sbUser%1").arg(i + 1), userLefts[i], -1, 50, "", false});
    return e;
}

class Palette : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(646, 480);
        palette = ts::buildPalette(&window);
        palette.panel1->setGeometry(0, 0, 646, 73);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QWidget window;
    ts::TPalette palette;
};

TEST_F(Palette, PanelsSitWhereTheLayoutPutsThem) {
    ASSERT_TRUE(palette.panel1 && palette.panel4 && palette.pageControl1);
    EXPECT_EQ(palette.panel1->objectName(), "Panel1");
    EXPECT_EQ(palette.panel1->height(), 73);
    EXPECT_EQ(palette.panel4->objectName(), "Panel4");
    EXPECT_EQ(palette.panel4->parentWidget(), palette.panel1);
    EXPECT_EQ(palette.panel4->geometry(), QRect(8, 8, 137, 57));
    EXPECT_EQ(palette.panel4->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(palette.panel4->frameShape(), QFrame::Panel);
    EXPECT_EQ(palette.pageControl1->objectName(), "PageControl1");
    EXPECT_EQ(palette.pageControl1->parentWidget(), palette.panel1);
    EXPECT_EQ(palette.pageControl1->geometry(), QRect(152, 8, 474, 57));
}

TEST_F(Palette, EightPagesInOrderGeneralFirst) {
    const QStringList captions{"General", "Fonts", "Tables", "Forms", "Lists", "Frames", "Special", "User-Tags"};
    const QStringList names{"tsGeneral", "tsFonts",  "tsTables",  "tsForms",
                            "tsLists",   "tsFrames", "tsSpecial", "tsUserTags"};
    QTabWidget* tabs = palette.pageControl1;
    ASSERT_EQ(tabs->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    // Every tab can be reached without scrolling.
    EXPECT_LE(tabs->tabBar()->sizeHint().width(), tabs->width());
}

TEST_F(Palette, EveryButtonHasItsPlaceSizeHintAndFace) {
    const QList<Expected> expected = expectedButtons();
    EXPECT_EQ(palette.buttons.size(), expected.size());
    QTabWidget* tabs = palette.pageControl1;
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name.toStdString());
        QToolButton* b = palette.button(e.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->objectName(), e.name);
        EXPECT_EQ(b->toolTip(), e.hint);
        EXPECT_EQ(b->x(), e.left);
        EXPECT_EQ(b->width(), e.width);
        EXPECT_EQ(b->height(), 25);
        if (e.page.isEmpty()) {
            EXPECT_EQ(b->parentWidget(), palette.panel4);
            EXPECT_EQ(b->y(), e.top);
            EXPECT_TRUE(palette.panel4->contentsRect().contains(b->geometry()));
        } else {
            QWidget* page = b->parentWidget();
            const int index = tabs->indexOf(page);
            ASSERT_GE(index, 0);
            EXPECT_EQ(tabs->tabText(index), e.page);
            // The whole button shows on its page.
            tabs->setCurrentIndex(index);
            EXPECT_TRUE(page->rect().contains(b->geometry())) << page->rect().height();
        }
        if (e.caption) {
            EXPECT_FALSE(b->text().isEmpty());
            EXPECT_TRUE(b->icon().isNull());
        } else if (e.name.startsWith("sbUser")) {
            EXPECT_TRUE(b->text().isEmpty());
            EXPECT_TRUE(b->icon().isNull());
        } else {
            EXPECT_FALSE(b->icon().isNull());
            EXPECT_EQ(b->icon().name(), e.name);
        }
    }
    tabs->setCurrentIndex(0);
}

TEST_F(Palette, CaptionFacesAreBlue) {
    for (const char* name : {"sbHeading", "sbLineBreak", "sbBold", "sbEmp"}) {
        QToolButton* b = palette.button(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->palette().color(QPalette::Active, QPalette::ButtonText), QColor(0, 0, 255)) << name;
    }
    EXPECT_TRUE(palette.button("sbItalic")->font().italic());
    EXPECT_TRUE(palette.button("sbUnderline")->font().underline());
}

TEST_F(Palette, PopupMenuHasTheFourQuickEntries) {
    ASSERT_NE(palette.pmHTML, nullptr);
    EXPECT_EQ(palette.pmHTML->objectName(), "pmHTML");
    const QList<QAction*> actions = palette.pmHTML->actions();
    const std::pair<const char*, const char*> expected[] = {{"miQuickDoc", "Quick &Document"},
                                                            {"miQuickFont", "Quick &Font"},
                                                            {"miQuickTable", "Quick &Table"},
                                                            {"miQuickForm", "Quick F&orm"}};
    ASSERT_EQ(actions.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(actions[i]->objectName(), expected[i].first);
        EXPECT_EQ(actions[i]->text(), expected[i].second);
        EXPECT_EQ(palette.action(expected[i].first), actions[i]);
    }
    EXPECT_EQ(palette.action("miNothing"), nullptr);
    EXPECT_EQ(palette.button("sbNothing"), nullptr);
}

} // namespace
