#include "tags/ttableedit.h"

#include "platform/command.h"
#include "platform/commondialogs.h"
#include "tags/builderdialog.h"
#include "tags/fonttable.h"
#include "tags/htmlcolour.h"
#include "tags/swatch.h"
#include "ui_ttableedit.h"

#include <QAbstractItemDelegate>
#include <QEvent>

TTableEdit::TTableEdit(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TTableEdit>()) {
    ui->setupUi(this);
    const struct {
        TUpDown* upDown;
        QLineEdit* edit;
        int min, max, position;
    } counters[] = {
        {ui->udCols, ui->eNrCols, 1, 10, 1},          {ui->udRows, ui->eNrRows, 1, 10, 1},
        {ui->udWidth, ui->eBorderWidth, 1, 100, 1},   {ui->udPadding, ui->eCellPadding, 0, 100, 0},
        {ui->udSpacing, ui->eCellSpacing, 0, 100, 0},
    };
    for (const auto& c : counters) {
        c.upDown->setRange(c.min, c.max);
        c.upDown->setPosition(c.position);
        c.upDown->setAssociate(c.edit);
    }
    ts::showSwatch(ui->eColor, m_colour);
    ui->sgTable->installEventFilter(this);
    connect(ui->eNrCols, &QLineEdit::textChanged, this, &TTableEdit::TableChange);
    connect(ui->eNrRows, &QLineEdit::textChanged, this, &TTableEdit::TableChange);
    connect(ui->eCellCol, &QLineEdit::textChanged, this, &TTableEdit::eCellColChange);
    connect(ui->sbChooseCol, &QToolButton::clicked, this, &TTableEdit::sbChooseColClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &TTableEdit::bbOKClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel, false);
    ui->eNrCols->setFocus();
}

TTableEdit::~TTableEdit() = default;

bool TTableEdit::eventFilter(QObject* watched, QEvent* event) {
    // The grid is always ready for typing: whenever it gets the focus, the
    // current cell opens (moving to another cell opens that one). A cell already open stays as it is.
    if (watched == ui->sgTable && event->type() == QEvent::FocusIn) {
        if (!ui->sgTable->currentIndex().isValid())
            ui->sgTable->setCurrentCell(0, 0);
        else
            ui->sgTable->edit(ui->sgTable->currentIndex());
    }
    return QDialog::eventFilter(watched, event);
}

void TTableEdit::TableChange() {
    auto* field = qobject_cast<QLineEdit*>(sender());
    if (!field) return;
    ts::runCommand(this, [&] {
        const std::optional<int> count = ts::tableCount(field->text());
        // The grid keeps its size when the text is no number.
        if (!count) throw TError(ts::notAnIntegerMessage(field->text()));
        // What is being typed is in the grid before the grid changes under it.
        commitOpenCell();
        if (field == ui->eNrCols)
            ui->sgTable->setColumnCount(*count);
        else
            ui->sgTable->setRowCount(*count);
    });
}

void TTableEdit::eCellColChange() {
    // The swatch shows a colour as it is typed; otherwise the one chosen last.
    ts::showSwatch(ui->eColor, ts::typedColour(ui->eCellCol->text()).value_or(m_colour));
}

void TTableEdit::sbChooseColClick() {
    const std::optional<QColor> chosen =
        ts::commonDialogs().color(this, ts::typedColour(ui->eCellCol->text()).value_or(m_colour));
    if (!chosen) return;
    const ts::TColorRef colour = ts::colorRef(*chosen);
    m_colour = ts::toQColor(colour);
    ui->eCellCol->setText(QLatin1Char('#') + ts::htmlColourDigits(colour));
    ts::showSwatch(ui->eColor, m_colour);
    m_colourChosen = true;
}

void TTableEdit::commitOpenCell() {
    // The cell being typed into hands its text to the grid and stays open for more.
    QTableWidget* grid = ui->sgTable;
    const QModelIndex cell = grid->currentIndex();
    if (QWidget* editor = grid->indexWidget(cell))
        grid->itemDelegateForIndex(cell)->setModelData(editor, grid->model(), cell);
}

void TTableEdit::bbOKClick() {
    // A cell still being typed into counts with what it holds now.
    commitOpenCell();
    ts::TQuickTableFields f;
    f.borderWidth = ui->eBorderWidth->text();
    f.cellPadding = ui->eCellPadding->text();
    f.cellSpacing = ui->eCellSpacing->text();
    f.caption = ui->eCaption->text();
    // A colour typed in counts as chosen too.
    f.colourChosen = m_colourChosen || ts::typedColour(ui->eCellCol->text()).has_value();
    f.cellColour = ui->eCellCol->text();
    const QTableWidget* grid = ui->sgTable;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QTableWidgetItem* cell = grid->item(r, c);
            row << (cell ? cell->text() : QString());
        }
        f.cells.push_back(row);
    }
    m_lines = ts::composeQuickTable(f);
    accept();
}
