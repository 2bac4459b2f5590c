#include "usertags/dialogframe.h"

#include "editor/faces.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace ts {

void setUpUserTagDialog(QDialog& dialog, QSize clientSize, QAbstractButton* ok, QAbstractButton* cancel) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    applyFace(ok);
    applyFace(cancel);
    QObject::connect(cancel, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    dialog.setFixedSize(dialog.sizeHint().expandedTo(clientSize));
    if (QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.center() - dialog.rect().center());
    }
}

} // namespace ts
