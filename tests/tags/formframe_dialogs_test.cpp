#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/commands.h"
#include "tags/tformheader.h"
#include "tags/tframe.h"
#include "tags/tframeset.h"
#include "tags/tnoframes.h"
#include "tags/tqfdialogs.h"
#include "tags/tquickform.h"
#include "tags/tupdown.h"
#include "commandfixture.h"
#include "support/printers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>


namespace {

using ts::test::child;
using ts::test::click;

class FormFrameButtons : public ts::test::TagCommandFixture {
protected:
    QString text() const { return QString::fromUtf8(TagCommandFixture::text()); }
    // The lines stand above "abcdef", which stays whole with the caret at its
    // start; one undo takes them all back.
    void expectLines(const QStringList& lines) {
        EXPECT_EQ(text(), "top\r\n" + lines.join("\r\n") + "\r\nabcdef\r\n");
        EXPECT_EQ(e.CaretRow(), 1 + lines.size());
        EXPECT_EQ(e.CaretCol(), 0);
        e.undo();
        EXPECT_EQ(text(), "top\r\nabcdef\r\n");
    }
};

TEST_F(FormFrameButtons, EachFieldButtonWritesWhatItsDialogGathers) {
    const struct {
        const char* button;
        const char* dialog;
        const char* caption;
        QStringList lines;
    } cases[] = {
        {"sbText", "TQFTB", "QuickForm - Text box",
         {R"(<INPUT TYPE="TEXT" NAME="Name" VALUE="Value" SIZE=Size MAXLENGTH=MaxLength><BR>)"}},
        {"sbHiddenText", "TQFHT", "QuickForm - Hidden Text", {R"(<INPUT TYPE="HIDDEN" NAME="Name" VALUE="Value"><BR>)"}},
        {"sbEntry", "TQFTA", "QuickForm - Text Area", {R"(<TEXTAREA NAME="Name" ROWS=Rows COLS=Cols></TEXTAREA><BR>)"}},
        {"sbCheckBox", "TQFCB", "QuickForm - Checkbox", {R"(<INPUT TYPE="CHECKBOX" NAME="Name" VALUE="Value"><BR>)"}},
        {"sbRadioButton", "TQFRB", "QuickForm - Radiobutton", {R"(<INPUT TYPE="RADIO" NAME="Name" VALUE="Value"><BR>)"}},
        {"sbDropDown", "TQFDD", "QuickForm - Dropdown list", {R"(<SELECT NAME="Name">)", "  <OPTION>", "</SELECT><BR>"}},
        {"sbSubmit", "TQFSUB", "QuickForm - Submit button", {R"(<INPUT TYPE="SUBMIT" NAME="Name" VALUE="Value">)"}},
        {"sbReset", "TQFRES", "QuickForm - Reset button", {R"(<INPUT TYPE="RESET" NAME="Name" VALUE="Value">)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        dialogs.expect(c.dialog, [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), c.caption);
            EXPECT_EQ(d.minimumSize(), d.maximumSize());
            // Every label's accelerator leads to the field beside it.
            for (QLabel* l : d.findChildren<QLabel*>()) {
                const QString word = l->text().section(' ', 0, 0).remove('&').remove('.');
                ASSERT_NE(l->buddy(), nullptr) << l->text().toStdString();
                EXPECT_TRUE(l->buddy()->objectName().startsWith("e" + word)) << l->text().toStdString();
            }
            // Each field typed with its own name.
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (!e->isReadOnly() && e->objectName().startsWith('e')) QTest::keyClicks(e, e->objectName().mid(1));
            click(d, "bbOK");
        });
        press(c.button);
        dialogs.done();
        expectLines(c.lines);
    }
}

TEST_F(FormFrameButtons, CancelInAnyDialogWritesNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"sbText", "TQFTB"},          {"sbHiddenText", "TQFHT"}, {"sbEntry", "TQFTA"},   {"sbCheckBox", "TQFCB"},
        {"sbRadioButton", "TQFRB"},   {"sbDropDown", "TQFDD"},   {"sbSubmit", "TQFSUB"}, {"sbReset", "TQFRES"},
        {"SpeedButton2", "TFormHeader"}, {"sbQuickForm", "TFormHeader"}, {"miQuickForm", "TFormHeader"},
        {"sbFrameSet", "TFrameSet"},  {"sbFrame", "TFrame"},     {"sbNoFrames", "TNoFrames"},
    };
    for (const auto& [button, dialog] : cases) {
        SCOPED_TRACE(button);
        dialogs.expect(dialog, [](QDialog& d) {
            // Typed values and Escape: still nothing.
            if (auto* e = d.findChild<QLineEdit*>()) QTest::keyClicks(e, "x");
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        press(button);
        dialogs.done();
        EXPECT_EQ(text(), "top\r\nabcdef\r\n");
        EXPECT_FALSE(e.isUndoAvailable());
    }
}

TEST_F(FormFrameButtons, DropDownGridFollowsItsRowCount) {
    dialogs.expect("TQFDD", [](QDialog& d) {
        auto* rows = child<QLineEdit>(d, "eRows");
        auto* ud = child<TUpDown>(d, "udRows");
        auto* grid = child<QTableWidget>(d, "sgOptions");
        EXPECT_TRUE(rows->isReadOnly());
        for (int i = 0; i < 12; ++i) ud->upButton()->click();
        EXPECT_EQ(rows->text(), "10");
        EXPECT_EQ(grid->rowCount(), 10);
        for (int i = 0; i < 12; ++i) ud->downButton()->click();
        EXPECT_EQ(grid->rowCount(), 1);
        for (int i = 0; i < 3; ++i) ud->upButton()->click();
        grid->setItem(3, 0, new QTableWidgetItem("four"));
        ud->downButton()->click();  // the fourth row goes, and its text with it
        EXPECT_EQ(grid->rowCount(), 3);
        // Typed into the cells: the first ended with Enter, the last still being
        // edited at OK.
        for (auto [row, word] : {std::pair{0, "one"}, std::pair{2, "three"}}) {
            grid->setCurrentCell(row, 0);
            auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
            ASSERT_NE(editor, nullptr);
            QTest::keyClicks(editor, word);
            if (row == 0) QTest::keyClick(editor, Qt::Key_Return);
        }
        click(d, "bbOK");
    });
    press("sbDropDown");
    dialogs.done();
    expectLines({R"(<SELECT NAME="">)", "  <OPTION>one", "  <OPTION>", "  <OPTION>three", "</SELECT><BR>"});
}

TEST_F(FormFrameButtons, FormTagFromTheHeaderDialog) {
    dialogs.expect("TFormHeader", [this](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Form Header");
        auto* method = child<QComboBox>(d, "cbMethod");
        EXPECT_EQ(method->currentText(), "");
        EXPECT_EQ(method->count(), 2);
        EXPECT_EQ(child<QComboBox>(d, "cbEnctype")->itemText(1), "application/x-www-form-urlencoded");
        auto* action = child<QLineEdit>(d, "eAction");
        QTest::keyClicks(action, "old");
        EXPECT_EQ(child<QToolButton>(d, "sbURL")->toolTip(), "Start the URL Builder");
        dialogs.expect("TURLBuilder", [](QDialog& u) {
            QTest::keyClicks(child<QLineEdit>(u, "ePath"), "cgi-bin");
            QTest::keyClicks(child<QLineEdit>(u, "eFile"), "mail");
            click(u, "bbOK");
        });
        click(d, "sbURL");
        EXPECT_EQ(action->text(), "http:///cgi-bin/mail");
        method->setCurrentIndex(1);
        QTest::keyClicks(child<QComboBox>(d, "cbEnctype")->lineEdit(), "text/plain");
        click(d, "bbOK");
    });
    press("SpeedButton2");
    dialogs.done();
    expectLines({R"(<FORM ACTION="http:///cgi-bin/mail" METHOD="post" ENCTYPE="text/plain"></FORM>)"});
}

TEST_F(FormFrameButtons, QuickFormWritesItsListBetweenFormLines) {
    dialogs.expect("TFormHeader", [](QDialog& d) {
        QTest::keyClicks(child<QLineEdit>(d, "eAction"), "a");
        click(d, "bbOK");
    });
    dialogs.expect("TQuickForm", [this](QDialog& d) {
        auto* items = child<QComboBox>(d, "cbItems");
        auto* list = child<QListWidget>(d, "lbItems");
        EXPECT_EQ(items->count(), 8);
        EXPECT_EQ(items->currentIndex(), -1);
        click(d, "bbInsert");
        ASSERT_EQ(platform.boxes.shown.size(), 1u);
        EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
        EXPECT_EQ(platform.boxes.shown[0].text, "No item selected !!");
        EXPECT_EQ(list->count(), 0);

        items->setCurrentIndex(items->findText("reset-button"));
        dialogs.expect("TQFRES", [](QDialog& f) {
            QTest::keyClicks(child<QLineEdit>(f, "eName"), "r");
            click(f, "bbOK");
        });
        click(d, "bbInsert");
        // Still chosen; a cancelled field adds nothing.
        EXPECT_EQ(items->currentText(), "reset-button");
        dialogs.expect("TQFRES", [](QDialog& f) { click(f, "bbCancel"); });
        click(d, "bbInsert");

        items->setCurrentIndex(items->findText("drop-down list"));
        dialogs.expect("TQFDD", [](QDialog& f) {
            child<TUpDown>(f, "udRows")->upButton()->click();
            child<QTableWidget>(f, "sgOptions")->setItem(1, 0, new QTableWidgetItem("b"));
            click(f, "bbOK");
        });
        click(d, "bbInsert");
        EXPECT_EQ(list->count(), 5);
        click(d, "bbOK");
    });
    press("sbQuickForm");
    dialogs.done();
    expectLines({R"(<FORM ACTION="a" METHOD="" ENCTYPE="">)", R"(  <INPUT TYPE="Reset" NAME="r" VALUE="">)",
                 R"(  <SELECT NAME="">)", "    <OPTION>", "    <OPTION>b", "  </SELECT><BR>", "</FORM>"});
    EXPECT_FALSE(e.isUndoAvailable());
}

TEST_F(FormFrameButtons, QuickFormEmptyOrCancelledLeavesAnEmptyForm) {
    for (const char* entry : {"miQuickForm", "sbQuickForm"}) {
        SCOPED_TRACE(entry);
        dialogs.expect("TFormHeader", [](QDialog& d) { click(d, "bbOK"); });
        const bool cancel = entry == std::string("sbQuickForm");
        dialogs.expect("TQuickForm", [this, cancel](QDialog& d) {
            auto* items = child<QComboBox>(d, "cbItems");
            items->setCurrentIndex(items->findText("checkbox"));
            if (cancel) {
                dialogs.expect("TQFCB", [](QDialog& f) { click(f, "bbOK"); });
                click(d, "bbInsert");
            }
            click(d, cancel ? "bbCancel" : "bbOK");
        });
        press(entry);
        dialogs.done();
        expectLines({R"(<FORM ACTION="" METHOD="" ENCTYPE="">)", "</FORM>"});
    }
}

TEST_F(FormFrameButtons, FrameSetWritesTheValuesOfTheShownGroup) {
    auto up = [](QDialog& d, const char* name, int n) {
        for (int i = 0; i < n; ++i) child<TUpDown>(d, name)->upButton()->click();
    };
    dialogs.expect("TFrameSet", [&](QDialog& d) {
        auto* rows = child<QGroupBox>(d, "gbRows");
        auto* cols = child<QGroupBox>(d, "gbCols");
        EXPECT_TRUE(rows->isVisible());
        EXPECT_FALSE(cols->isVisible());
        EXPECT_TRUE(child<QLineEdit>(d, "eRow1")->isReadOnly());
        up(d, "UpDown1", 2);
        up(d, "UpDown2", 3);
        up(d, "UpDown3", 5);
        child<QRadioButton>(d, "rbCols")->click();
        EXPECT_FALSE(rows->isVisible());
        EXPECT_TRUE(cols->isVisible());
        up(d, "UpDown6", 12);
        EXPECT_EQ(child<QLineEdit>(d, "eCol1")->text(), "90");
        child<QRadioButton>(d, "rbRows")->click();
        click(d, "bbOK");
    });
    press("sbFrameSet");
    dialogs.done();
    expectLines({R"(<FRAMESET ROWS="20,30,50,0,0">)"});

    dialogs.expect("TFrameSet", [](QDialog& d) {
        child<QRadioButton>(d, "rbCols")->click();
        click(d, "bbOK");
    });
    press("sbFrameSet");
    dialogs.done();
    expectLines({R"(<FRAMESET Cols="0,0,0,0,0">)"});
}

TEST_F(FormFrameButtons, FrameWritesOnlyWhatWasFilledIn) {
    dialogs.expect("TFrame", [this](QDialog& d) {
        EXPECT_EQ(child<QComboBox>(d, "cbName")->currentText(), "");
        auto* source = child<QLineEdit>(d, "eSource");
        QTest::keyClicks(source, "b.htm");
        // The URL builder's result replaces the source; its Cancel keeps it.
        dialogs.expect("TURLBuilder", [](QDialog& u) {
            QTest::keyClicks(child<QLineEdit>(u, "eServer"), "www.example.org");
            click(u, "bbOK");
        });
        click(d, "sbLocateURL");
        EXPECT_EQ(source->text(), "http://www.example.org//");
        dialogs.expect("TURLBuilder", [](QDialog& u) {
            QTest::keyClicks(child<QLineEdit>(u, "eFile"), "x");
            click(u, "bbCancel");
        });
        click(d, "sbLocateURL");
        EXPECT_EQ(source->text(), "http://www.example.org//");
        source->setText("a.htm");
        click(d, "bbOK");
    });
    press("sbFrame");
    dialogs.done();
    expectLines({"<FRAME SRC=a.htm>"});

    dialogs.expect("TFrame", [](QDialog& d) {
        QTest::keyClicks(child<QLineEdit>(d, "eSource"), "a.htm");
        child<QComboBox>(d, "cbName")->setCurrentIndex(3);
        QTest::keyClicks(child<QComboBox>(d, "cbScrolling")->lineEdit(), "NO");
        child<QCheckBox>(d, "cbNoResize")->click();
        click(d, "bbOK");
    });
    press("sbFrame");
    dialogs.done();
    expectLines({R"(<FRAME SRC=a.htm NAME="_top" SCROLLING=NO NORESIZE>)"});

    dialogs.expect("TFrame", [](QDialog& d) { click(d, "bbOK"); });
    press("sbFrame");
    dialogs.done();
    expectLines({"<FRAME SRC=>"});
}

TEST_F(FormFrameButtons, NoFramesWritesTheMessageLineByLine) {
    dialogs.expect("TNoFrames", [](QDialog& d) {
        EXPECT_EQ(child<QPlainTextEdit>(d, "mMessage")->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_LT(d.minimumSize().width(), d.maximumSize().width());
        click(d, "bbOK");
    });
    press("sbNoFrames");
    dialogs.done();
    expectLines({"<NOFRAMES>", "  <H1><BLINK>Frame-Warning</BLINK></H1>",
                 "  This site needs a <I>Frame</I>-capable Browser.",
                 R"(  You can download <A HREF="home.netscape.com">Netscape Navigator</A> to view this site.)",
                 "</NOFRAMES>"});

    dialogs.expect("TNoFrames", [](QDialog& d) {
        child<QPlainTextEdit>(d, "mMessage")->clear();
        click(d, "bbOK");
    });
    press("sbNoFrames");
    dialogs.done();
    expectLines({"<NOFRAMES>", "</NOFRAMES>"});

    dialogs.expect("TNoFrames", [](QDialog& d) {
        auto* m = child<QPlainTextEdit>(d, "mMessage");
        m->clear();
        QTest::keyClicks(m, QString("a") + QChar(0xA0) + "b");
        QTest::keyClick(m, Qt::Key_Return);
        QTest::keyClick(m, Qt::Key_Return);
        QTest::keyClicks(m, "c");
        click(d, "bbOK");
    });
    press("sbNoFrames");
    dialogs.done();
    expectLines({"<NOFRAMES>", QString("  a") + QChar(0xA0) + "b", "  ", "  c", "</NOFRAMES>"});
}

TEST(FormFrameDialogs, NamedAfterTheirClassWithTheirWindowFrames) {
    QWidget owner;
    const std::unique_ptr<QDialog> dialogs[] = {
        std::make_unique<TQFTB>(&owner),      std::make_unique<TQFHT>(&owner),      std::make_unique<TQFTA>(&owner),
        std::make_unique<TQFCB>(&owner),      std::make_unique<TQFRB>(&owner),      std::make_unique<TQFDD>(&owner),
        std::make_unique<TQFSUB>(&owner),     std::make_unique<TQFRES>(&owner),     std::make_unique<TFormHeader>(&owner),
        std::make_unique<TQuickForm>(&owner), std::make_unique<TFrameSet>(&owner),  std::make_unique<TFrame>(&owner),
        std::make_unique<TNoFrames>(&owner),
    };
    for (const auto& d : dialogs) {
        const QString name = d->objectName();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(name, d->metaObject()->className());
        for (QLabel* l : d->findChildren<QLabel*>())
            if (l->text().contains('&')) {
                EXPECT_NE(l->buddy(), nullptr) << l->text().toStdString();
            }
        const bool closeBox = name == "TQFHT" || name == "TFrameSet" || name == "TFrame" || name == "TNoFrames";
        EXPECT_EQ(bool(d->windowFlags() & Qt::WindowCloseButtonHint), closeBox);
        EXPECT_EQ(d->minimumSize() == d->maximumSize(), name != "TNoFrames");
        // Centred on the screen, except the hidden-text dialog.
        EXPECT_EQ(d->testAttribute(Qt::WA_Moved), name != "TQFHT");
    }
}

} // namespace
