#include "platform/commondialogs.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ts;

namespace {

QFileDialog* findOpenFileDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

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
    QString title, filter, folder;
    QStringList shown;
    QTimer::singleShot(0, [&] {
        QFileDialog* d = findOpenFileDialog();
        ASSERT_NE(d, nullptr);
        title = d->windowTitle();
        filter = d->selectedNameFilter();
        folder = d->directory().absolutePath();
        auto* list = d->findChild<QListView*>("listView");
        ASSERT_NE(list, nullptr);
        // The folder is read in the background.
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) >= 2; }));
        QTest::qWait(50);
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            shown << list->model()->index(r, 0, list->rootIndex()).data().toString();
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->clear();
        QTest::keyClicks(name, "browser");
        QTest::keyClick(name, Qt::Key_Return);
    });
    const std::optional<QString> chosen = real.executableFileName(nullptr, dir.filePath("notes.txt"));
    EXPECT_EQ(title, "Locate the external browser");
    EXPECT_EQ(filter, "All executables"); // the pattern is not shown
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"bin", "browser"}));
    EXPECT_EQ(chosen, QDir(dir.path()).absoluteFilePath("browser"));

    QTimer::singleShot(0, [&] {
        if (QFileDialog* d = findOpenFileDialog()) d->reject();
    });
    EXPECT_EQ(real.executableFileName(nullptr, QString()), std::nullopt);
}
