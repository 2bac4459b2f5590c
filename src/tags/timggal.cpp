#include "tags/timggal.h"

#include "platform/command.h"
#include "tags/builderdialog.h"
#include "tags/filebrowser.h"
#include "ui_timggal.h"

TImgGal::TImgGal(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TImgGal>()) {
    ui->setupUi(this);
    ui->cbFilter->addItem(QStringLiteral("Images (*.jpg, *.gif)"), QStringLiteral("*.jpg;*.gif"));
    ui->cbFilter->addItem(QStringLiteral("All files (*.*)"), QStringLiteral("*.*"));
    m_browser = new ts::TFileBrowser(ui->cbDrive, ui->lbDir, ui->lbFile, ui->cbFilter);

    connect(ui->sbAdd, &QPushButton::clicked, this, &TImgGal::sbAddImage);
    connect(ui->sbAddAll, &QPushButton::clicked, this, &TImgGal::sbAddAllImages);
    connect(ui->sbRemove, &QPushButton::clicked, this, &TImgGal::sbRemoveImgage);
    connect(ui->sbRemoveAll, &QPushButton::clicked, this, &TImgGal::sbRemoveAllImages);
    connect(ui->cbUseBorder, &QCheckBox::toggled, this, &TImgGal::cbUseBorderClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &TImgGal::bbOKClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    // Unlike the small builders this one has a close box.
    setWindowFlag(Qt::WindowCloseButtonHint, true);
    setWindowFlag(Qt::WindowSystemMenuHint, true);
}

TImgGal::~TImgGal() = default;

void TImgGal::sbAddImage() {
    const QString name = m_browser->SelectedFile();
    if (!name.isEmpty()) ui->lbImages->addItem(name);
}

void TImgGal::sbAddAllImages() { ui->lbImages->addItems(m_browser->FileNames()); }

void TImgGal::sbRemoveImgage() {
    QListWidgetItem* item = ui->lbImages->currentItem();
    if (item && item->isSelected()) delete item;
}

void TImgGal::sbRemoveAllImages() { ui->lbImages->clear(); }

void TImgGal::cbUseBorderClick() {
    const bool on = ui->cbUseBorder->isChecked();
    ui->Label5->setEnabled(on);
    ui->eBorder->setEnabled(on);
}

void TImgGal::bbOKClick() {
    // A bad row length keeps the dialog open with everything as entered.
    ts::runCommand(this, [this] {
        const int row = ts::toInteger(ui->eNrRow->text());
        if (row < 1 || row > 255)
            throw TError(QStringLiteral("The number of images in a row must be between 1 and 255."));
        m_result.title = ui->eTitle->text();
        m_result.rowLength = row;
        m_result.useBorder = ui->cbUseBorder->isChecked();
        m_result.border = ui->eBorder->text();
        m_result.imageUrl = ui->eURLImg->text();
        m_result.linkUrl = ui->eURLLink->text();
        m_result.images.clear();
        for (int i = 0; i < ui->lbImages->count(); ++i) m_result.images << ui->lbImages->item(i)->text();
        accept();
    });
}
