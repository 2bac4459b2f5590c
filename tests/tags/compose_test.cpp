#include "tags/htmlcolour.h"
#include "tags/inlinetags.h"

#include <gtest/gtest.h>

using ts::composeHeading;
using ts::composeRule;

TEST(ComposeHeading, SizeAndTextGiveAHeadingPair) {
    EXPECT_EQ(composeHeading("2", "Welcome"), "<H2>Welcome</H2>");
    EXPECT_EQ(composeHeading("6", "x"), "<H6>x</H6>");
}

TEST(ComposeHeading, EmptyTextStillGivesBothTags) { EXPECT_EQ(composeHeading("1", ""), "<H1></H1>"); }

TEST(ComposeHeading, OnlyTheFirstCharacterOfTheSizeCounts) {
    EXPECT_EQ(composeHeading("34", "a"), "<H3>a</H3>");
    EXPECT_EQ(composeHeading("", "a"), "<H>a</H>");
}

TEST(ComposeHeading, TextIsTakenAsTyped) {
    EXPECT_EQ(composeHeading("1", "  <b>&\"x\"  "), "<H1>  <b>&\"x\"  </H1>");
    EXPECT_EQ(composeHeading("1", QString::fromUtf8("Grüße")), QString::fromUtf8("<H1>Grüße</H1>"));
}

TEST(ComposeRule, WithoutHeightIsThePlainRule) { EXPECT_EQ(composeRule(), "<HR>"); }

TEST(ComposeRule, HeightGoesInUnquotedAndUntrimmed) {
    EXPECT_EQ(composeRule(QString("4")), "<HR SIZE=4>");
    EXPECT_EQ(composeRule(QString("")), "<HR SIZE=>");
    EXPECT_EQ(composeRule(QString(" 12px\"")), "<HR SIZE= 12px\">");
}

TEST(HtmlColour, RedGreenBlueFromTheLowBytesUpward) {
    const struct {
        ts::TColorRef colour;
        const char* hash;
    } cases[] = {
        {0x00FFFFFF, "#FFFFFF"}, {0x00FF0000, "#0000FF"}, {0x000000FF, "#FF0000"},
        {0x00000000, "#000000"}, {0x00123456, "#563412"}, {0x80FF00AB, "#AB00FF"},  // top byte ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hash);
        EXPECT_EQ(ts::htmlColour(c.colour), QString::fromLatin1(c.hash));
        EXPECT_EQ(ts::htmlColourDigits(c.colour), QString::fromLatin1(c.hash + 1));
        EXPECT_EQ(ts::htmlColour(ts::colorRef(ts::toQColor(c.colour))), QString::fromLatin1(c.hash));
    }
}
