#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "support/editorfixture.h"
#include "support/waitfor.h"
#include "tags/editcontext.h"
#include "usertags/usertagbuttons.h"
#include "usertagsfixture.h"

#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QWidget>

using namespace ts;
using ts::test::documentText;
using ts::test::storeTag;

namespace {

QToolButton* userButton(const THTML& doc, int n) { return doc.Palette().button(QStringLiteral("sbUser%1").arg(n)); }

// What a tooltip shows, markup rendered.
QString shownTip(const QToolButton* b) {
    QTextDocument d;
    d.setHtml(b->toolTip());
    return d.toPlainText();
}

class UserTagButtons : public ts::test::UserTagsTest {
protected:
    void SetUp() override { connectUserTags(doc); }
    void press(int n) { userButton(doc, n)->click(); }

    THTML doc;
};

// A user tag's insertion on a bare editor, run as a press runs it.
class UserTagInsertion : public ts::test::UserTagsTest {
protected:
    void insert(int n) {
        runCommand(&window, [&] { sbUserClick(context, n); });
    }
    QWidget window;
    TSRichEdit editor;
    TEditContext context{editor, &window};
};

TEST_F(UserTagInsertion, PutsStartAndEndAroundTheCaret) {
    struct Case {
        TUserTag tag;
        const char* line;
        int col;
        const char* after;
        int caretCol;
    };
    const Case cases[] = {
        {{"Cent", "", "<CENTER>", "</CENTER>", ""}, "abcdefgh", 4, "abcd<CENTER></CENTER>efgh", 12},
        {{"Br", "", "<BR>", "", ""}, "abcdefgh", 2, "ab<BR>cdefgh", 6},
        {{}, "abcdefgh", 3, "abcdefgh", 3},
        {{"Euro", "", "\xE2\x82\xAC\xF0\x9F\x98\x80", "!", ""}, "ab", 1, "a\xE2\x82\xAC\xF0\x9F\x98\x80!b", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        storeTag(6, c.tag);
        editor.SetDocumentBytes(QByteArray(c.line) + "\r\nnext\r\n");
        editor.ClearModified();
        editor.SetCaretRow(0);
        editor.SetCaretCol(c.col);
        insert(6);
        EXPECT_EQ(documentText(editor), QByteArray(c.after) + "\r\nnext\r\n");
        EXPECT_EQ(editor.CaretRow(), 0);
        EXPECT_EQ(editor.CaretCol(), c.caretCol);
        // One press, one undo step.
        editor.undo();
        EXPECT_EQ(documentText(editor), QByteArray(c.line) + "\r\nnext\r\n");
        ts::registryStore().writeValue(hkey::CurrentUser, userTagKeyPath(6), "StartTag", RegData::string(""));
        ts::registryStore().writeValue(hkey::CurrentUser, userTagKeyPath(6), "EndTag", RegData::string(""));
    }
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(UserTagButtons, ShowTitlesAndHintsAsTyped) {
    storeTag(1, {"B&W", "Bold", "<B>", "</B>", "Makes <B>bold</B> & more"});
    storeTag(5, {"", "", "", "", "Only a hint"});
    storeTag(9, {"ABCDEFG", "", "<X>", "", ""});
    doc.FormCreate();
    const std::tuple<int, const char*, const char*> expected[] = {
        {1, "B&W", "Makes <B>bold</B> & more"}, {2, "", ""}, {5, "", "Only a hint"}, {9, "ABCD", ""}};
    for (const auto& [n, title, hint] : expected) {
        QToolButton* b = userButton(doc, n);
        SCOPED_TRACE(n);
        EXPECT_TRUE(b->isEnabled());
        EXPECT_EQ(b->text().replace("&&", "&"), QString::fromUtf8(title));
        EXPECT_EQ(shownTip(b), QString::fromUtf8(hint));
        EXPECT_EQ(b->toolTip().isEmpty(), *hint == '\0');
    }
    EXPECT_EQ(userButton(doc, 1)->text(), "B&&W");
}

TEST_F(UserTagButtons, PressReadsTheStoreWhileCaptionsWaitForTheNextResize) {
    storeTag(3, {"Old", "", "<OLD>", "</OLD>", "old"});
    doc.FormCreate();
    THTML second;
    connectUserTags(second);
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    storeTag(3, {"New", "", "<NEW>", "</NEW>", "new"});

    press(3);
    EXPECT_EQ(documentText(*doc.RichEdit()), "<NEW></NEW>");
    EXPECT_EQ(doc.PanelText(0), "5:0");
    doc.RichEdit()->undo();
    EXPECT_TRUE(doc.RichEdit()->IsEmpty());
    EXPECT_EQ(userButton(doc, 3)->text(), "Old");
    EXPECT_EQ(userButton(second, 3)->text(), "Old");

    second.resize(700, 500);
    ASSERT_TRUE(ts::test::waitFor([&] { return second.size() == QSize(700, 500); }));
    EXPECT_EQ(userButton(second, 3)->text(), "New");
    EXPECT_EQ(shownTip(userButton(second, 3)), "new");
    EXPECT_EQ(userButton(doc, 3)->text(), "Old");
}

TEST_F(UserTagButtons, StoredValueOfWrongTypeIsReportedAndInsertsNothing) {
    storeTag(2, {"Two", "", "<2>", "", ""});
    doc.FormCreate();
    TQuillonRegistry().WriteValue(hkey::CurrentUser, userTagKeyPath(2), "EndTag", int32_t(1));
    press(2);
    EXPECT_EQ(documentText(*doc.RichEdit()), "");
    doc.FormCreate();
    EXPECT_EQ(platform.boxes.texts(),
              (QStringList{"Ungültiger Datentyp für 'EndTag'", "Ungültiger Datentyp für 'EndTag'"}));
    EXPECT_EQ(userButton(doc, 2)->text(), "Two");
}

} // namespace
