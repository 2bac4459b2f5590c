#include "tags/htmlcolour.h"

namespace ts {

QString htmlColourDigits(TColorRef colour) {
    // Eight digits, then digits 7-8, 5-6 and 3-4: red, green, blue.
    const QString hex = QStringLiteral("%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
    return hex.mid(6, 2) + hex.mid(4, 2) + hex.mid(2, 2);
}

QString htmlColour(TColorRef colour) { return QLatin1Char('#') + htmlColourDigits(colour); }

TColorRef colorRef(const QColor& c) {
    return static_cast<TColorRef>(c.red()) | static_cast<TColorRef>(c.green()) << 8 |
           static_cast<TColorRef>(c.blue()) << 16;
}

QColor toQColor(TColorRef colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                  static_cast<int>(colour >> 16 & 0xFF));
}

} // namespace ts
