#include "tags/ttabcaption.h"

#include "tags/builderdialog.h"
#include "tags/fonttable.h"
#include "ui_ttabcaption.h"

TTabCaption::TTabCaption(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TTabCaption>()) {
    ui->setupUi(this);
    connect(ui->bbOK, &QPushButton::clicked, this, &TTabCaption::bbOKClick);
    ts::setUpClosableDialog(*this, ui->bbOK, ui->bbCancel, false, true);
    ui->eCaption->setFocus();
}

TTabCaption::~TTabCaption() = default;

void TTabCaption::bbOKClick() {
    m_captionText = ts::composeCaptionTag(ui->cbAlign->currentText(), ui->eCaption->text());
    accept();
}
