#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/filebrowser.h"
#include "tags/party.h"
#include "tags/timggal.h"
#include "tags/tparty.h"
#include "support/widgets.h"
#include "commandfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

using ts::TPartyLayout;

std::array<QString, 8> numbered() {
    std::array<QString, 8> c;
    for (int i = 0; i < 8; ++i) c[i] = QStringLiteral("#%1").arg(i + 1);
    return c;
}

// Sizes and colour numbers of each line, read back from the markup.
QString sizesAndColours(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines.mid(0, lines.size() - 1)) {
        const qsizetype size = line.indexOf(QLatin1String("SIZE=+"));
        const qsizetype colour = line.indexOf(QLatin1String("COLOR=#"));
        out << (size < 0 ? QString() : line.mid(size + 6, 1)) + QLatin1Char('/') + line.mid(colour + 7, 1);
    }
    return out.join(QLatin1Char(' '));
}

TEST(PartyLines, LayoutsCycleSizesAndColoursIndependently) {
    const struct {
        TPartyLayout layout;
        const char* text;
        const char* expected;
    } cases[] = {
        {TPartyLayout::SmallToBig, "abcdefg", "0/1 1/2 2/3 3/4 4/5 0/6 1/7"},
        {TPartyLayout::SmallToBigToSmall, "abcdefghij", "4/1 3/2 2/3 1/4 0/5 1/6 2/7 3/8 4/1 3/2"},
        {TPartyLayout::BigToSmall, "abcdef", "4/1 3/2 2/3 1/4 0/5 4/6"},
        {TPartyLayout::Normal, "abcdefghi", "/1 /2 /3 /4 /5 /6 /7 /8 /1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QStringList lines = ts::composePartyLines({c.layout, numbered(), QString::fromLatin1(c.text)});
        EXPECT_EQ(lines.last(), "<BR>");
        EXPECT_EQ(sizesAndColours(lines), QString::fromLatin1(c.expected));
    }
}

TEST(PartyLines, EachCharacterAsTypedOnItsOwnLine) {
    std::array<QString, 8> black;
    black.fill(QStringLiteral("#000000"));
    EXPECT_EQ(ts::composePartyLines({TPartyLayout::Normal, black, "Hi"}),
              (QStringList{"<FONT COLOR=#000000>H</FONT>", "<FONT COLOR=#000000>i</FONT>", "<BR>"}));
    EXPECT_EQ(ts::composePartyLines({TPartyLayout::Normal, black, ""}), QStringList{"<BR>"});
    EXPECT_EQ(ts::composePartyLines({TPartyLayout::SmallToBig, numbered(), " <"}),
              (QStringList{"<FONT SIZE=+0 COLOR=#1> </FONT>", "<FONT SIZE=+1 COLOR=#2><</FONT>", "<BR>"}));
    // An emoji and a letter with a combining accent are one character each.
    const QString text = QString::fromUtf8("\xF0\x9F\x8E\x89" "e\xCC\x81");
    const QStringList lines = ts::composePartyLines({TPartyLayout::Normal, numbered(), text});
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString::fromUtf8("<FONT COLOR=#1>\xF0\x9F\x8E\x89</FONT>"));
    EXPECT_EQ(lines[1], QString::fromUtf8("<FONT COLOR=#2>e\xCC\x81</FONT>"));
}

TEST(GalleryLines, RowsBordersAndLinks) {
    ts::TGalleryFields f;
    f.title = "Holiday";
    f.rowLength = 2;
    f.border = "3";
    f.imageUrl = "pics/";
    f.images = {"1.gif", "2.gif", "3.gif", "4.gif", "5.gif"};
    const QString cell = "    <TD><IMG SRC=\"pics/%1.gif\"></TD>";
    EXPECT_EQ(ts::composeGalleryLines(f),
              (QStringList{"<H1>Holiday</H1>", "<TABLE BORDER=3>", "  <TR>", cell.arg(1), cell.arg(2), "  </TR>",
                           "  <TR>", cell.arg(3), cell.arg(4), "  </TR>", "  <TR>", cell.arg(5), "</TABLE>"}));

    f.useBorder = false;
    f.linkUrl = "index.htm";
    f.images = {"a b.jpg"};
    EXPECT_EQ(ts::composeGalleryLines(f),
              (QStringList{"<H1>Holiday</H1>", "<TABLE BORDER=0>", "  <TR>",
                           "    <TD><A HREF=\"index.htm\"><IMG SRC=\"pics/a b.jpg\"></A></TD>", "</TABLE>"}));
    f.images.clear();
    EXPECT_EQ(ts::composeGalleryLines(f), (QStringList{"<H1>Holiday</H1>", "<TABLE BORDER=0>", "</TABLE>"}));
}

// The tag commands on a bare editor.
class DialogCommand : public ts::test::TagCommandFixture {
protected:
    // Runs a palette button's command; act answers the modal dialog it opens.
    template <typename Dialog>
    void pressAnswering(const char* button, std::function<void(Dialog&)> act) {
        dialogs.expect<Dialog>(Dialog::staticMetaObject.className(), std::move(act));
        press(button);
        dialogs.done();
    }
};
using PartyCommand = DialogCommand;
using GalleryCommand = DialogCommand;

using ts::test::child;

