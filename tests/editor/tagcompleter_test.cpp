#include "editor/tagcompleter.h"

#include "editor/primitives.h"
#include "editor/tsrichedit.h"
#include "support/editorfixture.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using Sci = QsciScintillaBase;

// A real editor with its completer, holding text loaded as from a file.
class TagCompletion : public ts::test::EditorFixture {
protected:
    void SetUp() override { TTagCompleter::Of(e); }
    // Loads utf8 unmodified and puts the caret at its end.
    void start(const QByteArray& utf8) {
        e.SetDocumentBytes(utf8);
        e.SendScintilla(Sci::SCI_DOCUMENTEND);
    }
    void type(const char* utf8) { QTest::keyClicks(&e, QString::fromUtf8(utf8)); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(&e, key, modifiers); }
    bool listShown() const { return e.isListActive(); }
    qint64 caret() const { return e.SendScintilla(Sci::SCI_GETCURRENTPOS); }
};

TEST_F(TagCompletion, ElementNamesInTheCaseOfTheFirstLetterTyped) {
    struct Case {
        const char* before;
        const char* typed;
        Qt::Key key;
        const char* after;
    };
    const Case cases[] = {
        {"", "<ta", Qt::Key_Return, "<table"},
        {"", "<TA", Qt::Key_Tab, "<TABLE"},
        {"", "<tA", Qt::Key_Return, "<table"},
        {"<P>Zürich</P>\r\n", "<Bl", Qt::Key_Tab, "<P>Zürich</P>\r\n<BLOCKQUOTE"},
        {"<p>", "<h", Qt::Key_Return, "<p><h1"},
        {"", "<ta", Qt::Key_Escape, "<ta"},
    };
    for (const Case& c : cases) {
        start(c.before);
        type(c.typed);
        ASSERT_TRUE(listShown()) << c.typed;
        press(c.key);
        EXPECT_EQ(text(), QByteArray(c.after)) << c.typed;
        EXPECT_EQ(caret(), e.ByteLength()) << c.typed;
        EXPECT_FALSE(listShown()) << c.typed;
    }
}

TEST_F(TagCompletion, OnlyNamesThatBeginWithWhatWasTypedAreOffered) {
    // Up stays on the first name that fits; Down goes to the next one.
    struct Case {
        const char* before;
        const char* typed;
        Qt::Key move;
        const char* after;
    };
    const Case cases[] = {
        {"", "<t", Qt::Key_Up, "<table"},
        {"", "<t", Qt::Key_Down, "<tbody"},
        {"<td ", "c", Qt::Key_Up, "<td char=\"\""},
        {"<td ", "c", Qt::Key_Down, "<td charoff=\"\""},
    };
    for (const Case& c : cases) {
        start(c.before);
        type(c.typed);
        press(c.move);
        press(Qt::Key_Return);
        EXPECT_EQ(text(), QByteArray(c.after));
    }
}

TEST_F(TagCompletion, NothingIsOfferedInCommentsQuotedValuesTextOrEndTags) {
    struct Case {
        const char* before;
        const char* typed;
    };
    const Case cases[] = {
        {"<!-- ", "<t"},
        {"<!-- <p>x</p> ", "<t"},
        {"<!-- <td ", "b"},
        {"<a title=\"", "<t"},
        {"<a title='it is ", "<t"},
        {"<td title=\"a ", "b"},
        {"<a title=\"x<y\" href=\"", "<t"},
        {"<p>some ", "t"},
        {"<p>a</p> ", "b"},
        {"<td width=", "b"},
        {"</td ", "b"},
        {"<!DOCTYPE ", "h"},
        {"<my-widget ", "b"}, // no global attribute begins with b
    };
    for (const Case& c : cases) {
        start(c.before);
        type(c.typed);
        EXPECT_FALSE(listShown()) << c.before << c.typed;
        // Nor does Ctrl+Space find anything there, and it types nothing.
        press(Qt::Key_Space, Qt::ControlModifier);
        EXPECT_FALSE(listShown()) << c.before << c.typed;
        EXPECT_EQ(text(), QByteArray(c.before) + c.typed);
    }
}

TEST_F(TagCompletion, AttributesGoInWithTheCaretBetweenTheQuotes) {
    struct Case {
        const char* before;
        const char* typed;
        const char* after; // then "1" is typed
    };
    const Case cases[] = {
        {"<table ", "bor", "<table border=\"1\""},
        {"<TABLE ", "BOR", "<TABLE BORDER=\"1\""},
        {"<TD ", "col", "<TD COLSPAN=\"1\""},
        {"<Zürich><img src=\"a.gif\" ", "alt", "<Zürich><img src=\"a.gif\" alt=\"1\""},
        {"<a title=\"x > y\" ", "hr", "<a title=\"x > y\" href=\"1\""},
        {"<a title=\"x<y\" ", "hr", "<a title=\"x<y\" href=\"1\""},
        {"<div\r\n  ", "cla", "<div\r\n  class=\"1\""},
        {"<my-widget ", "tit", "<my-widget title=\"1\""},
    };
    for (const Case& c : cases) {
        start(c.before);
        type(c.typed);
        ASSERT_TRUE(listShown()) << c.before << c.typed;
        press(Qt::Key_Return);
        EXPECT_FALSE(listShown());
        type("1");
        EXPECT_EQ(text(), QByteArray(c.after)) << c.before << c.typed;
        EXPECT_EQ(caret(), e.ByteLength() - 1);
    }
}

