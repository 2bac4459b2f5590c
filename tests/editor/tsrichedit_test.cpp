#include "editor/tsrichedit.h"

#include "editor/search.h"
#include "editor/taglexer.h"
#include "support/waitfor.h"
#include <QAccessible>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QFontDatabase>
#include <gtest/gtest.h>

namespace {

QByteArray text(const TSRichEdit& e) {
    const std::string_view v = e.DocumentBytes();
    return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

void load(TSRichEdit& e, const char* utf8, ts::LineBreak eol = ts::LineBreak::CrLf) {
    e.SetLineBreak(eol);
    e.SetDocumentBytes(QByteArray(utf8));
}

// Selects [from, to) given as (line, column) in characters.
void select(TSRichEdit& e, int line1, int col1, int line2, int col2) {
    e.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(e.BytePosOf(line2, col2)),
                    static_cast<long>(e.BytePosOf(line1, col1)));
}

} // namespace

TEST(TSRichEdit, LineCountLeavesOutTheEmptyLineAfterAFinalBreak) {
    TSRichEdit e;
    EXPECT_EQ(e.objectName(), QStringLiteral("RichEdit"));
    load(e, "");
    EXPECT_EQ(e.LineCount(), 0);
    EXPECT_TRUE(e.IsEmpty());
    load(e, "a\r\nb\r\n");
    EXPECT_EQ(e.LineCount(), 2);
    EXPECT_TRUE(e.EndsWithLineBreak());
    load(e, "a\r\nb");
    EXPECT_EQ(e.LineCount(), 2);
    EXPECT_FALSE(e.EndsWithLineBreak());
    load(e, "\r\n");
    EXPECT_EQ(e.LineCount(), 1);
    load(e, "a\nb\rc\r\n", ts::LineBreak::Lf);
    EXPECT_EQ(e.LineCount(), 3);
    EXPECT_EQ(e.GetLine(0), QStringLiteral("a"));
    EXPECT_EQ(e.GetLine(1), QStringLiteral("b"));
    EXPECT_EQ(e.GetLine(2), QStringLiteral("c"));
    EXPECT_EQ(e.GetLine(3), QString());
    EXPECT_EQ(e.GetLine(-1), QString());
}

TEST(TSRichEdit, CaretCountsCharactersNotBytes) {
    TSRichEdit e;
    load(e, "Zürich\r\nçà élan\r\n");
    e.SetCaretRow(1);
    e.SetCaretCol(4);
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 4);
    EXPECT_EQ(e.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 9 + 7); // ü, ç, à and é are two bytes each
    // Columns past the end stop at the end of the line, not in the next line.
    e.SetCaretRow(0);
    e.SetCaretCol(100);
    EXPECT_EQ(e.CaretRow(), 0);
    EXPECT_EQ(e.CaretCol(), 6);
    e.SetCaretCol(-3);
    EXPECT_EQ(e.CaretCol(), 0);
}

TEST(TSRichEdit, CaretRowIsClampedAndEmptyTextGoesToTheStart) {
    TSRichEdit e;
    load(e, "");
    e.SetCaretRow(5);
    EXPECT_EQ(e.CaretRow(), 0);
    EXPECT_EQ(e.CaretCol(), 0);
    load(e, "one\r\ntwo\r\n");
    e.SetCaretRow(9);
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 0);
    e.SetCaretRow(-2);
    EXPECT_EQ(e.CaretRow(), 0);
}

TEST(TSRichEdit, CaretIsTheSelectionStartEvenWhenSelectedBackwards) {
    TSRichEdit e;
    load(e, "abc\r\ndefgh\r\nxy");
    select(e, 1, 2, 2, 1);
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 2);
    // Selecting from the end of a line backwards.
    e.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(e.BytePosOf(1, 5)),
                    static_cast<long>(e.BytePosOf(1, 1)));
    EXPECT_EQ(e.CaretCol(), 1);
    EXPECT_EQ(e.CaretRow(), 1);
}

TEST(TSRichEdit, ReplaceLineKeepsTheLineBreakAndEndsAfterTheText) {
    TSRichEdit e;
    load(e, "one\r\ntwo\r\nthree");
    e.ReplaceLine(1, QStringLiteral("zwei"));
    EXPECT_EQ(text(e), QByteArray("one\r\nzwei\r\nthree"));
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 4);
    // Line breaks in the new text split the line, in the document's own style.
    e.ReplaceLine(0, QStringLiteral("a\nb"));
    EXPECT_EQ(text(e), QByteArray("a\r\nb\r\nzwei\r\nthree"));
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 1);
    EXPECT_TRUE(e.Modified());
}

