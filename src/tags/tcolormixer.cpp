#include "tags/tcolormixer.h"

#include "tags/builderdialog.h"
#include "tags/fonttable.h"
#include "ui_tcolormixer.h"

namespace {

void setRole(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

} // namespace

TColorMixer::TColorMixer(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TColorMixer>()) {
    ui->setupUi(this);
    FormCreate();
    for (QScrollBar* bar : {ui->sbRed, ui->sbGreen, ui->sbBlue})
        connect(bar, &QScrollBar::valueChanged, this, &TColorMixer::ColorChange);
    ts::setUpClosableDialog(*this, ui->bbOK, ui->bbCancel, true, false);
}

TColorMixer::~TColorMixer() = default;

void TColorMixer::FormCreate() {
    setRole(ui->lbRed, QPalette::WindowText, Qt::red);
    setRole(ui->lbGreen, QPalette::WindowText, QColor(0, 128, 128));
    setRole(ui->lbBlue, QPalette::WindowText, Qt::blue);
    ui->lColor->setAutoFillBackground(true);
    setRole(ui->lColor, QPalette::Window, Qt::black);
}

void TColorMixer::ColorChange() {
    const int r = ui->sbRed->value(), g = ui->sbGreen->value(), b = ui->sbBlue->value();
    ui->eValueRed->setText(ts::colourComponentText(r));
    ui->eValueGreen->setText(ts::colourComponentText(g));
    ui->eValueBlue->setText(ts::colourComponentText(b));
    setRole(ui->lColor, QPalette::Window, QColor(r, g, b));
    m_colourText = ts::composeMixedColour(r, g, b);
}
