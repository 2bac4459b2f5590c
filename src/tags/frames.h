#pragma once
#include <QString>
#include <QStringList>

#include <array>

namespace ts {

// "<FRAMESET ROWS="..">" or "<FRAMESET Cols="..">": the first value, then
// each further non-empty value behind a comma.
QString composeFrameSet(bool rows, const std::array<QString, 5>& values);

// The Frame dialog's fields, as typed.
struct TFrameValues {
    QString source;
    QString name;
    QString marginWidth;
    QString marginHeight;
    QString scrolling;
    bool noResize = false;
};

// "<FRAME SRC=" source, then each attribute whose field holds anything, ">".
QString composeFrame(const TFrameValues& frame);

// The NoFrames dialog's starting message.
QString defaultNoFramesMessage();
// The lines of a multi-line text: no line for an empty text, none for the
// empty end after a final line break.
QStringList textLines(const QString& text);
// "<NOFRAMES>", each message line behind two spaces, "</NOFRAMES>".
QStringList composeNoFrames(const QStringList& messageLines);

} // namespace ts
