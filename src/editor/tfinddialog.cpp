#include "editor/tfinddialog.h"

#include "ui_tfinddialog.h"
#include "ui_treplacedialog.h"

namespace {

void present(QDialog* dlg, QWidget* focus) {
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    focus->setFocus();
}

constexpr Qt::WindowFlags kToolDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

} // namespace

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent, kToolDialogFlags), ui(new Ui::TFindDialog) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("FindDialog1"));
    setModal(false);
    connect(ui->bbFindNext, &QPushButton::clicked, this, &TFindDialog::FindNext);
    connect(ui->bbCancel, &QPushButton::clicked, this, &QDialog::hide);
}

TFindDialog::~TFindDialog() { delete ui; }

TFindRequest TFindDialog::Request() const {
    return {ui->eFindText->text(), ui->rbDown->isChecked(), ui->cbMatchCase->isChecked(),
            ui->cbWholeWord->isChecked()};
}

void TFindDialog::Open() { present(this, ui->eFindText); }

TReplaceDialog::TReplaceDialog(QWidget* parent) : QDialog(parent, kToolDialogFlags), ui(new Ui::TReplaceDialog) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("ReplaceDialog1"));
    setModal(false);
    connect(ui->bbFindNext, &QPushButton::clicked, this, &TReplaceDialog::FindNext);
    connect(ui->bbReplace, &QPushButton::clicked, this, [this] { emit Replace(false); });
    connect(ui->bbReplaceAll, &QPushButton::clicked, this, [this] { emit Replace(true); });
    connect(ui->bbCancel, &QPushButton::clicked, this, &QDialog::hide);
}

TReplaceDialog::~TReplaceDialog() { delete ui; }

TFindRequest TReplaceDialog::Request() const {
    return {ui->eFindText->text(), true, ui->cbMatchCase->isChecked(), ui->cbWholeWord->isChecked()};
}

QString TReplaceDialog::ReplaceText() const { return ui->eReplaceText->text(); }

void TReplaceDialog::Open() { present(this, ui->eFindText); }
