#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "tags/tquickdoc.h"
#include "commandfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace ts::test;

class LinkCommands : public TagCommandFixture {
protected:
    void load(const char* bytes, int row, int col) {
        e.SetDocumentBytes(bytes);
        e.SetCaretRow(row);
        e.SetCaretCol(col);
    }
};

TEST_F(LinkCommands, AnchorGoesInAtTheCaretWhichLandsBeforeTheClosingTag) {
    load("first\r\nabcdef\r\n", 1, 3);
    dialogs.expect("TAnchor", [](QDialog& d) {
        set(d, "eLink", "index.htm");
        set(d, "eDesc", "Home");
        click(d, "bbOK");
    });
    press("sbAnchor");
    dialogs.done();
    EXPECT_EQ(text(), "first\r\nabc<A HREF=\"index.htm\">Home</A>def\r\n");
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 3 + QString(R"(<A HREF="index.htm">Home)").size());
    EXPECT_TRUE(e.Modified());

    // Columns count characters: a description beyond the BMP still ends before "</A>".
    load("", 0, 0);
    dialogs.expect("TAnchor", [](QDialog& d) {
        set(d, "eLink", "a");
        set(d, "eDesc", QString::fromUtf8("x\U0001F600"));
        click(d, "bbOK");
    });
    press("sbAnchor");
    dialogs.done();
    EXPECT_EQ(e.GetLine(0).left(e.GetLine(0).size() - 4), QString::fromUtf8("<A HREF=\"a\">x\U0001F600"));
    EXPECT_EQ(e.CaretCol(), 14);
    e.undo();
    EXPECT_EQ(text(), "");
}

TEST_F(LinkCommands, AMegabyteDataURLPastedAsTheImageSourceGoesInWhole) {
    const QString url = QStringLiteral("data:image/png;base64,") + QString(1 << 20, QLatin1Char('Q'));
    QApplication::clipboard()->setText(url);
    load("abc\r\n", 0, 1);
    dialogs.expect("TImg", [](QDialog& d) {
        QTest::keyClick(child<QLineEdit>(&d, "eImage"), Qt::Key_V, Qt::ControlModifier);
        click(d, "bbOK");
    });
    press("sbImage");
    dialogs.done();
    const QByteArray expected = "<IMG SRC=\"" + url.toLatin1() + "\">\r\nabc\r\n";
    const QByteArray got = text();
    EXPECT_TRUE(got == expected) << got.size() << " bytes instead of " << expected.size();
}

TEST_F(LinkCommands, EmptyURLIsRefusedThenCancelInsertsNothing) {
    load("abc", 0, 1);
    dialogs.expect("TAnchor", [this](QDialog& d) {
        set(d, "eDesc", "x");
        click(d, "bbOK");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(platform.boxes.texts(), QStringList{"No URL defined!"});
        click(d, "bbCancel");
    });
    press("sbAnchor");
    dialogs.done();
    EXPECT_EQ(text(), "abc");
    EXPECT_FALSE(e.Modified());
}

TEST_F(LinkCommands, ImageGoesOnALineOfItsOwnAboveTheCaret) {
    load("one\r\ntwo\r\n", 1, 2);
    dialogs.expect("TImg", [](QDialog& d) {
        set(d, "eImage", "pic.gif");
        click(d, "bbOK");
    });
    press("sbImage");
    dialogs.done();
    EXPECT_EQ(text(), "one\r\n<IMG SRC=\"pic.gif\">\r\ntwo\r\n");
    EXPECT_EQ(e.CaretRow(), 2);
    EXPECT_EQ(e.CaretCol(), 0);

    dialogs.expect("TImg", [](QDialog& d) {
        set(d, "eImage", "x.gif");
        click(d, "bbCancel");
    });
    press("sbImage");
    dialogs.done();
    EXPECT_EQ(text(), "one\r\n<IMG SRC=\"pic.gif\">\r\ntwo\r\n");
}

class QuickDocCommand : public LinkCommands {
protected:
    // Answers the question, then fills the dialog and presses OK, or Cancel.
    void run(ts::Answer answer, bool ok, const std::function<void()>& trigger) {
        platform.boxes.answers = {answer};
        if (answer == ts::Answer::Yes) {
            dialogs.expect("TQuickDoc", [ok](QDialog& d) {
                set(d, "eTitle", "T");
                set(d, "eMainHead", "H");
                click(d, ok ? "bbOK" : "bbCancel");
            });
        }
        trigger();
        dialogs.done();
    }
    QByteArray expectedPage(const QString& author, const QString& email) {
        ts::TQuickDocFields f;
        f.title = "T";
        f.mainHeading = "H";
        f.author = author;
        f.email = email;
        f.date = "07.03.24";
        f.time = "14:05:09";
        return (ts::composeQuickDocument(f).join("\r\n") + "\r\n").toUtf8();
    }
};

TEST_F(QuickDocCommand, NoKeepsTheTextAndShowsNoDialog) {
    load("keep\r\n", 0, 0);
    run(ts::Answer::No, true, [this] { press("sbQuickDoc"); });
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Warning);
    EXPECT_EQ(platform.boxes.shown[0].text, "Current content will be deleted!! Continue ?");
    EXPECT_EQ(text(), "keep\r\n");
    EXPECT_FALSE(e.Modified());
}

TEST_F(QuickDocCommand, CancelAfterYesKeepsTheText) {
    load("keep\r\n", 0, 0);
    run(ts::Answer::Yes, false, [this] { press("sbQuickDoc"); });
    EXPECT_EQ(text(), "keep\r\n");
    EXPECT_FALSE(e.Modified());
}

TEST_F(QuickDocCommand, ReplacesALongDocumentAsOneUndoStep) {
    QByteArray old;
    for (int i = 0; i < 2000; ++i) old += "line " + QByteArray::number(i) + "\r\n";
    old += "no break at the end";
    load(old.constData(), 700, 3);
    setPreference("Author", QString("Ann"));
    setPreference("EMail", QString("ann@a.de"));
    run(ts::Answer::Yes, true, [this] { press("sbQuickDoc"); });
    EXPECT_EQ(text(), expectedPage("Ann", "ann@a.de"));
    EXPECT_EQ(e.LineCount(), 18);
    EXPECT_EQ(e.CaretRow(), 18);
    EXPECT_TRUE(e.Modified());

    e.undo();
    EXPECT_EQ(text(), old);
    EXPECT_FALSE(e.Modified());
}

TEST_F(QuickDocCommand, PopupEntryWorksOnAnEmptyDocumentWithTheSettingsOfThatMoment) {
    setPreference("Author", QString("Ann"));
    run(ts::Answer::Yes, true, [this] { press("miQuickDoc"); });
    EXPECT_EQ(text(), expectedPage("Ann", ""));

    setPreference("Author", QString("Bob"));
    setPreference("EMail", QString("bob@b.de"));
    run(ts::Answer::Yes, true, [this] { press("sbQuickDoc"); });
    EXPECT_EQ(text(), expectedPage("Bob", "bob@b.de"));
}

} // namespace
