#pragma once
#include "support/widgets.h"
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

// Drives builder dialogs as a user would.
namespace ts::test {

// Acts on the modal dialog that the next exec() opens.
inline void onNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

inline void click(QWidget* dlg, const char* button) {
    if (auto* b = child<QAbstractButton>(dlg, button)) b->click();
}

inline void set(QWidget* dlg, const char* field, const QString& text) {
    if (auto* e = child<QLineEdit>(dlg, field)) e->setText(text);
}

// Each label caption leads to its empty field.
inline void expectEmptyFields(QWidget* dlg, std::initializer_list<std::pair<const char*, const char*>> fields) {
    for (const auto& [caption, name] : fields) {
        SCOPED_TRACE(name);
        QWidget* buddy = nullptr;
        for (QLabel* l : dlg->findChildren<QLabel*>())
            if (l->text() == QString::fromLatin1(caption)) buddy = l->buddy();
        auto* field = child<QLineEdit>(dlg, name);
        EXPECT_EQ(buddy, field);
        if (field) {
            EXPECT_EQ(field->text(), "");
        }
    }
}

} // namespace ts::test
