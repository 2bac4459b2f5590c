#include "platform/commondialogs.h"
#include "support/dialogdriver.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace ts;

namespace {

void makeFile(const QString& path, QFile::Permissions permissions) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    ASSERT_TRUE(f.setPermissions(permissions));
}

} // namespace

TEST(QtCommonDialogs, TheBrowserDialogShowsFoldersAndExecutablesOnly) {
    QTemporaryDir dir;
    const QFile::Permissions readWrite = QFile::ReadOwner | QFile::WriteOwner;
    makeFile(dir.filePath("browser"), readWrite | QFile::ExeOwner);
    makeFile(dir.filePath("notes.txt"), readWrite);
    makeFile(dir.filePath("setup.exe"), readWrite); // a name is not a permission
    ASSERT_TRUE(QDir(dir.path()).mkdir("bin"));

    QtCommonDialogs real;
    test::DialogDriver dialogs;
    QString title, filter, folder;
    QStringList shown;
    dialogs.expect<QFileDialog>("QFileDialog", [&](QFileDialog& d) {
        title = d.windowTitle();
        filter = d.selectedNameFilter();
        folder = d.directory().absolutePath();
        auto* list = d.findChild<QListView*>("listView");
        ASSERT_NE(list, nullptr);
        // The folder is read in the background: the list is whole once all
        // four entries are in, each with what the filter asks of it.
        auto* files = d.findChild<QFileSystemModel*>();
        ASSERT_NE(files, nullptr);
        EXPECT_TRUE(test::waitFor([&] {
            const QModelIndex at = files->index(folder);
            if (files->rowCount(at) != 4) return false;
            for (int r = 0; r < 4; ++r)
                if (!files->fileInfo(files->index(r, 0, at)).exists()) return false;
            return true;
        }));
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            shown << list->model()->index(r, 0, list->rootIndex()).data().toString();
        auto* name = d.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->clear();
        QTest::keyClicks(name, "browser");
        QTest::keyClick(name, Qt::Key_Return);
    });
    const std::optional<QString> chosen = real.executableFileName(nullptr, dir.filePath("notes.txt"));
    dialogs.done();
    EXPECT_EQ(title, "Locate the external browser");
    EXPECT_EQ(filter, "All executables"); // the pattern is not shown
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"bin", "browser"}));
    EXPECT_EQ(chosen, QDir(dir.path()).absoluteFilePath("browser"));

    dialogs.expect("QFileDialog", [](QDialog& d) { d.reject(); });
    EXPECT_EQ(real.executableFileName(nullptr, QString()), std::nullopt);
    dialogs.done();
}
