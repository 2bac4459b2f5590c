#pragma once
#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

namespace ts::test {

// A named control of a window; a missing one fails the test that asked.
template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Types text into w as key presses, also characters no key of the test keyboard has.
inline void typeText(QWidget* w, const QString& s) {
    for (QChar c : s) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
    }
    QCoreApplication::processEvents();
}

} // namespace ts::test
