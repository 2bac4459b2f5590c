#include "tags/party.h"

#include "platform/terror.h"

#include <QTextBoundaryFinder>
#include <span>

namespace ts {

namespace {

std::span<const int> sizesOf(TPartyLayout layout) {
    static const int smallToBig[] = {0, 1, 2, 3, 4};
    static const int bigToSmall[] = {4, 3, 2, 1, 0};
    static const int wave[] = {4, 3, 2, 1, 0, 1, 2, 3};
    switch (layout) {
    case TPartyLayout::SmallToBig: return smallToBig;
    case TPartyLayout::BigToSmall: return bigToSmall;
    case TPartyLayout::SmallToBigToSmall: return wave;
    case TPartyLayout::Normal: break;
    }
    return {};
}

} // namespace

QStringList composePartyLines(const TPartyFields& fields) {
    const std::span<const int> sizes = sizesOf(fields.layout);
    QStringList lines;
    size_t colour = 0, size = 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, fields.text);
    qsizetype start = 0;
    for (qsizetype end = graphemes.toNextBoundary(); end > 0; end = graphemes.toNextBoundary()) {
        const QString character = fields.text.mid(start, end - start);
        start = end;
        if (sizes.empty())
            lines << QStringLiteral("<FONT COLOR=%1>%2</FONT>").arg(fields.colours[colour], character);
        else
            lines << QStringLiteral("<FONT SIZE=+%1 COLOR=%2>%3</FONT>")
                         .arg(QString::number(sizes[size]), fields.colours[colour], character);
        colour = (colour + 1) % fields.colours.size();
        if (!sizes.empty()) size = (size + 1) % sizes.size();
    }
    lines << QStringLiteral("<BR>");
    return lines;
}

const std::array<QString, 15>& partyRandomColours() {
    static const std::array<QString, 15> table{
        QStringLiteral("#000000"), QStringLiteral("#800000"), QStringLiteral("#008000"), QStringLiteral("#808000"),
        QStringLiteral("#000080"), QStringLiteral("#800080"), QStringLiteral("#008080"), QStringLiteral("#808080"),
        QStringLiteral("#C0C0C0"), QStringLiteral("#FF0000"), QStringLiteral("#00FF00"), QStringLiteral("#0000FF"),
        QStringLiteral("#FF00FF"), QStringLiteral("#00FFFF"), QStringLiteral("#FFFFFF"),
    };
    return table;
}

QStringList composeGalleryLines(const TGalleryFields& f) {
    QStringList lines;
    lines << QStringLiteral("<H1>") + f.title + QStringLiteral("</H1>");
    lines << QStringLiteral("<TABLE BORDER=") + (f.useBorder ? f.border : QStringLiteral("0")) + QLatin1Char('>');
    int column = 1;
    for (const QString& file : f.images) {
        if (column == f.rowLength + 1) {
            lines << QStringLiteral("  </TR>");
            column = 1;
        }
        if (column == 1) lines << QStringLiteral("  <TR>");
        const QString image = QStringLiteral("<IMG SRC=\"") + f.imageUrl + file + QStringLiteral("\">");
        if (f.linkUrl.isEmpty())
            lines << QStringLiteral("    <TD>") + image + QStringLiteral("</TD>");
        else
            lines << QStringLiteral("    <TD><A HREF=\"") + f.linkUrl + QStringLiteral("\">") + image +
                         QStringLiteral("</A></TD>");
        ++column;
    }
    lines << QStringLiteral("</TABLE>");
    return lines;
}

int toInteger(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) throw TError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return value;
}

} // namespace ts
