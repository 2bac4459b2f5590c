#include "tags/tframeset.h"

#include "tags/builderdialog.h"
#include "tags/frames.h"
#include "ui_tframeset.h"

TFrameSet::TFrameSet(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFrameSet>()) {
    ui->setupUi(this);
    const std::pair<TUpDown*, QLineEdit*> pairs[] = {
        {ui->UpDown1, ui->eRow1}, {ui->UpDown2, ui->eRow2}, {ui->UpDown3, ui->eRow3},
        {ui->UpDown4, ui->eRow4}, {ui->UpDown5, ui->eRow5}, {ui->UpDown6, ui->eCol1},
        {ui->UpDown7, ui->eCol2}, {ui->UpDown8, ui->eCol3}, {ui->UpDown9, ui->eCol4},
        {ui->UpDown10, ui->eCol5},
    };
    for (const auto& [upDown, edit] : pairs) {
        upDown->setRange(0, 90);
        upDown->setIncrement(10);
        upDown->setWrap(false);
        upDown->setAssociate(edit);
        upDown->setPosition(0);
    }
    // The two groups share one place; the dialog keeps its size either way.
    for (QWidget* group : {static_cast<QWidget*>(ui->gbRows), static_cast<QWidget*>(ui->gbCols)}) {
        QSizePolicy p = group->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        group->setSizePolicy(p);
    }
    connect(ui->rbRows, &QRadioButton::toggled, this, &TFrameSet::ChangeClick);
    connect(ui->rbCols, &QRadioButton::toggled, this, &TFrameSet::ChangeClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &TFrameSet::bbOKClick);
    ChangeClick();
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

TFrameSet::~TFrameSet() = default;

void TFrameSet::ChangeClick() {
    ui->gbRows->setVisible(ui->rbRows->isChecked());
    ui->gbCols->setVisible(!ui->rbRows->isChecked());
}

void TFrameSet::bbOKClick() {
    if (ui->rbRows->isChecked())
        m_frameSetText = ts::composeFrameSet(
            true, {ui->eRow1->text(), ui->eRow2->text(), ui->eRow3->text(), ui->eRow4->text(), ui->eRow5->text()});
    else
        m_frameSetText = ts::composeFrameSet(
            false, {ui->eCol1->text(), ui->eCol2->text(), ui->eCol3->text(), ui->eCol4->text(), ui->eCol5->text()});
    accept();
}