TEST(TSRichEdit, InsertLineAtTheStartOfALineOrAtTheEnd) {
    TSRichEdit e;
    load(e, "a\r\nb");
    e.InsertLine(1, QStringLiteral("new"));
    EXPECT_EQ(text(e), QByteArray("a\r\nnew\r\nb"));
    EXPECT_EQ(e.CaretRow(), 2);
    EXPECT_EQ(e.CaretCol(), 0);
    // No line 3 and no final break: the break goes before the text.
    e.InsertLine(3, QStringLiteral("end"));
    EXPECT_EQ(text(e), QByteArray("a\r\nnew\r\nb\r\nend"));
    EXPECT_FALSE(e.EndsWithLineBreak());

    load(e, "");
    e.InsertLine(0, QStringLiteral("x"));
    EXPECT_EQ(text(e), QByteArray("x\r\n"));
    EXPECT_EQ(e.CaretRow(), 1);
    e.InsertLine(e.LineCount(), QStringLiteral("y"));
    EXPECT_EQ(text(e), QByteArray("x\r\ny\r\n"));
}

TEST(TSRichEdit, NewLinesUseTheDocumentsLineBreak) {
    TSRichEdit e;
    load(e, "a\nb\n", ts::LineBreak::Lf);
    e.InsertLine(1, QStringLiteral("c\r\nd"));
    EXPECT_EQ(text(e), QByteArray("a\nc\nd\nb\n"));
    load(e, "a\rb", ts::LineBreak::Cr);
    e.InsertLine(2, QStringLiteral("c"));
    EXPECT_EQ(text(e), QByteArray("a\rb\rc"));
    // Typing Enter in the editor too.
    load(e, "ab\n", ts::LineBreak::Lf);
    e.SetCaretRow(0);
    e.SetCaretCol(1);
    QTest::keyClick(&e, Qt::Key_Return);
    EXPECT_EQ(text(e), QByteArray("a\nb\n"));
}

TEST(TSRichEdit, LoadingIsNeitherModifiedNorUndoable) {
    TSRichEdit e;
    load(e, "<HTML>\r\n");
    EXPECT_FALSE(e.Modified());
    EXPECT_FALSE(e.isUndoAvailable());
    e.ReplaceLine(0, QStringLiteral("<BODY>"));
    EXPECT_TRUE(e.Modified());
    e.ClearModified();
    EXPECT_FALSE(e.Modified());
}

TEST(TSRichEdit, ProgramChangesAreOneUndoStep) {
    TSRichEdit e;
    load(e, "x\r\n");
    {
        TProgramChange change(e);
        e.InsertLine(0, QStringLiteral("1"));
        e.InsertLine(0, QStringLiteral("2"));
        e.ReplaceLine(2, QStringLiteral("y"));
    }
    EXPECT_EQ(text(e), QByteArray("2\r\n1\r\ny\r\n"));
    e.undo();
    EXPECT_EQ(text(e), QByteArray("x\r\n"));
    EXPECT_FALSE(e.Modified());
}

TEST(TSRichEdit, AppearanceComesFromTheSettingsAndNeverHidesTheText) {
    struct Case {
        QString font;
        int size;
        qint32 text, background;
        QString wantFont;
        int wantSize;
        QColor wantText, wantBackground;
    };
    const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    const Case cases[] = {
        // Stored values that differ are applied unchanged.
        {mono, 14, 0x0000FF, 0xFF0000, mono, 14, QColor(255, 0, 0), QColor(0, 0, 255)},
        {mono, 7, 0xFFFFFF, 0x000000, mono, 7, Qt::white, Qt::black},
        // Nothing stored yet: black text on white in the system's fixed-pitch font at 10 points.
        {QString(), 0, 0, 0, fixed, 10, Qt::black, Qt::white},
        // Equal colours of any kind would hide the text and the caret.
        {mono, 12, 0x808000, 0x808000, mono, 12, Qt::black, Qt::white},
    };
    TSRichEdit e;
    auto styleColour = [&](unsigned msg, int style) {
        return TSRichEdit::ColourFromBgr(static_cast<qint32>(e.SendScintilla(msg, static_cast<unsigned long>(style))));
    };
    for (const Case& c : cases) {
        // The previous case's font must not shine through.
        e.ApplyAppearance(c.font, c.size, c.text, c.background);
        EXPECT_EQ(e.TextFont().family(), c.wantFont) << c.font.toStdString() << c.size;
        EXPECT_EQ(e.TextFont().pointSize(), c.wantSize) << c.size;
        EXPECT_EQ(e.TextColour(), c.wantText) << c.text;
        EXPECT_EQ(e.BackgroundColour(), c.wantBackground) << c.background;
        // What the control draws: plain text and paper of the default style.
        EXPECT_EQ(styleColour(QsciScintillaBase::SCI_STYLEGETFORE, 0), c.wantText) << c.text;
        EXPECT_EQ(styleColour(QsciScintillaBase::SCI_STYLEGETBACK, 0), c.wantBackground) << c.background;
        EXPECT_EQ(TSRichEdit::ColourFromBgr(static_cast<qint32>(e.SendScintilla(QsciScintillaBase::SCI_GETCARETFORE))),
                  c.wantText);
    }
}

