#include "editor/tsrichedit.h"
#include "platform/commondialogs.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/commands.h"
#include "tags/tcolormixer.h"
#include "tags/tquickfont.h"
#include "tags/ttab.h"
#include "tags/ttabcaption.h"
#include "tags/ttableedit.h"
#include "tags/tupdown.h"
#include "support/widgets.h"
#include "commandfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using ts::test::documentText;

using ts::test::child;

void clickOk(QWidget& d) { QTest::mouseClick(child<QPushButton>(d, "bbOK"), Qt::LeftButton); }

void retype(QLineEdit* e, const QString& text) {
    e->selectAll();
    if (text.isEmpty())
        QTest::keyClick(e, Qt::Key_Delete);
    else
        QTest::keyClicks(e, text);
}

QColor base(QWidget* swatch) { return swatch->palette().color(QPalette::Base); }

// ---- QuickFont ----

class QuickFontDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        face = child<QLabel>(dlg, "lbFontName");
        colour = child<QLabel>(dlg, "lbFontColor");
        size = child<QLineEdit>(dlg, "eFontSize");
        ASSERT_TRUE(face && colour && size);
    }
    ts::test::ScopedPlatform platform;
    TQuickFont dlg;
    QLabel* face = nullptr;
    QLabel* colour = nullptr;
    QLineEdit* size = nullptr;
};

