#include "editor/primitives.h"
#include "editor/tsrichedit.h"
#include "support/editorfixture.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using ts::appendLine;
using ts::insertAtCaret;
using ts::insertLineAtCaretRow;

class Primitives : public ts::test::EditorFixture {
protected:
    void expectCaret(int row, int col) {
        EXPECT_EQ(e.CaretRow(), row);
        EXPECT_EQ(e.CaretCol(), col);
        EXPECT_FALSE(e.hasSelectedText());
    }
};

// ---- insert at caret

TEST_F(Primitives, PairedTagLandsAtTheCaretWithTheCaretBetweenTheTags) {
    load("abcdef\r\nnext\r\n");
    caret(0, 3);
    insertAtCaret(e, "<B></B>", true, 3);
    EXPECT_EQ(text(), "abc<B></B>def\r\nnext\r\n");
    expectCaret(0, 6);
    EXPECT_TRUE(e.Modified());
}

TEST_F(Primitives, SelectionIsNeitherReplacedNorKept) {
    load("abcdef");
    select(0, 1, 0, 3);
    insertAtCaret(e, "<B></B>", true, 3);
    EXPECT_EQ(text(), "a<B></B>bcdef");
    expectCaret(0, 4);
}

TEST_F(Primitives, BackwardSelectionInsertsAtItsStart) {
    load("one\r\ntwo three\r\n");
    select(1, 9, 1, 3);  // from the end of "three" back to after "two"
    insertAtCaret(e, "<I></I>", true, 3);
    EXPECT_EQ(text(), "one\r\ntwo<I></I> three\r\n");
    expectCaret(1, 6);
}

TEST_F(Primitives, WithoutPlaceCaretTheCaretGoesToTheEndOfTheLine) {
    load("abcdef\r\nxyz");
    caret(0, 2);
    insertAtCaret(e, "<BR>", false, 2);
    EXPECT_EQ(text(), "ab<BR>cdef\r\nxyz");
    expectCaret(0, 10);
}

TEST_F(Primitives, IntoAnEmptyDocumentTheTextBecomesTheFirstLine) {
    load("");
    insertAtCaret(e, "<UL></UL>", true, 4);
    EXPECT_EQ(text(), "<UL></UL>");
    expectCaret(0, 4);

    TSRichEdit other;
    other.SetDocumentBytes("");
    insertAtCaret(other, "<P>", false);
    EXPECT_EQ(QByteArray(other.DocumentBytes().data(), 3), "<P>");
    EXPECT_EQ(other.CaretCol(), 3);
}

TEST_F(Primitives, OnTheEmptyLineAfterAFinalBreakTheTextTakesThatLine) {
    load("abc\r\n");
    // SetCaretRow stops at the last counted line; the end of the text is one further.
    e.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    ASSERT_EQ(e.CaretRow(), 1);
    insertAtCaret(e, "<LI>", true, 4);
    EXPECT_EQ(text(), "abc\r\n<LI>");
    EXPECT_FALSE(e.EndsWithLineBreak());
    expectCaret(1, 4);
}

TEST_F(Primitives, TextWithALineBreakLeavesTheCaretOnTheFirstLine) {
    load("abcdef\r\n");
    caret(0, 3);
    insertAtCaret(e, "<X>\r\n</X>", false);
    EXPECT_EQ(text(), "abc<X>\r\n</X>def\r\n");
    expectCaret(0, 6);
    EXPECT_EQ(e.LineCount(), 2);
}

TEST_F(Primitives, EmptyTextChangesNothingButMovesTheCaret) {
    load("abc\r\ndef\r\n");
    e.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    insertAtCaret(e, "", false);
    EXPECT_EQ(text(), "abc\r\ndef\r\n");
    expectCaret(1, 3);  // end of the line above
    EXPECT_FALSE(e.Modified());

    caret(0, 1);
    insertAtCaret(e, "", true, 1);
    expectCaret(0, 2);
    EXPECT_FALSE(e.isUndoAvailable());
}

TEST_F(Primitives, OffsetsAreClampedToTheLine) {
    load("ab\r\ncd");
    caret(0, 1);
    insertAtCaret(e, "<I>", true, 1000);
    expectCaret(0, 5);
    caret(1, 1);
    insertAtCaret(e, "<I>", true, std::numeric_limits<int>::max());
    expectCaret(1, 5);
    caret(1, 1);
    insertAtCaret(e, "x", true, -50);
    expectCaret(1, 0);
    EXPECT_EQ(text(), "a<I>b\r\ncx<I>d");
}

TEST_F(Primitives, ColumnsCountCharactersBeyondTheBasicPlane) {
    // One emoji is two UTF-16 units but one column.
    load("a\xF0\x9F\x98\x80" "b\xC3\xA4" "c\r\n");
    caret(0, 2);
    insertAtCaret(e, "<B></B>", true, 3);
    EXPECT_EQ(text(), "a\xF0\x9F\x98\x80<B></B>b\xC3\xA4" "c\r\n");
    expectCaret(0, 5);
    caret(0, 11);
    insertAtCaret(e, "<BR>", false);
    EXPECT_EQ(text(), "a\xF0\x9F\x98\x80<B></B>b\xC3\xA4<BR>c\r\n");
    expectCaret(0, 16);
}

