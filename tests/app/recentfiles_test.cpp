#include "app/recentfiles.h"
#include "editor/thtml.h"
#include "mainfixture.h"
#include "settings/tquillonregistry.h"

#include <QAction>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct RecentFiles : ts::test::MainWindowTest {
    QMenu* submenu() { return main->findChild<QMenu*>(QStringLiteral("miRecent")); }
    // The entries as File > Recent files shows them; a disabled one in brackets.
    QStringList entries() {
        auto* file = main->findChild<QMenu*>(QStringLiteral("miFile"));
        file->popup(main->mapToGlobal(QPoint(0, 0)));
        QStringList texts;
        for (QAction* a : submenu()->actions()) texts << (a->isEnabled() ? a->text() : u'[' + a->text() + u']');
        file->hide();
        return texts;
    }
    void choose(int entry) {
        entries();
        submenu()->actions().at(entry)->trigger();
    }
    QStringList stored() {
        QStringList values;
        for (int i = 1; i <= 8; ++i)
            values << std::get<QString>(TQuillonRegistry().ReadValue(
                hkey::CurrentUser, QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\Recent"),
                QStringLiteral("File%1").arg(i), QStringLiteral("<none>")));
        return values;
    }
};

} // namespace

TEST_F(RecentFiles, TheLastEightOpenedOrSavedComeNewestFirst) {
    EXPECT_EQ(entries(), QStringList{"[(none)]"});
    QStringList names;
    for (int i = 0; i < 9; ++i) names << QStringLiteral("p%1.html").arg(i);
    names << QStringLiteral("a&b.html");
    for (const QString& name : names) {
        write(name, "x");
        open(name);
    }
    open(QStringLiteral("p3.html"));
    // A new page saved under a name, and File > Open of one already open.
    main->sbNewClick();
    platform.dialogs.saveAnswers = {path(QStringLiteral("saved.html"))};
    main->findChild<QAction*>(QStringLiteral("miSave"))->trigger();
    // A new page saved through the question when its window closes.
    main->sbNewClick();
    QTest::keyClicks(main->ActiveDocument()->RichEdit(), "x");
    platform.boxes.answers = {ts::Answer::Yes};
    platform.dialogs.saveAnswers = {path(QStringLiteral("closed.html"))};
    main->findChild<QMdiArea*>()->activeSubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    platform.boxes.shown.clear();

    const QStringList newest = {"closed.html", "saved.html", "p3.html", "a&b.html",
                                "p8.html",     "p7.html",    "p6.html", "p5.html"};
    QStringList expected, paths;
    for (int i = 0; i < newest.size(); ++i) {
        paths << path(newest[i]);
        expected << QStringLiteral("&%1 ").arg(i + 1) + QString(path(newest[i])).replace(u'&', QStringLiteral("&&"));
    }
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(stored(), paths);
    EXPECT_TRUE(platform.boxes.shown.empty());

    // An entry whose file is open brings that window to the front; another opens its file.
    const qsizetype windows = main->Documents().size();
    choose(5);
    EXPECT_EQ(main->Documents().size(), windows);
    EXPECT_EQ(main->ActiveDocument()->FileName(), path("p7.html"));
    THTML* p6 = nullptr;
    for (THTML* doc : main->Documents())
        if (doc->FileName() == path("p6.html")) p6 = doc;
    ASSERT_NE(p6, nullptr);
    p6->CloseApproved();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    choose(6);
    EXPECT_EQ(main->Documents().size(), windows);
    EXPECT_EQ(main->ActiveDocument()->FileName(), path("p6.html"));
    EXPECT_EQ(main->ActiveDocument()->RichEdit()->GetLine(0), QStringLiteral("x"));
    EXPECT_EQ(stored().mid(0, 3), (QStringList{path("p6.html"), path("p7.html"), path("closed.html")}));
}

TEST_F(RecentFiles, AnEntryWhoseFileIsGoneIsNamedAndLeaves) {
    write(QStringLiteral("gone.html"), "x");
    write(QStringLiteral("kept.html"), "y");
    open(QStringLiteral("gone.html"))->CloseApproved();
    open(QStringLiteral("kept.html"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("gone.html"))));

    choose(1);
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_TRUE(platform.boxes.shown[0].text.contains(path(QStringLiteral("gone.html"))));
    EXPECT_EQ(entries(), QStringList{"&1 " + path(QStringLiteral("kept.html"))});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(main->Documents().size(), 1);
    EXPECT_EQ(main->Documents()[0]->FileName(), path(QStringLiteral("kept.html")));
}

// Two running copies add four pages each at the same moment; none is lost.
TEST_F(RecentFiles, TwoRunningCopiesKeepEachOthersEntries) {
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t copies[2];
    for (int c = 0; c < 2; ++c) {
        copies[c] = ::fork();
        ASSERT_GE(copies[c], 0);
        if (copies[c] == 0) {
            ::close(go[1]);
            char byte;
            while (::read(go[0], &byte, 1) < 0 && errno == EINTR) {
            }
            int rc = 0;
            try {
                for (int i = 0; i < 4; ++i) ts::addRecentFile(path(QStringLiteral("copy%1_%2.html").arg(c).arg(i)));
            } catch (...) {
                rc = 3;
            }
            ::_exit(rc);
        }
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t pid : copies) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const QStringList shown = entries();
    ASSERT_EQ(shown.size(), 8) << shown.join(u'\n').toStdString();
    for (int c = 0; c < 2; ++c) {
        qsizetype before = -1;
        for (int i = 3; i >= 0; --i) {
            const QString file = path(QStringLiteral("copy%1_%2.html").arg(c).arg(i));
            const auto at = shown.indexOf(QRegularExpression(QStringLiteral("^&\\d ") + QRegularExpression::escape(file) + u'$'));
            ASSERT_GE(at, 0) << c << " " << i;
            EXPECT_GT(at, before) << "each copy's own newest first";
            before = at;
        }
    }
}
