#include "tags/tquickform.h"

#include "platform/messages.h"
#include "tags/builderdialog.h"
#include "tags/formfields.h"
#include "tags/tqfdialogs.h"
#include "ui_tquickform.h"

TQuickForm::TQuickForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TQuickForm>()) {
    ui->setupUi(this);
    for (const ts::TFieldKind& kind : ts::fieldKinds()) ui->cbItems->addItem(kind.listText);
    ui->cbItems->setCurrentIndex(-1);
    connect(ui->bbInsert, &QPushButton::clicked, this, &TQuickForm::InsertClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel);
    ui->cbItems->setFocus();
}

TQuickForm::~TQuickForm() = default;

QStringList TQuickForm::lines() const {
    QStringList out;
    for (int i = 0; i < ui->lbItems->count(); ++i) out << ui->lbItems->item(i)->text();
    return out;
}

void TQuickForm::InsertClick() {
    const int index = ui->cbItems->currentIndex();
    if (index < 0) {
        ts::messages().error(this, QStringLiteral("No item selected !!"));
        return;
    }
    const ts::TFieldKind& kind = ts::fieldKinds()[size_t(index)];
    const std::unique_ptr<TQFDialog> dlg = kind.createDialog(this);
    if (dlg->exec() != QDialog::Accepted) return;
    ui->lbItems->addItems(ts::composeField(kind, dlg->fieldValues(), ts::TFieldPath::QuickForm));
    ui->lbItems->scrollToBottom();
}
