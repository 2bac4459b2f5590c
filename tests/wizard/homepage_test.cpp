#include "wizard/homepage.h"

#include <gtest/gtest.h>

using ts::THomepageValues;

namespace {

QStringList page(const THomepageValues& v) { return ts::homepageLines(v, QStringLiteral("7.3.24"), QStringLiteral("14:05:09")); }

// The lines between the head's end and the rule after the headings: the
// BODY start and the headings.
QStringList bodyStart(const THomepageValues& v) {
    const QStringList l = page(v);
    const qsizetype from = l.indexOf(QStringLiteral("  </HEAD>")) + 1;
    return l.mid(from, l.indexOf(QStringLiteral("    <HR>")) - from);
}

// The lines after the first rule, up to the second.
QStringList middle(const THomepageValues& v) {
    const QStringList l = page(v);
    const qsizetype from = l.indexOf(QStringLiteral("    <HR>")) + 1;
    return l.mid(from, l.indexOf(QStringLiteral("    <HR>"), from) - from);
}

} // namespace

TEST(HomepageLines, DefaultsGiveFourteenLines) {
    THomepageValues v;
    v.eName = QStringLiteral("Ann Lee");
    EXPECT_EQ(page(v), (QStringList{
                           "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">",
                           "<!-- Document created : 7.3.24, 14:05:09 -->",
                           "<HTML>",
                           "  <HEAD>",
                           "    <TITLE></TITLE>",
                           "  </HEAD>",
                           "    <CENTER><H1></H1></CENTER><BR>",
                           "    <HR>",
                           "    <HR>",
                           "    <BR><BR>",
                           "    Copyright &copy; by Ann Lee<BR>",
                           "    This homepage was created with Tagsmith<BR>",
                           "  </BODY>",
                           "</HTML>",
                       }));
}

TEST(HomepageLines, BackgroundAndHeadings) {
    struct Case {
        bool colour, image, centred;
        const char* secHead;
        QStringList expected;
    };
    const Case cases[] = {
        // No background: no BODY start tag at all.
        {false, false, true, "", {"    <CENTER><H1>Home & <b></H1></CENTER><BR>"}},
        {true, false, true, "Sub",
         {"  <BODY BGCOLOR=\"#12ABef\">", "    <CENTER><H1>Home & <b></H1></CENTER><BR>",
          "    <CENTER><H2>Sub</H2></CENTER><BR>"}},
        {false, true, false, " ",
         {"  <BODY BACKGROUND=\"img/bg 1.gif\">", "    <H1>Home & <b></H1><BR>", "    <H2> </H2><BR>"}},
        // Color wins when both are somehow set.
        {true, true, false, "", {"  <BODY BGCOLOR=\"#12ABef\">", "    <H1>Home & <b></H1><BR>"}},
    };
    for (const Case& c : cases) {
        THomepageValues v;
        v.eTitle = QStringLiteral("Home & <b>");
        v.rbColorBG = c.colour;
        v.rbImage = c.image;
        v.eColR = QStringLiteral("12");
        v.eColG = QStringLiteral("AB");
        v.eColB = QStringLiteral("ef");
        v.eBGImage = QStringLiteral("img/bg 1.gif");
        v.cbCenterHead = c.centred;
        v.eSecHead = QString::fromLatin1(c.secHead);
        EXPECT_EQ(bodyStart(v), c.expected) << c.colour << c.image << c.centred << c.secHead;
        EXPECT_EQ(page(v)[4], QStringLiteral("    <TITLE>Home & <b></TITLE>"));
    }
}

TEST(HomepageLines, PictureRows) {
    struct Case {
        bool use, caption, centre;
        QStringList expected;
    };
    const Case cases[] = {
        {false, true, true, {}},
        {true, false, false, {"    <IMG SRC=\"me.jpg\" ALT=\"[picture]\">"}},
        {true, true, false, {"    <IMG SRC=\"me.jpg\" ALT=\"[picture]\">It's me"}},
        {true, false, true, {"    <CENTER>", "      <IMG SRC=\"me.jpg\" ALT=\"[picture]\">", "    </CENTER>"}},
        {true, true, true, {"    <CENTER>", "      <IMG SRC=\"me.jpg\" ALT=\"[picture]\">It's me", "    </CENTER>"}},
    };
    for (const Case& c : cases) {
        THomepageValues v;
        v.cbUsePic = c.use;
        v.cbUseCaption = c.caption;
        v.cbCenterPic = c.centre;
        v.eImage = QStringLiteral("me.jpg");
        v.eImgCaption = QStringLiteral("It's me");
        EXPECT_EQ(middle(v), c.expected) << c.use << c.caption << c.centre;
    }
}

TEST(HomepageLines, ParagraphLinesAreWrittenOneByOne) {
    THomepageValues v;
    v.mParagraph = {QStringLiteral("one"), QString(), QStringLiteral("two ")};
    EXPECT_EQ(middle(v), QStringList{});
    v.cbUseParagraph = true;
    EXPECT_EQ(middle(v), (QStringList{"    <P>", "    one<BR>", "    <BR>", "    two <BR>"}));
    v.mParagraph.clear();
    EXPECT_EQ(middle(v), QStringList{"    <P>"});
    // Paragraph and picture stay between the two rules.
    v.cbUsePic = true;
    EXPECT_EQ(middle(v), (QStringList{"    <IMG SRC=\"\" ALT=\"[picture]\">", "    <P>"}));
}

TEST(HomepageLines, WithoutRulesNoRuleIsWritten) {
    THomepageValues v;
    v.cbRules = false;
    v.cbUseLink = true;
    v.eURL = QStringLiteral("http://a.example/?x=1&y=2");
    v.eDesc = QStringLiteral("Fav");
    const QStringList l = page(v);
    EXPECT_FALSE(l.contains(QStringLiteral("    <HR>")));
    EXPECT_EQ(l.mid(6, 3), (QStringList{"    <CENTER><H1></H1></CENTER><BR>",
                                        "    <A HREF=\"http://a.example/?x=1&y=2\">Fav</A>", "    <BR><BR>"}));
}

TEST(HomepageLines, AuthorBlockAndMetaLine) {
    THomepageValues v;
    v.cbUseLink = true;
    v.cbUseAuthor = true;
    v.eName = QStringLiteral("Ann");
    v.eEMail = QStringLiteral("ann@example.org");
    const QStringList l = page(v);
    EXPECT_EQ(l.mid(4, 3), (QStringList{"    <TITLE></TITLE>", "    <META NAME=\"Author\" CONTENT=\"Ann\">", "  </HEAD>"}));
    const qsizetype link = l.indexOf(QStringLiteral("    <A HREF=\"\"></A>"));
    ASSERT_GT(link, 0);
    EXPECT_EQ(l.mid(link + 1), (QStringList{
                                   "    <HR>",
                                   "    <ADDRESS>",
                                   "      Ann<BR>",
                                   "      <A HREF=\"mailto:ann@example.org\">ann@example.org</A><BR>",
                                   "    </ADDRESS>",
                                   "    <BR><BR>",
                                   "    Copyright &copy; by Ann<BR>",
                                   "    This homepage was created with Tagsmith<BR>",
                                   "  </BODY>",
                                   "</HTML>",
                               }));
}
