#include "tags/swatch.h"

#include <QWidget>

namespace ts {

void showSwatch(QWidget* swatch, const QColor& colour) {
    QPalette p = swatch->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    swatch->setPalette(p);
    swatch->setAutoFillBackground(true);
}

} // namespace ts
