#include "tags/builderdialog.h"

#include "editor/faces.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace ts {

void setUpBuilderDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (ok) {
        applyFace(ok);
        if (okAccepts) QObject::connect(ok, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    }
    if (cancel) {
        applyFace(cancel);
        QObject::connect(cancel, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    }
    dialog.adjustSize();
    dialog.setFixedSize(dialog.size());
    if (QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.center() - dialog.rect().center());
    }
}

} // namespace ts
