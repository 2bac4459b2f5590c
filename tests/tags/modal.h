#pragma once
#include "support/widgets.h"
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace ts::test {

// Acts on the modal dialog of that objectName once it is the active one.
// When it has not shown up after a few seconds the test fails and whatever
// modal dialog is open is rejected, so a run never hangs.
inline void onModal(const QString& objectName, std::function<void(QDialog&)> act) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool found = dlg && dlg->isVisible() && dlg->objectName() == objectName;
        if (!found && clock->elapsed() < 5000) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (found) {
            act(*dlg);
        } else {
            ADD_FAILURE() << "no modal dialog " << objectName.toStdString();
            if (dlg) dlg->reject();
        }
    });
    timer->start(5);
}

// Clicks the named button; a dialog without it is rejected so nothing hangs.
inline void click(QWidget& dlg, const char* button) {
    if (auto* b = child<QAbstractButton>(dlg, button))
        b->click();
    else if (auto* d = qobject_cast<QDialog*>(&dlg))
        d->reject();
}

// Rejects, with a failure, any modal dialog that stays open for seconds:
// one that a test did not expect to see.
class ModalWatchdog {
public:
    ModalWatchdog() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (w != m_seen) {
                m_seen = w;
                m_since.start();
            } else if (auto* d = qobject_cast<QDialog*>(w); d && m_since.elapsed() > 8000) {
                ADD_FAILURE() << "unexpected modal dialog " << d->objectName().toStdString();
                d->reject();
            }
        });
        m_timer.start(50);
    }

private:
    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_since;
};

} // namespace ts::test
