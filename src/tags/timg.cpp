#include "tags/timg.h"

#include "tags/builderdialog.h"
#include "tags/turlbuilder.h"
#include "ui_timg.h"

namespace ts {

QString composeImageTag(const TImageFields& f) {
    const QString alt = f.altText.isEmpty() ? QString() : QStringLiteral(" ALT=\"") + f.altText + QLatin1Char('"');
    return QStringLiteral("<IMG SRC=\"") + f.source + QLatin1Char('"') + alt + QLatin1Char('>');
}

} // namespace ts

TImg::TImg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TImg>()) {
    ui->setupUi(this);
    connect(ui->bbOK, &QPushButton::clicked, this, &TImg::bbOKClick);
    connect(ui->sbLocateImg, &QToolButton::clicked, this, &TImg::sbLocateImgClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    ui->eImage->setFocus();
}

TImg::~TImg() = default;

void TImg::bbOKClick() {
    m_imageTag = ts::composeImageTag({ui->eImage->text(), ui->eAltText->text()});
    accept();
}

void TImg::sbLocateImgClick() {
    if (const auto url = ts::chooseURL(this)) ui->eImage->setText(*url);
}
