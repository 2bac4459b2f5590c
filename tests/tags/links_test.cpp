#include "tags/turlbuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Acts on the modal dialog that the next exec() opens.
void onNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

void click(QWidget* dlg, const char* button) { child<QAbstractButton>(dlg, button)->click(); }

// The buddy of the label with this caption, or null.
QWidget* buddyOf(QWidget* dlg, const QString& caption) {
    for (QLabel* l : dlg->findChildren<QLabel*>())
        if (l->text() == caption) return l->buddy();
    return nullptr;
}

TEST(ComposeURL, PartsJoinedWithTwoSlashesWhateverTheScheme) {
    const struct {
        ts::TURLParts parts;
        const char* url;
    } cases[] = {
        {{"http://", "www.a.de", "docs", "index.htm"}, "http://www.a.de/docs/index.htm"},
        {{"http://", "", "", ""}, "http:////"},
        {{"mailto:", "joe@a.de", "", ""}, "mailto:joe@a.de//"},
        {{"ftp://", "h/", "/p/", "/f"}, "ftp://h///p///f"},   // no slash doubled or removed
        {{" x ", " s ", " p ", " f "}, " x  s / p / f "},       // nothing trimmed
        {{"", "", "", ""}, "//"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(ts::composeURL(c.parts), QString::fromLatin1(c.url));
    }
}

class URLBuilderDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        scheme = child<QComboBox>(&dlg, "cbURL");
        server = child<QLineEdit>(&dlg, "eServer");
        path = child<QLineEdit>(&dlg, "ePath");
        file = child<QLineEdit>(&dlg, "eFile");
        shown = child<QLineEdit>(&dlg, "eURL");
        ASSERT_TRUE(scheme && server && path && file && shown);
    }
    TURLBuilder dlg;
    QComboBox* scheme = nullptr;
    QLineEdit *server = nullptr, *path = nullptr, *file = nullptr, *shown = nullptr;
};

TEST_F(URLBuilderDialog, ShowsTheEmptyURLButHoldsNoResultYet) {
    EXPECT_EQ(dlg.objectName(), "TURLBuilder");
    EXPECT_EQ(dlg.windowTitle(), "URL Builder");
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_TRUE(scheme->isEditable());
    QStringList items;
    for (int i = 0; i < scheme->count(); ++i) items << scheme->itemText(i);
    EXPECT_EQ(items, QStringList({"http://", "ftp://", "gopher://", "mailto:"}));
    EXPECT_EQ(scheme->currentText(), "http://");
    EXPECT_EQ(shown->text(), "http:////");
    EXPECT_FALSE(shown->isEnabled());
    EXPECT_TRUE(shown->isReadOnly());
    EXPECT_EQ(dlg.url(), "");
    EXPECT_EQ(buddyOf(&dlg, "&Type of URL :"), scheme);
    EXPECT_EQ(buddyOf(&dlg, "&Server :"), server);
    EXPECT_EQ(buddyOf(&dlg, "&Path :"), path);
    EXPECT_EQ(buddyOf(&dlg, "&File :"), file);
    EXPECT_EQ(child<QPushButton>(&dlg, "bbCancel")->text(), "Cancel");
}

TEST_F(URLBuilderDialog, EveryFieldRecomposesAsTyped) {
    QTest::keyClicks(server, "www.a.de");
    EXPECT_EQ(dlg.url(), "http://www.a.de//");
    QTest::keyClicks(path, "docs");
    QTest::keyClicks(file, "i.htm");
    EXPECT_EQ(dlg.url(), "http://www.a.de/docs/i.htm");
    EXPECT_EQ(shown->text(), dlg.url());
    scheme->setCurrentIndex(1);
    EXPECT_EQ(dlg.url(), "ftp://www.a.de/docs/i.htm");
    // The scheme may be typed as well.
    scheme->lineEdit()->selectAll();
    QTest::keyClicks(scheme->lineEdit(), "news:");
    EXPECT_EQ(dlg.url(), "news:www.a.de/docs/i.htm");
    EXPECT_EQ(shown->text(), dlg.url());
}

TEST_F(URLBuilderDialog, MailtoKeepsItsSlashes) {
    scheme->setCurrentIndex(3);
    QTest::keyClicks(server, "joe@a.de");
    EXPECT_EQ(dlg.url(), "mailto:joe@a.de//");
}

TEST(ChooseURL, OkGivesTheURLAndCancelGivesNothing) {
    QWidget owner;
    onNextModal([](QWidget* d) {
        EXPECT_EQ(d->objectName(), "TURLBuilder");
        QTest::keyClicks(child<QLineEdit>(d, "eServer"), "host");
        QTest::keyClicks(child<QLineEdit>(d, "eFile"), "f.gif");
        click(d, "bbOK");
    });
    EXPECT_EQ(ts::chooseURL(&owner), std::optional<QString>("http://host//f.gif"));

    onNextModal([](QWidget* d) {
        QTest::keyClicks(child<QLineEdit>(d, "eServer"), "host");
        click(d, "bbCancel");
    });
    EXPECT_EQ(ts::chooseURL(&owner), std::nullopt);

    // OK before any change returns an empty URL, not the one shown.
    onNextModal([](QWidget* d) { click(d, "bbOK"); });
    EXPECT_EQ(ts::chooseURL(&owner), std::optional<QString>(""));
}

} // namespace
