#pragma once
#include "settings/tprefsrecord.h"

#include <QColor>
#include <QDialog>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;

namespace Ui {
class TPrefs;
}

// The Preferences dialog, the only writer of the settings. Showing it loads
// the stored values over the controls' initial states; every close (OK,
// Cancel, Enter, Esc) writes all 22 values as the controls show them.
// Readers use the plain TPrefsRecord, never a dialog.
class TPrefs : public QDialog {
    Q_OBJECT

public:
    explicit TPrefs(QWidget* parent = nullptr);
    ~TPrefs() override;

    // Filled by LoadSettings(true); the dialog's controls are not touched.
    TPrefsRecord Record;

    // Record mode loads Record; dialog mode loads the controls, each default
    // taken from the control itself. Throws TError at a value of the wrong
    // type; the values after it keep what they had.
    void LoadSettings(bool recordMode);
    // Writes all 22 values from the controls; throws TError at a failing
    // write, the values before it being stored.
    void SaveSettings();

    // Closes when the save worked; otherwise the error is shown and the user
    // chooses between closing without storing and staying in the dialog.
    void done(int result) override;

private:
    void sbLocateBrowserClick();
    void ChooseFontClick();
    void ChooseEditorColorClick(QLabel* sender);
    void ChooseTagColorClick(QLabel* sender);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormShow();
    bool FormCloseQuery();
    // The six check boxes with their value names, in load and save order.
    std::vector<std::pair<QCheckBox*, const char*>> flags() const;

    std::unique_ptr<Ui::TPrefs> ui;
    // The colour dialog starts at black, then at the colour chosen last.
    QColor m_lastColour = Qt::black;
    bool m_shown = false;
};
