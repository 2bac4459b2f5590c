#include "wizard/thppreview.h"
#include "wizard/thpwiz.h"
#include "tags/turlbuilder.h"

#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

// Remembers the colour the dialog opened on.
class RecordingDialogs : public ts::ScriptedCommonDialogs {
public:
    std::vector<QColor> initials;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override {
        initials.push_back(initial);
        return ScriptedCommonDialogs::color(parent, initial);
    }
};

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        TPrefsRecord prefs;
        prefs.Author = QStringLiteral("Ann Lee");
        prefs.EMail = QStringLiteral("ann@example.org");
        registry.store(prefs);
        ts::setCommonDialogs(&dialogs);
        wiz.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&wiz));
        tabs = get<QTabWidget>("pcHPWizard");
        ASSERT_TRUE(tabs);
    }
    void TearDown() override { ts::setCommonDialogs(nullptr); }

    template <typename T = QWidget>
    T* get(const char* name) {
        T* w = wiz.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Near the left edge: a check box only takes clicks on its box and caption.
    void click(const char* name) {
        QAbstractButton* b = get<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(qMin(8, b->width() / 2), b->height() / 2));
    }
    QString page() { return tabs->currentWidget()->objectName(); }
    // The URL builder about to open: types a server and presses OK, or presses Cancel.
    void answerURLBuilder(const QString& server, bool ok) {
        driver.expect<TURLBuilder>("TURLBuilder", [server, ok](TURLBuilder& builder) {
            QTest::keyClicks(builder.findChild<QLineEdit*>(QStringLiteral("eServer")), server);
            builder.findChild<QPushButton*>(ok ? QStringLiteral("bbOK") : QStringLiteral("bbCancel"))->click();
        });
    }
    QLabel* labelFor(const char* field) {
        for (QLabel* l : wiz.findChildren<QLabel*>())
            if (l->buddy() == get(field)) return l;
        ADD_FAILURE() << "no label for " << field;
        return nullptr;
    }
    // Enabled state of each named control, labels as "label:field".
    std::vector<bool> enabled(std::initializer_list<const char*> names) {
        std::vector<bool> states;
        for (const char* n : names) {
            const QString s = QString::fromLatin1(n);
            QWidget* w = s.startsWith(QLatin1String("label:")) ? labelFor(s.mid(6).toLatin1().constData())
                                                               : get(n);
            states.push_back(w && w->isEnabled());
        }
        return states;
    }

    ScopedPlatform platform;
    FreshRegistry registry;
    RecordingDialogs dialogs;
    THPWiz wiz;
    QTabWidget* tabs = nullptr;
    ts::test::DialogDriver driver;
};

} // namespace

