#include "tags/tparty.h"

#include "platform/clock.h"
#include "platform/commondialogs.h"
#include "tags/builderdialog.h"
#include "tags/htmlcolour.h"
#include "ui_tparty.h"

#include <random>

TParty::TParty(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TParty>()) {
    ui->setupUi(this);
    for (int n = 1; n <= 8; ++n) {
        QToolButton* button = colourButton(n);
        setButtonColour(button, Qt::black);
        connect(button, &QToolButton::clicked, this, &TParty::sbColClick);
    }
    connect(ui->cbUseColors, &QCheckBox::toggled, this, &TParty::cbUseColorsClick);
    connect(ui->sbRandCol, &QPushButton::clicked, this, &TParty::sbRandColClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &TParty::bbOKClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    ui->ePartyText->setFocus();
}

TParty::~TParty() = default;

QToolButton* TParty::colourButton(int n) const {
    return findChild<QToolButton*>(QStringLiteral("sbCol%1").arg(n));
}

QColor TParty::ButtonColour(int n) const { return colourButton(n)->palette().color(QPalette::ButtonText); }

void TParty::setButtonColour(QToolButton* button, const QColor& colour) {
    QPalette p = button->palette();
    // The digit shows its colour also while the buttons are disabled.
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::ButtonText, colour);
    button->setPalette(p);
}

void TParty::cbUseColorsClick() {
    const bool on = ui->cbUseColors->isChecked();
    for (int n = 1; n <= 8; ++n) colourButton(n)->setEnabled(on);
    ui->sbRandCol->setEnabled(on);
    ui->Label2->setEnabled(on);
}

void TParty::sbColClick() {
    auto* button = qobject_cast<QToolButton*>(sender());
    if (!button) return;
    const std::optional<QColor> chosen = ts::commonDialogs().color(this, m_lastChosen);
    if (!chosen) return;
    m_lastChosen = *chosen;
    setButtonColour(button, *chosen);
}

void TParty::sbRandColClick() {
    std::mt19937 generator(static_cast<std::mt19937::result_type>(ts::clock().now().toMSecsSinceEpoch()));
    const auto& table = ts::partyRandomColours();
    std::uniform_int_distribution<size_t> pick(0, table.size() - 1);
    for (int n = 1; n <= 8; ++n) setButtonColour(colourButton(n), QColor(table[pick(generator)]));
}

void TParty::bbOKClick() {
    using L = ts::TPartyLayout;
    m_result.layout = ui->rbLeft->isChecked()     ? L::SmallToBig
                      : ui->rbCenter->isChecked() ? L::SmallToBigToSmall
                      : ui->rbRight->isChecked()  ? L::BigToSmall
                                                  : L::Normal;
    for (int n = 1; n <= 8; ++n) m_result.colours[n - 1] = ts::htmlColour(ts::colorRef(ButtonColour(n)));
    m_result.text = ui->ePartyText->text();
    accept();
}
