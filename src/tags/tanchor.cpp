#include "tags/tanchor.h"

#include "platform/messages.h"
#include "tags/builderdialog.h"
#include "tags/turlbuilder.h"
#include "ui_tanchor.h"

namespace ts {

QString composeAnchor(const TAnchorFields& f) {
    QString a = QStringLiteral("<A HREF=\"") + f.url + QLatin1Char('"');
    if (!f.target.isEmpty()) a += QStringLiteral(" TARGET=\"") + f.target + QLatin1Char('"');
    if (!f.name.isEmpty()) a += QStringLiteral(" NAME=\"") + f.name + QLatin1Char('"');
    return a + QLatin1Char('>') + f.description + QStringLiteral("</A>");
}

} // namespace ts

TAnchor::TAnchor(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAnchor>()) {
    ui->setupUi(this);
    connect(ui->bbOK, &QPushButton::clicked, this, &TAnchor::bbOKClick);
    connect(ui->sbURL, &QToolButton::clicked, this, &TAnchor::sbURLClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    ui->eLink->setFocus();
}

TAnchor::~TAnchor() = default;

void TAnchor::bbOKClick() {
    if (ui->eLink->text().isEmpty()) {
        ts::messages().error(this, QStringLiteral("No URL defined!"));
        ui->eLink->setFocus();
        return;
    }
    m_anchorText = ts::composeAnchor(
        {ui->eLink->text(), ui->eDesc->text(), ui->eTarget->text(), ui->eName->text()});
    accept();
}

void TAnchor::sbURLClick() {
    if (const auto url = ts::chooseURL(this)) ui->eLink->setText(*url);
}
