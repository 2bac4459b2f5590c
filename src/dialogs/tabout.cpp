#include "dialogs/tabout.h"

#include "ui_tabout.h"

#include <QGuiApplication>
#include <QScreen>

TAbout::TAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAbout>()) {
    ui->setupUi(this);
    // No system menu and no close box: OK is the way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui->bbOK, &QPushButton::clicked, this, &QDialog::accept);
}

TAbout::~TAbout() = default;

void TAbout::showEvent(QShowEvent* e) {
    FormShow();
    QDialog::showEvent(e);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAbout::FormShow() {
    ui->lbRelease->setText(QStringLiteral("Release : ") +
                           QStringLiteral("%1").arg(kReleaseCode, 6, 16, QLatin1Char('0')).toUpper());
}