TEST_F(QuickFontDialog, OpensOnCourierNewSizeTwoBlackAndOkGivesThat) {
    EXPECT_EQ(dlg.windowTitle(), "QuickFont");
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_EQ(face->text(), "Courier New");
    EXPECT_EQ(face->font().family(), "Courier New");
    EXPECT_TRUE(QFontInfo(face->font()).fixedPitch());
    EXPECT_EQ(face->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(colour->text(), "Fontcolor");
    EXPECT_EQ(colour->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(size->text(), "2");
    clickOk(dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.fontTag(), R"(<FONT SIZE="2" COLOR="#000000" FACE="Courier New">)");
}

TEST_F(QuickFontDialog, SizeStepsWithinOneToSixAndTypingIsTakenAsIs) {
    auto* upDown = child<TUpDown>(dlg, "UpDown1");
    for (int i = 0; i < 6; ++i) QTest::mouseClick(upDown->upButton(), Qt::LeftButton);
    EXPECT_EQ(size->text(), "6");
    retype(size, "");
    clickOk(dlg);
    EXPECT_EQ(dlg.fontTag(), R"(<FONT SIZE="" COLOR="#000000" FACE="Courier New">)");
}

TEST_F(QuickFontDialog, DoubleClicksChooseFaceAndColour) {
    QFont chosen(QStringLiteral("Times New Roman"), 12);
    chosen.setBold(true);
    platform.dialogs.fontAnswers = {chosen, std::nullopt};
    platform.dialogs.colorAnswers = {QColor(255, 128, 0), std::nullopt};

    QTest::mouseDClick(face, Qt::LeftButton);
    EXPECT_EQ(face->text(), "Times New Roman");
    EXPECT_EQ(face->font().pointSize(), 14);
    // Opened on Courier New at 8 points regular, then again on Courier New in the last size and style.
    QTest::mouseDClick(face, Qt::LeftButton);
    ASSERT_EQ(platform.dialogs.fontInitials.size(), 2u);
    EXPECT_EQ(platform.dialogs.fontInitials[0].family(), "Courier New");
    EXPECT_EQ(platform.dialogs.fontInitials[0].pointSize(), 8);
    EXPECT_FALSE(platform.dialogs.fontInitials[0].bold());
    EXPECT_EQ(platform.dialogs.fontInitials[1].family(), "Courier New");
    EXPECT_EQ(platform.dialogs.fontInitials[1].pointSize(), 12);
    EXPECT_TRUE(platform.dialogs.fontInitials[1].bold());
    EXPECT_EQ(face->text(), "Times New Roman");  // cancelled: unchanged

    QTest::mouseDClick(colour, Qt::LeftButton);
    EXPECT_EQ(colour->palette().color(QPalette::WindowText), QColor(255, 128, 0));
    QTest::mouseDClick(colour, Qt::LeftButton);
    EXPECT_EQ(platform.dialogs.colorCalls, 2);
    EXPECT_EQ(colour->palette().color(QPalette::WindowText), QColor(255, 128, 0));

    clickOk(dlg);
    EXPECT_EQ(dlg.fontTag(), R"(<FONT SIZE="2" COLOR="#FF8000" FACE="Times New Roman">)");
}

// ---- Color-Mixer ----

TEST(ColorMixerDialog, EmptyUntilABarMovesThenHashAndHexDigits) {
    TColorMixer dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Color-Mixer");
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    auto* red = child<QScrollBar>(dlg, "sbRed");
    auto* green = child<QScrollBar>(dlg, "sbGreen");
    auto* swatch = child<QLabel>(dlg, "lColor");
    QLineEdit* boxes[] = {child<QLineEdit>(dlg, "eValueRed"), child<QLineEdit>(dlg, "eValueGreen"),
                          child<QLineEdit>(dlg, "eValueBlue")};
    for (QLineEdit* b : boxes) {
        EXPECT_EQ(b->text(), "#0");
        EXPECT_FALSE(b->isEnabled());
        EXPECT_TRUE(b->isReadOnly());
    }
    EXPECT_EQ(red->maximum(), 255);
    EXPECT_EQ(swatch->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(dlg.colourText(), "");

    red->setFocus();
    QTest::keyClick(red, Qt::Key_End);
    EXPECT_EQ(boxes[0]->text(), "#FF");
    EXPECT_EQ(boxes[1]->text(), "#00");
    EXPECT_EQ(boxes[2]->text(), "#00");
    EXPECT_EQ(swatch->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(dlg.colourText(), "#FF0000");
    green->setValue(128);
    EXPECT_EQ(boxes[1]->text(), "#80");
    EXPECT_EQ(dlg.colourText(), "#FF8000");
    clickOk(dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// ---- QuickTable ----

class QuickTableDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        grid = child<QTableWidget>(dlg, "sgTable");
        cols = child<QLineEdit>(dlg, "eNrCols");
        rows = child<QLineEdit>(dlg, "eNrRows");
        cellCol = child<QLineEdit>(dlg, "eCellCol");
        ASSERT_TRUE(grid && cols && rows && cellCol);
    }
    // Clicks a cell and types into it as a user would.
    void typeIntoCell(int row, int col, const QString& text) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, col)).center());
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(editor && editor != grid && grid->isAncestorOf(editor)) << "cell " << row << "," << col << " not open for typing";
        QTest::keyClicks(editor, text);
    }
    ts::test::ScopedPlatform platform;
    TTableEdit dlg;
    QTableWidget* grid = nullptr;
    QLineEdit* cols = nullptr;
    QLineEdit* rows = nullptr;
    QLineEdit* cellCol = nullptr;
};

TEST_F(QuickTableDialog, StartsWithOneEmptyCellAndWritesTheDefaultTable) {
    EXPECT_EQ(dlg.windowTitle(), "Quick Table");
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    const std::pair<const char*, const char*> fields[] = {{"eNrCols", "1"},      {"eNrRows", "1"},
                                                          {"eBorderWidth", "1"}, {"eCellPadding", "0"},
                                                          {"eCellSpacing", "0"}, {"eCaption", ""},
                                                          {"eCellCol", ""}};
    for (const auto& [name, text] : fields) EXPECT_EQ(child<QLineEdit>(dlg, name)->text(), text) << name;
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->columnCount(), 1);
    EXPECT_FALSE(grid->horizontalHeader()->isVisible());
    EXPECT_FALSE(grid->verticalHeader()->isVisible());
    EXPECT_EQ(base(child<QLineEdit>(dlg, "eColor")), QColor(Qt::white));
    EXPECT_EQ(child<QToolButton>(dlg, "sbChooseCol")->toolTip(), "Choose a color...");
    clickOk(dlg);
    EXPECT_EQ(dlg.tableLines(), QStringList({"<TABLE BORDER=1 CELLPADDING=0 CELLSPACING=0>", "  <TR>",
                                             "    <TD></TD>", "  </TR>", "</TABLE>"}));
}

TEST_F(QuickTableDialog, CountFieldsResizeTheGridAtEveryChange) {
    auto* udCols = child<TUpDown>(dlg, "udCols");
    retype(cols, "3");
    EXPECT_EQ(grid->columnCount(), 3);
    // The arrows go on from the typed number and stop at 10.
    QTest::mouseClick(udCols->upButton(), Qt::LeftButton);
    EXPECT_EQ(cols->text(), "4");
    EXPECT_EQ(grid->columnCount(), 4);
    retype(rows, "300");
    EXPECT_EQ(grid->rowCount(), 255);
    retype(rows, "0");
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_TRUE(platform.boxes.shown.empty());

    retype(cols, "x");
    retype(rows, "");
    ASSERT_EQ(platform.boxes.shown.size(), 2u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_EQ(platform.boxes.shown[0].text, QString::fromUtf8("'x' ist kein gültiger Integerwert"));
    EXPECT_EQ(platform.boxes.shown[1].text, QString::fromUtf8("'' ist kein gültiger Integerwert"));
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->rowCount(), 1);
}

TEST_F(QuickTableDialog, TypedCellsAreWrittenRowByRow) {
    retype(cols, "2");
    retype(rows, "2");
    // Tabbing into the grid opens its first cell for typing.
    child<QToolButton>(dlg, "sbChooseCol")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* first = QApplication::focusWidget();
    ASSERT_TRUE(first && first != grid && grid->isAncestorOf(first));
    QTest::keyClicks(first, "a");
    typeIntoCell(0, 1, "b");
    typeIntoCell(1, 0, "c");
    typeIntoCell(1, 1, "d");  // still being typed when OK is pressed
    clickOk(dlg);
    EXPECT_EQ(dlg.tableLines(),
              QStringList({"<TABLE BORDER=1 CELLPADDING=0 CELLSPACING=0>", "  <TR>", "    <TD>a</TD>",
                           "    <TD>b</TD>", "  </TR>", "  <TR>", "    <TD>c</TD>", "    <TD>d</TD>", "  </TR>",
                           "</TABLE>"}));
}

TEST_F(QuickTableDialog, AColourFromTheDialogStaysChosenWhateverTheEditHoldsThen) {
    QTest::keyClicks(cellCol, "red");
    platform.dialogs.colorAnswers = {std::nullopt, QColor(0, 0, 255)};
    auto* choose = child<QToolButton>(dlg, "sbChooseCol");
    choose->click();  // cancelled
    EXPECT_EQ(cellCol->text(), "red");
    choose->click();
    EXPECT_EQ(cellCol->text(), "#0000FF");
    EXPECT_EQ(base(child<QLineEdit>(dlg, "eColor")), QColor(0, 0, 255));
    retype(cellCol, "");
    clickOk(dlg);
    EXPECT_EQ(dlg.tableLines().at(2), "    <TD BGCOLOR=></TD>");
}

TEST(QuickTableColour, ATypedColourCountsAsChosenAndGoesInAsTyped) {
    const struct {
        const char* typed;
        const char* cell;
        QColor swatch;
    } cases[] = {
        {"red", "    <TD BGCOLOR=red></TD>", QColor(Qt::red)},
        {"#00ff80", "    <TD BGCOLOR=#00ff80></TD>", QColor(0x00, 0xff, 0x80)},
        {"DarkSlateGray", "    <TD BGCOLOR=DarkSlateGray></TD>", QColor(0x2f, 0x4f, 0x4f)},
        {"reddish", "    <TD></TD>", QColor(Qt::white)},
        {"#00ff8", "    <TD></TD>", QColor(Qt::white)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ts::test::ScopedPlatform platform;
        TTableEdit dlg;
        dlg.show();
        QTest::keyClicks(child<QLineEdit>(dlg, "eCellCol"), c.typed);
        EXPECT_EQ(base(child<QLineEdit>(dlg, "eColor")), c.swatch);
        // The colour dialog starts from the colour typed.
        platform.dialogs.colorAnswers = {std::nullopt};
        child<QToolButton>(dlg, "sbChooseCol")->click();
        EXPECT_EQ(platform.dialogs.colorInitials.at(0), c.swatch);
        clickOk(dlg);
        EXPECT_EQ(dlg.tableLines().at(2), c.cell);
    }
}

TEST_F(QuickTableDialog, ACellBeingTypedIntoIsInTheGridBeforeItChangesSizeAndStaysOpen) {
    auto* udRows = child<TUpDown>(dlg, "udRows");
    auto* udCols = child<TUpDown>(dlg, "udCols");
    QTest::mouseClick(udRows->upButton(), Qt::LeftButton);
    typeIntoCell(1, 0, "kept");
    QWidget* editor = QApplication::focusWidget();
    QTest::mouseClick(udCols->upButton(), Qt::LeftButton);
    ASSERT_EQ(grid->columnCount(), 2);
    ASSERT_NE(grid->item(1, 0), nullptr);
    EXPECT_EQ(grid->item(1, 0)->text(), "kept");
    // Typing goes on in the same cell.
    EXPECT_EQ(QApplication::focusWidget(), editor);
    QTest::keyClicks(QApplication::focusWidget(), "!");
    QTest::mouseClick(udRows->upButton(), Qt::LeftButton);
    EXPECT_EQ(grid->item(1, 0)->text(), "kept!");
    clickOk(dlg);
    EXPECT_EQ(dlg.tableLines(),
              QStringList({"<TABLE BORDER=1 CELLPADDING=0 CELLSPACING=0>", "  <TR>", "    <TD></TD>", "    <TD></TD>",
                           "  </TR>", "  <TR>", "    <TD>kept!</TD>", "    <TD></TD>", "  </TR>", "  <TR>", "    <TD></TD>",
                           "    <TD></TD>", "  </TR>", "</TABLE>"}));
}

// ---- Table and Table caption ----

TEST(TableDialog, BorderCheckBoxAlignListAndColour) {
    ts::test::ScopedPlatform platform;
    TTab dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), "Table");
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_NE(dlg.minimumSize(), dlg.maximumSize());
    auto* border = child<QCheckBox>(dlg, "cbBorder");
    auto* width = child<QLineEdit>(dlg, "eBorder");
    auto* upDown = child<TUpDown>(dlg, "UpDown1");
    auto* align = child<QComboBox>(dlg, "cbAlign");
    QStringList items;
    for (int i = 0; i < align->count(); ++i) items << align->itemText(i);
    EXPECT_EQ(items, QStringList({"absbottom", "absmiddle", "baseline", "bleedleft", "bleedright", "bottom", "center",
                                  "left", "middle", "right", "text", "top"}));
    EXPECT_EQ(align->currentText(), "");
    EXPECT_TRUE(align->isEditable());
    EXPECT_TRUE(border->isChecked());
    EXPECT_EQ(width->text(), "1");
    EXPECT_TRUE(width->isReadOnly());

    border->click();
    EXPECT_FALSE(width->isEnabled());
    EXPECT_FALSE(upDown->isEnabled());
    border->click();
    EXPECT_TRUE(width->isEnabled());
    EXPECT_TRUE(upDown->isEnabled());
    QTest::mouseClick(upDown->upButton(), Qt::LeftButton);

    align->setCurrentIndex(align->findText("center"));
    platform.dialogs.colorAnswers = {QColor(0, 128, 0)};
    child<QToolButton>(dlg, "sbChooseColor")->click();
    EXPECT_EQ(child<QLineEdit>(dlg, "eCellColor")->text(), "#008000");
    EXPECT_EQ(base(child<QLineEdit>(dlg, "eCol")), QColor(0, 128, 0));
    retype(child<QLineEdit>(dlg, "eCellColor"), "navy");
    clickOk(dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.tableText(), R"(<TABLE BORDER=2 ALIGN=CENTER BGCOLOR="navy"></TABLE>)");

    TTab plain;
    plain.show();
    child<QCheckBox>(plain, "cbBorder")->click();
    clickOk(plain);
    EXPECT_EQ(plain.tableText(), "<TABLE></TABLE>");
}

TEST(TableCaptionDialog, AlignStartsAtTopAndMayBeEmptied) {
    TTabCaption dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), "Table caption");
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    auto* align = child<QComboBox>(dlg, "cbAlign");
    EXPECT_EQ(align->currentText(), "top");
    EXPECT_EQ(align->count(), 2);
    QTest::keyClicks(child<QLineEdit>(dlg, "eCaption"), "Prices");
    clickOk(dlg);
    EXPECT_EQ(dlg.captionText(), "<CAPTION ALIGN=TOP>Prices</CAPTION>");

    TTabCaption emptied;
    emptied.show();
    retype(child<QComboBox>(emptied, "cbAlign")->lineEdit(), "");
    QTest::keyClicks(child<QLineEdit>(emptied, "eCaption"), "Prices");
    clickOk(emptied);
    EXPECT_EQ(emptied.captionText(), "<CAPTION>Prices</CAPTION>");
}

