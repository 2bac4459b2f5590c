#include "editor/editcommands.h"
#include "editor/tsrichedit.h"
#include "support/editorfixture.h"

#include <gtest/gtest.h>

namespace {

using ts::indentLine;
using ts::unindentLine;

class EditCommands : public ts::test::EditorFixture {
protected:
    void expectCaret(int row, int col) {
        EXPECT_EQ(e.CaretRow(), row);
        EXPECT_EQ(e.CaretCol(), col);
    }
};

TEST_F(EditCommands, IndentPutsTwoSpacesInFrontAndTheCaretAtTheEnd) {
    for (int col : {0, 1, 2}) {
        load("ab\r\ncd\r\n");
        caret(0, col);
        indentLine(e);
        EXPECT_EQ(text(), "  ab\r\ncd\r\n") << col;
        expectCaret(0, 4);
        EXPECT_TRUE(e.Modified());
    }
}

TEST_F(EditCommands, IndentOnTheEmptyLineAfterAFinalBreak) {
    load("ab\r\n");
    e.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    indentLine(e);
    EXPECT_EQ(text(), "ab\r\n  ");
    expectCaret(1, 2);
}

TEST_F(EditCommands, IndentOfASelectionTouchesOnlyItsFirstLine) {
    load("one\r\ntwo\r\nthree\r\nfour\r\n");
    select(2, 3, 0, 1);  // backwards over three lines
    indentLine(e);
    EXPECT_EQ(text(), "  one\r\ntwo\r\nthree\r\nfour\r\n");
    expectCaret(0, 5);
    EXPECT_FALSE(e.hasSelectedText());
}

TEST_F(EditCommands, UnindentRemovesOneLevel) {
    load("x\r\n    deep\r\n");
    caret(1, 6);
    EXPECT_TRUE(unindentLine(e));
    EXPECT_EQ(text(), "x\r\n  deep\r\n");
    expectCaret(1, 6);
}

TEST_F(EditCommands, UnindentOfTwoSpacesLeavesAnEmptyLine) {
    load("  \r\nz");
    caret(0, 1);
    EXPECT_TRUE(unindentLine(e));
    EXPECT_EQ(text(), "\r\nz");
    expectCaret(0, 0);
}

TEST_F(EditCommands, UnindentWithoutTwoLeadingSpacesChangesNothing) {
    for (const char* doc : {" a\r\n", "\t  a\r\n", "\r\nx", " \tb\r\n", "a  \r\n"}) {
        load(doc);
        caret(0, 1);
        const int col = e.CaretCol();
        EXPECT_FALSE(unindentLine(e)) << doc;
        EXPECT_EQ(text(), doc);
        expectCaret(0, col);
        EXPECT_FALSE(e.Modified());
        EXPECT_FALSE(e.isUndoAvailable());
    }
}

TEST_F(EditCommands, IndentThenUnindentGivesTheLineBack) {
    load("a\r\n b c\r\n");
    caret(1, 2);
    indentLine(e);
    EXPECT_TRUE(unindentLine(e));
    EXPECT_EQ(text(), "a\r\n b c\r\n");
    expectCaret(1, 4);
}

TEST_F(EditCommands, EachIsOneUndoStep) {
    load("ab\r\n");
    indentLine(e);
    indentLine(e);
    EXPECT_TRUE(unindentLine(e));
    EXPECT_EQ(text(), "  ab\r\n");
    e.undo();
    EXPECT_EQ(text(), "    ab\r\n");
    e.undo();
    EXPECT_EQ(text(), "  ab\r\n");
    e.undo();
    EXPECT_EQ(text(), "ab\r\n");
    EXPECT_FALSE(e.isUndoAvailable());
}

} // namespace
