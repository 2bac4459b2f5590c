#pragma once
#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

namespace ts {

// A colour value as stored and passed around: 0x00BBGGRR, red in the low byte.
using TColorRef = std::uint32_t;

// The six upper-case hex digits red, green, blue of a colour value; the top
// byte is ignored (a system colour is not resolved).
QString htmlColourDigits(TColorRef colour);
// "#" and the six digits: white gives "#FFFFFF", pure blue "#0000FF".
QString htmlColour(TColorRef colour);

// The colour a typed text names: "#" and six hex digits, or a colour name
// (letters only, as browsers know them); nothing for any other text.
std::optional<QColor> typedColour(const QString& text);

// Between a colour value and Qt's colour (the top byte is dropped).
TColorRef colorRef(const QColor& c);
QColor toQColor(TColorRef colour);

} // namespace ts