TEST_F(Wizard, PagesCaptionsAndTexts) {
    EXPECT_EQ(wiz.objectName(), "THPWiz");
    EXPECT_EQ(wiz.windowTitle(), "Homepage Wizard");
    const Qt::WindowFlags f = wiz.windowFlags();
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(f & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(f & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(wiz.minimumSize(), wiz.maximumSize());

    const QStringList names{"tsTitle", "tsBackground", "tsPicture", "tsParagraph", "tsLink", "tsContact", "tsFinished"};
    const QStringList captions{"Title", "Background", "Picture", "Paragraph", "Link", "Author Information", "Finished"};
    ASSERT_EQ(tabs->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(tabs->widget(i)->objectName(), names[i]);
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(page(), "tsTitle");

    QStringList texts;
    for (QLabel* l : wiz.findChildren<QLabel*>()) texts << l->text();
    for (const char* t :
         {"Homepage title", "Use the title as a quick description of  your homepage. It is also often used from "
                            "Search-engines to identify your page.",
          "Background", "Picture", "Don't forget : Large pictures take more time  to download !!", "Paragraph",
          "Would you like to add some text to your page ?", "Link",
          "Would you like to add a link to one of your favourite web sites ?", "Author info",
          "It is always good to include your name and your E-Mail address, so that visitors can contact you for "
          "further information about your page.",
          "Finished", "When you press the \"finish-button\" Tagsmith will create your homepage in a second.",
          "Add more text, images and links just as you  want."})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;

    const std::pair<const char*, const char*> labelled[] = {
        {"eTitle", "&Homepage title and also main heading :"}, {"eSecHead", "&Second heading (not necessary) :"},
        {"eColR", "&R :"}, {"eColG", "&G :"}, {"eColB", "&B :"}, {"eImage", "I&mage :"},
        {"eImgCaption", "C&aption :"}, {"eURL", "&Link :"}, {"eDesc", "&Description :"},
        {"eName", "&My name :"}, {"eEMail", "My &E-Mail address :"}};
    for (const auto& [field, text] : labelled) {
        QLabel* l = labelFor(field);
        EXPECT_TRUE(l && l->text() == QString::fromLatin1(text)) << field;
    }
    const std::pair<const char*, const char*> buttons[] = {
        {"cbCenterHead", "&Center headings"}, {"cbRules", "&Insert horizontal rule after heading"},
        {"rbNoBG", "&no background"}, {"rbColorBG", "&Color :"}, {"rbImage", "&Image :"},
        {"cbUsePic", "&I wan't to use a picture :"}, {"cbUseCaption", "My picture should have a &caption :"},
        {"cbCenterPic", "C&enter picture"}, {"cbUseParagraph", "&Yes, include a paragraph :"},
        {"cbUseLink", "&Yes, that's a good idea !"}, {"cbUseAuthor", "&Yes, I want to include this information."},
        {"bbNext1", "&Next"}, {"bbBack6", "&Back"}, {"bbFinish", "Finish"}, {"sbChooseCol", "..."}};
    for (const auto& [name, text] : buttons) EXPECT_EQ(get<QAbstractButton>(name)->text(), text) << name;
    EXPECT_EQ(get("sbChooseCol")->toolTip(), "Choose a color...");
    EXPECT_EQ(get("sbLocateBGImg")->toolTip(), "Locate the image");
    EXPECT_EQ(get("sbLocateImg")->toolTip(), "Locate the image ...");
    EXPECT_EQ(get("sbLocateURL")->toolTip(), "Start the URL-builder");
    EXPECT_TRUE(get<QPushButton>("bbFinish")->isDefault());
}

TEST_F(Wizard, StartState) {
    for (const char* on : {"cbCenterHead", "cbRules", "rbNoBG"}) EXPECT_TRUE(get<QAbstractButton>(on)->isChecked()) << on;
    for (const char* off : {"rbColorBG", "rbImage", "cbUsePic", "cbUseCaption", "cbCenterPic", "cbUseParagraph",
                            "cbUseLink", "cbUseAuthor"})
        EXPECT_FALSE(get<QAbstractButton>(off)->isChecked()) << off;
    for (const char* c : {"eColR", "eColG", "eColB"}) EXPECT_EQ(get<QLineEdit>(c)->text(), "FF");
    EXPECT_EQ(get<QLineEdit>("eTitle")->text(), "");
    const auto disabled = {"label:eColR", "eColR", "eColG", "eColB", "sbChooseCol", "eBGImage", "sbLocateBGImg",
                           "label:eImage", "eImage", "sbLocateImg", "cbUseCaption", "label:eImgCaption",
                           "eImgCaption", "cbCenterPic", "mParagraph", "label:eURL", "eURL", "sbLocateURL",
                           "label:eDesc", "eDesc", "label:eName", "eName", "label:eEMail", "eEMail"};
    EXPECT_EQ(enabled(disabled), std::vector<bool>(disabled.size(), false));
    EXPECT_EQ(enabled({"eTitle", "eSecHead", "cbUsePic", "cbUseParagraph", "cbUseLink", "cbUseAuthor"}),
              std::vector<bool>(6, true));
    // The activation filled the author's fields from the settings.
    EXPECT_EQ(get<QLineEdit>("eName")->text(), "Ann Lee");
    EXPECT_EQ(get<QLineEdit>("eEMail")->text(), "ann@example.org");
}

TEST_F(Wizard, NextAndBackWalkThePagesAndTabsJump) {
    const QStringList order{"tsTitle", "tsBackground", "tsPicture", "tsParagraph", "tsLink", "tsContact", "tsFinished"};
    for (int i = 1; i <= 6; ++i) {
        click(QStringLiteral("bbNext%1").arg(i).toLatin1().constData());
        EXPECT_EQ(page(), order[i]);
    }
    for (int i = 6; i >= 1; --i) {
        click(QStringLiteral("bbBack%1").arg(i).toLatin1().constData());
        EXPECT_EQ(page(), order[i - 1]);
    }
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(4).center());
    EXPECT_EQ(page(), "tsLink");
}

TEST_F(Wizard, BackgroundRadiosSwitchTheirGroups) {
    const auto group = {"label:eColR", "eColR", "label:eColG", "eColG", "label:eColB", "eColB", "sbChooseCol",
                        "eBGImage", "sbLocateBGImg"};
    click("bbNext1");
    click("rbColorBG");
    EXPECT_EQ(enabled(group), (std::vector<bool>{true, true, true, true, true, true, true, false, false}));
    click("rbImage");
    EXPECT_EQ(enabled(group), (std::vector<bool>{false, false, false, false, false, false, false, true, true}));
    // The Picture page is not touched.
    EXPECT_EQ(enabled({"eImage", "sbLocateImg", "cbUseCaption"}), std::vector<bool>(3, false));
    click("rbNoBG");
    EXPECT_EQ(enabled(group), std::vector<bool>(9, false));
}

TEST_F(Wizard, PictureAndCaptionSwitches) {
    const auto controls = {"label:eImage", "eImage", "sbLocateImg", "cbUseCaption", "cbCenterPic",
                           "label:eImgCaption", "eImgCaption"};
    click("bbNext1");
    click("bbNext2");
    click("cbUsePic");
    EXPECT_EQ(enabled(controls), (std::vector<bool>{true, true, true, true, true, false, false}));
    click("cbUseCaption");
    EXPECT_EQ(enabled(controls), std::vector<bool>(7, true));
    EXPECT_EQ(get<QCheckBox>("cbCenterPic")->text(), "C&enter picture and caption");
    click("cbUsePic");
    EXPECT_EQ(enabled(controls), std::vector<bool>(7, false));
    click("cbUsePic");
    // The caption box stays checked, its field waits for it to be clicked again.
    EXPECT_TRUE(get<QCheckBox>("cbUseCaption")->isChecked());
    EXPECT_EQ(enabled(controls), (std::vector<bool>{true, true, true, true, true, false, false}));
    click("cbUseCaption");
    EXPECT_EQ(get<QCheckBox>("cbCenterPic")->text(), "C&enter picture");
    click("cbUseCaption");
    EXPECT_EQ(enabled(controls), std::vector<bool>(7, true));
}

TEST_F(Wizard, ParagraphLinkAndAuthorSwitches) {
    struct Case {
        const char* box;
        const char* pageButton;
        std::initializer_list<const char*> controls;
    };
    const Case cases[] = {
        {"cbUseParagraph", "tsParagraph", {"mParagraph"}},
        {"cbUseLink", "tsLink", {"label:eURL", "eURL", "sbLocateURL", "label:eDesc", "eDesc"}},
        {"cbUseAuthor", "tsContact", {"label:eName", "eName", "label:eEMail", "eEMail"}},
    };
    for (const Case& c : cases) {
        tabs->setCurrentWidget(get(c.pageButton));
        click(c.box);
        EXPECT_EQ(enabled(c.controls), std::vector<bool>(c.controls.size(), true)) << c.box;
        click(c.box);
        EXPECT_EQ(enabled(c.controls), std::vector<bool>(c.controls.size(), false)) << c.box;
    }
}

TEST_F(Wizard, TitlePreviewFollowsCentringAndRules) {
    auto* preview = get<THPPreview>("pvTitle");
    EXPECT_TRUE(preview->headingsCentred());
    EXPECT_TRUE(preview->rulesVisible());
    const QImage before = preview->grab().toImage();
    click("cbCenterHead");
    click("cbRules");
    EXPECT_FALSE(preview->headingsCentred());
    EXPECT_FALSE(preview->rulesVisible());
    EXPECT_NE(preview->grab().toImage(), before);
    click("cbCenterHead");
    EXPECT_TRUE(preview->headingsCentred());
}

TEST_F(Wizard, ChosenColourFillsTheFieldsRedFirst) {
    click("bbNext1");
    click("rbColorBG");
    dialogs.colorAnswers = {QColor(255, 0, 0), QColor(0x12, 0x34, 0xAB), std::nullopt};
    for (int i = 0; i < 3; ++i) click("sbChooseCol");
    // Pure red, then a mixed colour; the cancelled third run changes nothing.
    EXPECT_EQ(get<QLineEdit>("eColR")->text(), "12");
    EXPECT_EQ(get<QLineEdit>("eColG")->text(), "34");
    EXPECT_EQ(get<QLineEdit>("eColB")->text(), "AB");
    EXPECT_EQ(dialogs.initials, (std::vector<QColor>{Qt::black, QColor(255, 0, 0), QColor(0x12, 0x34, 0xAB)}));

    THPWiz other;
    other.show();
    dialogs.colorAnswers = {QColor(255, 0, 0)};
    QTest::mouseClick(other.findChild<QToolButton*>("sbChooseCol"), Qt::LeftButton);
    // Disabled until Color is selected: nothing happened.
    EXPECT_EQ(dialogs.colorCalls, 3);
    other.findChild<QRadioButton*>("rbColorBG")->click();
    QTest::mouseClick(other.findChild<QToolButton*>("sbChooseCol"), Qt::LeftButton);
    EXPECT_EQ(other.values().eColR + other.values().eColG + other.values().eColB, "FF0000");
}

TEST_F(Wizard, ActivationRefillsTheAuthorFields) {
    auto* name = get<QLineEdit>("eName");
    click("cbUseAuthor");
    name->clear();
    QTest::keyClicks(name, "Someone else");
    ts::test::setPreference("EMail", QStringLiteral("new@example.org"));

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(name->text(), "Someone else");
    wiz.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wiz));
    EXPECT_EQ(name->text(), "Ann Lee");
    EXPECT_EQ(get<QLineEdit>("eEMail")->text(), "new@example.org");
}

