#include "editor/problemmarks.h"

#include "support/editorfixture.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using Sci = QsciScintillaBase;

namespace {

struct ProblemMarksTest : ts::test::EditorFixture {
    long sci(unsigned int msg, unsigned long w = 0, long l = 0) { return e.SendScintilla(msg, w, l); }
    bool marked(int line) { return sci(Sci::SCI_MARKERGET, line) & (1 << TProblemMarks::kMarker); }
    QByteArray underlined() {
        QByteArray under;
        for (long pos = 0; pos < sci(Sci::SCI_GETLENGTH); ++pos)
            under += sci(Sci::SCI_INDICATORVALUEAT, TProblemMarks::kIndicator, pos) ? text()[qsizetype(pos)] : '.';
        return under;
    }
    // The hint shown when the mouse rests over the margin beside that line.
    QString hintOverMargin(int line) {
        const long y = sci(Sci::SCI_POINTYFROMPOSITION, 0, sci(Sci::SCI_POSITIONFROMLINE, line)) +
                       sci(Sci::SCI_TEXTHEIGHT, line) / 2;
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        QHelpEvent help(QEvent::ToolTip, QPoint(2, int(y)), e.viewport()->mapToGlobal(QPoint(2, int(y))));
        QApplication::sendEvent(e.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
};

const char* const kPage = "<!DOCTYPE html>\r\n"
                          "<html><head><title>t</title></head><body>\r\n"
                          "<p foo=\"1\">x &y</p>\r\n"
                          "<p>fine</p>\r\n"
                          "\t</span>\r\n"
                          "</body></html>\r\n";

} // namespace

TEST_F(ProblemMarksTest, MarginSymbolsHintsAndUnderlinesStayOutOfTheText) {
    load(kPage);
    e.resize(500, 300);
    e.show();
    QCoreApplication::processEvents();
    const QByteArray before = text();
    TProblemMarks& marks = TProblemMarks::Of(e);
    EXPECT_EQ(&marks, &TProblemMarks::Of(e));
    EXPECT_EQ(sci(Sci::SCI_GETMARGINWIDTHN, 1), 0);

    marks.Show(ts::checkHtml(e.DocumentBytes()));
    for (int line = 0; line < 7; ++line) EXPECT_EQ(marked(line), line == 2 || line == 4) << line;
    EXPECT_GT(sci(Sci::SCI_GETMARGINWIDTHN, 1), 0);
    QByteArray spans(before.size(), '.');
    for (const QByteArray& span : {QByteArray("<p foo=\"1\">"), QByteArray("&y"), QByteArray("</span>")})
        spans.replace(before.indexOf(span), span.size(), span);
    EXPECT_EQ(underlined(), spans);
    const QString line3 = QStringLiteral("<p> proprietary attribute \"foo\"\nunescaped & or unknown entity \"&y\"");
    EXPECT_EQ(marks.HintAt(2), line3);
    EXPECT_EQ(marks.HintAt(3), QString());
    EXPECT_EQ(hintOverMargin(2), line3);
    EXPECT_EQ(hintOverMargin(4), QStringLiteral("discarding unexpected </span>"));
    EXPECT_EQ(hintOverMargin(3), QString());

    // Marks are no edit.
    EXPECT_EQ(text(), before);
    EXPECT_FALSE(e.Modified());
    EXPECT_FALSE(sci(Sci::SCI_CANUNDO));

    // They move with their lines.
    e.InsertLine(0, QStringLiteral("<!-- new -->"));
    EXPECT_TRUE(marked(3));
    EXPECT_EQ(marks.HintAt(5), QStringLiteral("discarding unexpected </span>"));
    e.SendScintilla(Sci::SCI_UNDO);
    EXPECT_EQ(text(), before);
    EXPECT_FALSE(sci(Sci::SCI_CANUNDO));

    marks.Clear();
    for (int line = 0; line < 7; ++line) EXPECT_FALSE(marked(line)) << line;
    EXPECT_EQ(underlined(), QByteArray(before.size(), '.'));
    EXPECT_EQ(sci(Sci::SCI_GETMARGINWIDTHN, 1), 0);
    EXPECT_EQ(hintOverMargin(2), QString());
}
