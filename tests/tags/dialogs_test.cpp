#include "tags/tanchor.h"
#include "tags/tcolormixer.h"
#include "tags/tformheader.h"
#include "tags/tframe.h"
#include "tags/tframeset.h"
#include "tags/theading.h"
#include "tags/thr.h"
#include "tags/timg.h"
#include "tags/timggal.h"
#include "tags/tnoframes.h"
#include "tags/tparty.h"
#include "tags/tqfdialogs.h"
#include "tags/tquickdoc.h"
#include "tags/tquickfont.h"
#include "tags/tquickform.h"
#include "tags/ttab.h"
#include "tags/ttabcaption.h"
#include "tags/ttableedit.h"
#include "tags/tupdown.h"
#include "tags/turlbuilder.h"
#include "support/testenv.h"
#include "support/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using ts::test::child;

void expectBuilderFrame(QDialog& d) {
    const Qt::WindowFlags f = d.windowFlags();
    EXPECT_TRUE(f & Qt::CustomizeWindowHint);
    EXPECT_TRUE(f & Qt::WindowTitleHint);
    EXPECT_FALSE(f & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
}

class HeadingDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        size = child<QLineEdit>(dlg, "eHeadSize");
        text = child<QLineEdit>(dlg, "eHeadText");
        upDown = child<TUpDown>(dlg, "UpDown1");
        ASSERT_TRUE(size && text && upDown);
    }
    void up(int n = 1) {
        for (int i = 0; i < n; ++i) QTest::mouseClick(upDown->upButton(), Qt::LeftButton);
    }
    void down(int n = 1) {
        for (int i = 0; i < n; ++i) QTest::mouseClick(upDown->downButton(), Qt::LeftButton);
    }

    THeading dlg;
    QLineEdit* size = nullptr;
    QLineEdit* text = nullptr;
    TUpDown* upDown = nullptr;
};

TEST_F(HeadingDialog, StartsAtSizeOneWithNoText) {
    EXPECT_EQ(dlg.windowTitle(), "Heading");
    expectBuilderFrame(dlg);
    EXPECT_EQ(size->text(), "1");
    EXPECT_TRUE(size->isReadOnly());
    EXPECT_EQ(text->text(), "");
    EXPECT_EQ(upDown->position(), 1);
    EXPECT_EQ(child<QPushButton>(dlg, "bbCancel")->text(), "Cancel");
    // OK before any change gives the empty first-level heading.
    EXPECT_EQ(dlg.headingText(), "<H1></H1>");
}

TEST_F(HeadingDialog, LabelsLeadToTheirFields) {
    auto labels = dlg.findChildren<QLabel*>();
    QStringList seen;
    for (QLabel* l : labels) {
        seen << l->text();
        if (l->text() == "&Size :") {
            EXPECT_EQ(l->buddy(), size);
        }
        if (l->text() == "&Text :") {
            EXPECT_EQ(l->buddy(), text);
        }
    }
    EXPECT_TRUE(seen.contains("&Size :"));
    EXPECT_TRUE(seen.contains("&Text :"));
}

TEST_F(HeadingDialog, UpDownStopsAtSixWithoutWrapping) {
    up(4);
    EXPECT_EQ(size->text(), "5");
    up(3);
    EXPECT_EQ(size->text(), "6");
    EXPECT_EQ(upDown->position(), 6);
    down(7);
    EXPECT_EQ(size->text(), "1");
    EXPECT_EQ(upDown->position(), 1);
}

TEST_F(HeadingDialog, ArrowKeysInTheSizeFieldStepToo) {
    size->setFocus();
    QTest::keyClick(size, Qt::Key_Up);
    QTest::keyClick(size, Qt::Key_Up);
    EXPECT_EQ(size->text(), "3");
    QTest::keyClick(size, Qt::Key_Down);
    EXPECT_EQ(size->text(), "2");
    // Typing into the read-only field changes nothing.
    QTest::keyClicks(size, "9");
    EXPECT_EQ(size->text(), "2");
}

TEST_F(HeadingDialog, ResultFollowsBothFields) {
    up();
    QTest::keyClicks(text, "Welcome");
    EXPECT_EQ(dlg.headingText(), "<H2>Welcome</H2>");
    up(2);
    EXPECT_EQ(dlg.headingText(), "<H4>Welcome</H4>");
}

TEST_F(HeadingDialog, TextTypedAndErasedGivesAnEmptyHeading) {
    QTest::keyClicks(text, "abc");
    for (int i = 0; i < 3; ++i) QTest::keyClick(text, Qt::Key_Backspace);
    EXPECT_EQ(dlg.headingText(), "<H1></H1>");
}

TEST_F(HeadingDialog, OkAccepts) {
    QTest::keyClicks(text, "<x&y>");
    QTest::mouseClick(child<QPushButton>(dlg, "bbOK"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.headingText(), "<H1><x&y></H1>");
}

TEST_F(HeadingDialog, CancelAndEscapeReject) {
    QTest::mouseClick(child<QPushButton>(dlg, "bbCancel"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.isVisible());

    THeading other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_EQ(other.result(), QDialog::Rejected);
}

TEST_F(HeadingDialog, EnterInTheTextFieldIsOk) {
    QTest::keyClicks(text, "Hi");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.headingText(), "<H1>Hi</H1>");
}

class RuleDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        height = child<QLineEdit>(dlg, "eHRHeight");
        ASSERT_TRUE(height);
    }
    THR dlg;
    QLineEdit* height = nullptr;
};

