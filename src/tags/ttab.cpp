#include "tags/ttab.h"

#include "platform/commondialogs.h"
#include "tags/builderdialog.h"
#include "tags/fonttable.h"
#include "tags/swatch.h"
#include "ui_ttab.h"

TTab::TTab(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TTab>()) {
    ui->setupUi(this);
    ui->UpDown1->setRange(1, 10);
    ui->UpDown1->setPosition(1);
    ui->UpDown1->setAssociate(ui->eBorder);
    ui->cbAlign->setCurrentIndex(-1);
    connect(ui->cbBorder, &QCheckBox::toggled, this, &TTab::cbBorderClick);
    connect(ui->sbChooseColor, &QToolButton::clicked, this, &TTab::sbChooseColorClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &TTab::bbOKClick);
    cbBorderClick();
    ts::setUpClosableDialog(*this, ui->bbOK, ui->bbCancel, false, true);
}

TTab::~TTab() = default;

void TTab::cbBorderClick() {
    const bool on = ui->cbBorder->isChecked();
    ui->eBorder->setEnabled(on);
    ui->UpDown1->setEnabled(on);
}

void TTab::sbChooseColorClick() {
    const std::optional<QColor> chosen = ts::commonDialogs().color(this, m_colour);
    if (!chosen) return;
    const ts::TColorRef colour = ts::colorRef(*chosen);
    m_colour = ts::toQColor(colour);
    ui->eCellColor->setText(QLatin1Char('#') + ts::htmlColourDigits(colour));
    ts::showSwatch(ui->eCol, m_colour);
}

void TTab::bbOKClick() {
    ts::TTableFields f;
    f.border = ui->cbBorder->isChecked();
    f.borderWidth = ui->eBorder->text();
    f.align = ui->cbAlign->currentText();
    f.colSpec = ui->eColSpec->text();
    f.cellPadding = ui->eCellPadding->text();
    f.cellSpacing = ui->eCellSpacing->text();
    f.width = ui->eWidth->text();
    f.height = ui->eHeight->text();
    f.cellColour = ui->eCellColor->text();
    m_tableText = ts::composeTableTag(f);
    accept();
}