TEST_F(Primitives, TextGoesInUnchanged) {
    load("x");
    caret(0, 1);
    insertAtCaret(e, "  <A HREF=\"a&b\">\t</A>  ", false);
    EXPECT_EQ(text(), "x  <A HREF=\"a&b\">\t</A>  ");
}

// ---- insert line at caret row

TEST_F(Primitives, InsertLineGoesAboveTheCaretsLine) {
    load("l1\r\nl2\r\nl3\r\nl4\r\nline5\r\nl6\r\n");
    caret(4, 2);
    insertLineAtCaretRow(e, "<HR>");
    EXPECT_EQ(e.GetLine(4), "<HR>");
    EXPECT_EQ(e.GetLine(5), "line5");
    expectCaret(5, 0);
    EXPECT_EQ(e.LineCount(), 7);
}

TEST_F(Primitives, InsertLineDropsASelectionWithoutDeletingIt) {
    load("abc\r\ndef\r\n");
    select(0, 1, 1, 2);
    insertLineAtCaretRow(e, "<H1></H1>");
    EXPECT_EQ(text(), "<H1></H1>\r\nabc\r\ndef\r\n");
    expectCaret(1, 0);
}

TEST_F(Primitives, InsertLineIntoAnEmptyDocument) {
    load("");
    insertLineAtCaretRow(e, "<HR>");
    EXPECT_EQ(text(), "<HR>\r\n");
    expectCaret(1, 0);
}

TEST_F(Primitives, InsertLineOnTheLastLineWithoutBreak) {
    load("a\r\nlast");
    caret(1, 3);
    insertLineAtCaretRow(e, "<HR>");
    EXPECT_EQ(text(), "a\r\n<HR>\r\nlast");
    expectCaret(2, 0);
}

TEST_F(Primitives, SeveralInsertedLinesKeepTheirOrderAboveTheCaret) {
    load("before\r\nhere\r\n");
    caret(1, 2);
    for (const char* l : {"<TABLE>", "  <TR>", "  </TR>", "</TABLE>"}) insertLineAtCaretRow(e, l);
    EXPECT_EQ(text(), "before\r\n<TABLE>\r\n  <TR>\r\n  </TR>\r\n</TABLE>\r\nhere\r\n");
    expectCaret(5, 0);
}

TEST_F(Primitives, InsertLineWithLineBreaksMakesSeveralLines) {
    load("x\r\n");
    insertLineAtCaretRow(e, "a\r\nb");
    EXPECT_EQ(text(), "a\r\nb\r\nx\r\n");
    expectCaret(2, 0);
}

// ---- append line

TEST_F(Primitives, AppendsBuildALineBrokenDocumentFromEmpty) {
    load("");
    for (const char* l : {"<HTML>", "", "</HTML>"}) appendLine(e, l);
    EXPECT_EQ(text(), "<HTML>\r\n\r\n</HTML>\r\n");
    expectCaret(3, 0);
    EXPECT_EQ(e.LineCount(), 3);
}

TEST_F(Primitives, AppendToALastLineWithoutBreakJoinsWithABreak) {
    load("a\r\nb");
    caret(0, 0);
    appendLine(e, "c");
    EXPECT_EQ(text(), "a\r\nb\r\nc");
    EXPECT_FALSE(e.EndsWithLineBreak());
    expectCaret(2, 1);
}

TEST_F(Primitives, AppendIgnoresWhereTheCaretIs) {
    load("a\r\nb\r\n");
    select(0, 0, 1, 1);
    appendLine(e, "<P>");
    EXPECT_EQ(text(), "a\r\nb\r\n<P>\r\n");
    expectCaret(3, 0);
}

// ---- undo

TEST_F(Primitives, EachCallIsOneUndoStep) {
    load("abc\r\n");
    caret(0, 3);
    QTest::keyClicks(&e, "de");
    ASSERT_EQ(text(), "abcde\r\n");
    caret(0, 1);
    insertAtCaret(e, "<STRONG></STRONG>", true, 8);
    insertLineAtCaretRow(e, "<H2>x</H2>");
    appendLine(e, "<HR>");
    ASSERT_EQ(text(), "<H2>x</H2>\r\na<STRONG></STRONG>bcde\r\n<HR>\r\n");
    e.undo();
    EXPECT_EQ(text(), "<H2>x</H2>\r\na<STRONG></STRONG>bcde\r\n");
    e.undo();
    EXPECT_EQ(text(), "a<STRONG></STRONG>bcde\r\n");
    e.undo();
    EXPECT_EQ(text(), "abcde\r\n");
    // What the user typed before stays undoable on its own.
    while (e.isUndoAvailable()) e.undo();
    EXPECT_EQ(text(), "abc\r\n");
}

TEST_F(Primitives, AWholeBuilderOutputIsOneUndoStep) {
    load("body\r\n");
    {
        TProgramChange builder(e);
        for (const char* l : {"<UL>", "  <LI>", "</UL>"}) insertLineAtCaretRow(e, l);
    }
    EXPECT_EQ(text(), "<UL>\r\n  <LI>\r\n</UL>\r\nbody\r\n");
    e.undo();
    EXPECT_EQ(text(), "body\r\n");
    EXPECT_FALSE(e.isUndoAvailable());
}

} // namespace