TEST_F(Wizard, DamagedSettingsAreReportedOnce) {
    ts::test::setPreference("Author", int32_t(7));
    QWidget other;
    for (int i = 0; i < 2; ++i) {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        wiz.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&wiz));
    }
    EXPECT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(get<QLineEdit>("eName")->text(), "Ann Lee");
}

TEST_F(Wizard, EscapeStaysFinishAndCloseBoxEnd) {
    QTest::keyClick(get("eTitle"), Qt::Key_Escape);
    EXPECT_TRUE(wiz.isVisible());
    tabs->setCurrentWidget(get("tsFinished"));
    get("bbBack6")->setFocus();
    QTest::keyClick(&wiz, Qt::Key_Escape);
    EXPECT_TRUE(wiz.isVisible());
    get("bbFinish")->setFocus();
    QTest::keyClick(get("bbFinish"), Qt::Key_Return);
    EXPECT_FALSE(wiz.isVisible());
    EXPECT_EQ(wiz.result(), QDialog::Accepted);

    THPWiz other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    EXPECT_TRUE(other.close());
    EXPECT_EQ(other.result(), QDialog::Rejected);
}

TEST_F(Wizard, ParagraphLinesAsTheBoxShowsThem) {
    tabs->setCurrentWidget(get("tsParagraph"));
    click("cbUseParagraph");
    auto* box = get<QPlainTextEdit>("mParagraph");
    EXPECT_EQ(wiz.paragraphLines(), QStringList{});
    box->setFocus();
    QTest::keyClicks(box, "one");
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, "two");
    EXPECT_EQ(wiz.paragraphLines(), (QStringList{"one", "", "two"}));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(wiz.paragraphLines(), (QStringList{"one", "", "two"}));

    // A long line wraps at the box's width; every piece is a line of its own.
    box->clear();
    const QString words = QStringLiteral("lorem ipsum dolor sit amet ").repeated(8).trimmed();
    QTest::keyClicks(box, words);
    const QStringList pieces = wiz.paragraphLines();
    EXPECT_GT(pieces.size(), 2);
    EXPECT_EQ(pieces.join(QString()), words);
    const QFontMetrics fm(box->font());
    for (const QString& piece : pieces) EXPECT_LE(fm.horizontalAdvance(piece.trimmed()), box->viewport()->width());
    EXPECT_EQ(wiz.values().mParagraph, pieces);
}

