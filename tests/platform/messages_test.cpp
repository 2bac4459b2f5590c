#include "platform/command.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace ts;

TEST(GeneralErrorHandler, ShowsTheFailureTextAndGoesOn) {
    test::ScopedPlatform p;
    EXPECT_FALSE(runCommand(nullptr, [] { throw TError(QStringLiteral("Konnte Daten für 'x' nicht holen")); }));
    EXPECT_FALSE(runCommand(nullptr, [] { throw std::runtime_error("plain failure"); }));
    EXPECT_FALSE(runCommand(nullptr, [] { throw 42; }));
    bool ran = false;
    EXPECT_TRUE(runCommand(nullptr, [&] { ran = true; }));
    EXPECT_TRUE(ran);
    ASSERT_EQ(p.boxes.shown.size(), 3u);
    for (const auto& s : p.boxes.shown) EXPECT_EQ(s.kind, BoxKind::Error);
    EXPECT_EQ(p.boxes.shown[0].text, QStringLiteral("Konnte Daten für 'x' nicht holen"));
    EXPECT_EQ(p.boxes.shown[1].text, QStringLiteral("plain failure"));
}

TEST(ScriptedMessageBoxes, AnswersFromTheQueueThenTheSafeDefault) {
    ScriptedMessageBoxes boxes;
    boxes.answers = {Answer::Yes, Answer::No};
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, "a"), Answer::Yes);
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, "b"), Answer::No);
    EXPECT_EQ(boxes.askYesNoCancel(nullptr, "c"), Answer::Cancel);
    EXPECT_EQ(boxes.askYesNo(nullptr, "d"), Answer::No);
    EXPECT_EQ(boxes.texts(), (QStringList{"a", "b", "c", "d"}));
    // What Enter would answer is recorded.
    boxes.askYesNo(nullptr, "e", Answer::No);
    EXPECT_EQ(boxes.shown[3].preferred, Answer::Yes);
    EXPECT_EQ(boxes.shown[4].preferred, Answer::No);
}

// The real box, answered by pressing one of its buttons.
TEST(QtMessageBoxes, CarryGermanCaptionsAndButtons) {
    QtMessageBoxes real;
    test::DialogDriver dialogs;
    QString caption;
    QStringList labels;
    dialogs.expect<QMessageBox>("QMessageBox", [&](QMessageBox& box) {
        caption = box.windowTitle();
        for (auto* b : box.buttons()) labels << b->text();
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(real.askYesNoCancel(nullptr, "Save ?"), Answer::No);
    dialogs.done();
    EXPECT_EQ(caption, QStringLiteral("Bestätigen"));
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"&Ja", "&Nein", "Abbrechen"}));

    dialogs.expect<QMessageBox>("QMessageBox", [&](QMessageBox& box) {
        caption = box.windowTitle();
        labels = {box.buttons().first()->text()};
        box.buttons().first()->click();
    });
    real.error(nullptr, "broken");
    dialogs.done();
    EXPECT_EQ(caption, QStringLiteral("Fehler"));
    EXPECT_EQ(labels, QStringList{"OK"});
}

TEST(QtMessageBoxes, WarningQuestionHasYesAndNoAndClosingMeansNo) {
    QtMessageBoxes real;
    test::DialogDriver dialogs;
    QString caption;
    QStringList labels;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    dialogs.expect<QMessageBox>("QMessageBox", [&](QMessageBox& box) {
        caption = box.windowTitle();
        icon = box.icon();
        for (auto* b : box.buttons()) labels << b->text();
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(real.warnYesNo(nullptr, "Delete ?"), Answer::Yes);
    dialogs.done();
    EXPECT_EQ(caption, QStringLiteral("Warnung"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"&Ja", "&Nein"}));

    dialogs.expect("QMessageBox", [](QDialog& box) { box.reject(); });
    EXPECT_EQ(real.warnYesNo(nullptr, "Delete ?"), Answer::No);
    dialogs.done();
}

// Enter presses the preferred button: No where Yes would throw away the user's text.
TEST(QtMessageBoxes, EnterGivesThePreferredAnswer) {
    QtMessageBoxes real;
    const struct {
        const char* what;
        std::function<Answer()> ask;
        Answer enter;
    } cases[] = {
        {"askYesNo", [&] { return real.askYesNo(nullptr, "Save as UTF-8?"); }, Answer::Yes},
        {"askYesNo preferring No", [&] { return real.askYesNo(nullptr, "Reload?", Answer::No); }, Answer::No},
        {"warnYesNo", [&] { return real.warnYesNo(nullptr, "Delete?"); }, Answer::No},
        {"askYesNoCancel", [&] { return real.askYesNoCancel(nullptr, "Save ?"); }, Answer::Yes},
    };
    for (const auto& c : cases) {
        test::DialogDriver dialogs;
        dialogs.expect("QMessageBox", [](QDialog& box) { QTest::keyClick(&box, Qt::Key_Return); });
        EXPECT_EQ(c.ask(), c.enter) << c.what;
        dialogs.done();
    }
}
