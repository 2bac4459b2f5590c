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
