#include "tags/tqfdialogs.h"

#include "tags/builderdialog.h"
#include "ui_tqfcb.h"
#include "ui_tqfdd.h"
#include "ui_tqfht.h"
#include "ui_tqfrb.h"
#include "ui_tqfres.h"
#include "ui_tqfsub.h"
#include "ui_tqfta.h"
#include "ui_tqftb.h"

#include <QHeaderView>

TQFDialog::TQFDialog(QWidget* parent) : QDialog(parent) {}

TQFDialog::~TQFDialog() = default;

void TQFDialog::setUp(QAbstractButton* ok, QAbstractButton* cancel, QWidget* first) {
    ts::setUpBuilderDialog(*this, ok, cancel);
    first->setFocus();
}

ts::TFieldValues TQFDialog::fieldValues() const {
    ts::TFieldValues v;
    for (const QLineEdit* e : findChildren<QLineEdit*>())
        if (!e->objectName().isEmpty()) v.texts.insert(e->objectName(), e->text());
    v.options = options();
    return v;
}

TQFTB::TQFTB(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFTB>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFTB::~TQFTB() = default;

TQFHT::TQFHT(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFHT>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Not centred on the screen like the others: placed where the window
    // system puts a dialog over its owner.
    setAttribute(Qt::WA_Moved, false);
}
TQFHT::~TQFHT() = default;

TQFTA::TQFTA(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFTA>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFTA::~TQFTA() = default;

TQFCB::TQFCB(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFCB>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFCB::~TQFCB() = default;

TQFRB::TQFRB(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFRB>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFRB::~TQFRB() = default;

TQFSUB::TQFSUB(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFSUB>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFSUB::~TQFSUB() = default;

TQFRES::TQFRES(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFRES>()) {
    ui->setupUi(this);
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFRES::~TQFRES() = default;

TQFDD::TQFDD(QWidget* parent) : TQFDialog(parent), ui(std::make_unique<Ui::TQFDD>()) {
    ui->setupUi(this);
    ui->sgOptions->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->udRows->setRange(1, 10);
    ui->udRows->setWrap(false);
    ui->udRows->setAssociate(ui->eRows);
    ui->udRows->setPosition(1);
    connect(ui->eRows, &QLineEdit::textChanged, this, &TQFDD::RowsChange);
    RowsChange();
    setUp(ui->bbOK, ui->bbCancel, ui->eName);
}
TQFDD::~TQFDD() = default;

void TQFDD::RowsChange() { ui->sgOptions->setRowCount(ui->eRows->text().toInt()); }

void TQFDD::done(int result) {
    // A cell still being edited counts with what it shows: moving off it
    // commits the editor before the options are read.
    if (result == Accepted) ui->sgOptions->setCurrentIndex(QModelIndex());
    TQFDialog::done(result);
}

QStringList TQFDD::options() const {
    QStringList cells;
    for (int r = 0; r < ui->sgOptions->rowCount(); ++r) {
        const QTableWidgetItem* item = ui->sgOptions->item(r, 0);
        cells << (item ? item->text() : QString());
    }
    return cells;
}
