#include "editor/template.h"
#include "support/testenv.h"
#include "tags/tanchor.h"
#include "tags/timg.h"
#include "tags/tquickdoc.h"
#include "tags/turlbuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

namespace {

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Acts on the modal dialog that the next exec() opens.
void onNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

void click(QWidget* dlg, const char* button) { child<QAbstractButton>(dlg, button)->click(); }

// The buddy of the label with this caption, or null.
QWidget* buddyOf(QWidget* dlg, const QString& caption) {
    for (QLabel* l : dlg->findChildren<QLabel*>())
        if (l->text() == caption) return l->buddy();
    return nullptr;
}

TEST(ComposeURL, PartsJoinedWithTwoSlashesWhateverTheScheme) {
    const struct {
        ts::TURLParts parts;
        const char* url;
    } cases[] = {
        {{"http://", "www.a.de", "docs", "index.htm"}, "http://www.a.de/docs/index.htm"},
        {{"http://", "", "", ""}, "http:////"},
        {{"mailto:", "joe@a.de", "", ""}, "mailto:joe@a.de//"},
        {{"ftp://", "h/", "/p/", "/f"}, "ftp://h///p///f"},   // no slash doubled or removed
        {{" x ", " s ", " p ", " f "}, " x  s / p / f "},       // nothing trimmed
        {{"", "", "", ""}, "//"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(ts::composeURL(c.parts), QString::fromLatin1(c.url));
    }
}

class URLBuilderDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        scheme = child<QComboBox>(&dlg, "cbURL");
        server = child<QLineEdit>(&dlg, "eServer");
        path = child<QLineEdit>(&dlg, "ePath");
        file = child<QLineEdit>(&dlg, "eFile");
        shown = child<QLineEdit>(&dlg, "eURL");
        ASSERT_TRUE(scheme && server && path && file && shown);
    }
    TURLBuilder dlg;
    QComboBox* scheme = nullptr;
    QLineEdit *server = nullptr, *path = nullptr, *file = nullptr, *shown = nullptr;
};

TEST_F(URLBuilderDialog, ShowsTheEmptyURLButHoldsNoResultYet) {
    EXPECT_EQ(dlg.objectName(), "TURLBuilder");
    EXPECT_EQ(dlg.windowTitle(), "URL Builder");
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_TRUE(scheme->isEditable());
    QStringList items;
    for (int i = 0; i < scheme->count(); ++i) items << scheme->itemText(i);
    EXPECT_EQ(items, QStringList({"http://", "ftp://", "gopher://", "mailto:"}));
    EXPECT_EQ(scheme->currentText(), "http://");
    EXPECT_EQ(shown->text(), "http:////");
    EXPECT_FALSE(shown->isEnabled());
    EXPECT_TRUE(shown->isReadOnly());
    EXPECT_EQ(dlg.url(), "");
    EXPECT_EQ(buddyOf(&dlg, "&Type of URL :"), scheme);
    EXPECT_EQ(buddyOf(&dlg, "&Server :"), server);
    EXPECT_EQ(buddyOf(&dlg, "&Path :"), path);
    EXPECT_EQ(buddyOf(&dlg, "&File :"), file);
    EXPECT_EQ(child<QPushButton>(&dlg, "bbCancel")->text(), "Cancel");
}

TEST_F(URLBuilderDialog, EveryFieldRecomposesAsTyped) {
    QTest::keyClicks(server, "www.a.de");
    EXPECT_EQ(dlg.url(), "http://www.a.de//");
    QTest::keyClicks(path, "docs");
    QTest::keyClicks(file, "i.htm");
    EXPECT_EQ(dlg.url(), "http://www.a.de/docs/i.htm");
    EXPECT_EQ(shown->text(), dlg.url());
    scheme->setCurrentIndex(1);
    EXPECT_EQ(dlg.url(), "ftp://www.a.de/docs/i.htm");
    // The scheme may be typed as well.
    scheme->lineEdit()->selectAll();
    QTest::keyClicks(scheme->lineEdit(), "news:");
    EXPECT_EQ(dlg.url(), "news:www.a.de/docs/i.htm");
    EXPECT_EQ(shown->text(), dlg.url());
}

