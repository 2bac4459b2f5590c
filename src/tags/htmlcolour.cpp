#include "tags/htmlcolour.h"

#include <algorithm>

namespace ts {

QString htmlColourDigits(TColorRef colour) {
    // Eight digits, then digits 7-8, 5-6 and 3-4: red, green, blue.
    const QString hex = QStringLiteral("%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
    return hex.mid(6, 2) + hex.mid(4, 2) + hex.mid(2, 2);
}

QString htmlColour(TColorRef colour) { return QLatin1Char('#') + htmlColourDigits(colour); }

std::optional<QColor> typedColour(const QString& text) {
    auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    auto hexDigit = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    const bool hex =
        text.size() == 7 && text.startsWith(QLatin1Char('#')) && std::all_of(text.begin() + 1, text.end(), hexDigit);
    // Qt knows the colour names of CSS and SVG, whatever their case; a cell cannot be transparent.
    const bool name = !text.isEmpty() && std::all_of(text.begin(), text.end(), letter) &&
                      text.compare(QLatin1String("transparent"), Qt::CaseInsensitive) != 0;
    if (!(hex || name) || !QColor::isValidColor(text)) return std::nullopt;
    return QColor(text);
}

TColorRef colorRef(const QColor& c) {
    return static_cast<TColorRef>(c.red()) | static_cast<TColorRef>(c.green()) << 8 |
           static_cast<TColorRef>(c.blue()) << 16;
}

QColor toQColor(TColorRef colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                  static_cast<int>(colour >> 16 & 0xFF));
}

} // namespace ts
