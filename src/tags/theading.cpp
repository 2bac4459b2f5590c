#include "tags/theading.h"

#include "tags/builderdialog.h"
#include "tags/inlinetags.h"
#include "ui_theading.h"

THeading::THeading(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::THeading>()) {
    ui->setupUi(this);
    ui->UpDown1->setRange(1, 6);
    ui->UpDown1->setWrap(false);
    ui->UpDown1->setAssociate(ui->eHeadSize);
    ui->UpDown1->setPosition(1);
    connect(ui->eHeadSize, &QLineEdit::textChanged, this, &THeading::HeadingChange);
    connect(ui->eHeadText, &QLineEdit::textChanged, this, &THeading::HeadingChange);
    // Composed from the start, so OK without touching a field gives <H1></H1>.
    HeadingChange();
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel);
    ui->eHeadText->setFocus();
}

THeading::~THeading() = default;

void THeading::HeadingChange() { m_headingText = ts::composeHeading(ui->eHeadSize->text(), ui->eHeadText->text()); }
