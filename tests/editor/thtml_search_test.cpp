#include "editor/tfinddialog.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

struct SearchFixture : ::testing::Test {
    ScopedPlatform platform;
    FreshRegistry registry;
    THTML doc;

    void load(const char* utf8) { doc.RichEdit()->SetDocumentBytes(QByteArray(utf8)); }
    QByteArray text() const {
        const std::string_view v = doc.RichEdit()->DocumentBytes();
        return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
    }
    void select(long from, long to) {
        doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(from), to);
    }
    std::pair<long, long> selection() const {
        return {doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART),
                doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND)};
    }
    template <class T>
    T* control(QWidget* dlg, const char* name) {
        T* w = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void setFind(const QString& what, bool wholeWord = false, bool matchCase = false, bool down = true) {
        QDialog* dlg = doc.FindDialog1();
        control<QLineEdit>(dlg, "eFindText")->setText(what);
        control<QCheckBox>(dlg, "cbWholeWord")->setChecked(wholeWord);
        control<QCheckBox>(dlg, "cbMatchCase")->setChecked(matchCase);
        control<QRadioButton>(dlg, down ? "rbDown" : "rbUp")->setChecked(true);
    }
    void setReplace(const QString& what, const QString& with, bool matchCase = false) {
        QDialog* dlg = doc.ReplaceDialog1();
        control<QLineEdit>(dlg, "eFindText")->setText(what);
        control<QLineEdit>(dlg, "eReplaceText")->setText(with);
        control<QCheckBox>(dlg, "cbMatchCase")->setChecked(matchCase);
    }
    void press(QDialog* dlg, const char* button) { control<QPushButton>(dlg, button)->click(); }
};

} // namespace

TEST_F(SearchFixture, FindNextSelectsTheMatchOrSaysItCannotFindIt) {
    load("cat dog");
    doc.sbSearchClick();
    EXPECT_TRUE(doc.FindDialog1()->isVisible());
    EXPECT_EQ(doc.FindDialog1()->objectName(), QStringLiteral("FindDialog1"));
    setFind(QStringLiteral("dog"), true);
    press(doc.FindDialog1(), "bbFindNext");
    EXPECT_EQ(selection(), std::make_pair(4L, 7L));
    EXPECT_TRUE(platform.boxes.shown.empty());

    // The word at the start position is skipped by a whole-word search.
    select(0, 0);
    setFind(QStringLiteral("cat"), true);
    press(doc.FindDialog1(), "bbFindNext");
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Information);
    EXPECT_EQ(platform.boxes.shown[0].text, QStringLiteral("Cannot find \"cat\"."));
    EXPECT_EQ(selection(), std::make_pair(0L, 0L));
}

TEST_F(SearchFixture, UpwardsAndCaseAndCharacterOffsets) {
    load("abc abc");
    select(4, 7);
    setFind(QStringLiteral("abc"), false, false, false);
    doc.FindNext();
    EXPECT_EQ(selection(), std::make_pair(0L, 3L));

    load("é <html> <HTML>");
    setFind(QStringLiteral("HTML"), false, true);
    doc.FindNext();
    EXPECT_EQ(selection(), std::make_pair(11L, 15L));
    select(0, 0);
    setFind(QStringLiteral("html"), false, false);
    doc.FindNext();
    EXPECT_EQ(selection(), std::make_pair(4L, 8L)); // é is two bytes
}

TEST_F(SearchFixture, F3BeforeAnySearchReportsTheEmptyText) {
    load("anything");
    doc.FindNext();
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].text, QStringLiteral("Cannot find \"\"."));
    EXPECT_FALSE(doc.FindDialog1()->isVisible());
}

TEST_F(SearchFixture, ReplaceReplacesTheSelectionRegardlessOfCaseThenFindsOn) {
    load("abc x ABC");
    select(0, 3);
    doc.sbReplaceClick();
    EXPECT_EQ(doc.ReplaceDialog1()->objectName(), QStringLiteral("ReplaceDialog1"));
    setReplace(QStringLiteral("ABC"), QStringLiteral("z"), true);
    press(doc.ReplaceDialog1(), "bbReplace");
    EXPECT_EQ(text(), QByteArray("z x ABC"));
    EXPECT_EQ(selection(), std::make_pair(4L, 7L));
    press(doc.ReplaceDialog1(), "bbReplace");
    EXPECT_EQ(text(), QByteArray("z x z"));
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].text, QStringLiteral("Cannot find \"ABC\"."));
}

TEST_F(SearchFixture, FirstReplaceWithoutSelectionOnlyFinds) {
    load("one two one");
    setReplace(QStringLiteral("one"), QStringLiteral("1"));
    press(doc.ReplaceDialog1(), "bbReplace");
    EXPECT_EQ(text(), QByteArray("one two one"));
    EXPECT_EQ(selection(), std::make_pair(0L, 3L));
}

TEST_F(SearchFixture, ReplaceAllFromTheMiddleIsOneUndoStepWithoutMessage) {
    load("a b a b a b");
    select(4, 4);
    setReplace(QStringLiteral("a"), QStringLiteral("XY"));
    press(doc.ReplaceDialog1(), "bbReplaceAll");
    EXPECT_EQ(text(), QByteArray("a b XY b XY b"));
    EXPECT_TRUE(platform.boxes.shown.empty());
    EXPECT_EQ(selection(), std::make_pair(11L, 11L));
    EXPECT_EQ(doc.PanelText(1), QStringLiteral("modified..."));
    doc.RichEdit()->undo();
    EXPECT_EQ(text(), QByteArray("a b a b a b"));
}

TEST(SearchDialogs, EachWindowKeepsItsOwnDialogs) {
    ScopedPlatform platform;
    FreshRegistry registry;
    THTML one, two;
    one.RichEdit()->SetDocumentBytes("red green");
    two.RichEdit()->SetDocumentBytes("green red");
    one.FindDialog1()->findChild<QLineEdit*>(QStringLiteral("eFindText"))->setText(QStringLiteral("green"));
    two.FindDialog1()->findChild<QLineEdit*>(QStringLiteral("eFindText"))->setText(QStringLiteral("red"));
    one.FindNext();
    two.FindNext();
    EXPECT_EQ(one.RichEdit()->selectedText(), QStringLiteral("green"));
    EXPECT_EQ(two.RichEdit()->selectedText(), QStringLiteral("red"));
    // Closing and reopening keeps the text.
    one.sbSearchClick();
    one.FindDialog1()->close();
    one.sbSearchClick();
    EXPECT_EQ(one.FindDialog1()->findChild<QLineEdit*>(QStringLiteral("eFindText"))->text(), QStringLiteral("green"));
    EXPECT_NE(one.FindDialog1(), two.FindDialog1());
}
