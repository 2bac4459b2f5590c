#include "dialogs/tuploadftp.h"

#include "dialogs/upload.h"
#include "platform/command.h"
#include "platform/messages.h"
#include "settings/tprefsrecord.h"
#include "tags/filebrowser.h"
#include "ui_tuploadftp.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLocale>
#include <QProgressDialog>
#include <QScreen>
#include <QStyle>

#include <algorithm>

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
    // Uploading needs something to send.
    ui->sbUploadFiles->setEnabled(false);
    QAbstractItemModel* model = ui->lbFiles->model();
    auto listChanged = [this] { ui->sbUploadFiles->setEnabled(ui->lbFiles->count() > 0); };
    connect(model, &QAbstractItemModel::rowsInserted, this, listChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, listChanged);
    connect(model, &QAbstractItemModel::modelReset, this, listChanged);
    connect(ui->sbResetList, &QPushButton::clicked, this, &TUploadFTP::sbResetClick);
    connect(ui->sbUploadFiles, &QPushButton::clicked, this, &TUploadFTP::sbUploadFilesClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->bbCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(464, 448);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TUploadFTP::~TUploadFTP() {
    // The list's model resets while its widget is destroyed: by then this
    // dialog is gone as a TUploadFTP.
    ui->lbFiles->model()->disconnect(this);
}

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
    const QString path = QDir(m_browser->Directory()).filePath(name);
    // Every file goes to the server under its bare name: a second one of that name would overwrite the first.
    const QString remote = ts::remoteName(path);
    const QStringList listed = Files();
    if (std::any_of(listed.begin(), listed.end(), [&](const QString& f) { return ts::remoteName(f) == remote; })) {
        ts::messages().warning(this, QStringLiteral("A file named \"%1\" is already in the list: on the server the second "
                                                    "would overwrite the first.").arg(remote));
        return;
    }
    ui->lbFiles->addItem(path);
}

void TUploadFTP::sbResetClick() { ui->lbFiles->clear(); }

void TUploadFTP::sbUploadFilesClick() {
    const QStringList files = Files();
    if (files.isEmpty()) return;
    ts::runCommand(this, [&] {
        ts::UploadAccount account;
        {
            const TPrefsRecord prefs = TPrefsRecord::load();
            account.host = prefs.Host;
            account.user = prefs.Username;
            account.password = prefs.Password;
            account.folder = prefs.InitDir;
        }
        ts::parseUploadHost(account.host); // a bad host fails here, before any progress shows

        ts::Upload upload(std::move(account), files);
        QProgressDialog progress(this);
        progress.setObjectName(QStringLiteral("UploadProgress"));
        progress.setWindowTitle(QStringLiteral("Uploading files"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        progress.setMinimumDuration(0);
        progress.setRange(0, 1000);
        progress.setValue(0);
        QString current;
        const QLocale locale;
        auto show = [&](qint64 done, qint64 total) {
            if (!progress.wasCanceled())
                progress.setLabelText(QStringLiteral("Sending %1\n%2 of %3 bytes")
                                      .arg(current, locale.toString(done), locale.toString(total)));
            progress.setValue(total > 0 ? int(done * 1000 / total) : 0);
        };
        connect(&upload, &ts::Upload::fileStarted, &progress, [&](int, const QString& name) { current = name; });
        connect(&upload, &ts::Upload::progress, &progress, show);
        connect(&progress, &QProgressDialog::canceled, &upload, [&] {
            upload.cancel();
            progress.setLabelText(QStringLiteral("Cancelling..."));
        });
        QEventLoop loop;
        connect(&upload, &ts::Upload::finished, &loop, &QEventLoop::quit);
        upload.start();
        progress.show();
        loop.exec();
        progress.hide();

        const std::vector<ts::UploadResult>& results = upload.results();
        const QString report = ts::uploadReport(results);
        const bool allArrived = std::all_of(results.begin(), results.end(), [](const auto& r) { return r.arrived; });
        if (allArrived) ts::messages().information(this, report);
        else ts::messages().error(this, report);
    });
}

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
