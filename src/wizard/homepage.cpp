#include "wizard/homepage.h"

namespace ts {

QStringList homepageLines(const THomepageValues& v, const QString& date, const QString& time) {
    const QString in2 = QStringLiteral("  ");
    const QString in4 = QStringLiteral("    ");
    const QString in6 = QStringLiteral("      ");
    QStringList l;
    l << QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">");
    l << QStringLiteral("<!-- Document created : ") + date + QStringLiteral(", ") + time + QStringLiteral(" -->");
    l << QStringLiteral("<HTML>");
    l << in2 + QStringLiteral("<HEAD>");
    l << in4 + QStringLiteral("<TITLE>") + v.eTitle + QStringLiteral("</TITLE>");
    if (v.cbUseAuthor) l << in4 + QStringLiteral("<META NAME=\"Author\" CONTENT=\"") + v.eName + QStringLiteral("\">");
    l << in2 + QStringLiteral("</HEAD>");

    // "No background" writes no BODY start tag at all; the end tag still comes.
    if (v.rbColorBG)
        l << in2 + QStringLiteral("<BODY BGCOLOR=\"#") + v.eColR + v.eColG + v.eColB + QStringLiteral("\">");
    else if (v.rbImage)
        l << in2 + QStringLiteral("<BODY BACKGROUND=\"") + v.eBGImage + QStringLiteral("\">");

    const bool secondHeading = !v.eSecHead.isEmpty();
    if (v.cbCenterHead) {
        l << in4 + QStringLiteral("<CENTER><H1>") + v.eTitle + QStringLiteral("</H1></CENTER><BR>");
        if (secondHeading) l << in4 + QStringLiteral("<CENTER><H2>") + v.eSecHead + QStringLiteral("</H2></CENTER><BR>");
    } else {
        l << in4 + QStringLiteral("<H1>") + v.eTitle + QStringLiteral("</H1><BR>");
        if (secondHeading) l << in4 + QStringLiteral("<H2>") + v.eSecHead + QStringLiteral("</H2><BR>");
    }
    if (v.cbRules) l << in4 + QStringLiteral("<HR>");

    if (v.cbUsePic) {
        const QString image = QStringLiteral("<IMG SRC=\"") + v.eImage + QStringLiteral("\" ALT=\"[picture]\">") +
                              (v.cbUseCaption ? v.eImgCaption : QString());
        if (v.cbCenterPic) {
            l << in4 + QStringLiteral("<CENTER>");
            l << in6 + image;
            l << in4 + QStringLiteral("</CENTER>");
        } else {
            l << in4 + image;
        }
    }

    if (v.cbUseParagraph) {
        l << in4 + QStringLiteral("<P>");
        for (const QString& line : v.mParagraph) l << in4 + line + QStringLiteral("<BR>");
    }
    if (v.cbRules) l << in4 + QStringLiteral("<HR>");
    if (v.cbUseLink) l << in4 + QStringLiteral("<A HREF=\"") + v.eURL + QStringLiteral("\">") + v.eDesc + QStringLiteral("</A>");

    if (v.cbUseAuthor) {
        l << in4 + QStringLiteral("<HR>");
        l << in4 + QStringLiteral("<ADDRESS>");
        l << in6 + v.eName + QStringLiteral("<BR>");
        l << in6 + QStringLiteral("<A HREF=\"mailto:") + v.eEMail + QStringLiteral("\">") + v.eEMail +
                 QStringLiteral("</A><BR>");
        // Closed properly: an open "</ADDRESS" would swallow the next line's tag.
        l << in4 + QStringLiteral("</ADDRESS>");
    }

    l << in4 + QStringLiteral("<BR><BR>");
    l << in4 + QStringLiteral("Copyright &copy; by ") + v.eName + QStringLiteral("<BR>");
    l << in4 + QStringLiteral("This homepage was created with Tagsmith<BR>");
    l << in2 + QStringLiteral("</BODY>");
    l << QStringLiteral("</HTML>");
    return l;
}

} // namespace ts
