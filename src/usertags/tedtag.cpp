#include "usertags/tedtag.h"

#include "ui_tedtag.h"
#include "usertags/dialogframe.h"

TEdTag::TEdTag(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TEdTag>()) {
    ui->setupUi(this);
    ui->eTitle->setMaxLength(kUserTagTitleLength);
    connect(ui->bbOK, &QPushButton::clicked, this, &TEdTag::bbOKClick);
    ts::setUpUserTagDialog(*this, QSize(335, 231), ui->bbOK, ui->bbCancel);
}

TEdTag::~TEdTag() = default;

void TEdTag::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TEdTag::FormShow() {
    ui->eTitle->setText(clipUserTagTitle(m_tag.Title));
    ui->eName->setText(m_tag.Name);
    ui->eStart->setText(m_tag.StartTag);
    ui->eEnd->setText(m_tag.EndTag);
    ui->eHint->setText(m_tag.Hint);
    ui->eTitle->setFocus();
}

void TEdTag::bbOKClick() {
    m_tag = {clipUserTagTitle(ui->eTitle->text()), ui->eName->text(), ui->eStart->text(), ui->eEnd->text(),
             ui->eHint->text()};
    accept();
}
