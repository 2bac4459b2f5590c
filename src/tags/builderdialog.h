#pragma once

class QAbstractButton;
class QDialog;
class QWidget;

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

// Lets every single-line field of a window, grid cells included, take a
// text of any length (a long "data:" URL, say) instead of Qt's 32,767
// characters; a field given a limit of its own keeps it. The builder frames
// above do this for their dialogs.
void takeWholeTexts(QWidget& window);

} // namespace ts
