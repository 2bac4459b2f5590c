#include "editor/template.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"
#include "tags/tanchor.h"
#include "tags/tformheader.h"
#include "tags/tframe.h"
#include "tags/timg.h"
#include "tags/tquickdoc.h"
#include "tags/turlbuilder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using namespace ts::test;

TEST(ComposeURL, PartsJoinedWithTwoSlashesWhateverTheScheme) {
    const struct {
        ts::TURLParts parts;
        const char* url;
    } cases[] = {
        {{"http://", "www.a.de", "docs", "index.htm"}, "http://www.a.de/docs/index.htm"},
        {{"http://", "", "", ""}, "http:////"},
        {{"mailto:", "joe@a.de", "", ""}, "mailto:joe@a.de//"},
        {{"ftp://", "h/", "/p/", "/f"}, "ftp://h///p///f"},  // no slash doubled or removed
        {{" x ", " s ", " p ", " f "}, " x  s / p / f "},      // nothing trimmed
    };
    for (const auto& c : cases) EXPECT_EQ(ts::composeURL(c.parts), QString::fromLatin1(c.url));
}

TEST(ComposeAnchor, OptionalAttributesInFixedOrderAndOnlyWhenFilled) {
    const struct {
        ts::TAnchorFields f;
        const char* anchor;
    } cases[] = {
        {{"index.htm", "Home", "", ""}, R"(<A HREF="index.htm">Home</A>)"},
        {{"a.htm", "", "main", "top"}, R"(<A HREF="a.htm" TARGET="main" NAME="top"></A>)"},
        {{"a.htm", "x", "", "top"}, R"(<A HREF="a.htm" NAME="top">x</A>)"},
        {{"a.htm", "x", "_blank", ""}, R"(<A HREF="a.htm" TARGET="_blank">x</A>)"},
        // Filled in means one character; nothing is trimmed or escaped.
        {{" a b ", "<B>&</B>", " ", "\""}, R"(<A HREF=" a b " TARGET=" " NAME=""">)" "<B>&</B></A>"},
    };
    for (const auto& c : cases) EXPECT_EQ(ts::composeAnchor(c.f), QString::fromLatin1(c.anchor));
}

TEST(ComposeImageTag, AltOnlyWhenFilledAndSourceNotChecked) {
    EXPECT_EQ(ts::composeImageTag({"pic.gif", "Logo"}), R"(<IMG SRC="pic.gif" ALT="Logo">)");
    EXPECT_EQ(ts::composeImageTag({"pic.gif", ""}), R"(<IMG SRC="pic.gif">)");
    EXPECT_EQ(ts::composeImageTag({"", " "}), R"(<IMG SRC="" ALT=" ">)");
}

TEST(ComposeBodyTag, BackgroundAlwaysColoursOnlyWhenAsked) {
    ts::TQuickDocFields f;
    EXPECT_EQ(ts::composeBodyTag(f), R"(<BODY BACKGROUND="">)");
    f.useColor = true;
    EXPECT_EQ(ts::composeBodyTag(f), R"(<BODY BACKGROUND="" BGCOLOR="#FFFFFF" TEXT="#000000" LINK="#0000FF" )"
                                     R"(VLINK="#800080" ALINK="#008000">)");
    f.backImage = "bg.gif";
    f.background = 0x00332211;
    f.text = 0x01000001;
    f.link = 0x00000002;
    f.activeLink = 0x00000003;
    f.visitedLink = 0x00000004;
    EXPECT_EQ(ts::composeBodyTag(f), R"(<BODY BACKGROUND="bg.gif" BGCOLOR="#112233" TEXT="#010000" )"
                                     R"(LINK="#020000" VLINK="#040000" ALINK="#030000">)");
}

TEST(ComposeQuickDocument, EighteenLinesWithTheFieldsInPlace) {
    ts::TQuickDocFields f;
    f.title = "My page";
    f.description = "About me";
    f.mainHeading = "Welcome";
    f.author = "Ann";
    f.email = "ann@a.de";
    f.date = "07.03.24";
    f.time = "14:05:09";
    const QStringList expected = {
        R"(<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 3.0//EN">)",
        "<!-- Document created : 07.03.24, 14:05:09 -->",
        "<HTML>",
        "  <HEAD>",
        "    <TITLE>My page</TITLE>",
        R"(    <META NAME="Author" CONTENT="Ann">)",
        R"(    <META NAME="DESCRIPTION" CONTENT="About me">)",
        "  </HEAD>",
        R"(  <BODY BACKGROUND="">)",
        "    <H1>Welcome</H1>",
        "    <HR>",
        "    <HR>",
        "    <CENTER><FONT SIZE=2>",
        R"(      This page was created with <A HREF=")" + QString::fromLatin1(kMakerWebAddress) +
            R"(">Quillon's Tagsmith</A>.<BR>)",
        R"(      Page (C) by <A HREF="mailto:ann@a.de">Ann</A>.)",
        "    </FONT></CENTER>",
        "  </BODY>",
        "</HTML>",
    };
    EXPECT_EQ(ts::composeQuickDocument(f), expected);

    const QStringList empty = ts::composeQuickDocument({});
    ASSERT_EQ(empty.size(), 18);
    EXPECT_EQ(empty[4], "    <TITLE></TITLE>");
    EXPECT_EQ(empty[9], "    <H1></H1>");
    EXPECT_EQ(empty[14], R"(      Page (C) by <A HREF="mailto:"></A>.)");
}

