#pragma once
#include <QColor>

class QWidget;

namespace ts {

// Fills a colour swatch (a disabled edit or a frame) with one colour,
// whether the swatch is enabled or not.
void showSwatch(QWidget* swatch, const QColor& colour);

} // namespace ts
