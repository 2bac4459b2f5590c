#include "app/tmain.h"
#include "dialogs/tabout.h"
#include "dialogs/tuploadftp.h"
#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/filebrowser.h"
#include "support/widgets.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

using ts::test::child;
using ts::test::click;

TEST(About, ShowsNameVersionAndReleaseAndClosesWithOk) {
    ts::test::ScopedPlatform platform;
    ts::test::FreshRegistry registry;
    TMain main;
    QAction* about = main.findChild<QAction*>(QStringLiteral("miAbout"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isEnabled());
    ts::test::DialogDriver dialogs;
    dialogs.expect<TAbout>("TAbout", [&](TAbout& dlg) {
        EXPECT_EQ(dlg.objectName(), "TAbout");
        EXPECT_EQ(dlg.windowTitle(), "About Tagsmith");
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowSystemMenuHint);
        QLabel* title = child<QLabel>(dlg, "Label1");
        EXPECT_EQ(title->text(), "Tagsmith V1.1");
        EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(Qt::blue));
        EXPECT_EQ(child<QLabel>(dlg, "lbRelease")->text(), "Release : ABF5EB");
        EXPECT_TRUE(child<QPushButton>(dlg, "bbOK")->isDefault());
        click(dlg, "bbOK");
    });
    about->trigger();
    dialogs.done();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A folder with files, and a sub-folder with one more.
struct Site {
    Site() {
        QDir(dir.path()).mkpath(QStringLiteral("img"));
        for (const char* name : {"a.htm", "b.gif", "img/c.gif", "img/d.jpg", "e"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    QString path(const char* sub = "") const { return QDir(dir.filePath(QString::fromLatin1(sub))).absolutePath(); }
    QTemporaryDir dir;
};

void select(QListWidget* list, const QString& name) {
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    list->setCurrentItem(items.first());
}

TEST(UploadList, DropsFromTwoFoldersListFullPathsInOrderButNoNameTwice) {
    Site site;
    ts::test::ScopedPlatform platform;
    TUploadFTP dlg;
    EXPECT_EQ(dlg.objectName(), "TUploadFTP");
    EXPECT_EQ(dlg.windowTitle(), "Upload to FTP-site");
    EXPECT_FALSE(child<QPushButton>(dlg, "sbUploadFiles")->isEnabled());
    auto* files = child<QListWidget>(dlg, "flFile");
    auto* list = child<QListWidget>(dlg, "lbFiles");

    // Nothing selected: nothing added.
    dlg.Browser().SetDirectory(site.path());
    files->setCurrentItem(nullptr);
    dlg.lbFilesDragDrop();
    EXPECT_TRUE(dlg.Files().isEmpty());

    EXPECT_EQ(dlg.Browser().FileNames(), (QStringList{"a.htm", "b.gif", "e"}));
    select(files, QStringLiteral("a.htm"));
    dlg.lbFilesDragDrop();
    dlg.Browser().SetDirectory(site.path("img"));
    EXPECT_EQ(dlg.Browser().FileNames(), (QStringList{"c.gif", "d.jpg"}));
    select(files, QStringLiteral("c.gif"));
    dlg.lbFilesDragDrop();
    EXPECT_TRUE(platform.boxes.shown.empty());
    dlg.lbFilesDragDrop();  // the same file again is refused with a warning
    EXPECT_EQ(platform.boxes.texts(), QStringList{"A file named \"c.gif\" is already in the list: on the server the "
                                                  "second would overwrite the first."});
    EXPECT_EQ(dlg.Files(), (QStringList{site.path() + "/a.htm", site.path("img") + "/c.gif"}));

    // Only the file list is a source the list takes drops from.
    EXPECT_TRUE(dlg.lbFilesDragOver(files));
    EXPECT_FALSE(dlg.lbFilesDragOver(list));
    EXPECT_FALSE(dlg.lbFilesDragOver(nullptr));

    auto* reset = child<QPushButton>(dlg, "sbResetList");
    reset->click();
    EXPECT_EQ(list->count(), 0);
    reset->click();  // on an empty list
    EXPECT_EQ(list->count(), 0);
}

TEST(UploadList, DriveListStartsAtTheRootAndAChosenDriveMovesTheBrowser) {
    const QStringList drives = ts::TFileBrowser::Drives();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.first(), "/");
    TUploadFTP dlg;
    EXPECT_EQ(dlg.Browser().Directory(), QDir::currentPath());
    auto* drive = child<QComboBox>(dlg, "cbDrive");
    EXPECT_EQ(drive->count(), drives.size());
    drive->setCurrentIndex(-1);
    drive->setCurrentIndex(0);
    EXPECT_EQ(dlg.Browser().Directory(), "/");
    EXPECT_EQ(child<QTreeView>(dlg, "dlDir")->currentIndex().data().toString(), "/");
}

TEST(UploadList, OfferedFromTheToolsMenuBelowUserTags) {
    ts::test::ScopedPlatform platform;
    ts::test::FreshRegistry registry;
    TMain main;
    QAction* ftp = main.findChild<QAction*>(QStringLiteral("miFTP"));
    ASSERT_NE(ftp, nullptr);
    EXPECT_EQ(ftp->text(), "&Upload to FTP-site...");
    const QList<QAction*> tools = main.findChild<QMenu*>(QStringLiteral("miTools"))->actions();
    const qsizetype at = tools.indexOf(ftp);
    ASSERT_GE(at, 2);
    EXPECT_EQ(tools[at - 1]->objectName(), "N7");
    EXPECT_TRUE(tools[at - 1]->isSeparator());
    EXPECT_EQ(tools[at - 2]->objectName(), "miUserTags");
    ts::test::DialogDriver dialogs;
    dialogs.expect("TUploadFTP", [](QDialog& dlg) { click(dlg, "bbOK"); });
    ftp->trigger();
    dialogs.done();
}

} // namespace
