#pragma once
#include <QByteArray>
#include <QByteArrayView>

namespace ts {

// The attribute that tells the live preview which line of the text a start
// tag begins on.
inline constexpr char kLineAttribute[] = "data-tagsmith-line";

// A copy of the markup in which the first start tag that begins on each line
// carries kLineAttribute with the line's number (from 0; CR LF, LF and CR each
// end a line). The attribute goes right after the tag name, so the tag means
// what it meant. Comments, declarations, end tags and the text of raw-text
// elements (script, style, title, textarea...) are left as they are, read as
// a browser reads them, quoted attribute values included.
QByteArray withLineMarkers(QByteArrayView html);

} // namespace ts
