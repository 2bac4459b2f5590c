#pragma once
#include <QString>
#include <QStringList>

namespace ts {

// The Homepage Wizard's choices, one field per control, as the user left
// them. Defaults are the wizard's start state.
struct THomepageValues {
    QString eTitle;
    QString eSecHead;
    bool cbCenterHead = true;
    bool cbRules = true;

    bool rbColorBG = false; // neither Color nor Image: no background
    bool rbImage = false;
    QString eColR = QStringLiteral("FF");
    QString eColG = QStringLiteral("FF");
    QString eColB = QStringLiteral("FF");
    QString eBGImage;

    bool cbUsePic = false;
    QString eImage;
    bool cbUseCaption = false;
    QString eImgCaption;
    bool cbCenterPic = false;

    bool cbUseParagraph = false;
    QStringList mParagraph; // the lines as the box shows them, wrapped pieces included

    bool cbUseLink = false;
    QString eURL;
    QString eDesc;

    bool cbUseAuthor = false;
    QString eName;
    QString eEMail;
};

// The home page, line by line, for appending to an empty document. Every
// text goes in as typed; date and time are already formatted.
QStringList homepageLines(const THomepageValues& v, const QString& date, const QString& time);

} // namespace ts
