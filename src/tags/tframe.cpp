#include "tags/tframe.h"

#include "tags/builderdialog.h"
#include "tags/frames.h"
#include "tags/turlbuilder.h"
#include "ui_tframe.h"

TFrame::TFrame(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFrame>()) {
    ui->setupUi(this);
    ui->cbName->setCurrentIndex(-1);
    ui->cbScrolling->setCurrentIndex(-1);
    connect(ui->sbLocateURL, &QToolButton::clicked, this, &TFrame::bbLocateURLClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &TFrame::bbOKClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui->eSource->setFocus();
}

TFrame::~TFrame() = default;

void TFrame::bbLocateURLClick() {
    if (const std::optional<QString> url = ts::chooseURL(this)) ui->eSource->setText(*url);
}

void TFrame::bbOKClick() {
    m_frameText = ts::composeFrame({ui->eSource->text(), ui->cbName->currentText(), ui->eMrgWidth->text(),
                                    ui->eMrgHeight->text(), ui->cbScrolling->currentText(),
                                    ui->cbNoResize->isChecked()});
    accept();
}
