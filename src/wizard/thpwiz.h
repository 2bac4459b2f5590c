#pragma once
#include "wizard/homepage.h"

#include <QColor>
#include <QDialog>
#include <memory>

namespace Ui {
class THPWiz;
}
class QAbstractButton;

// The Homepage Wizard: seven pages of choices for a small personal home
// page. It writes nothing itself; the caller reads values() after it closes.
class THPWiz : public QDialog {
    Q_OBJECT
public:
    explicit THPWiz(QWidget* parent = nullptr);
    ~THPWiz() override;

    // The choices as the controls hold them now, enabled or not.
    ts::THomepageValues values() const;
    // The paragraph box's lines as the box shows them: each wrapped piece is
    // a line, an empty line after a final line break is not.
    QStringList paragraphLines() const;

public slots:
    void bbNextClick();
    void bbBackClick();
    void cbCenterHeadClick();
    void cbRulesClick();
    void rbBGClick();
    void cbUsePicClick();
    void cbUseCaptionClick();
    void cbUseParagraphClick();
    void cbUseLinkClick();
    void cbUseAuthorClick();
    void sbChooseColClick();
    // The three "..." buttons: the URL builder's result replaces the field beside the button.
    void sbLocateClick();
    // Puts the author's name and e-mail address from the settings into their fields.
    void FormActivate();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void goToPageOf(QAbstractButton* sender, const std::initializer_list<std::pair<QAbstractButton*, QWidget*>>& table);

    std::unique_ptr<Ui::THPWiz> ui;
    // ColorDialog1 opens on the colour chosen last in this run.
    QColor m_lastColour = Qt::black;
    bool m_settingsReported = false;
};
