#pragma once

class QAbstractButton;
class QDialog;

namespace ts {

// The common frame of a small tag builder dialog: title bar without icons,
// fixed size, centred on its screen, OK and Cancel buttons with their
// pictures. OK accepts unless the dialog connects its own handler.
void setUpBuilderDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel,
                        bool okAccepts = true);

// The same for a builder that shows the close icon (and nothing else) in its
// title bar; it may be left resizable.
void setUpClosableDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts,
                         bool resizable);

} // namespace ts
