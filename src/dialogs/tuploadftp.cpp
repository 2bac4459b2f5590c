#include "dialogs/tuploadftp.h"

#include "tags/filebrowser.h"
#include "ui_tuploadftp.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

TUploadFTP::TUploadFTP(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TUploadFTP>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_browser = new ts::TFileBrowser(ui->cbDrive, ui->dlDir, ui->flFile);

    ui->flFile->setDragEnabled(true);
    ui->flFile->setDragDropMode(QAbstractItemView::DragOnly);
    ui->lbFiles->setAcceptDrops(true);
    ui->lbFiles->viewport()->setAcceptDrops(true);
    ui->lbFiles->viewport()->installEventFilter(this);

    ui->sbResetList->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    ui->sbUploadFiles->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    // There is no transfer yet.
    ui->sbUploadFiles->setEnabled(false);
    connect(ui->sbResetList, &QPushButton::clicked, this, &TUploadFTP::sbResetClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->bbCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(464, 448);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TUploadFTP::~TUploadFTP() = default;

QStringList TUploadFTP::Files() const {
    QStringList files;
    for (int i = 0; i < ui->lbFiles->count(); ++i) files << ui->lbFiles->item(i)->text();
    return files;
}

bool TUploadFTP::lbFilesDragOver(const QObject* source) const { return source == ui->flFile; }

void TUploadFTP::lbFilesDragDrop() {
    const QString name = m_browser->SelectedFile();
    if (name.isEmpty()) return;
    // The platform's separator: a backslash would name no file here.
    ui->lbFiles->addItem(QDir(m_browser->Directory()).filePath(name));
}

void TUploadFTP::sbResetClick() { ui->lbFiles->clear(); }

bool TUploadFTP::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ui->lbFiles->viewport()) {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(e);
            if (lbFilesDragOver(drag->source())) drag->acceptProposedAction();
            else drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(e);
            if (!lbFilesDragOver(drop->source())) return true;
            drop->acceptProposedAction();
            lbFilesDragDrop();
            return true;
        }
        default: break;
        }
    }
    return QDialog::eventFilter(watched, e);
}
