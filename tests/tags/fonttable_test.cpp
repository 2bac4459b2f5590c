#include "tags/fonttable.h"

#include <gtest/gtest.h>

namespace {

using ts::composeCaptionTag;
using ts::composeTableTag;

TEST(ComposeFontTag, AllThreeAttributesQuotedInOrder) {
    EXPECT_EQ(ts::composeFontTag({"2", 0x000000, "Courier New"}),
              R"(<FONT SIZE="2" COLOR="#000000" FACE="Courier New">)");
    // The size goes in as typed, even empty; the face keeps its spaces.
    EXPECT_EQ(ts::composeFontTag({"", 0x0080FF, "Times New Roman"}),
              R"(<FONT SIZE="" COLOR="#FF8000" FACE="Times New Roman">)");
    EXPECT_EQ(ts::composeFontTag({"+1 ", 0x00FF0000, "A&B"}), R"(<FONT SIZE="+1 " COLOR="#0000FF" FACE="A&B">)");
}

TEST(MixedColour, ValueBoxesAndColourText) {
    EXPECT_EQ(ts::colourComponentText(0), "#00");
    EXPECT_EQ(ts::colourComponentText(10), "#0A");
    EXPECT_EQ(ts::colourComponentText(255), "#FF");
    EXPECT_EQ(ts::composeMixedColour(255, 0, 0), "#FF0000");
    EXPECT_EQ(ts::composeMixedColour(255, 128, 0), "#FF8000");
    EXPECT_EQ(ts::composeMixedColour(0, 0, 255), "#0000FF");
}

TEST(ComposeQuickTable, DefaultsGiveOneEmptyCell) {
    ts::TQuickTableFields f{"1", "0", "0", "", {{""}}, false, ""};
    EXPECT_EQ(ts::composeQuickTable(f), QStringList({"<TABLE BORDER=1 CELLPADDING=0 CELLSPACING=0>", "  <TR>",
                                                     "    <TD></TD>", "  </TR>", "</TABLE>"}));
}

TEST(ComposeQuickTable, RowsThenCellsWithCaption) {
    ts::TQuickTableFields f{"2", "3", "", "Prices", {{"a", "b"}, {"c", "d"}}, false, "#FF0000"};
    // A colour typed without the dialog does not count.
    EXPECT_EQ(ts::composeQuickTable(f),
              QStringList({"<TABLE BORDER=2 CELLPADDING=3 CELLSPACING=>", "  <CAPTION>Prices</CAPTION>", "  <TR>",
                           "    <TD>a</TD>", "    <TD>b</TD>", "  </TR>", "  <TR>", "    <TD>c</TD>", "    <TD>d</TD>",
                           "  </TR>", "</TABLE>"}));
}

TEST(ComposeQuickTable, ChosenColourGoesIntoEveryCellAsTheEditHoldsIt) {
    ts::TQuickTableFields f{"1", "0", "0", "", {{"x", "<b>"}}, true, "#00FF00"};
    const QStringList lines = ts::composeQuickTable(f);
    EXPECT_EQ(lines.mid(2, 2), QStringList({"    <TD BGCOLOR=#00FF00>x</TD>", "    <TD BGCOLOR=#00FF00><b></TD>"}));
    f.cellColour.clear();
    EXPECT_EQ(ts::composeQuickTable(f)[2], "    <TD BGCOLOR=>x</TD>");
}

TEST(TableCount, WholeNumbersWithinOneTo255) {
    const struct {
        const char* text;
        std::optional<int> count;
    } cases[] = {
        {"1", 1},   {"10", 10},  {"+3", 3},    {"0", 1},          {"-5", 1},
        {"255", 255}, {"256", 255}, {"0300", 255}, {"99999999999999999999", 255},
        {"", std::nullopt}, {"abc", std::nullopt}, {"3a", std::nullopt}, {"-", std::nullopt},
        {"1.5", std::nullopt}, {" 3", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ts::tableCount(QString::fromLatin1(c.text)), c.count);
    }
    EXPECT_EQ(ts::notAnIntegerMessage("x y"), QString::fromUtf8("'x y' ist kein gültiger Integerwert"));
}

TEST(ComposeTableTag, EachAttributeOnlyWhenFilledIn) {
    ts::TTableFields initial;
    initial.borderWidth = "1";
    ts::TTableFields none = initial;
    none.border = false;
    ts::TTableFields centred = initial;
    centred.align = "center";
    centred.cellColour = "red";
    ts::TTableFields all;
    all.borderWidth = "3";
    all.align = "Bleedleft";
    all.colSpec = "L20 C30";
    all.cellPadding = "2";
    all.cellSpacing = " ";
    all.width = "80%";
    all.height = "100";
    all.cellColour = "#0000FF";
    ts::TTableFields umlaut;
    umlaut.border = false;
    umlaut.align = QString::fromUtf8("mitteä");

    EXPECT_EQ(composeTableTag(initial), "<TABLE BORDER=1></TABLE>");
    EXPECT_EQ(composeTableTag(none), "<TABLE></TABLE>");
    EXPECT_EQ(composeTableTag(centred), R"(<TABLE BORDER=1 ALIGN=CENTER BGCOLOR="red"></TABLE>)");
    EXPECT_EQ(composeTableTag(all), "<TABLE BORDER=3 ALIGN=BLEEDLEFT COLSPEC=\"L20 C30\" CELLPADDING=2 CELLSPACING=  "
                                    "WIDTH=80% HEIGHT=100 BGCOLOR=\"#0000FF\"></TABLE>");
    EXPECT_EQ(composeTableTag(umlaut), QString::fromUtf8("<TABLE ALIGN=MITTEä></TABLE>"));
}

TEST(ComposeCaptionTag, AlignOnlyWhenFilledIn) {
    EXPECT_EQ(composeCaptionTag("top", "Prices"), "<CAPTION ALIGN=TOP>Prices</CAPTION>");
    EXPECT_EQ(composeCaptionTag("", "Prices"), "<CAPTION>Prices</CAPTION>");
    EXPECT_EQ(composeCaptionTag("bottom", ""), "<CAPTION ALIGN=BOTTOM></CAPTION>");
    EXPECT_EQ(composeCaptionTag(" ", "<i>a</i>"), "<CAPTION ALIGN= ><i>a</i></CAPTION>");
}

} // namespace
