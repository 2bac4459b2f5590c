#include "tags/turlbuilder.h"

#include "tags/builderdialog.h"
#include "ui_turlbuilder.h"

namespace ts {

QString composeURL(const TURLParts& parts) {
    return parts.scheme + parts.server + QLatin1Char('/') + parts.path + QLatin1Char('/') + parts.file;
}

std::optional<QString> chooseURL(QWidget* parent) {
    TURLBuilder dlg(parent);
    // An untouched builder has composed nothing, so the owner's field stays as it is.
    if (dlg.exec() != QDialog::Accepted || !dlg.composed()) return std::nullopt;
    return dlg.url();
}

} // namespace ts

TURLBuilder::TURLBuilder(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TURLBuilder>()) {
    ui->setupUi(this);
    ui->cbURL->addItems({QStringLiteral("http://"), QStringLiteral("ftp://"), QStringLiteral("gopher://"),
                         QStringLiteral("mailto:")});
    ui->cbURL->setCurrentIndex(0);
    // Shown from the start, but the result stays empty until a field changes.
    ui->eURL->setText(ts::composeURL(parts()));
    connect(ui->cbURL, &QComboBox::editTextChanged, this, &TURLBuilder::URLChange);
    connect(ui->eServer, &QLineEdit::textChanged, this, &TURLBuilder::URLChange);
    connect(ui->ePath, &QLineEdit::textChanged, this, &TURLBuilder::URLChange);
    connect(ui->eFile, &QLineEdit::textChanged, this, &TURLBuilder::URLChange);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel);
    ui->eServer->setFocus();
}

TURLBuilder::~TURLBuilder() = default;

ts::TURLParts TURLBuilder::parts() const {
    return {ui->cbURL->currentText(), ui->eServer->text(), ui->ePath->text(), ui->eFile->text()};
}

void TURLBuilder::URLChange() {
    m_url = ts::composeURL(parts());
    ui->eURL->setText(*m_url);
}
