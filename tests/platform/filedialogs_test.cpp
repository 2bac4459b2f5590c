#include "platform/commondialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs check on the modal dialog as soon as it is open; the check closes it.
void whenModal(std::function<void(QWidget*)> check) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            check(w);
        }
    });
    timer->start(10);
}

} // namespace

TEST(FileDialogs, FilterReadsHtmlFiles) {
    ts::QtCommonDialogs dialogs;
    for (bool save : {false, true}) {
        QString shown;
        whenModal([&](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dlg, nullptr);
            shown = dlg->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
            dlg->reject();
        });
        EXPECT_FALSE(save ? dialogs.saveFileName(nullptr) : dialogs.openFileName(nullptr));
        EXPECT_EQ(shown.toStdString(), "HTML files") << save;
    }
}
