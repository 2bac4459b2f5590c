#pragma once
#include "tags/party.h"

#include <QColor>
#include <QDialog>
#include <memory>

class QToolButton;

namespace Ui {
class TParty;
}

// The "Party" dialog: a layout, eight colours and a text.
class TParty : public QDialog {
    Q_OBJECT

public:
    explicit TParty(QWidget* parent = nullptr);
    ~TParty() override;

    // Filled by OK.
    const ts::TPartyFields& Result() const { return m_result; }
    // The colour of number button n (1 to 8); the buttons are the only store.
    QColor ButtonColour(int n) const;

private slots:
    void cbUseColorsClick();
    void sbColClick();
    void sbRandColClick();
    void bbOKClick();

private:
    QToolButton* colourButton(int n) const;
    void setButtonColour(QToolButton* button, const QColor& colour);

    std::unique_ptr<Ui::TParty> ui;
    ts::TPartyFields m_result;
    QColor m_lastChosen = Qt::black;
};
