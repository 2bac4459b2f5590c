#pragma once
#include "tags/htmlcolour.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace ts {

// Upper-cases the letters a to z only; everything else stays as it is.
QString upperAscii(const QString& text);

// QuickFont: <FONT SIZE="size" COLOR="#RRGGBB" FACE="face">, all three always
// written and quoted; only the start tag.
struct TFontFields {
    QString size;
    TColorRef colour = 0;
    QString face;
};
QString composeFontTag(const TFontFields& f);

// Color-Mixer: one component as a value box shows it ("#0A"), and the mixed
// colour text "#RRGGBB". Components are taken modulo 256.
QString colourComponentText(int component);
QString composeMixedColour(int red, int green, int blue);

// QuickTable: the table one line per tag, in writing order.
struct TQuickTableFields {
    QString borderWidth, cellPadding, cellSpacing;
    QString caption;               // no CAPTION line when empty
    std::vector<QStringList> cells; // rows top to bottom, cells left to right
    bool colourChosen = false;     // only then do cells get BGCOLOR
    QString cellColour;            // the colour edit's text at OK
};
QStringList composeQuickTable(const TQuickTableFields& f);

// A QuickTable count field's text as a column or row count: a whole number
// kept within 1 to 255, or none when the text is not a whole number.
std::optional<int> tableCount(const QString& text);
// The conversion error shown for such a text.
QString notAnIntegerMessage(const QString& text);

// Table: "<TABLE" + the attributes that are filled in + "></TABLE>".
struct TTableFields {
    bool border = true;
    QString borderWidth;
    QString align, colSpec, cellPadding, cellSpacing, width, height, cellColour;
};
QString composeTableTag(const TTableFields& f);

// Table caption: <CAPTION ALIGN=...>caption</CAPTION>, ALIGN only when filled in.
QString composeCaptionTag(const QString& align, const QString& caption);

} // namespace ts