TEST_F(TagCompletion, CtrlSpaceOffersWhatFitsTheWordBeforeTheCaretAndChangesNothingByItself) {
    struct Case {
        const char* before;
        const char* typed; // after Ctrl+Space
        const char* after;
    };
    const Case cases[] = {
        {"<td ", "rows", "<td rowspan=\"\""},
        {"<td align=left ", "", "<td align=left abbr=\"\""},
        {"<TD co", "", "<TD COLSPAN=\"\""},
        {"<tab", "", "<table"},
    };
    for (const Case& c : cases) {
        start(c.before);
        press(Qt::Key_Space, Qt::ControlModifier);
        ASSERT_TRUE(listShown()) << c.before;
        // Offering alone is no edit.
        EXPECT_FALSE(e.Modified());
        type(c.typed);
        press(Qt::Key_Return);
        EXPECT_EQ(text(), QByteArray(c.after)) << c.before;
    }
    start("<td ");
    press(Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(listShown());
    press(Qt::Key_Escape);
    EXPECT_FALSE(listShown());
    EXPECT_EQ(text(), QByteArray("<td "));
    EXPECT_FALSE(e.Modified());
}

TEST_F(TagCompletion, SlashAfterLessThanClosesTheInnermostOpenElement) {
    struct Case {
        const char* before;
        const char* closing; // what follows the typed "</"; empty when nothing is open
    };
    const Case cases[] = {
        {"<TABLE><TR><TD>cell", "TD>"},
        {"<div><p>a</p><span>b", "span>"},
        {"<Div>\r\n  text\r\n", "Div>"},
        // Optional end tags: open until a sibling or the parent's end.
        {"<ul><li>one<li>two", "li>"},
        {"<ul><li>one<li>two</li>", "ul>"},
        {"<ul><li>a<ul><li>b</ul>", "li>"},
        {"<table><tr><td>a<td>b</td>", "tr>"},
        {"<body><p>para<div>x</div>", "body>"},
        {"<dl><dt>term<dd>text", "dd>"},
        {"<html><head><title>T</title></head><body><p>x</p>", "body>"},
        {"<html><head><title>T</title><body>", "body>"},
        // Void elements never count.
        {"<div><br><img src=\"a.gif\"><hr><input type=text><meta charset=utf-8>", "div>"},
        {"<p><br/><wbr><source src=a.ogg>", "p>"},
        // Markup in comments, quoted values and scripts is no markup.
        {"<div><!-- <span> -->", "div>"},
        {"<div><script>if (a<b) x='</p>';</script>", "div>"},
        {"<a title=\"1 > 0\">x", "a>"},
        // Nothing open, or no place for an end tag.
        {"<p>a</p>", ""},
        {"", ""},
        {"<!DOCTYPE html><br>", ""},
        {"<div><!-- x ", ""},
        {"<div><a title=\"", ""},
    };
    for (const Case& c : cases) {
        start(c.before);
        type("</");
        EXPECT_EQ(text(), QByteArray(c.before) + "</" + c.closing) << c.before;
        EXPECT_EQ(caret(), e.ByteLength()) << c.before;
        EXPECT_FALSE(listShown()) << c.before;
    }
}

TEST_F(TagCompletion, TheOpenElementIsLookedForInTheLast256KBOnly) {
    const QByteArray line = QByteArray(98, 'x') + "\r\n";
    struct Case {
        int lines;
        const char* closing;
    };
    for (const Case& c : {Case{2500, "div>"}, Case{2700, ""}}) {
        start("<div>" + line.repeated(c.lines));
        type("</");
        EXPECT_TRUE(text().endsWith(QByteArray("\r\n</") + c.closing)) << c.lines;
    }
}

TEST_F(TagCompletion, EachCompletionIsOneUndoStepAndUndoingAllLeavesTheTextUnmodified) {
    struct Case {
        const char* before;
        const char* typed;
        Qt::Key key; // Key_unknown: none
        const char* completed;
    };
    const Case cases[] = {
        {"<p>", "<ta", Qt::Key_Return, "<p><table"},
        {"<td ", "co", Qt::Key_Tab, "<td colspan=\"\""},
        {"<b>x", "</", Qt::Key_unknown, "<b>x</b>"},
    };
    for (const Case& c : cases) {
        start(c.before);
        type(c.typed);
        if (c.key != Qt::Key_unknown) press(c.key);
        ASSERT_EQ(text(), QByteArray(c.completed));
        EXPECT_TRUE(e.Modified());
        press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(text(), QByteArray(c.before) + c.typed) << c.completed;
        EXPECT_FALSE(listShown());
        while (e.isUndoAvailable()) press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(text(), QByteArray(c.before)) << c.completed;
        EXPECT_FALSE(e.Modified()) << c.completed;
    }
}

TEST_F(TagCompletion, TextThatTheProgramInsertsNeverCompletes) {
    start("");
    ts::insertAtCaret(e, QStringLiteral("<TABLE><TR><TD>x</"), false);
    EXPECT_EQ(text(), QByteArray("<TABLE><TR><TD>x</"));
    ts::insertAtCaret(e, QStringLiteral("<t"), false);
    EXPECT_FALSE(listShown());
    EXPECT_EQ(text(), QByteArray("<TABLE><TR><TD>x</<t"));
}

} // namespace