TEST_F(URLBuilderDialog, MailtoKeepsItsSlashes) {
    scheme->setCurrentIndex(3);
    QTest::keyClicks(server, "joe@a.de");
    EXPECT_EQ(dlg.url(), "mailto:joe@a.de//");
}

TEST(ChooseURL, OkGivesTheURLAndCancelGivesNothing) {
    QWidget owner;
    onNextModal([](QWidget* d) {
        EXPECT_EQ(d->objectName(), "TURLBuilder");
        QTest::keyClicks(child<QLineEdit>(d, "eServer"), "host");
        QTest::keyClicks(child<QLineEdit>(d, "eFile"), "f.gif");
        click(d, "bbOK");
    });
    EXPECT_EQ(ts::chooseURL(&owner), std::optional<QString>("http://host//f.gif"));

    onNextModal([](QWidget* d) {
        QTest::keyClicks(child<QLineEdit>(d, "eServer"), "host");
        click(d, "bbCancel");
    });
    EXPECT_EQ(ts::chooseURL(&owner), std::nullopt);

    // OK before any change returns an empty URL, not the one shown.
    onNextModal([](QWidget* d) { click(d, "bbOK"); });
    EXPECT_EQ(ts::chooseURL(&owner), std::optional<QString>(""));
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.anchor);
        EXPECT_EQ(ts::composeAnchor(c.f), QString::fromLatin1(c.anchor));
    }
}

TEST(ComposeImageTag, AltOnlyWhenFilledAndSourceNotChecked) {
    EXPECT_EQ(ts::composeImageTag({"pic.gif", "Logo"}), R"(<IMG SRC="pic.gif" ALT="Logo">)");
    EXPECT_EQ(ts::composeImageTag({"pic.gif", ""}), R"(<IMG SRC="pic.gif">)");
    EXPECT_EQ(ts::composeImageTag({"", ""}), R"(<IMG SRC="">)");
    EXPECT_EQ(ts::composeImageTag({"a b.gif", " "}), R"(<IMG SRC="a b.gif" ALT=" ">)");
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
    f.useColor = false;
    EXPECT_EQ(ts::composeBodyTag(f), R"(<BODY BACKGROUND="bg.gif">)");
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
    const QStringList lines = ts::composeQuickDocument(f);
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
    EXPECT_EQ(lines, expected);

    // Empty fields still give their tags.
    const QStringList empty = ts::composeQuickDocument({});
    ASSERT_EQ(empty.size(), 18);
    EXPECT_EQ(empty[4], "    <TITLE></TITLE>");
    EXPECT_EQ(empty[5], R"(    <META NAME="Author" CONTENT="">)");
    EXPECT_EQ(empty[9], "    <H1></H1>");
    EXPECT_EQ(empty[14], R"(      Page (C) by <A HREF="mailto:"></A>.)");
}

// Sets the text of a field as typed, replacing what is there.
void type(QLineEdit* e, const QString& s) {
    e->selectAll();
    QTest::keyClicks(e, s);
}

class AnchorDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }
    QLineEdit* field(const char* name) { return child<QLineEdit>(&dlg, name); }
    ts::test::ScopedPlatform platform;
    TAnchor dlg;
};

TEST_F(AnchorDialog, FieldsStartEmptyUnderTheirLabels) {
    EXPECT_EQ(dlg.objectName(), "TAnchor");
    EXPECT_EQ(dlg.windowTitle(), "Anchor");
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    const std::pair<const char*, const char*> fields[] = {
        {"&URL :", "eLink"}, {"&Description :", "eDesc"}, {"&Target :", "eTarget"}, {"&Name :", "eName"}};
    for (const auto& [caption, name] : fields) {
        SCOPED_TRACE(name);
        EXPECT_EQ(buddyOf(&dlg, caption), field(name));
        EXPECT_EQ(field(name)->text(), "");
    }
    auto* sbURL = child<QToolButton>(&dlg, "sbURL");
    EXPECT_EQ(sbURL->text(), "...");
    EXPECT_EQ(sbURL->toolTip(), "Start the URL builder");
    EXPECT_EQ(child<QPushButton>(&dlg, "bbCancel")->text(), "Cancel");
}

