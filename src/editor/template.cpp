#include "editor/template.h"

QStringList newDocumentTemplate(const QString& date, const QString& time, const QString& author,
                                const QString& email) {
    const QString web = QString::fromLatin1(kMakerWebAddress);
    return {
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">"),
        QStringLiteral("<!-- Document created : ") + date + QStringLiteral(", ") + time + QStringLiteral(" -->"),
        QStringLiteral("<HTML>"),
        QStringLiteral("  <HEAD>"),
        QStringLiteral("    <TITLE>enter the document title here</TITLE>"),
        QStringLiteral("    <META NAME=\"Author\" CONTENT=\"") + author + QStringLiteral("\">"),
        QStringLiteral("    <META NAME=\"DESCRIPTION\" CONTENT=\"enter the document description here\">"),
        QStringLiteral("  </HEAD>"),
        QStringLiteral("  <BODY>"),
        QStringLiteral("    <H1>enter the main heading here</H1>"),
        QStringLiteral("    <HR>"),
        QStringLiteral("    <HR>"),
        QStringLiteral("    <CENTER><FONT SIZE=2>"),
        QStringLiteral("      This page was created with <A HREF=\"") + web +
            QStringLiteral("\">Quillon's Tagsmith</A>.<BR>"),
        QStringLiteral("      Page (C) by <A HREF=\"mailto:") + email + QStringLiteral("\">") + author +
            QStringLiteral("</A>."),
        QStringLiteral("    </FONT></CENTER>"),
        QStringLiteral("  </BODY>"),
        QStringLiteral("</HTML>"),
    };
}
