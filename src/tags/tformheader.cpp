#include "tags/tformheader.h"

#include "tags/builderdialog.h"
#include "tags/turlbuilder.h"
#include "ui_tformheader.h"

TFormHeader::TFormHeader(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormHeader>()) {
    ui->setupUi(this);
    // Both lists offer their entries but start empty.
    ui->cbMethod->setCurrentIndex(-1);
    ui->cbEnctype->setCurrentIndex(-1);
    connect(ui->sbURL, &QToolButton::clicked, this, &TFormHeader::sbURLClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel);
    ui->eAction->setFocus();
}

TFormHeader::~TFormHeader() = default;

void TFormHeader::sbURLClick() {
    if (const std::optional<QString> url = ts::chooseURL(this)) ui->eAction->setText(*url);
}

ts::TFormHeaderValues TFormHeader::values() const {
    return {ui->eAction->text(), ui->cbMethod->currentText(), ui->cbEnctype->currentText()};
}
