#include "app/tmain.h"
#include "usertags/tedtag.h"
#include "usertags/tusertags.h"
#include "usertags/usertagbuttons.h"
#include "usertagsfixture.h"
#include "support/widgets.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace ts;
using ts::test::DialogDriver;
using ts::test::storeTag;

namespace {

const QString kVisualChanges = QStringLiteral("Visual changes take effect next time you start Tagsmith.");

using ts::test::child;
using ts::test::click;

QString storedValue(int number, const char* valueName) {
    return std::get<QString>(TQuillonRegistry().ReadValue(hkey::CurrentUser, userTagKeyPath(number),
                                                          QLatin1String(valueName), QStringLiteral("(none)")));
}

QTableWidget& grid(TUserTags& m) { return *child<QTableWidget>(m, "sgUserTags"); }

void selectRow(TUserTags& m, int number) { grid(m).selectRow(number - 1); }

// Types the five texts into the editing dialog about to open and answers it.
void fillEditor(DialogDriver& dialogs, const TUserTag& t, const char* answer) {
    dialogs.expect<TEdTag>("TEdTag", [t, answer](TEdTag& ed) {
        const std::pair<const char*, QString> fields[] = {
            {"eTitle", t.Title}, {"eName", t.Name}, {"eStart", t.StartTag}, {"eEnd", t.EndTag}, {"eHint", t.Hint}};
        for (const auto& [name, text] : fields) {
            auto* e = child<QLineEdit>(ed, name);
            e->selectAll();
            QTest::keyClicks(e, text);
        }
        click(ed, answer);
    });
}

using UserTagManager = ts::test::UserTagsTest;

TEST_F(UserTagManager, ListsTheNineTagsInAGridOfWholeRows) {
    storeTag(1, {"B", "Bold", "<B>", "</B>", ""});
    storeTag(9, {"ABCDEFG", "Last", "", "", ""});
    dialogs.expect<TUserTags>("TUserTags", [&](TUserTags& m) {
        EXPECT_EQ(m.windowTitle(), "User-Tags");
        EXPECT_TRUE(m.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(m.minimumSize(), m.maximumSize());
        QTableWidget& g = grid(m);
        EXPECT_EQ(g.rowCount(), 9);
        EXPECT_EQ(g.columnCount(), 2);
        EXPECT_EQ(g.horizontalHeaderItem(0)->text(), "Title");
        EXPECT_EQ(g.horizontalHeaderItem(1)->text(), "Name");
        EXPECT_FALSE(g.verticalHeader()->isVisible());
        EXPECT_EQ(g.columnWidth(0), 64);
        EXPECT_EQ(g.columnWidth(1), 150);
        EXPECT_TRUE(g.showGrid());
        EXPECT_EQ(g.selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(g.editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(g.currentRow(), 0);
        EXPECT_EQ(g.item(0, 0)->text(), "B");
        EXPECT_EQ(g.item(0, 1)->text(), "Bold");
        EXPECT_EQ(g.item(8, 0)->text(), "ABCD");
        EXPECT_EQ(g.item(4, 1)->text(), "");
        EXPECT_EQ(child<QPushButton>(m, "sbEdit")->text(), "&Edit");
        EXPECT_EQ(child<QPushButton>(m, "sbDelete")->text(), "&Delete");
        EXPECT_TRUE(child<QPushButton>(m, "bbOK")->isDefault());
        // Typing into a cell changes nothing.
        QTest::keyClicks(&g, "zz");
        EXPECT_EQ(g.item(0, 0)->text(), "B");
        QTest::keyClick(&m, Qt::Key_Escape);
    });
    openUserTagManager(nullptr);
    dialogs.done();
    EXPECT_TRUE(platform.boxes.shown.empty());
}

// Every way of closing stores the edit; only OK tells about the buttons.
TEST_F(UserTagManager, EditIsStoredWhicheverWayTheManagerCloses) {
    const std::pair<const char*, bool> closings[] = {{"bbOK", true}, {"bbCancel", false}, {"close box", false}};
    for (const auto& [how, message] : closings) {
        SCOPED_TRACE(how);
        platform.boxes.shown.clear();
        storeTag(3, {"Old", "old", "<O>", "</O>", "o"});
        dialogs.expect<TUserTags>("TUserTags", [this, how = std::string(how)](TUserTags& m) {
            selectRow(m, 3);
            fillEditor(dialogs, {"Cent", "Centre", "<CENTER>", "</CENTER>", "Centres it"}, "bbOK");
            click(m, "sbEdit");
            EXPECT_EQ(grid(m).item(2, 0)->text(), "Cent");
            EXPECT_EQ(grid(m).item(2, 1)->text(), "Centre");
            // Nothing is stored before the manager closes.
            EXPECT_EQ(storedValue(3, "Title"), "Old");
            if (how == "close box") m.close();
            else click(m, how.c_str());
        });
        openUserTagManager(nullptr);
        dialogs.done();
        EXPECT_EQ(storedValue(3, "StartTag"), "<CENTER>");
        EXPECT_EQ(storedValue(3, "Hint"), "Centres it");
        EXPECT_EQ(storedValue(8, "Title"), "");
        EXPECT_EQ(platform.boxes.texts(), message ? QStringList{kVisualChanges} : QStringList{});
    }
}

TEST_F(UserTagManager, CancelledEditAndDeleteAnsweredNoChangeNothing) {
    storeTag(2, {"Two", "second", "<2>", "</2>", ""});
    const TUserTag two{"Two", "second", "<2>", "</2>", ""};
    dialogs.expect<TUserTags>("TUserTags", [&](TUserTags& m) {
        selectRow(m, 2);
        fillEditor(dialogs, {"X", "changed", "", "", ""}, "bbCancel");
        click(m, "sbEdit");
        EXPECT_EQ(grid(m).item(1, 1)->text(), "second");
        EXPECT_EQ(UserTagTable(2), two);

        platform.boxes.answers = {Answer::No};
        click(m, "sbDelete");
        EXPECT_EQ(grid(m).item(1, 0)->text(), "Two");
        EXPECT_EQ(UserTagTable(2), two);

        // A double-click edits the row it hits; Yes then deletes it.
        selectRow(m, 7);
        fillEditor(dialogs, {"Dbl", "double", "", "", ""}, "bbOK");
        QTableWidget& g = grid(m);
        const QPoint cell = g.visualItemRect(g.item(1, 1)).center();
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, cell);
        EXPECT_EQ(UserTagTable(2).Name, "double");
        EXPECT_EQ(UserTagTable(7), TUserTag{});
        platform.boxes.answers = {Answer::Yes};
        click(m, "sbDelete");
        EXPECT_EQ(grid(m).item(1, 0)->text(), "");
        EXPECT_EQ(UserTagTable(2), TUserTag{});
        click(m, "bbCancel");
    });
    openUserTagManager(nullptr);
    dialogs.done();
    EXPECT_EQ(platform.boxes.texts(), (QStringList{"Really delete this tag ??", "Really delete this tag ??"}));
    // Enter keeps the tag.
    for (const auto& box : platform.boxes.shown) EXPECT_EQ(box.preferred, Answer::No);
    EXPECT_EQ(storedValue(2, "Name"), "");
}

TEST_F(UserTagManager, EditDialogShowsTheTagAndTakesFourTitleCharacters) {
    TEdTag ed;
    ed.SetTag({"Ab", "name", "<S>", "</S>", "hint"});
    ed.show();
    EXPECT_EQ(ed.windowTitle(), "Edit User-Tag");
    const std::pair<const char*, const char*> shown[] = {
        {"eTitle", "Ab"}, {"eName", "name"}, {"eStart", "<S>"}, {"eEnd", "</S>"}, {"eHint", "hint"}};
    for (const auto& [name, text] : shown) EXPECT_EQ(child<QLineEdit>(ed, name)->text(), text) << name;
    for (QLabel* l : ed.findChildren<QLabel*>()) {
        if (l->text().startsWith('&')) {
            EXPECT_NE(l->buddy(), nullptr) << l->text().toStdString();
        }
    }

    QLineEdit* title = child<QLineEdit>(ed, "eTitle");
    title->clear();
    QTest::keyClicks(title, "ABCDE");
    EXPECT_EQ(title->text(), "ABCD");
    click(ed, "bbOK");
    EXPECT_EQ(ed.result(), QDialog::Accepted);
    EXPECT_EQ(ed.Tag(), (TUserTag{"ABCD", "name", "<S>", "</S>", "hint"}));
}

TEST_F(UserTagManager, FailedStoreKeepsItOpenUntilTheUserGivesUp) {
    ts::test::ScopedMemoryRegistry memory;
    memory.store.failAllWrites = true;
    bool stillOpen = false;
    dialogs.expect<TUserTags>("TUserTags", [&](TUserTags& m) {
        fillEditor(dialogs, {"New", "", "", "", ""}, "bbOK");
        click(m, "sbEdit");
        platform.boxes.answers = {Answer::No};
        click(m, "bbOK");
        stillOpen = m.isVisible();
        platform.boxes.answers = {Answer::Yes};
        m.close();
    });
    openUserTagManager(nullptr);
    dialogs.done();
    EXPECT_TRUE(stillOpen);
    // Given up: the table is as stored again and no success message follows.
    EXPECT_EQ(UserTagTable(1), TUserTag{});
    const QStringList texts = platform.boxes.texts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], "Konnte Daten für 'Title' nicht setzen");
    EXPECT_EQ(texts[1], "The user tags could not be stored. Close without storing them?");
    EXPECT_EQ(platform.boxes.shown[1].preferred, Answer::No);
    EXPECT_EQ(texts[2], texts[0]);
    EXPECT_FALSE(texts.contains(kVisualChanges));

    // Once writes work again, closing stores.
    memory.store.failAllWrites = false;
    dialogs.expect<TUserTags>("TUserTags", [&](TUserTags& m) {
        fillEditor(dialogs, {"New", "", "", "", ""}, "bbOK");
        click(m, "sbEdit");
        click(m, "bbCancel");
    });
    openUserTagManager(nullptr);
    dialogs.done();
    EXPECT_EQ(storedValue(1, "Title"), "New");
}

TEST_F(UserTagManager, UnreadableStoreReportsAndOpensNothing) {
    TQuillonRegistry().WriteValue(hkey::CurrentUser, userTagKeyPath(4), "Name", int32_t(4));
    openUserTagManager(nullptr);
    EXPECT_EQ(platform.boxes.texts(), QStringList{"Ungültiger Datentyp für 'Name'"});
    // Nothing was written over the stored tags.
    EXPECT_EQ(storedValue(5, "Title"), "(none)");
}

TEST_F(UserTagManager, OpensFromTheToolsMenu) {
    TMain frame;
    QAction* entry = frame.findChild<QAction*>(QStringLiteral("miUserTags"));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isEnabled());
    dialogs.expect<TUserTags>("TUserTags", [](TUserTags& m) { click(m, "bbOK"); });
    entry->trigger();
    dialogs.done();
    EXPECT_EQ(platform.boxes.texts(), QStringList{kVisualChanges});
    EXPECT_EQ(storedValue(9, "Hint"), "");
}

} // namespace
