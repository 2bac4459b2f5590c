#include "tags/formfields.h"
#include "tags/frames.h"
#include "support/printers.h"

#include <gtest/gtest.h>

namespace {

using ts::TFieldPath;

const ts::TFieldValues kFilled{{{"eName", "n"}, {"eValue", "v"}, {"eSize", "5"}, {"eMaxLength", "9"},
                                {"eRows", "3"}, {"eCols", "40"}},
                               {"a", "b"}};

TEST(FormFields, EachKindWritesItsTemplateInListOrder) {
    const struct {
        const char* listText;
        const char* button;
        QStringList palette;
        QStringList quickForm;  // empty: as from the palette
    } kinds[] = {
        {"text box", "sbText", {R"(<INPUT TYPE="TEXT" NAME="n" VALUE="v" SIZE=5 MAXLENGTH=9><BR>)"}, {}},
        {"hidden text", "sbHiddenText", {R"(<INPUT TYPE="HIDDEN" NAME="n" VALUE="v"><BR>)"}, {}},
        {"text area", "sbEntry", {R"(<TEXTAREA NAME="n" ROWS=3 COLS=40></TEXTAREA><BR>)"}, {}},
        {"checkbox", "sbCheckBox", {R"(<INPUT TYPE="CHECKBOX" NAME="n" VALUE="v"><BR>)"}, {}},
        {"radio-button", "sbRadioButton", {R"(<INPUT TYPE="RADIO" NAME="n" VALUE="v"><BR>)"}, {}},
        {"drop-down list", "sbDropDown", {R"(<SELECT NAME="n">)", "  <OPTION>a", "  <OPTION>b", "</SELECT><BR>"}, {}},
        {"submit-button", "sbSubmit", {R"(<INPUT TYPE="SUBMIT" NAME="n" VALUE="v">)"}, {}},
        {"reset-button", "sbReset", {R"(<INPUT TYPE="RESET" NAME="n" VALUE="v">)"},
         {R"(<INPUT TYPE="Reset" NAME="n" VALUE="v">)"}},
    };
    ASSERT_EQ(ts::fieldKinds().size(), std::size(kinds));
    for (size_t i = 0; i < std::size(kinds); ++i) {
        const ts::TFieldKind& k = ts::fieldKinds()[i];
        SCOPED_TRACE(kinds[i].listText);
        EXPECT_EQ(k.listText, kinds[i].listText);
        EXPECT_EQ(ts::fieldKindOfButton(kinds[i].button), &k);
        EXPECT_EQ(ts::composeField(k, kFilled, TFieldPath::Palette), kinds[i].palette);
        const QStringList viaQuickForm = kinds[i].quickForm.isEmpty() ? kinds[i].palette : kinds[i].quickForm;
        EXPECT_EQ(ts::composeField(k, kFilled, TFieldPath::QuickForm), viaQuickForm);
    }
    EXPECT_EQ(ts::fieldKindOfButton("sbQuickForm"), nullptr);
}

TEST(FormFields, EmptyFieldsLeaveEveryAttributeWithAnEmptyValue) {
    EXPECT_EQ(ts::composeField(*ts::fieldKindOfButton("sbText"), {}, TFieldPath::Palette),
              QStringList{R"(<INPUT TYPE="TEXT" NAME="" VALUE="" SIZE= MAXLENGTH=><BR>)"});
    EXPECT_EQ(ts::composeField(*ts::fieldKindOfButton("sbEntry"), {}, TFieldPath::Palette),
              QStringList{R"(<TEXTAREA NAME="" ROWS= COLS=></TEXTAREA><BR>)"});
}

TEST(FormFields, DropDownWritesEveryRowEmptyOnesToo) {
    const ts::TFieldValues v{{{"eName", "x"}}, {"one", "", "three"}};
    EXPECT_EQ(ts::composeField(*ts::fieldKindOfButton("sbDropDown"), v, TFieldPath::Palette),
              (QStringList{R"(<SELECT NAME="x">)", "  <OPTION>one", "  <OPTION>", "  <OPTION>three", "</SELECT><BR>"}));
}

TEST(FormFields, TypedTextIsWrittenAsTypedBracesAndQuotesIncluded) {
    EXPECT_EQ(ts::fillTemplate("[{eName}|{eValue}]", {{"eName", "{eValue}"}, {"eValue", " \"<&>\" "}}),
              "[{eValue}| \"<&>\" ]");
    EXPECT_EQ(ts::fillTemplate("a{unknown}b{", {}), "ab{");
}

TEST(FormTag, HeaderAndQuickFormLines) {
    const ts::TFormHeaderValues h{"/cgi-bin/x", "post", " a b "};
    EXPECT_EQ(ts::composeFormTag(h), R"(<FORM ACTION="/cgi-bin/x" METHOD="post" ENCTYPE=" a b "></FORM>)");
    EXPECT_EQ(ts::composeFormTag({}), R"(<FORM ACTION="" METHOD="" ENCTYPE=""></FORM>)");
    EXPECT_EQ(ts::composeQuickForm({}, {}), (QStringList{R"(<FORM ACTION="" METHOD="" ENCTYPE="">)", "</FORM>"}));
    // A text box and a two-option drop-down: the options end up four spaces in.
    QStringList fields = ts::composeField(*ts::fieldKindOfButton("sbText"), {}, TFieldPath::QuickForm);
    fields += ts::composeField(*ts::fieldKindOfButton("sbDropDown"), {{}, {"a", "b"}}, TFieldPath::QuickForm);
    EXPECT_EQ(ts::composeQuickForm({}, fields),
              (QStringList{R"(<FORM ACTION="" METHOD="" ENCTYPE="">)",
                           R"(  <INPUT TYPE="TEXT" NAME="" VALUE="" SIZE= MAXLENGTH=><BR>)", R"(  <SELECT NAME="">)",
                           "    <OPTION>a", "    <OPTION>b", "  </SELECT><BR>", "</FORM>"}));
}

TEST(FrameSet, FirstValueAlwaysThenTheFilledOnes) {
    EXPECT_EQ(ts::composeFrameSet(true, {"20", "30", "50", "0", "0"}), R"(<FRAMESET ROWS="20,30,50,0,0">)");
    EXPECT_EQ(ts::composeFrameSet(false, {"0", "0", "0", "0", "0"}), R"(<FRAMESET Cols="0,0,0,0,0">)");
    EXPECT_EQ(ts::composeFrameSet(true, {"", "", "10", "", "90"}), R"(<FRAMESET ROWS=",10,90">)");
}

TEST(Frame, OnlyFilledAttributesInFixedOrder) {
    EXPECT_EQ(ts::composeFrame({"a.htm", "", "", "", "", false}), "<FRAME SRC=a.htm>");
    EXPECT_EQ(ts::composeFrame({"a.htm", "_top", "", "", "NO", true}),
              R"(<FRAME SRC=a.htm NAME="_top" SCROLLING=NO NORESIZE>)");
    EXPECT_EQ(ts::composeFrame({}), "<FRAME SRC=>");
    EXPECT_EQ(ts::composeFrame({"s", " ", "1", "2", "AUTO", false}),
              R"(<FRAME SRC=s NAME=" " MARGINWIDTH=1 MARGINHEIGHT=2 SCROLLING=AUTO>)");
    EXPECT_EQ(ts::composeFrame({" ", "", " ", "", "", false}), "<FRAME SRC=  MARGINWIDTH= >");
}

TEST(NoFrames, MessageLinesBehindTwoSpaces) {
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {"", {}},           {"a", {"a"}},
        {"a\n", {"a"}},     {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},       {QString("a") + QChar::LineSeparator + "b", {"a", "b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ts::textLines(c.text), c.lines) << c.text.toStdString();

    EXPECT_EQ(ts::composeNoFrames({}), (QStringList{"<NOFRAMES>", "</NOFRAMES>"}));
    EXPECT_EQ(ts::composeNoFrames(ts::textLines(ts::defaultNoFramesMessage())),
              (QStringList{"<NOFRAMES>", "  <H1><BLINK>Frame-Warning</BLINK></H1>",
                           "  This site needs a <I>Frame</I>-capable Browser.",
                           R"(  You can download <A HREF="home.netscape.com">Netscape Navigator</A> to view this site.)",
                           "</NOFRAMES>"}));
}

} // namespace
