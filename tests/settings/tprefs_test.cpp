#include "settings/prefslayout.h"
#include "settings/tprefs.h"
#include "support/testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace ts;

namespace {

std::optional<RegData> stored(MemoryRegistryStore& store, const char* name) {
    return store.readValue(hkey::CurrentUser, QLatin1String(findPrefsEntry(QString::fromLatin1(name))->keyPath),
                           QLatin1String(name));
}

// What the store holds after the dialog closed on an empty store.
const std::pair<const char*, RegData> kInitialValues[] = {
    {"Splash", RegData::dword(1)},          {"AppMaxi", RegData::dword(1)},
    {"NewDoc", RegData::dword(0)},          {"DocMaxi", RegData::dword(1)},
    {"MinDoc", RegData::dword(1)},          {"ShowComp", RegData::dword(0)},
    {"TextCol", RegData::dword(0x000000)},  {"BGCol", RegData::dword(0xFFFFFF)},
    {"StdFont", RegData::string("MS Sans Serif")}, {"StdFontSize", RegData::dword(10)},
    {"Text", RegData::dword(0x000000)},     {"Links", RegData::dword(0xFF0000)},
    {"Images", RegData::dword(0x0000FF)},   {"Other", RegData::dword(0x808000)},
    {"ExtBrowser", RegData::string("")},    {"Author", RegData::string("")},
    {"EMail", RegData::string("")},         {"UseNetscapeExt", RegData::dword(0)},
    {"Host", RegData::string("ftp.")},      {"Username", RegData::string("")},
    {"Password", RegData::string("")},      {"InitDir", RegData::string("/")},
};

QStringList fullSaveLog() {
    QStringList log;
    for (const PrefsEntry& e : kPrefsLayout) log << QLatin1String(e.keyPath) + "|" + QLatin1String(e.valueName);
    return log;
}

class PrefsDialog : public ::testing::Test {
public:
    // Creates and shows a dialog, which loads what is stored.
    TPrefs& open() {
        dlg = std::make_unique<TPrefs>();
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return *dlg;
    }
    template <class T>
    T* w(const char* name) {
        T* c = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QLabel* label(const char* name) { return w<QLabel>(name); }
    QColor text(const char* name) { return label(name)->palette().color(QPalette::WindowText); }
    QColor back(const char* name) { return label(name)->palette().color(QPalette::Window); }
    void doubleClick(const char* name) { QTest::mouseDClick(label(name), Qt::LeftButton); }
    void page(const char* name) { w<QTabWidget>("PageControl1")->setCurrentWidget(w<QWidget>(name)); }
    void clickOK() { w<QPushButton>("bbOK")->click(); }
    std::optional<RegData> value(const char* name) { return stored(mem.store, name); }

    test::ScopedPlatform platform;
    test::ScopedMemoryRegistry mem;
    std::unique_ptr<TPrefs> dlg;
};

} // namespace

TEST_F(PrefsDialog, PagesControlsAndInitialStates) {
    open();
    EXPECT_EQ(dlg->objectName(), "TPrefs");
    EXPECT_EQ(dlg->windowTitle(), "Preferences");
    EXPECT_FALSE(dlg->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dlg->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dlg->size(), QSize(385, 406));
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    EXPECT_LE(dlg->layout()->minimumSize().width(), 385); // nothing squeezed
    EXPECT_LE(dlg->layout()->minimumSize().height(), 406);
    EXPECT_EQ(dlg->font().family(), "MS Sans Serif");
    EXPECT_EQ(dlg->font().pointSize(), 10);

    auto* pages = w<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 5);
    const char* names[][2] = {{"General", "General"}, {"Editor", "Editor"}, {"tsMisc", "Misc"},
                              {"tsNetscape", "Netscape"}, {"tsFTP", "FTP"}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), names[i][0]);
        EXPECT_EQ(pages->tabText(i), names[i][1]);
    }
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), w<QCheckBox>("cbAppMaxi"));

    const std::tuple<const char*, const char*, bool, bool> boxes[] = {
        {"cbSplash", "Show &Splash-screen", true, false},
        {"cbAppMaxi", "Start application &maximized", true, true},
        {"cbNewDoc", "Create &new HTML-document", false, true},
        {"cbDocMaxi", "Load document ma&ximized", true, true},
        {"cbMinDoc", "Create new HTML-document with minimal content", true, true},
        {"cbShowComp", "Show &Components-list automatically", false, true},
    };
    for (const auto& [name, caption, checked, enabled] : boxes) {
        auto* b = w<QCheckBox>(name);
        EXPECT_EQ(b->text(), caption);
        EXPECT_EQ(b->isChecked(), checked) << name;
        EXPECT_EQ(b->isEnabled(), enabled) << name;
    }

    const std::tuple<const char*, const char*, QColor, bool> samples[] = {
        {"lbFontName", "Courier New", Qt::black, true}, {"lbTextCol", "Text color", Qt::black, true},
        {"lbBGCol", "Background color", Qt::black, true}, {"lbText", "normal text", Qt::black, false},
        {"lbLinks", "links (a href)", QColor(0, 0, 0xFF), true},
        {"lbImages", "images (img src)", QColor(0xFF, 0, 0), true},
        {"lbOther", "other tags", QColor(0, 0x80, 0x80), true},
    };
    for (const auto& [name, caption, colour, enabled] : samples) {
        EXPECT_EQ(label(name)->text(), caption);
        if (std::string_view(name) != "lbFontName") {
            EXPECT_EQ(text(name), colour) << name;
        }
        EXPECT_EQ(back(name), QColor(Qt::white)) << name;
        EXPECT_EQ(label(name)->isEnabled(), enabled) << name;
    }
    EXPECT_EQ(label("lbFontName")->font().family(), "MS Sans Serif");
    EXPECT_EQ(label("lbFontName")->font().pointSize(), 10);
    EXPECT_TRUE(label("Label4")->isEnabled());
    EXPECT_TRUE(label("Label15")->isEnabled());
    EXPECT_EQ(label("Label10")->text(), "SIZE=4");
    EXPECT_EQ(label("Label10")->palette().color(QPalette::WindowText), QColor(Qt::red));

    EXPECT_EQ(w<QToolButton>("sbLocateBrowser")->toolTip(), "Locate the external browser");
    EXPECT_FALSE(w<QRadioButton>("rbYes")->isChecked());
    EXPECT_TRUE(w<QRadioButton>("rbNo")->isChecked());
    EXPECT_EQ(w<QLineEdit>("ePassword")->echoMode(), QLineEdit::Normal);
    const std::tuple<const char*, const char*, const char*> edits[] = {
        {"Label13", "&Name :", "eAuthorName"}, {"Label14", "&EMail :", "eAuthorEMail"},
        {"Label16", "&Host", "eHost"},         {"Label17", "&Username :", "eUserName"},
        {"Label18", "&Password :", "ePassword"}, {"Label19", "&Inital dir :", "eInitDir"},
    };
    for (const auto& [name, caption, buddy] : edits) {
        EXPECT_EQ(label(name)->text(), caption);
        EXPECT_EQ(label(name)->buddy(), w<QLineEdit>(buddy)) << name;
    }
    EXPECT_EQ(w<QLineEdit>("eHost")->text(), "ftp.");
    EXPECT_EQ(w<QLineEdit>("eInitDir")->text(), "/");
    EXPECT_TRUE(mem.store.writeLog.isEmpty()); // nothing is written while open
}