TEST_F(PartyCommand, WritesAboveTheCaretLineWithChosenColoursAsOneUndoStep) {
    e.SetDocumentBytes("first\r\nsecond\r\n");
    e.SetCaretRow(1);
    platform.dialogs.colorAnswers = {QColor(255, 0, 0)};
    pressAnswering<TParty>("sbParty", [](TParty& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "\"Party\" - tag");
        auto* use = child<QCheckBox>(dlg, "cbUseColors");
        auto* two = child<QToolButton>(dlg, "sbCol2");
        EXPECT_FALSE(two->isEnabled());
        use->click();
        EXPECT_TRUE(two->isEnabled() && child<QPushButton>(dlg, "sbRandCol")->isEnabled());
        two->click();
        EXPECT_EQ(dlg.ButtonColour(2), QColor(255, 0, 0));
        use->click();  // unchecking keeps the colours
        EXPECT_FALSE(two->isEnabled());
        child<QRadioButton>(dlg, "rbRight")->click();
        child<QLineEdit>(dlg, "ePartyText")->setText("ab");
        child<QPushButton>(dlg, "bbOK")->click();
    });
    EXPECT_EQ(text(), "first\r\n<FONT SIZE=+4 COLOR=#000000>a</FONT>\r\n<FONT SIZE=+3 COLOR=#FF0000>b</FONT>\r\n"
                        "<BR>\r\nsecond\r\n");
    EXPECT_EQ(e.CaretRow(), 4);
    e.undo();
    EXPECT_EQ(text(), "first\r\nsecond\r\n");

    pressAnswering<TParty>("sbParty", [](TParty& dlg) { child<QPushButton>(dlg, "bbCancel")->click(); });
    EXPECT_EQ(text(), "first\r\nsecond\r\n");
}

TEST(PartyDialog, RandomColoursComeFromTheTableAndFollowTheClock) {
    ts::test::ScopedPlatform platform;
    auto draw = [] {
        TParty dlg;
        child<QCheckBox>(dlg, "cbUseColors")->click();
        child<QPushButton>(dlg, "sbRandCol")->click();
        QStringList colours;
        for (int n = 1; n <= 8; ++n) colours << dlg.ButtonColour(n).name().toUpper();
        return colours;
    };
    const QStringList first = draw();
    for (const QString& c : first)
        EXPECT_NE(std::find(ts::partyRandomColours().begin(), ts::partyRandomColours().end(), c),
                  ts::partyRandomColours().end())
            << c.toStdString();
    EXPECT_EQ(draw(), first);  // same moment, same seed
    ts::FixedClock later(QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5, 678)));
    ts::setClock(&later);
    EXPECT_NE(draw(), first);
    ts::setClock(&platform.clock);
}

struct Pictures {
    Pictures() {
        for (const char* name : {"b.gif", "a.jpg", "c.png", "d.GIF"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    QTemporaryDir dir;
};

TEST_F(GalleryCommand, ChoosesPicturesAndAppendsTheTableAtTheEnd) {
    Pictures pictures;
    e.SetDocumentBytes("<BODY>\r\n");
    e.SetCaretRow(0);
    pressAnswering<TImgGal>("sbImgGallery", [&](TImgGal& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Image Gallery");
        dlg.Browser().SetDirectory(pictures.dir.path());
        // Masks match without regard to case, as users of picture folders expect.
        EXPECT_EQ(dlg.Browser().FileNames(), (QStringList{"a.jpg", "b.gif", "d.GIF"}));
        child<QComboBox>(dlg, "cbFilter")->setCurrentIndex(1);
        EXPECT_EQ(dlg.Browser().FileNames(), (QStringList{"a.jpg", "b.gif", "c.png", "d.GIF"}));
        auto* files = child<QListWidget>(dlg, "lbFile");
        auto* chosen = child<QListWidget>(dlg, "lbImages");
        child<QPushButton>(dlg, "sbAddAll")->click();
        files->setCurrentRow(2);
        child<QPushButton>(dlg, "sbAdd")->click();
        EXPECT_EQ(chosen->count(), 5);
        chosen->setCurrentRow(1);
        child<QPushButton>(dlg, "sbRemove")->click();
        chosen->setCurrentRow(2);
        child<QPushButton>(dlg, "sbRemove")->click();
        child<QLineEdit>(dlg, "eTitle")->setText("Mine");
        auto* row = child<QLineEdit>(dlg, "eNrRow");
        for (const char* bad : {"x", "0", "256"}) {
            row->setText(QString::fromLatin1(bad));
            child<QPushButton>(dlg, "bbOK")->click();
            EXPECT_TRUE(dlg.isVisible()) << bad;
        }
        row->setText("2");
        auto* border = child<QCheckBox>(dlg, "cbUseBorder");
        border->click();
        EXPECT_FALSE(child<QLineEdit>(dlg, "eBorder")->isEnabled());
        child<QPushButton>(dlg, "bbOK")->click();
    });
    ASSERT_EQ(platform.boxes.shown.size(), 3u);
    EXPECT_EQ(platform.boxes.shown[0].text, "'x' ist kein gültiger Integerwert");
    EXPECT_TRUE(platform.boxes.shown[1].text.contains("between 1 and 255"));
    EXPECT_EQ(text(), "<BODY>\r\n<H1>Mine</H1>\r\n<TABLE BORDER=0>\r\n  <TR>\r\n"
                        "    <TD><IMG SRC=\"a.jpg\"></TD>\r\n    <TD><IMG SRC=\"c.png\"></TD>\r\n  </TR>\r\n"
                        "  <TR>\r\n    <TD><IMG SRC=\"c.png\"></TD>\r\n</TABLE>\r\n");
    e.undo();
    EXPECT_EQ(text(), "<BODY>\r\n");
}

} // namespace
