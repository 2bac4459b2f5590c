#include "tags/tquickfont.h"

#include "platform/commondialogs.h"
#include "tags/builderdialog.h"
#include "tags/fonttable.h"
#include "ui_tquickfont.h"

#include <QEvent>
#include <QShowEvent>

namespace {

const QString kStartFace = QStringLiteral("Courier New");
constexpr int kFacePointSize = 14;

void paintWhite(QLabel* label) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

} // namespace

TQuickFont::TQuickFont(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TQuickFont>()) {
    ui->setupUi(this);
    ui->UpDown1->setRange(1, 6);
    ui->UpDown1->setWrap(false);
    ui->UpDown1->setAssociate(ui->eFontSize);
    paintWhite(ui->lbFontName);
    paintWhite(ui->lbFontColor);
    ui->lbFontName->installEventFilter(this);
    ui->lbFontColor->installEventFilter(this);
    m_dialogFont.setPointSize(8);
    connect(ui->bbOK, &QPushButton::clicked, this, &TQuickFont::bbOKClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
}

TQuickFont::~TQuickFont() = default;

void TQuickFont::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

void TQuickFont::FormActivate() {
    QFont face(kStartFace);
    // Where Courier New is missing, the nearest fixed-pitch face stands in.
    face.setStyleHint(QFont::TypeWriter);
    showFace(face);
    showColour(0);
    ui->UpDown1->setPosition(2);
    ui->eFontSize->selectAll();
    ui->eFontSize->setFocus();
}

void TQuickFont::showFace(const QFont& font) {
    m_face = font.family();
    QFont drawn = font;
    drawn.setPointSize(kFacePointSize);
    ui->lbFontName->setFont(drawn);
    ui->lbFontName->setText(m_face);
}

void TQuickFont::showColour(ts::TColorRef colour) {
    m_colour = colour;
    QPalette p = ui->lbFontColor->palette();
    p.setColor(QPalette::WindowText, ts::toQColor(colour));
    ui->lbFontColor->setPalette(p);
}

bool TQuickFont::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == ui->lbFontName) {
            lbFontNameDblClick();
            return true;
        }
        if (watched == ui->lbFontColor) {
            lbFontColorDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TQuickFont::lbFontNameDblClick() {
    // The dialog always opens on Courier New, in the size and style chosen last.
    QFont initial = m_dialogFont;
    initial.setFamily(kStartFace);
    const std::optional<QFont> chosen = ts::commonDialogs().font(this, initial);
    if (!chosen) return;
    m_dialogFont = *chosen;
    showFace(*chosen);
}

void TQuickFont::lbFontColorDblClick() {
    const std::optional<QColor> chosen = ts::commonDialogs().color(this, ts::toQColor(m_colour));
    if (!chosen) return;
    showColour(ts::colorRef(*chosen));
}

void TQuickFont::bbOKClick() {
    m_fontTag = ts::composeFontTag({ui->eFontSize->text(), m_colour, m_face});
    accept();
}
