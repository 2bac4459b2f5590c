#include "tags/builderdialog.h"

#include "editor/faces.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace ts {

namespace {

void setUp(QDialog& dialog, Qt::WindowFlags flags, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts,
           bool resizable) {
    dialog.setWindowFlags(flags);
    if (ok) {
        applyFace(ok);
        if (okAccepts) QObject::connect(ok, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    }
    if (cancel) {
        applyFace(cancel);
        QObject::connect(cancel, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    }
    dialog.adjustSize();
    if (!resizable) dialog.setFixedSize(dialog.size());
    if (QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.center() - dialog.rect().center());
    }
}

} // namespace

void setUpBuilderDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts) {
    setUp(dialog, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint, ok, cancel, okAccepts, false);
}

void setUpClosableDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts,
                         bool resizable) {
    setUp(dialog, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint, ok,
          cancel, okAccepts, resizable);
}

} // namespace ts