// ---- The palette commands, on a bare editor ----

using FontTableCommands = ts::test::TagCommandFixture;

TEST_F(FontTableCommands, OneLineBuildersGoAboveTheCaretLineAndCancelWritesNothing) {
    const struct {
        const char* button;
        const char* dialog;
        const char* line;
    } cases[] = {
        {"sbQuickFont", "TQuickFont", R"(<FONT SIZE="2" COLOR="#000000" FACE="Courier New">)"},
        {"miQuickFont", "TQuickFont", R"(<FONT SIZE="2" COLOR="#000000" FACE="Courier New">)"},
        {"sbTable", "TTab", "<TABLE BORDER=1></TABLE>"},
        {"sbTableCaption", "TTabCaption", "<CAPTION ALIGN=TOP></CAPTION>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        dialogs.expect(c.dialog, [](QDialog& d) {
            QTest::mouseClick(child<QPushButton>(d, "bbCancel"), Qt::LeftButton);
        });
        press(c.button);
        dialogs.done();
        EXPECT_EQ(text(), "top\r\nabcdef\r\n");

        dialogs.expect(c.dialog, [](QDialog& d) { clickOk(d); });
        press(c.button);
        dialogs.done();
        EXPECT_EQ(text(), "top\r\n" + QByteArray(c.line) + "\r\nabcdef\r\n");
        EXPECT_EQ(e.CaretRow(), 2);
        EXPECT_EQ(e.CaretCol(), 0);
        EXPECT_TRUE(e.Modified());
        e.undo();
        EXPECT_EQ(text(), "top\r\nabcdef\r\n");
        e.SetCaretRow(1);
    }
}

TEST_F(FontTableCommands, ColorMixerInsertsAtTheCaretAndLeavesItAtTheLineEnd) {
    dialogs.expect("TColorMixer", [](QDialog& d) { clickOk(d); });
    press("sbColorMixer");
    dialogs.done();
    EXPECT_EQ(text(), "top\r\nabcdef\r\n");
    EXPECT_EQ(e.CaretCol(), 6);

    e.SetCaretCol(3);
    dialogs.expect("TColorMixer", [](QDialog& d) {
        child<QScrollBar>(d, "sbRed")->setValue(255);
        clickOk(d);
    });
    press("sbColorMixer");
    dialogs.done();
    EXPECT_EQ(text(), "top\r\nabc#FF0000def\r\n");
    EXPECT_EQ(e.CaretRow(), 1);
    EXPECT_EQ(e.CaretCol(), 13);
}

TEST_F(FontTableCommands, QuickTableWritesItsLinesAboveTheCaretAsOneUndoStep) {
    dialogs.expect("TTableEdit", [](QDialog& d) {
        QTest::keyClicks(child<QLineEdit>(d, "eCaption"), "Prices");
        clickOk(d);
    });
    press("miQuickTable");
    dialogs.done();
    EXPECT_EQ(text(), "top\r\n<TABLE BORDER=1 CELLPADDING=0 CELLSPACING=0>\r\n  <CAPTION>Prices</CAPTION>\r\n"
                      "  <TR>\r\n    <TD></TD>\r\n  </TR>\r\n</TABLE>\r\nabcdef\r\n");
    EXPECT_EQ(e.CaretRow(), 7);
    EXPECT_EQ(e.CaretCol(), 0);
    e.undo();
    EXPECT_EQ(text(), "top\r\nabcdef\r\n");
}

TEST_F(FontTableCommands, ANonNumberCountIsReportedAndTheDialogGoesOn) {
    int columns = 0;
    dialogs.expect("TTableEdit", [&](QDialog& d) {
        retype(child<QLineEdit>(d, "eNrCols"), "zwei");
        columns = child<QTableWidget>(d, "sgTable")->columnCount();
        clickOk(d);
    });
    press("sbTableEdit");
    dialogs.done();
    // Every keystroke is a change, and none of them made a number.
    QStringList expected;
    for (const char* t : {"z", "zw", "zwe", "zwei"})
        expected << QString::fromUtf8("'%1' ist kein gültiger Integerwert").arg(QLatin1String(t));
    EXPECT_EQ(platform.boxes.texts(), expected);
    EXPECT_EQ(columns, 1);
    EXPECT_EQ(text(), "top\r\n<TABLE BORDER=1 CELLPADDING=0 CELLSPACING=0>\r\n  <TR>\r\n    <TD></TD>\r\n  </TR>\r\n"
                      "</TABLE>\r\nabcdef\r\n");
}

} // namespace