TEST_F(RuleDialog, StartsWithHeightOne) {
    EXPECT_EQ(dlg.windowTitle(), "Horizontal Rule");
    expectBuilderFrame(dlg);
    EXPECT_EQ(height->text(), "1");
    EXPECT_EQ(child<QPushButton>(dlg, "bbCancel")->text(), "Cancel");
    bool labelled = false;
    for (QLabel* l : dlg.findChildren<QLabel*>())
        if (l->text() == "&Height :") labelled = l->buddy() == height;
    EXPECT_TRUE(labelled);
}

TEST_F(RuleDialog, OkStoresTheHeightAsTyped) {
    height->clear();
    QTest::keyClicks(height, "4");
    QTest::mouseClick(child<QPushButton>(dlg, "bbOK"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.heightText(), "4");
    EXPECT_EQ(dlg.ruleText(), "<HR SIZE=4>");
}

TEST_F(RuleDialog, EmptyAndOddHeightsAreNotChecked) {
    height->clear();
    QTest::mouseClick(child<QPushButton>(dlg, "bbOK"), Qt::LeftButton);
    EXPECT_EQ(dlg.ruleText(), "<HR SIZE=>");

    THR other;
    other.show();
    auto* h = child<QLineEdit>(other, "eHRHeight");
    h->clear();
    QTest::keyClicks(h, " abc ");
    QTest::keyClick(h, Qt::Key_Return);
    EXPECT_EQ(other.result(), QDialog::Accepted);
    EXPECT_EQ(other.ruleText(), "<HR SIZE= abc >");
}

TEST_F(RuleDialog, CancelKeepsNoResult) {
    QTest::keyClicks(height, "7");
    QTest::mouseClick(child<QPushButton>(dlg, "bbCancel"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.ruleText(), "");
}

TEST(UpDown, RangeClampsAndWrapIsOptional) {
    TUpDown u;
    QLineEdit e;
    u.setRange(1, 3);
    u.setAssociate(&e);
    EXPECT_EQ(e.text(), "1");
    u.setPosition(10);
    EXPECT_EQ(u.position(), 3);
    u.stepUp();
    EXPECT_EQ(u.position(), 3);
    u.setWrap(true);
    u.stepUp();
    EXPECT_EQ(u.position(), 1);
    u.stepDown();
    EXPECT_EQ(u.position(), 3);
    EXPECT_EQ(e.text(), "3");
}

// Every field of every builder, grid cells included, takes a pasted text
// longer than Qt's default limit of 32,767 characters whole.
TEST(BuilderFields, TakeLongPastedTextsWhole) {
    ts::test::ScopedPlatform platform; // the count fields report a text that is no number
    const QString pasted(40000, QLatin1Char('x'));
    QApplication::clipboard()->setText(pasted);
    auto paste = [&](QLineEdit* field, const QString& where) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field->text().size(), pasted.size()) << where.toStdString();
    };
    const std::function<std::unique_ptr<QDialog>()> builders[] = {
        [] { return std::make_unique<TAnchor>(); },     [] { return std::make_unique<TImg>(); },
        [] { return std::make_unique<TURLBuilder>(); }, [] { return std::make_unique<TQuickDoc>(); },
        [] { return std::make_unique<TQuickFont>(); },  [] { return std::make_unique<TColorMixer>(); },
        [] { return std::make_unique<TTableEdit>(); },  [] { return std::make_unique<TTab>(); },
        [] { return std::make_unique<TTabCaption>(); }, [] { return std::make_unique<TFormHeader>(); },
        [] { return std::make_unique<TQuickForm>(); },  [] { return std::make_unique<TQFTB>(); },
        [] { return std::make_unique<TQFHT>(); },       [] { return std::make_unique<TQFTA>(); },
        [] { return std::make_unique<TQFCB>(); },       [] { return std::make_unique<TQFRB>(); },
        [] { return std::make_unique<TQFDD>(); },       [] { return std::make_unique<TQFSUB>(); },
        [] { return std::make_unique<TQFRES>(); },      [] { return std::make_unique<TFrameSet>(); },
        [] { return std::make_unique<TFrame>(); },      [] { return std::make_unique<TNoFrames>(); },
        [] { return std::make_unique<THeading>(); },    [] { return std::make_unique<THR>(); },
        [] { return std::make_unique<TParty>(); },      [] { return std::make_unique<TImgGal>(); },
    };
    int fields = 0;
    for (const auto& make : builders) {
        const std::unique_ptr<QDialog> dlg = make();
        dlg->show();
        for (QLineEdit* field : dlg->findChildren<QLineEdit*>()) {
            if (!field->isEnabled() || field->isReadOnly()) continue;
            paste(field, dlg->objectName() + '.' + field->objectName());
            ++fields;
        }
        for (QTableWidget* grid : dlg->findChildren<QTableWidget*>()) {
            grid->setCurrentCell(0, 0);
            grid->edit(grid->currentIndex());
            auto* cell = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
            ASSERT_NE(cell, nullptr) << dlg->objectName().toStdString();
            paste(cell, dlg->objectName() + '.' + grid->objectName());
            ++fields;
        }
    }
    EXPECT_GT(fields, 60);
}

} // namespace