TEST(TSRichEdit, AJumpFarDownShowsAtOnceAndIsColouredRightOnceTheUserPauses) {
    // A comment that opens at the top and closes far below: only colouring
    // from the top knows that the text at the bottom lies inside it.
    QByteArray doc = "<!--\r\n";
    for (int k = 0; k < 40000; ++k) doc += "<P>a line inside the comment</P>\r\n";
    doc += "-->\r\n<P>after</P>\r\n";
    TSRichEdit e;
    e.resize(600, 400);
    e.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
    load(e, doc.constData());
    e.SetCaretRow(39000);
    e.repaint();
    const long view = static_cast<long>(e.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 39000UL));
    auto styleAt = [&](long pos) { return e.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(pos)); };
    // Shown at once: the 39,000 lines above are not coloured first.
    EXPECT_GE(e.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED), view);
    EXPECT_TRUE(e.StylingPending());

    EXPECT_TRUE(ts::test::waitFor([&] { return !e.StylingPending(); }, 60000));
    for (long pos : {10000L, view + 3}) EXPECT_EQ(styleAt(pos), TTagLexer::Comment) << pos;
}

TEST(TSRichEdit, InputMethodsSeeTheCaretLineNotTheWholeText) {
    // No blank line anywhere: the paragraph around the caret is the whole text.
    QByteArray doc;
    for (int k = 0; k < 20000; ++k) doc += "<P>line</P>\r\n";
    doc += "<P>Zürich</P>\r\n";
    TSRichEdit e;
    load(e, doc.constData());
    e.SetCaretRow(20000);
    e.SetCaretCol(6);
    QWidget& w = e;
    EXPECT_EQ(w.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("<P>Zürich</P>"));
    EXPECT_EQ(w.inputMethodQuery(Qt::ImCursorPosition).toInt(), 6);
    EXPECT_EQ(w.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 6);
    EXPECT_EQ(w.inputMethodQuery(Qt::ImTextBeforeCursor).toString(), QStringLiteral("<P>Zür"));
    EXPECT_EQ(w.inputMethodQuery(Qt::ImTextAfterCursor).toString(), QStringLiteral("ich</P>"));
}

TEST(TSRichEdit, TypingReportsAStatusChange) {
    TSRichEdit e;
    e.show();
    load(e, "abc");
    QSignalSpy spy(&e, &TSRichEdit::StatusChanged);
    QTest::keyClick(&e, Qt::Key_X);
    QCoreApplication::processEvents();
    EXPECT_GE(spy.count(), 1);
    EXPECT_TRUE(e.Modified());
}

TEST(TSRichEdit, ForeignDropsAreRefused) {
    TSRichEdit e;
    load(e, "abc");
    QMimeData mime;
    mime.setText(QStringLiteral("dropped"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(e.viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(e.viewport(), &drop);
    EXPECT_EQ(text(e), QByteArray("abc"));
}

TEST(TSRichEdit, ScreenReaderInterfaceIsPlainWhileNoAssistiveTechnologyRuns) {
    TSRichEdit e;
    ASSERT_FALSE(QAccessible::isActive());
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&e);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->textInterface(), nullptr);
}

TEST(TSRichEdit, ReplaceAllInPiecesGivesThePlannedTextAsOneUndoStep) {
    const QByteArray original = QByteArray("cat, caterpillar\r\n\xC3\xA4 cat Cat\r\n").repeated(40);
    const std::string_view view(original.constData(), size_t(original.size()));
    const QString pattern = QStringLiteral("cat"), with = QStringLiteral("d\xC3\xB6g\r\n");
    for (const bool wholeWord : {false, true}) {
        const ts::search::Options o{true, false, wholeWord};
        const auto plan = ts::search::planReplaceAll(view, {7, 7}, pattern, with, o);
        ASSERT_GT(plan.count, 10u);
        TSRichEdit e;
        load(e, original.constData());
        ts::search::ReplaceAllSteps steps(pattern, with, o);
        EXPECT_EQ(e.ReplaceAll(steps, 7, 50), qint64(plan.finalSelection.start)) << wholeWord;
        const QByteArray expected = QByteArray(original).replace(qsizetype(plan.replaced.start),
                                                                 qsizetype(plan.replaced.end - plan.replaced.start),
                                                                 QByteArray::fromStdString(plan.replacement));
        EXPECT_EQ(text(e), expected) << wholeWord;
        e.undo();
        EXPECT_EQ(text(e), original) << wholeWord;
        EXPECT_FALSE(e.isUndoAvailable()) << wholeWord;
    }
}