void expectBuilderFrame(QDialog& dlg, const char* objectName, const char* caption) {
    dlg.show();
    EXPECT_EQ(dlg.objectName(), objectName);
    EXPECT_EQ(dlg.windowTitle(), caption);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(child<QAbstractButton>(&dlg, "bbCancel")->text(), "Cancel");
}

TEST(URLBuilderDialog, ShowsTheEmptyURLAndRecomposesOnEveryChange) {
    TURLBuilder dlg;
    expectBuilderFrame(dlg, "TURLBuilder", "URL Builder");
    expectEmptyFields(&dlg, {{"&Server :", "eServer"}, {"&Path :", "ePath"}, {"&File :", "eFile"}});
    auto* scheme = child<QComboBox>(&dlg, "cbURL");
    auto* shown = child<QLineEdit>(&dlg, "eURL");
    QStringList items;
    for (int i = 0; i < scheme->count(); ++i) items << scheme->itemText(i);
    EXPECT_EQ(items, QStringList({"http://", "ftp://", "gopher://", "mailto:"}));
    EXPECT_TRUE(scheme->isEditable());
    EXPECT_EQ(scheme->currentText(), "http://");
    EXPECT_EQ(shown->text(), "http:////");
    EXPECT_FALSE(shown->isEnabled());
    EXPECT_TRUE(shown->isReadOnly());
    EXPECT_EQ(dlg.url(), "");  // shown, but not the result until a field changes

    QTest::keyClicks(child<QLineEdit>(&dlg, "eServer"), "joe@a.de");
    EXPECT_EQ(dlg.url(), "http://joe@a.de//");
    scheme->setCurrentIndex(3);
    EXPECT_EQ(dlg.url(), "mailto:joe@a.de//");
    QTest::keyClicks(child<QLineEdit>(&dlg, "ePath"), "p");
    QTest::keyClicks(child<QLineEdit>(&dlg, "eFile"), "f");
    scheme->lineEdit()->selectAll();
    QTest::keyClicks(scheme->lineEdit(), "news:");
    EXPECT_EQ(dlg.url(), "news:joe@a.de/p/f");
    EXPECT_EQ(shown->text(), dlg.url());
}

TEST(AnchorDialog, EmptyURLIsRefusedAndTheDialogStaysAsItWas) {
    ScopedPlatform platform;
    TAnchor dlg;
    expectBuilderFrame(dlg, "TAnchor", "Anchor");
    expectEmptyFields(&dlg, {{"&URL :", "eLink"}, {"&Description :", "eDesc"}, {"&Target :", "eTarget"},
                             {"&Name :", "eName"}});
    EXPECT_EQ(child<QToolButton>(&dlg, "sbURL")->toolTip(), "Start the URL builder");
    set(&dlg, "eDesc", "Home");
    click(&dlg, "bbOK");
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_EQ(platform.boxes.shown[0].text, "No URL defined!");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(child<QLineEdit>(&dlg, "eDesc")->text(), "Home");

    // Corrected, the same OK goes through.
    set(&dlg, "eLink", "index.htm");
    click(&dlg, "bbOK");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.anchorText(), R"(<A HREF="index.htm">Home</A>)");
    EXPECT_EQ(platform.boxes.shown.size(), 1u);
}

TEST(ImageDialog, ComposesOnOkOnly) {
    TImg dlg;
    expectBuilderFrame(dlg, "TImg", "Image");
    expectEmptyFields(&dlg, {{"&Source", "eImage"}, {"&Alternate text :", "eAltText"}});
    EXPECT_EQ(child<QToolButton>(&dlg, "sbLocateImg")->toolTip(), "Start the URL builder");
    set(&dlg, "eImage", "pic.gif");
    click(&dlg, "bbOK");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.imageTag(), R"(<IMG SRC="pic.gif">)");

    TImg cancelled;
    cancelled.show();
    set(&cancelled, "eImage", "x.gif");
    click(&cancelled, "bbCancel");
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.imageTag(), "");
}

