#pragma once
#include <QSize>

class QAbstractButton;
class QDialog;

namespace ts {

// The frame of the user-tag dialogs: fixed size (the client size asked for,
// or more when the fonts need it), a close box, centred on the screen, and
// OK and Cancel with their pictures. OK is left to the dialog; Cancel rejects.
void setUpUserTagDialog(QDialog& dialog, QSize clientSize, QAbstractButton* ok, QAbstractButton* cancel);

} // namespace ts