TEST_F(Wizard, LocateButtonsFillTheirFieldFromTheURLBuilder) {
    click("cbUsePic");
    click("cbUseLink");
    click("rbImage");
    const std::pair<const char*, const char*> buttons[] = {
        {"sbLocateBGImg", "eBGImage"}, {"sbLocateImg", "eImage"}, {"sbLocateURL", "eURL"}};
    for (const auto& [button, field] : buttons) {
        tabs->setCurrentWidget(get(button)->parentWidget());
        get<QLineEdit>(field)->setText(QStringLiteral("old"));
        // Cancel, and OK with nothing changed in the builder, keep the field.
        for (const auto& [server, ok] : {std::pair{QString::fromLatin1(button), false}, std::pair{QString(), true}}) {
            answerURLBuilder(server, ok);
            click(button);
            driver.done();
            EXPECT_EQ(get<QLineEdit>(field)->text(), "old") << button << (ok ? " OK" : " Cancel");
        }
        answerURLBuilder(QString::fromLatin1(button), true);
        click(button);
        driver.done();
        EXPECT_EQ(get<QLineEdit>(field)->text(), QStringLiteral("http://%1//").arg(QString::fromLatin1(button)));
    }
    // Each button fills only its own field.
    EXPECT_EQ(wiz.values().eURL, "http://sbLocateURL//");
    EXPECT_EQ(wiz.values().eBGImage, "http://sbLocateBGImg//");
}

TEST_F(Wizard, AMegabyteDataURLPastedAsThePictureGoesInWhole) {
    click("cbUsePic");
    tabs->setCurrentWidget(get("eImage")->parentWidget());
    const QString url = QStringLiteral("data:image/png;base64,") + QString(1 << 20, QLatin1Char('Q'));
    QApplication::clipboard()->setText(url);
    QTest::keyClick(get<QLineEdit>("eImage"), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(wiz.values().eImage.size(), url.size());
    EXPECT_TRUE(wiz.values().eImage == url);
}

TEST_F(Wizard, NameFieldIsRefilledWhenTheURLBuilderCloses) {
    click("cbUseAuthor");
    click("cbUseLink");
    auto* name = get<QLineEdit>("eName");
    name->clear();
    QTest::keyClicks(name, "Edited");
    tabs->setCurrentWidget(get("tsLink"));
    answerURLBuilder(QStringLiteral("example.org"), false);
    click("sbLocateURL");
    driver.done();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wiz));
    EXPECT_TRUE(QTest::qWaitFor([&] { return name->text() == QStringLiteral("Ann Lee"); }));
}
