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

// The picture of a button: the SVG file ":/faces/<name>.svg", drawn at the
// screen's pixel ratio, or the user's icon theme picture for the standard
// commands (new, open, save, print, exit, cut, copy, paste, undo, find,
// replace, indent, unindent) where the theme has one. Names are the
// objectNames of the buttons, plus "treeGroupOpen", "treeGroupClosed",
// "treeEntry" for the Components tree and "bbOK", "bbCancel" for dialog
// buttons; the icon's name() is that name. A null icon for any other name.
QIcon faceIcon(const QString& name);
// Names that have a picture file.
QStringList pictureFaceNames();

// Gives the button its face by objectName: caption, font and blue, or the
// picture. False when there is no face of that name.
bool applyFace(QAbstractButton* button);

} // namespace ts
