#pragma once
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <optional>

class QAbstractButton;

namespace ts {

// A button face drawn as a caption: the text in its font, in blue.
struct TCaptionFace {
    QString caption;
    QFont font;
};

// Caption faces of the palette, by button objectName; none for picture buttons.
std::optional<TCaptionFace> captionFace(const QString& objectName);
// The colour of every caption face.
QColor captionFaceColor();

// Vector pictures drawn at whatever size is asked for, with a grey embossed
// look when disabled. Names are the objectNames of the buttons that carry
// them, plus "treeGroupOpen", "treeGroupClosed", "treeEntry" for the
// Components tree and "bbOK", "bbCancel" for dialog buttons. A null icon for
// any other name.
QIcon faceIcon(const QString& name);
// Names that faceIcon draws a picture for.
QStringList pictureFaceNames();

// Gives the button its face by objectName: caption, font and blue, or the
// picture. False when there is no face of that name.
bool applyFace(QAbstractButton* button);

} // namespace ts
