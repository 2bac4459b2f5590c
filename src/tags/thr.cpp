#include "tags/thr.h"

#include "tags/builderdialog.h"
#include "tags/inlinetags.h"
#include "ui_thr.h"

THR::THR(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::THR>()) {
    ui->setupUi(this);
    connect(ui->bbOK, &QPushButton::clicked, this, &THR::bbOKClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    ui->eHRHeight->selectAll();
    ui->eHRHeight->setFocus();
}

THR::~THR() = default;

void THR::bbOKClick() {
    m_height = ui->eHRHeight->text();
    m_ruleText = ts::composeRule(m_height);
    accept();
}
