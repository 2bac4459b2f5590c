#include "tags/fonttable.h"

namespace ts {

QString upperAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

QString composeFontTag(const TFontFields& f) {
    return QStringLiteral("<FONT SIZE=\"") + f.size + QStringLiteral("\" COLOR=\"") + htmlColour(f.colour) +
           QStringLiteral("\" FACE=\"") + f.face + QStringLiteral("\">");
}

QString colourComponentText(int component) {
    return QStringLiteral("#%1").arg(component & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QString composeMixedColour(int red, int green, int blue) {
    const TColorRef c = TColorRef(red & 0xFF) | TColorRef(green & 0xFF) << 8 | TColorRef(blue & 0xFF) << 16;
    return htmlColour(c);
}

QStringList composeQuickTable(const TQuickTableFields& f) {
    QStringList lines;
    lines << QStringLiteral("<TABLE BORDER=") + f.borderWidth + QStringLiteral(" CELLPADDING=") + f.cellPadding +
                 QStringLiteral(" CELLSPACING=") + f.cellSpacing + QStringLiteral(">");
    if (!f.caption.isEmpty()) lines << QStringLiteral("  <CAPTION>") + f.caption + QStringLiteral("</CAPTION>");
    const QString cellStart =
        f.colourChosen ? QStringLiteral("    <TD BGCOLOR=") + f.cellColour + QStringLiteral(">") : QStringLiteral("    <TD>");
    for (const QStringList& row : f.cells) {
        lines << QStringLiteral("  <TR>");
        for (const QString& cell : row) lines << cellStart + cell + QStringLiteral("</TD>");
        lines << QStringLiteral("  </TR>");
    }
    lines << QStringLiteral("</TABLE>");
    return lines;
}

std::optional<int> tableCount(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    // Any run of digits is a whole number, however long; it only has to land in 1..255.
    bool large = false;
    int value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        if (!large) {
            value = value * 10 + (c.unicode() - '0');
            large = value > 255;
        }
    }
    if (negative) return 1;
    if (large) return 255;
    return value < 1 ? 1 : value;
}

QString notAnIntegerMessage(const QString& text) {
    return QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
}

QString composeTableTag(const TTableFields& f) {
    QString tag = QStringLiteral("<TABLE");
    if (f.border) tag += QStringLiteral(" BORDER=") + f.borderWidth;
    if (!f.align.isEmpty()) tag += QStringLiteral(" ALIGN=") + upperAscii(f.align);
    if (!f.colSpec.isEmpty()) tag += QStringLiteral(" COLSPEC=\"") + f.colSpec + QLatin1Char('"');
    if (!f.cellPadding.isEmpty()) tag += QStringLiteral(" CELLPADDING=") + f.cellPadding;
    if (!f.cellSpacing.isEmpty()) tag += QStringLiteral(" CELLSPACING=") + f.cellSpacing;
    if (!f.width.isEmpty()) tag += QStringLiteral(" WIDTH=") + f.width;
    if (!f.height.isEmpty()) tag += QStringLiteral(" HEIGHT=") + f.height;
    if (!f.cellColour.isEmpty()) tag += QStringLiteral(" BGCOLOR=\"") + f.cellColour + QLatin1Char('"');
    return tag + QStringLiteral("></TABLE>");
}

QString composeCaptionTag(const QString& align, const QString& caption) {
    QString tag = QStringLiteral("<CAPTION");
    if (!align.isEmpty()) tag += QStringLiteral(" ALIGN=") + upperAscii(align);
    return tag + QStringLiteral(">") + caption + QStringLiteral("</CAPTION>");
}

} // namespace ts
