#include "editor/tsrichedit.h"
#include "tags/inlinetags.h"
#include "commandfixture.h"

#include <gtest/gtest.h>

namespace {

using ts::TInlineSource;
using ts::TPrimitive;

struct Expected {
    const char* name;
    const char* text;
    TPrimitive primitive;
    bool placeCaret;
    int offset;
    TInlineSource source;
};

constexpr auto AtCaret = TPrimitive::InsertAtCaret;
constexpr auto AsLine = TPrimitive::InsertLineAtCaretRow;

const Expected kButtons[] = {
    {"sbHeading", "", AsLine, false, 0, TInlineSource::HeadingDialog},
    {"sbLineBreak", "<BR>", AtCaret, false, 0, TInlineSource::Fixed},
    {"sbParagraph", "<P>", AtCaret, false, 0, TInlineSource::Fixed},
    {"sbHRule", "<HR>", AsLine, false, 0, TInlineSource::RuleSetting},
    {"sbBold", "<B></B>", AtCaret, true, 3, TInlineSource::Fixed},
    {"sbItalic", "<I></I>", AtCaret, true, 3, TInlineSource::Fixed},
    {"sbUnderline", "<U></U>", AtCaret, true, 3, TInlineSource::Fixed},
    {"sbPre", "<PRE></PRE>", AtCaret, true, 5, TInlineSource::Fixed},
    {"sbSub", "<SUB></SUB>", AtCaret, true, 5, TInlineSource::Fixed},
    {"sbSup", "<SUP></SUP>", AtCaret, true, 5, TInlineSource::Fixed},
    {"sbStrong", "<STRONG></STRONG>", AtCaret, true, 8, TInlineSource::Fixed},
    {"sbEmp", "<EM></EM>", AtCaret, true, 4, TInlineSource::Fixed},
    {"sbTR", "<TR></TR>", AtCaret, true, 4, TInlineSource::Fixed},
    {"sbTD", "<TD></TD>", AtCaret, true, 4, TInlineSource::Fixed},
    {"sbOrdList", "<OL></OL>", AtCaret, true, 4, TInlineSource::Fixed},
    {"sbUnOrdList", "<UL></UL>", AtCaret, true, 4, TInlineSource::Fixed},
    {"sbListItem", "<LI>", AtCaret, true, 4, TInlineSource::Fixed},
    {"sbMenuList", "<MENU></MENU>", AtCaret, true, 6, TInlineSource::Fixed},
    {"sbDirList", "<DIR></DIR>", AtCaret, true, 5, TInlineSource::Fixed},
};

QByteArray text(const TSRichEdit& e) {
    const std::string_view v = e.DocumentBytes();
    return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

TEST(InlineTags, TableHoldsEveryButtonAsDefined) {
    ASSERT_EQ(ts::inlineTags().size(), std::size(kButtons));
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const Expected& x = kButtons[i];
        SCOPED_TRACE(x.name);
        const ts::TInlineTag* t = ts::inlineTag(x.name);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(&ts::inlineTags()[i], t);  // palette order
        EXPECT_EQ(t->text, x.text);
        EXPECT_EQ(t->primitive, x.primitive);
        EXPECT_EQ(t->placeCaret, x.placeCaret);
        EXPECT_EQ(t->source, x.source);
        if (x.placeCaret) {
            EXPECT_EQ(t->offset, x.offset);
            // A paired tag puts the caret right after its opening tag.
            EXPECT_EQ(t->offset, t->text.indexOf('>') + 1);
        }
    }
    EXPECT_EQ(ts::inlineTag("sbAnchor"), nullptr);
    EXPECT_EQ(ts::inlineTag("sbbold"), nullptr);
}

TEST(InlineTags, EachFixedButtonInsertsAtTheCaretAndPlacesIt) {
    for (const Expected& x : kButtons) {
        if (x.source != TInlineSource::Fixed) continue;
        SCOPED_TRACE(x.name);
        TSRichEdit e;
        e.SetDocumentBytes("first\r\nabcdef\r\nlast\r\n");
        e.SetCaretRow(1);
        e.SetCaretCol(3);
        ts::insertInlineTag(e, *ts::inlineTag(x.name), QString::fromLatin1(x.text));
        const QString line = QStringLiteral("abc") + x.text + QStringLiteral("def");
        EXPECT_EQ(text(e), "first\r\n" + line.toUtf8() + "\r\nlast\r\n");
        EXPECT_EQ(e.CaretRow(), 1);
        EXPECT_EQ(e.CaretCol(), x.placeCaret ? 3 + x.offset : line.length());
    }
}

using InlineTagCommands = ts::test::TagCommandFixture;

TEST_F(InlineTagCommands, EachButtonsCommandWritesItsTagIntoTheDocument) {
    for (const Expected& x : kButtons) {
        if (x.source == TInlineSource::HeadingDialog) continue;
        SCOPED_TRACE(x.name);
        e.SetDocumentBytes("abcdef\r\n");
        e.SetCaretRow(0);
        e.SetCaretCol(3);
        press(x.name);
        EXPECT_EQ(text(), x.primitive == AtCaret ? QByteArray("abc") + x.text + "def\r\n"
                                                 : QByteArray(x.text) + "\r\nabcdef\r\n");
    }
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(InlineTagCommands, RuleAsksForItsHeightOnlyWhileTheNetscapeExtensionsAreOn) {
    // The preference counts from the next press on.
    ts::test::setPreference("UseNetscapeExt", true);
    dialogs.expect("THR", [](QDialog& d) {
        ts::test::set(d, "eHRHeight", "4");
        ts::test::click(d, "bbOK");
    });
    press("sbHRule");
    dialogs.done();
    ts::test::setPreference("UseNetscapeExt", false);
    press("sbHRule");
    EXPECT_EQ(text(), "top\r\n<HR SIZE=4>\r\n<HR>\r\nabcdef\r\n");

    // A context may bring its own preferences.
    context.readSettings = [] {
        TPrefsRecord prefs;
        prefs.UseNetscapeExt = true;
        return prefs;
    };
    dialogs.expect("THR", [](QDialog& d) { ts::test::click(d, "bbCancel"); });
    press("sbHRule");
    dialogs.done();
    EXPECT_EQ(text(), "top\r\n<HR SIZE=4>\r\n<HR>\r\nabcdef\r\n");
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(InlineTagCommands, ADamagedPreferenceFailsOnlyTheRule) {
    ts::test::setPreference("UseNetscapeExt", QStringLiteral("yes"));
    press("sbHRule");
    EXPECT_EQ(platform.boxes.texts(), QStringList{"Ungültiger Datentyp für 'UseNetscapeExt'"});
    press("sbBold");
    EXPECT_EQ(text(), "top\r\nabc<B></B>def\r\n");
}

TEST(InlineTags, BoldWithASelectionNeitherWrapsNorReplacesIt) {
    TSRichEdit e;
    e.SetDocumentBytes("abcdef");
    e.SendScintilla(QsciScintillaBase::SCI_SETSEL, 4UL, 2L);
    ts::insertInlineTag(e, *ts::inlineTag("sbBold"), "<B></B>");
    EXPECT_EQ(text(e), "ab<B></B>cdef");
    EXPECT_EQ(e.CaretCol(), 5);
    EXPECT_FALSE(e.hasSelectedText());
}

TEST(InlineTags, HeadingAndRuleGoOnALineOfTheirOwnAboveTheCaret) {
    TSRichEdit e;
    e.SetDocumentBytes("top\r\nmiddle\r\n");
    e.SetCaretRow(1);
    e.SetCaretCol(3);
    ts::insertInlineTag(e, *ts::inlineTag("sbHeading"), ts::composeHeading("2", "Welcome"));
    EXPECT_EQ(text(e), "top\r\n<H2>Welcome</H2>\r\nmiddle\r\n");
    EXPECT_EQ(e.CaretRow(), 2);
    EXPECT_EQ(e.CaretCol(), 0);
    ts::insertInlineTag(e, *ts::inlineTag("sbHRule"), ts::composeRule());
    ts::insertInlineTag(e, *ts::inlineTag("sbHRule"), ts::composeRule(QString("4")));
    EXPECT_EQ(text(e), "top\r\n<H2>Welcome</H2>\r\n<HR>\r\n<HR SIZE=4>\r\nmiddle\r\n");
    EXPECT_EQ(e.CaretRow(), 4);
}

TEST(InlineTags, OneUndoTakesAButtonPressBackWhole) {
    TSRichEdit e;
    e.SetDocumentBytes("abcdef\r\n");
    e.SetCaretRow(0);
    e.SetCaretCol(3);
    ts::insertInlineTag(e, *ts::inlineTag("sbStrong"), "<STRONG></STRONG>");
    ts::insertInlineTag(e, *ts::inlineTag("sbHeading"), "<H1></H1>");
    e.undo();
    EXPECT_EQ(text(e), "abc<STRONG></STRONG>def\r\n");
    e.undo();
    EXPECT_EQ(text(e), "abcdef\r\n");
    EXPECT_FALSE(e.isUndoAvailable());
}

} // namespace