// The "..." button of each dialog and the field it fills: the builder's
// result replaces the field on OK; Cancel, and OK with nothing changed in the
// builder, leave it as it was.
template <class Dialog>
void urlButtonFillsField(const char* button, const char* fieldName) {
    SCOPED_TRACE(button);
    Dialog dlg;
    dlg.show();
    auto* field = child<QLineEdit>(&dlg, fieldName);
    ASSERT_NE(field, nullptr);
    const struct {
        const char* server;
        const char* press;
        const char* field;
    } steps[] = {
        {"x", "bbCancel", "old.htm"},
        {"", "bbOK", "old.htm"},
        {"www.a.de", "bbOK", "http://www.a.de//"},
    };
    field->setText("old.htm");
    DialogDriver dialogs;
    for (const auto& s : steps) {
        dialogs.expect("TURLBuilder", [&s](QDialog& b) {
            QTest::keyClicks(child<QLineEdit>(&b, "eServer"), s.server);
            click(b, s.press);
        });
        click(&dlg, button);
        dialogs.done();
        EXPECT_EQ(field->text(), s.field) << s.press << " after \"" << s.server << '"';
    }
    EXPECT_TRUE(dlg.isVisible());
}

TEST(URLButtons, BuilderResultReplacesTheFieldOnlyWhenComposed) {
    urlButtonFillsField<TAnchor>("sbURL", "eLink");
    urlButtonFillsField<TImg>("sbLocateImg", "eImage");
    urlButtonFillsField<TQuickDoc>("sbLocateImage", "eBackImage");
    urlButtonFillsField<TFrame>("sbLocateURL", "eSource");
    urlButtonFillsField<TFormHeader>("sbURL", "eAction");
}

class QuickDocDialog : public ::testing::Test {
protected:
    void SetUp() override { expectBuilderFrame(dlg, "TQuickDoc", "Quick Document"); }
    QLabel* label(const char* name) { return child<QLabel>(&dlg, name); }
    QColor back(const char* name) { return label(name)->palette().color(QPalette::Window); }
    QColor fore(const char* name) { return label(name)->palette().color(QPalette::WindowText); }
    void doubleClick(const char* name) { QTest::mouseDClick(label(name), Qt::LeftButton); }

    ScopedPlatform platform;
    TQuickDoc dlg;
};

const char* const kColourLabels[] = {"lbBGColor", "lbTextCol", "lbLinkCol", "lbActiveLinkCol", "lbVisitedLinkCol"};

TEST_F(QuickDocDialog, StartsEmptyWithTheStandardColours) {
    QStringList titles;
    for (QGroupBox* g : dlg.findChildren<QGroupBox*>()) titles << g->title();
    titles.sort();
    EXPECT_EQ(titles, QStringList({"Color information :", "Document information :"}));
    expectEmptyFields(&dlg, {{"Title :", "eTitle"}, {"Description :", "eDesc"}, {"Main heading :", "eMainHead"},
                             {"Background image :", "eBackImage"}});
    EXPECT_EQ(child<QToolButton>(&dlg, "sbLocateImage")->toolTip(), "Open the URL-Builder");
    auto* use = child<QCheckBox>(&dlg, "cbUseColor");
    EXPECT_EQ(use->text(), "&Use these color values");
    EXPECT_FALSE(use->isChecked());

    const char* const captions[] = {"Text", "Text", "Link", "Active Link", "Visited Link"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(label(kColourLabels[i])->text(), captions[i]);
        EXPECT_EQ(back(kColourLabels[i]), QColor(Qt::white));
    }
    use->click();
    EXPECT_EQ(ts::composeBodyTag(dlg.fields()), R"(<BODY BACKGROUND="" BGCOLOR="#FFFFFF" TEXT="#000000" )"
                                                R"(LINK="#0000FF" VLINK="#800080" ALINK="#008000">)");
}

TEST_F(QuickDocDialog, BackgroundRecoloursAllFiveAndTextColoursOnlyTheirOwn) {
    platform.dialogs.colorAnswers = {QColor(0x11, 0x22, 0x33), std::nullopt, QColor(Qt::red)};
    doubleClick("lbBGColor");
    for (const char* name : kColourLabels) EXPECT_EQ(back(name), QColor(0x11, 0x22, 0x33)) << name;
    EXPECT_EQ(fore("lbLinkCol"), QColor(Qt::blue));

    doubleClick("lbLinkCol");  // cancelled
    EXPECT_EQ(fore("lbLinkCol"), QColor(Qt::blue));

    doubleClick("lbVisitedLinkCol");
    EXPECT_EQ(fore("lbVisitedLinkCol"), QColor(Qt::red));
    EXPECT_EQ(back("lbVisitedLinkCol"), QColor(0x11, 0x22, 0x33));

    // The dialog starts black, then at the colour chosen last; a cancel changes nothing.
    EXPECT_EQ(platform.dialogs.colorInitials,
              (std::vector<QColor>{Qt::black, QColor(0x11, 0x22, 0x33), QColor(0x11, 0x22, 0x33)}));

    child<QCheckBox>(&dlg, "cbUseColor")->click();
    EXPECT_EQ(ts::composeBodyTag(dlg.fields()), R"(<BODY BACKGROUND="" BGCOLOR="#112233" TEXT="#000000" )"
                                                R"(LINK="#0000FF" VLINK="#FF0000" ALINK="#008000">)");
}

} // namespace
