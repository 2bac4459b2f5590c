#include "tags/tnoframes.h"

#include "tags/builderdialog.h"
#include "tags/frames.h"
#include "ui_tnoframes.h"

#include <QTextBlock>

TNoFrames::TNoFrames(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TNoFrames>()) {
    ui->setupUi(this);
    ui->mMessage->setPlainText(ts::defaultNoFramesMessage());
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel);
    // Unlike the other builders this one may be resized, and has its menu.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui->mMessage->setFocus();
}

TNoFrames::~TNoFrames() = default;

QStringList TNoFrames::messageLines() const {
    // Block by block rather than toPlainText(), which turns no-break spaces
    // into plain ones.
    QStringList blocks;
    for (QTextBlock b = ui->mMessage->document()->begin(); b.isValid(); b = b.next()) blocks << b.text();
    return ts::textLines(blocks.join(QLatin1Char('\n')));
}
