#include "app/tmain.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "wizard/homepage.h"
#include "wizard/thpwiz.h"

#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

class WizardCommand : public ::testing::Test {
protected:
    void SetUp() override {
        TPrefsRecord prefs;
        prefs.MinDoc = true; // never used for the wizard's page
        prefs.Author = QStringLiteral("Ann Lee");
        prefs.EMail = QStringLiteral("ann@example.org");
        registry.store(prefs);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        action = main.findChild<QAction*>(QStringLiteral("miHPWiz"));
        ASSERT_NE(action, nullptr);
    }
    QByteArray expected(const ts::THomepageValues& v) const {
        const QDateTime now = platform.clock.now();
        const QStringList lines =
            ts::homepageLines(v, platform.clock.shortDate(now.date()), platform.clock.longTime(now.time()));
        return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    }

    ScopedPlatform platform;
    FreshRegistry registry;
    TMain main;
    QAction* action = nullptr;
    ts::test::DialogDriver dialogs;
};

} // namespace

TEST_F(WizardCommand, FinishWithDefaultsWritesTheShortPageIntoANewDocument) {
    EXPECT_TRUE(action->isEnabled());
    dialogs.expect<THPWiz>("THPWiz", [](THPWiz& wiz) {
        wiz.findChild<QPushButton*>(QStringLiteral("bbFinish"))->click();
    });
    action->trigger();
    dialogs.done();

    ASSERT_EQ(main.Documents().size(), 1);
    THTML* doc = main.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->FileName(), untitledName());
    EXPECT_EQ(doc->Caption(), untitledName());
    EXPECT_EQ(doc->LineCount(), 14);
    ts::THomepageValues defaults;
    defaults.eName = QStringLiteral("Ann Lee");
    EXPECT_EQ(ts::test::documentText(*doc->RichEdit()), expected(defaults));
    EXPECT_EQ(doc->PanelText(0), "0:14");
    EXPECT_EQ(doc->PanelText(1), "modified...");
    // The whole page is one undo step, and the window never held the template.
    doc->RichEdit()->undo();
    EXPECT_TRUE(doc->RichEdit()->IsEmpty());
}

TEST_F(WizardCommand, CloseBoxStillWritesWhatTheFieldsHold) {
    dialogs.expect<THPWiz>("THPWiz", [](THPWiz& wiz) {
        QTest::keyClicks(wiz.findChild<QLineEdit*>(QStringLiteral("eTitle")), "My <page>");
        wiz.findChild<QCheckBox*>(QStringLiteral("cbUseAuthor"))->click();
        wiz.findChild<QCheckBox*>(QStringLiteral("cbCenterHead"))->click();
        wiz.close();
    });
    action->trigger();
    dialogs.done();

    ASSERT_EQ(main.Documents().size(), 1);
    THTML* doc = main.ActiveDocument();
    ts::THomepageValues v;
    v.eTitle = QStringLiteral("My <page>");
    v.cbCenterHead = false;
    v.cbUseAuthor = true;
    v.eName = QStringLiteral("Ann Lee");
    v.eEMail = QStringLiteral("ann@example.org");
    EXPECT_EQ(ts::test::documentText(*doc->RichEdit()), expected(v));
    EXPECT_EQ(doc->RichEdit()->GetLine(7), "    <H1>My <page></H1><BR>");
    // The wizard is gone with the command.
    EXPECT_TRUE(main.findChildren<THPWiz*>().isEmpty());
}
