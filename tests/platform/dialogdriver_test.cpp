#include "support/dialogdriver.h"

#include <QDialog>
#include <QPushButton>
#include <functional>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using ts::test::click;
using ts::test::DialogDriver;

// A dialog with an "ok" button, and an "open" button that runs opens.
struct Dialog : QDialog {
    explicit Dialog(const char* name, std::function<void()> opens = {}) {
        setObjectName(QString::fromLatin1(name));
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("ok"));
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        auto* open = new QPushButton(QStringLiteral("Open"), this);
        open->setObjectName(QStringLiteral("open"));
        connect(open, &QPushButton::clicked, this, [opens = std::move(opens)] {
            if (opens) opens();
        });
    }
};

TEST(DialogDriver, AnswersADialogThatAnAnswerOpens) {
    DialogDriver dialogs;
    int inner = -1;
    dialogs.expect("Outer", [&](QDialog& d) {
        dialogs.expect("Inner", [](QDialog& i) { click(i, "ok"); });
        click(d, "open");
        click(d, "ok");
    });
    EXPECT_EQ(Dialog("Outer", [&] { inner = Dialog("Inner").exec(); }).exec(), QDialog::Accepted);
    dialogs.done();
    EXPECT_EQ(inner, QDialog::Accepted);
}

// The command did nothing: the test fails, at done(), at the driver's end, or
// at the end of the answer that should have opened it.
TEST(DialogDriver, FailsWhenAnExpectedDialogNeverOpens) {
    DialogDriver dialogs(50);
    EXPECT_NONFATAL_FAILURE(
        {
            dialogs.expect("Never", [](QDialog& d) { click(d, "ok"); });
            dialogs.done();
        },
        "dialog Never never opened");
    EXPECT_NONFATAL_FAILURE(
        {
            DialogDriver scoped(50);
            scoped.expect("Never", [](QDialog& d) { click(d, "ok"); });
        },
        "dialog Never never opened");
    EXPECT_NONFATAL_FAILURE(
        {
            dialogs.expect("Outer", [&](QDialog& d) {
                dialogs.expect("Inner", [](QDialog& i) { click(i, "ok"); });
                click(d, "ok");
            });
            Dialog("Outer").exec();
            dialogs.done();
        },
        "dialog Inner did not open while Outer was answered");
}

TEST(DialogDriver, RejectsAModalDialogNobodyExpects) {
    DialogDriver dialogs;
    int result = -1;
    EXPECT_NONFATAL_FAILURE(result = Dialog("Stray").exec(), "unexpected modal dialog Stray");
    EXPECT_EQ(result, QDialog::Rejected);

    dialogs.expect("Wanted", [](QDialog& d) { click(d, "ok"); });
    EXPECT_NONFATAL_FAILURE(result = Dialog("Other").exec(), "expected dialog Wanted, but Other opened");
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Dialog("Wanted").exec(), QDialog::Accepted);
    dialogs.done();
}

} // namespace