TEST_F(AnchorDialog, EmptyURLIsRefusedAndTheDialogStaysAsItWas) {
    type(field("eDesc"), "Home");
    type(field("eTarget"), "main");
    click(&dlg, "bbOK");
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_EQ(platform.boxes.shown[0].text, "No URL defined!");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(field("eDesc")->text(), "Home");
    EXPECT_EQ(field("eTarget")->text(), "main");
    EXPECT_EQ(dlg.anchorText(), "");

    // Corrected, the same OK goes through.
    type(field("eLink"), "index.htm");
    click(&dlg, "bbOK");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.anchorText(), R"(<A HREF="index.htm" TARGET="main">Home</A>)");
    EXPECT_EQ(platform.boxes.shown.size(), 1u);
}

TEST_F(AnchorDialog, CancelGivesNothing) {
    type(field("eLink"), "a.htm");
    click(&dlg, "bbCancel");
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.anchorText(), "");
}

// The "..." button of each dialog and the field it fills.
template <class Dialog>
void urlButtonFillsField(const char* button, const char* fieldName) {
    Dialog dlg;
    dlg.show();
    auto* field = child<QLineEdit>(&dlg, fieldName);
    type(field, "old.htm");

    // Cancel leaves the field alone.
    onNextModal([](QWidget* b) {
        EXPECT_EQ(b->objectName(), "TURLBuilder");
        type(child<QLineEdit>(b, "eServer"), "x");
        click(b, "bbCancel");
    });
    click(&dlg, button);
    EXPECT_EQ(field->text(), "old.htm");

    onNextModal([](QWidget* b) {
        type(child<QLineEdit>(b, "eServer"), "www.a.de");
        type(child<QLineEdit>(b, "eFile"), "new.htm");
        click(b, "bbOK");
    });
    click(&dlg, button);
    EXPECT_EQ(field->text(), "http://www.a.de//new.htm");

    // OK without a change clears it: the builder's result is still empty.
    onNextModal([](QWidget* b) { click(b, "bbOK"); });
    click(&dlg, button);
    EXPECT_EQ(field->text(), "");
    EXPECT_TRUE(dlg.isVisible());
}

TEST(URLButtons, BuilderResultReplacesTheFieldOnOkOnly) {
    {
        SCOPED_TRACE("TAnchor");
        urlButtonFillsField<TAnchor>("sbURL", "eLink");
    }
    {
        SCOPED_TRACE("TImg");
        urlButtonFillsField<TImg>("sbLocateImg", "eImage");
    }
    {
        SCOPED_TRACE("TQuickDoc");
        urlButtonFillsField<TQuickDoc>("sbLocateImage", "eBackImage");
    }
}

TEST(ImageDialog, ComposesOnOkAndNothingOnCancel) {
    TImg dlg;
    dlg.show();
    EXPECT_EQ(dlg.objectName(), "TImg");
    EXPECT_EQ(dlg.windowTitle(), "Image");
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    auto* source = child<QLineEdit>(&dlg, "eImage");
    auto* alt = child<QLineEdit>(&dlg, "eAltText");
    EXPECT_EQ(buddyOf(&dlg, "&Source"), source);
    EXPECT_EQ(buddyOf(&dlg, "&Alternate text :"), alt);
    EXPECT_EQ(child<QToolButton>(&dlg, "sbLocateImg")->toolTip(), "Start the URL builder");
    type(source, "pic.gif");
    type(alt, "Logo");
    click(&dlg, "bbOK");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.imageTag(), R"(<IMG SRC="pic.gif" ALT="Logo">)");

    TImg empty;
    empty.show();
    click(&empty, "bbOK");
    EXPECT_EQ(empty.imageTag(), R"(<IMG SRC="">)");

    TImg cancelled;
    cancelled.show();
    type(child<QLineEdit>(&cancelled, "eImage"), "x.gif");
    click(&cancelled, "bbCancel");
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.imageTag(), "");
}

class QuickDocDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }
    QLabel* label(const char* name) { return child<QLabel>(&dlg, name); }
    QColor back(const char* name) { return label(name)->palette().color(QPalette::Window); }
    QColor fore(const char* name) { return label(name)->palette().color(QPalette::WindowText); }
    void doubleClick(const char* name) { QTest::mouseDClick(label(name), Qt::LeftButton); }

    ts::test::ScopedPlatform platform;
    TQuickDoc dlg;
};

const char* const kColourLabels[] = {"lbBGColor", "lbTextCol", "lbLinkCol", "lbActiveLinkCol", "lbVisitedLinkCol"};

TEST_F(QuickDocDialog, StartsEmptyWithTheStandardColours) {
    EXPECT_EQ(dlg.objectName(), "TQuickDoc");
    EXPECT_EQ(dlg.windowTitle(), "Quick Document");
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    QStringList titles;
    for (QGroupBox* g : dlg.findChildren<QGroupBox*>()) titles << g->title();
    titles.sort();
    EXPECT_EQ(titles, QStringList({"Color information :", "Document information :"}));
    const std::pair<const char*, const char*> fields[] = {
        {"Title :", "eTitle"}, {"Description :", "eDesc"}, {"Main heading :", "eMainHead"},
        {"Background image :", "eBackImage"}};
    for (const auto& [caption, name] : fields) {
        EXPECT_EQ(buddyOf(&dlg, caption), child<QLineEdit>(&dlg, name)) << name;
        EXPECT_EQ(child<QLineEdit>(&dlg, name)->text(), "");
    }
    EXPECT_EQ(child<QToolButton>(&dlg, "sbLocateImage")->toolTip(), "Open the URL-Builder");
    auto* use = child<QCheckBox>(&dlg, "cbUseColor");
    EXPECT_EQ(use->text(), "&Use these color values");
    EXPECT_FALSE(use->isChecked());

    const char* const captions[] = {"Text", "Text", "Link", "Active Link", "Visited Link"};
    const char* const colours[] = {"#000000", "#000000", "#0000FF", "#008000", "#800080"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(kColourLabels[i]);
        EXPECT_EQ(label(kColourLabels[i])->text(), captions[i]);
        EXPECT_EQ(back(kColourLabels[i]), QColor(Qt::white));
        EXPECT_EQ(fore(kColourLabels[i]).name().toUpper(), colours[i]);
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
    EXPECT_EQ(fore("lbActiveLinkCol"), QColor(0, 0x80, 0));
    EXPECT_EQ(back("lbVisitedLinkCol"), QColor(0x11, 0x22, 0x33));

    // The dialog starts black, then at the colour chosen last; a cancel changes nothing.
    EXPECT_EQ(platform.dialogs.colorInitials,
              (std::vector<QColor>{Qt::black, QColor(0x11, 0x22, 0x33), QColor(0x11, 0x22, 0x33)}));

    const ts::TQuickDocFields f = dlg.fields();
    EXPECT_EQ(ts::htmlColour(f.background), "#112233");
    EXPECT_EQ(ts::htmlColour(f.visitedLink), "#FF0000");
    EXPECT_EQ(ts::htmlColour(f.link), "#0000FF");
    EXPECT_EQ(ts::htmlColour(f.text), "#000000");
}

TEST_F(QuickDocDialog, OkHandsOverTheFieldsAsTyped) {
    type(child<QLineEdit>(&dlg, "eTitle"), " T ");
    type(child<QLineEdit>(&dlg, "eDesc"), "D\"");
    type(child<QLineEdit>(&dlg, "eMainHead"), "<H>");
    type(child<QLineEdit>(&dlg, "eBackImage"), "b.gif");
    click(&dlg, "bbOK");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const ts::TQuickDocFields f = dlg.fields();
    EXPECT_EQ(f.title, " T ");
    EXPECT_EQ(f.description, "D\"");
    EXPECT_EQ(f.mainHeading, "<H>");
    EXPECT_EQ(f.backImage, "b.gif");
    EXPECT_FALSE(f.useColor);
}

} // namespace
