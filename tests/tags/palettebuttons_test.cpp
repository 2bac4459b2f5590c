#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/commands.h"
#include "commandfixture.h"

#include <QAction>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace ts::test;

// What a palette entry shows first: its builder's dialog, the question before
// QuickDocument replaces the page, or nothing when it writes its tag at once.
constexpr const char* kQuestion = "question";
const std::pair<const char*, const char*> kFirstShown[] = {
    {"sbHeading", "THeading"},  {"sbLineBreak", nullptr},      {"sbParagraph", nullptr},
    {"sbHRule", nullptr},       {"sbBold", nullptr},           {"sbItalic", nullptr},
    {"sbUnderline", nullptr},   {"sbPre", nullptr},            {"sbSub", nullptr},
    {"sbSup", nullptr},         {"sbStrong", nullptr},         {"sbEmp", nullptr},
    {"sbTR", nullptr},          {"sbTD", nullptr},             {"sbOrdList", nullptr},
    {"sbUnOrdList", nullptr},   {"sbListItem", nullptr},       {"sbMenuList", nullptr},
    {"sbDirList", nullptr},     {"sbQuickFont", "TQuickFont"}, {"miQuickFont", "TQuickFont"},
    {"sbColorMixer", "TColorMixer"}, {"sbTableEdit", "TTableEdit"}, {"miQuickTable", "TTableEdit"},
    {"sbTable", "TTab"},        {"sbTableCaption", "TTabCaption"}, {"sbParty", "TParty"},
    {"sbImgGallery", "TImgGal"}, {"sbQuickDoc", kQuestion},    {"miQuickDoc", kQuestion},
    {"sbAnchor", "TAnchor"},    {"sbImage", "TImg"},           {"sbQuickForm", "TFormHeader"},
    {"miQuickForm", "TFormHeader"}, {"SpeedButton2", "TFormHeader"}, {"sbText", "TQFTB"},
    {"sbHiddenText", "TQFHT"},  {"sbEntry", "TQFTA"},          {"sbCheckBox", "TQFCB"},
    {"sbRadioButton", "TQFRB"}, {"sbDropDown", "TQFDD"},       {"sbSubmit", "TQFSUB"},
    {"sbReset", "TQFRES"},      {"sbFrameSet", "TFrameSet"},   {"sbFrame", "TFrame"},
    {"sbNoFrames", "TNoFrames"},
};

constexpr const char* kStart = "top\r\nabcdef\r\n";

// A document window with the tag commands, as the frame makes one.
class PaletteButtons : public ::testing::Test {
protected:
    void SetUp() override {
        ts::connectTagCommands(doc);
        load(*doc.RichEdit());
    }
    static void load(TSRichEdit& e) {
        e.SetDocumentBytes(kStart);
        e.SetCaretRow(1);
        e.SetCaretCol(3);
    }
    QByteArray text() const { return documentText(*doc.RichEdit()); }
    // Presses the palette button, or picks the pop-up entry, of that name.
    void press(const char* name) {
        if (QToolButton* b = doc.Palette().button(QString::fromLatin1(name))) b->click();
        else if (QAction* a = doc.Palette().action(QString::fromLatin1(name))) a->trigger();
        else ADD_FAILURE() << "no palette entry " << name;
    }

    ScopedPlatform platform;
    FreshRegistry registry;
    THTML doc;
    DialogDriver dialogs;
};

TEST_F(PaletteButtons, EachTagCommandIsConnectedToItsEnabledButtonOrEntry) {
    QStringList commands;
    for (const ts::TTagCommand& c : ts::tagCommands()) commands << c.objectName;
    ASSERT_EQ(commands.size(), qsizetype(std::size(kFirstShown)));
    for (const auto& [name, shown] : kFirstShown) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(commands.contains(QLatin1String(name)));
        const QToolButton* button = doc.Palette().button(QString::fromLatin1(name));
        const QAction* action = doc.Palette().action(QString::fromLatin1(name));
        ASSERT_TRUE(button || action);
        EXPECT_TRUE(button ? button->isEnabled() : action->isEnabled());
        load(*doc.RichEdit());
        if (!shown) {
            // The button writes what its command writes into a bare editor.
            TSRichEdit bare;
            load(bare);
            QWidget window;
            runTagCommand(name, ts::TEditContext{bare, &window});
            press(name);
            EXPECT_NE(text(), kStart);
            EXPECT_EQ(text(), documentText(bare));
        } else if (shown == kQuestion) {
            press(name);
            ASSERT_FALSE(platform.boxes.shown.empty());
            EXPECT_EQ(platform.boxes.shown.back().text, "Current content will be deleted!! Continue ?");
            platform.boxes.shown.clear();
        } else {
            dialogs.expect(shown, [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
            press(name);
            dialogs.done();
        }
        if (shown) {
            EXPECT_EQ(text(), kStart);
        }
    }
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(PaletteButtons, ABuilderPressRefreshesTheStatusBarAndOneUndoTakesItBack) {
    const auto ok = [](QDialog& d) { click(d, "bbOK"); };
    const struct {
        const char* entry;
        const char* dialog;
        std::function<void(QDialog&)> answer;
    } cases[] = {
        {"sbAnchor", "TAnchor",
         [](QDialog& d) {
             set(d, "eLink", "index.htm");
             click(d, "bbOK");
         }},
        {"sbQuickFont", "TQuickFont", ok},
        {"miQuickFont", "TQuickFont", ok},
        {"sbTable", "TTab", ok},
        {"sbTableCaption", "TTabCaption", ok},
        {"miQuickTable", "TTableEdit", ok},
        {"sbQuickDoc", "TQuickDoc", ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        load(*doc.RichEdit());
        EXPECT_EQ(doc.PanelText(1), "");
        platform.boxes.answers = {ts::Answer::Yes};  // QuickDocument's question
        dialogs.expect(c.dialog, c.answer);
        press(c.entry);
        dialogs.done();
        const TSRichEdit& e = *doc.RichEdit();
        EXPECT_NE(text(), kStart);
        EXPECT_EQ(doc.PanelText(0), QStringLiteral("%1:%2").arg(e.CaretCol()).arg(e.CaretRow()));
        EXPECT_EQ(doc.PanelText(1), "modified...");

        press("sbUndo");
        EXPECT_EQ(text(), kStart);
        EXPECT_EQ(doc.PanelText(1), "");
    }
}

} // namespace