TEST_F(PrefsDialog, EveryWayOfClosingWritesTheInitialValuesOfAnEmptyStore) {
    const std::pair<const char*, std::function<void(PrefsDialog&)>> closes[] = {
        {"OK", [](PrefsDialog& t) { t.clickOK(); }},
        {"Cancel", [](PrefsDialog& t) { t.w<QPushButton>("bbCancel")->click(); }},
        {"Enter", [](PrefsDialog& t) { QTest::keyClick(t.w<QCheckBox>("cbNewDoc"), Qt::Key_Return); }},
        {"Esc", [](PrefsDialog& t) { QTest::keyClick(t.w<QCheckBox>("cbNewDoc"), Qt::Key_Escape); }},
    };
    for (const auto& [how, close] : closes) {
        mem.store.content = {};
        mem.store.writeLog.clear();
        open();
        close(*this);
        EXPECT_FALSE(dlg->isVisible()) << how;
        EXPECT_EQ(mem.store.writeLog, fullSaveLog()) << how;
        for (const auto& [name, data] : kInitialValues) EXPECT_EQ(value(name), data) << how << " " << name;
    }
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(PrefsDialog, AChosenFontShowsOnTheSampleAndAtTheNextOpening) {
    open();
    page("Editor");
    platform.dialogs.fontAnswers = {std::nullopt, QFont("DejaVu Serif", 14, QFont::Bold)};
    doubleClick("lbFontName"); // cancelled: nothing changes
    EXPECT_EQ(label("lbFontName")->text(), "Courier New");
    EXPECT_EQ(platform.dialogs.fontInitials.back().family(), "MS Sans Serif");
    EXPECT_EQ(platform.dialogs.fontInitials.back().pointSize(), 10);

    doubleClick("lbFontName");
    EXPECT_EQ(platform.dialogs.fontCalls, 2);
    EXPECT_EQ(label("lbFontName")->text(), "DejaVu Serif");
    EXPECT_EQ(label("lbFontName")->font().family(), "DejaVu Serif");
    EXPECT_EQ(label("lbFontName")->font().pointSize(), 14);
    EXPECT_TRUE(label("lbFontName")->font().bold());
    clickOK();
    EXPECT_EQ(value("StdFont"), RegData::string("DejaVu Serif"));
    EXPECT_EQ(value("StdFontSize"), RegData::dword(14));

    open();
    EXPECT_EQ(label("lbFontName")->text(), "DejaVu Serif");
    EXPECT_EQ(label("lbFontName")->font().family(), "DejaVu Serif");
    EXPECT_EQ(label("lbFontName")->font().pointSize(), 14);
    EXPECT_FALSE(label("lbFontName")->font().bold()); // the style is not stored
    const TPrefsRecord r = TPrefsRecord::load();
    EXPECT_EQ(r.StdFont, "DejaVu Serif");
    EXPECT_EQ(r.StdFontSize, 14);
}

TEST_F(PrefsDialog, EditorColoursColourBothSamplesAndTheDialogRemembersTheLastColour) {
    open();
    page("Editor");
    platform.dialogs.colorAnswers = {QColor(Qt::red)};
    doubleClick("lbBGCol");
    EXPECT_EQ(platform.dialogs.colorInitials.back(), QColor(Qt::black));
    for (const char* l : {"lbTextCol", "lbBGCol"}) {
        EXPECT_EQ(back(l), QColor(Qt::red)) << l;
        EXPECT_EQ(text(l), QColor(Qt::black)) << l;
    }
    clickOK();
    EXPECT_EQ(value("BGCol"), RegData::dword(0x0000FF));
    EXPECT_EQ(value("TextCol"), RegData::dword(0));

    open();
    page("Editor");
    EXPECT_EQ(back("lbTextCol"), QColor(Qt::red));
    platform.dialogs.colorAnswers = {QColor(0x12, 0x34, 0x56), std::nullopt};
    doubleClick("lbTextCol");
    EXPECT_EQ(platform.dialogs.colorInitials.back(), QColor(Qt::black)); // a new dialog starts at black
    doubleClick("lbBGCol");                                            // cancelled
    EXPECT_EQ(platform.dialogs.colorInitials.back(), QColor(0x12, 0x34, 0x56));
    for (const char* l : {"lbTextCol", "lbBGCol"}) {
        EXPECT_EQ(text(l), QColor(0x12, 0x34, 0x56)) << l;
        EXPECT_EQ(back(l), QColor(Qt::red)) << l;
    }
    clickOK();
    EXPECT_EQ(value("TextCol"), RegData::dword(0x563412));
    EXPECT_EQ(value("BGCol"), RegData::dword(0x0000FF));
}

TEST_F(PrefsDialog, TagColoursAreChosenOneByOneAndNormalTextStaysFixed) {
    open();
    page("Editor");
    platform.dialogs.colorAnswers = {QColor(0x11, 0x22, 0x33), std::nullopt, QColor(0x44, 0x55, 0x66)};
    doubleClick("lbLinks");
    EXPECT_EQ(platform.dialogs.colorInitials.back(), QColor(Qt::black));
    doubleClick("lbImages"); // cancelled
    EXPECT_EQ(platform.dialogs.colorInitials.back(), QColor(0x11, 0x22, 0x33));
    doubleClick("lbOther");
    const std::size_t asked = platform.dialogs.colorInitials.size();
    doubleClick("lbText"); // disabled: no dialog
    EXPECT_EQ(platform.dialogs.colorInitials.size(), asked);
    const std::pair<const char*, QColor> shown[] = {{"lbLinks", QColor(0x11, 0x22, 0x33)},
                                                    {"lbImages", QColor(0xFF, 0, 0)},
                                                    {"lbOther", QColor(0x44, 0x55, 0x66)},
                                                    {"lbText", QColor(Qt::black)}};
    for (const auto& [name, colour] : shown) {
        EXPECT_EQ(text(name), colour) << name;
        EXPECT_EQ(back(name), QColor(Qt::white)) << name;
    }
    clickOK();
    EXPECT_EQ(value("Links"), RegData::dword(0x332211));
    EXPECT_EQ(value("Images"), RegData::dword(0x0000FF));
    EXPECT_EQ(value("Other"), RegData::dword(0x665544));
    EXPECT_EQ(value("Text"), RegData::dword(0));
}

TEST_F(PrefsDialog, CancelAfterChangingEveryControlWritesTheChanges) {
    open();
    for (const char* b : {"cbSplash", "cbAppMaxi", "cbNewDoc", "cbDocMaxi", "cbMinDoc", "cbShowComp"})
        QTest::mouseClick(w<QCheckBox>(b), Qt::LeftButton);
    platform.dialogs.fontAnswers = {QFont("DejaVu Sans Mono", 12)};
    platform.dialogs.colorAnswers = {QColor(0x10, 0x20, 0x30), QColor(0xF0, 0xE0, 0xD0)};
    page("Editor");
    doubleClick("lbFontName");
    doubleClick("lbTextCol");
    doubleClick("lbBGCol");
    platform.dialogs.executableAnswers = {QString("/opt/web/browser")};
    page("tsMisc");
    w<QToolButton>("sbLocateBrowser")->click();
    const std::pair<const char*, const char*> typed[] = {
        {"eAuthorName", "Jo Ä"}, {"eAuthorEMail", "jo@example.org"}, {"eHost", "example.org"},
        {"eUserName", "jo"},     {"ePassword", "sec ret"},           {"eInitDir", "pub"},
    };
    for (const auto& [edit, keys] : typed) QTest::keyClicks(w<QLineEdit>(edit), QString::fromUtf8(keys));
    page("tsNetscape");
    QTest::mouseClick(w<QRadioButton>("rbYes"), Qt::LeftButton, {}, QPoint(6, 8)); // on the indicator
    EXPECT_FALSE(w<QRadioButton>("rbNo")->isChecked());
    w<QPushButton>("bbCancel")->click();
    EXPECT_EQ(dlg->result(), QDialog::Rejected);

    const TPrefsRecord r = TPrefsRecord::load();
    EXPECT_TRUE(r.Splash); // cannot be toggled
    EXPECT_FALSE(r.AppMaxi);
    EXPECT_TRUE(r.NewDoc);
    EXPECT_FALSE(r.DocMaxi);
    EXPECT_FALSE(r.MinDoc);
    EXPECT_TRUE(r.ShowComp);
    EXPECT_EQ(r.StdFont, "DejaVu Sans Mono");
    EXPECT_EQ(r.StdFontSize, 12);
    EXPECT_EQ(r.TextCol, 0x302010);
    EXPECT_EQ(r.BGCol, 0xD0E0F0);
    EXPECT_EQ(r.ExtBrowser, "/opt/web/browser");
    EXPECT_EQ(r.Author, QString::fromUtf8("Jo Ä"));
    EXPECT_EQ(r.EMail, "jo@example.org");
    EXPECT_TRUE(r.UseNetscapeExt);
    EXPECT_EQ(r.Host, "ftp.example.org");
    EXPECT_EQ(r.Username, "jo");
    EXPECT_EQ(r.Password, "sec ret");
    EXPECT_EQ(r.InitDir, "/pub");
}

TEST_F(PrefsDialog, StoredValuesShowAndGoBackUnchanged) {
    const std::pair<const char*, RegData> values[] = {
        {"Splash", RegData::dword(0)},          {"AppMaxi", RegData::dword(0)},
        {"NewDoc", RegData::dword(2)},          {"DocMaxi", RegData::dword(0)},
        {"MinDoc", RegData::dword(0)},          {"ShowComp", RegData::dword(1)},
        {"TextCol", RegData::dword(0x80000008)}, {"BGCol", RegData::dword(0x00336699)},
        {"StdFont", RegData::string("Courier New")}, {"StdFontSize", RegData::dword(266)},
        {"Text", RegData::dword(0x00010203)},   {"Links", RegData::dword(0x00040506)},
        {"Images", RegData::dword(0x00070809)}, {"Other", RegData::dword(0x000A0B0C)},
        {"ExtBrowser", RegData::string("/usr/bin/firefox")}, {"Author", RegData::string("Ann")},
        {"EMail", RegData::string("ann@example.org")},       {"UseNetscapeExt", RegData::dword(1)},
        {"Host", RegData::string("h")},         {"Username", RegData::string("u")},
        {"Password", RegData::string("p")},     {"InitDir", RegData::string("/d")},
    };
    for (const auto& [name, data] : values)
        mem.store.writeValue(hkey::CurrentUser, QLatin1String(findPrefsEntry(QString::fromLatin1(name))->keyPath),
                             QLatin1String(name), data);
    open();
    EXPECT_TRUE(platform.boxes.shown.empty());
    EXPECT_FALSE(w<QCheckBox>("cbSplash")->isChecked());
    QTest::mouseClick(w<QCheckBox>("cbSplash"), Qt::LeftButton);
    QTest::keyClick(w<QCheckBox>("cbSplash"), Qt::Key_Space);
    EXPECT_FALSE(w<QCheckBox>("cbSplash")->isChecked());
    EXPECT_TRUE(w<QCheckBox>("cbNewDoc")->isChecked());
    EXPECT_EQ(label("lbFontName")->text(), "Courier New");
    EXPECT_EQ(label("lbFontName")->font().family(), "Courier New");
    EXPECT_EQ(label("lbFontName")->font().pointSize(), 266); // the record would have 10
    EXPECT_EQ(TPrefsRecord::load().StdFontSize, 10);
    EXPECT_EQ(text("lbBGCol"), QColor(8, 0, 0));
    EXPECT_EQ(back("lbTextCol"), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(text("lbOther"), QColor(0x0C, 0x0B, 0x0A));
    EXPECT_EQ(w<QLineEdit>("eBrowser")->text(), "/usr/bin/firefox");
    EXPECT_TRUE(w<QRadioButton>("rbYes")->isChecked());
    EXPECT_FALSE(w<QRadioButton>("rbNo")->isChecked());
    EXPECT_EQ(w<QLineEdit>("eInitDir")->text(), "/d");

    clickOK();
    for (const auto& [name, data] : values)
        EXPECT_EQ(value(name), std::string_view(name) == "NewDoc" ? RegData::dword(1) : data) << name;
}

TEST_F(PrefsDialog, AFontSizeThatIsNoSizeLeavesTheSampleAtItsOwn) {
    for (const int32_t size : {0, -5}) {
        mem.store.writeValue(hkey::CurrentUser, kEditorKey, "StdFontSize", RegData::dword(uint32_t(size)));
        open();
        EXPECT_EQ(label("lbFontName")->font().pointSize(), 10) << size;
        clickOK();
        EXPECT_EQ(value("StdFontSize"), RegData::dword(10)) << size;
    }
}

TEST_F(PrefsDialog, AStringWhereADwordIsReadStopsTheLoadAndClosingRepairsIt) {
    test::setPreference("StdFont", QString("Courier New"));
    test::setPreference("StdFontSize", QString("12"));
    test::setPreference("Links", int32_t(0x123456));
    test::setPreference("Author", QString("Ann"));
    open();
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, BoxKind::Error);
    EXPECT_EQ(platform.boxes.shown[0].text, "Ungültiger Datentyp für 'StdFontSize'");
    EXPECT_EQ(QApplication::focusWidget(), w<QCheckBox>("cbAppMaxi"));
    // Loaded up to the failing value, initial states after it.
    EXPECT_EQ(label("lbFontName")->font().family(), "Courier New");
    EXPECT_EQ(label("lbFontName")->font().pointSize(), 10);
    EXPECT_EQ(label("lbFontName")->text(), "Courier New"); // the initial caption
    EXPECT_EQ(text("lbLinks"), QColor(0, 0, 0xFF));
    EXPECT_EQ(w<QLineEdit>("eAuthorName")->text(), "");

    clickOK();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(value("StdFontSize"), RegData::dword(10));
    EXPECT_EQ(value("Links"), RegData::dword(0xFF0000));
    EXPECT_EQ(value("Author"), RegData::string(""));
    EXPECT_EQ(TPrefsRecord::load().StdFontSize, 10);
}

// A store that cannot be written: after the error the user chooses between
// staying (and trying again) and closing without storing.
TEST_F(PrefsDialog, AFailedWriteAsksWhetherToCloseWithoutStoring) {
    const QString question = "The preferences could not be stored. Close without storing them?";
    open();
    QTest::keyClicks(w<QLineEdit>("eAuthorName"), "Jo");
    mem.store.failingWrites = {"Author"};
    platform.boxes.answers = {Answer::No};
    clickOK();
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(platform.boxes.shown.size(), 2u);
    EXPECT_EQ(platform.boxes.shown[0].kind, BoxKind::Error);
    EXPECT_EQ(platform.boxes.shown[0].text, "Konnte Daten für 'Author' nicht setzen");
    EXPECT_EQ(platform.boxes.shown[1].kind, BoxKind::Confirmation);
    EXPECT_EQ(platform.boxes.shown[1].text, question);
    EXPECT_EQ(value("ExtBrowser"), RegData::string(""));
    EXPECT_FALSE(value("EMail").has_value());

    // Closing again repeats the save; once it works nothing is asked.
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(platform.boxes.shown.size(), 4u);
    mem.store.failingWrites.clear();
    mem.store.writeLog.clear();
    clickOK();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(platform.boxes.shown.size(), 4u);
    EXPECT_EQ(mem.store.writeLog, fullSaveLog());
    EXPECT_EQ(value("Author"), RegData::string("Jo"));

    // Yes closes a dialog whose values cannot be stored.
    open();
    mem.store.failingWrites = {"Splash"};
    platform.boxes.answers = {Answer::Yes};
    clickOK();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(platform.boxes.shown.size(), 6u);
    EXPECT_EQ(platform.boxes.shown[5].text, question);
}

TEST_F(PrefsDialog, LocateBrowserPutsTheChosenPathIntoTheEdit) {
    open();
    QTest::keyClicks(w<QLineEdit>("eBrowser"), "/usr/bin/old");
    platform.dialogs.executableAnswers = {std::nullopt, QString("/usr/bin/new browser")};
    w<QToolButton>("sbLocateBrowser")->click();
    EXPECT_EQ(w<QLineEdit>("eBrowser")->text(), "/usr/bin/old");
    EXPECT_EQ(platform.dialogs.lastExecutableCurrent, "/usr/bin/old");
    w<QToolButton>("sbLocateBrowser")->click();
    EXPECT_EQ(platform.dialogs.executableCalls, 2);
    EXPECT_EQ(w<QLineEdit>("eBrowser")->text(), "/usr/bin/new browser");
}

TEST(TPrefsRecordMode, LoadsTheRecordAndLeavesTheControls) {
    test::ScopedMemoryRegistry mem;
    test::setPreference("AppMaxi", false);
    test::setPreference("StdFontSize", int32_t(266));
    TPrefs prefs;
    prefs.LoadSettings(true);
    EXPECT_FALSE(prefs.Record.AppMaxi);
    EXPECT_EQ(prefs.Record.StdFontSize, 10);
    EXPECT_TRUE(prefs.findChild<QCheckBox*>("cbAppMaxi")->isChecked());
    EXPECT_EQ(mem.store.writeLog.size(), 2); // the two set above: no save without a close
}
