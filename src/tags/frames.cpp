#include "tags/frames.h"

namespace ts {

QString composeFrameSet(bool rows, const std::array<QString, 5>& values) {
    QString list = values[0];
    for (size_t i = 1; i < values.size(); ++i)
        if (!values[i].isEmpty()) list += QLatin1Char(',') + values[i];
    return (rows ? QStringLiteral("<FRAMESET ROWS=\"") : QStringLiteral("<FRAMESET Cols=\"")) + list +
           QStringLiteral("\">");
}

QString composeFrame(const TFrameValues& frame) {
    QString s = QStringLiteral("<FRAME SRC=") + frame.source;
    if (!frame.name.isEmpty()) s += QStringLiteral(" NAME=\"") + frame.name + QLatin1Char('"');
    if (!frame.marginWidth.isEmpty()) s += QStringLiteral(" MARGINWIDTH=") + frame.marginWidth;
    if (!frame.marginHeight.isEmpty()) s += QStringLiteral(" MARGINHEIGHT=") + frame.marginHeight;
    if (!frame.scrolling.isEmpty()) s += QStringLiteral(" SCROLLING=") + frame.scrolling;
    if (frame.noResize) s += QStringLiteral(" NORESIZE");
    return s + QLatin1Char('>');
}

QString defaultNoFramesMessage() {
    return QStringLiteral("<H1><BLINK>Frame-Warning</BLINK></H1>\n"
                          "This site needs a <I>Frame</I>-capable Browser.\n"
                          "You can download <A HREF=\"home.netscape.com\">Netscape Navigator</A> to view this site.");
}

QStringList textLines(const QString& text) {
    if (text.isEmpty()) return {};
    QString t = text;
    // A soft line break shows as a line of its own, so it is one.
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList composeNoFrames(const QStringList& messageLines) {
    QStringList lines{QStringLiteral("<NOFRAMES>")};
    for (const QString& l : messageLines) lines << QStringLiteral("  ") + l;
    lines << QStringLiteral("</NOFRAMES>");
    return lines;
}

} // namespace ts
