#include "platform/commondialogs.h"
#include "support/dialogdriver.h"

#include <QComboBox>
#include <QFileDialog>
#include <gtest/gtest.h>

TEST(FileDialogs, FilterReadsHtmlFiles) {
    ts::QtCommonDialogs dialogs;
    ts::test::DialogDriver driver;
    for (bool save : {false, true}) {
        QString shown;
        driver.expect<QFileDialog>("QFileDialog", [&](QFileDialog& dlg) {
            shown = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
            dlg.reject();
        });
        EXPECT_FALSE(save ? dialogs.saveFileName(nullptr) : dialogs.openFileName(nullptr));
        driver.done();
        EXPECT_EQ(shown.toStdString(), "HTML files") << save;
    }
}
