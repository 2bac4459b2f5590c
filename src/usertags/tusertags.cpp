#include "usertags/tusertags.h"

#include "platform/command.h"
#include "ui_tusertags.h"
#include "usertags/dialogframe.h"
#include "usertags/tedtag.h"

#include <QHeaderView>
#include <QStyle>

TUserTags::TUserTags(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TUserTags>()) {
    ui->setupUi(this);
    QTableWidget* grid = ui->sgUserTags;
    grid->setColumnWidth(0, 64);
    grid->setColumnWidth(1, 150);
    grid->horizontalHeader()->setStretchLastSection(false);
    // All nine rows in view, as the grid has no use for scrolling.
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->setMinimumSize(64 + 150 + 2 * grid->frameWidth(),
                         grid->horizontalHeader()->sizeHint().height() +
                             kUserTagCount * grid->verticalHeader()->defaultSectionSize() + 2 * grid->frameWidth());
    for (int row = 0; row < kUserTagCount; ++row)
        for (int col = 0; col < 2; ++col) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grid->setItem(row, col, item);
        }
    ui->sbEdit->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->sbDelete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));

    connect(ui->sbEdit, &QPushButton::clicked, this, &TUserTags::sbEditClick);
    connect(ui->sbDelete, &QPushButton::clicked, this, &TUserTags::sbDeleteClick);
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        ui->sgUserTags->selectRow(row);
        sbEditClick();
    });
    connect(ui->bbOK, &QPushButton::clicked, this, &QDialog::accept);
    ts::setUpUserTagDialog(*this, QSize(361, 319), ui->bbOK, ui->bbCancel);
}

TUserTags::~TUserTags() = default;

int TUserTags::exec() {
    FormShow();
    return QDialog::exec();
}

void TUserTags::FormShow() {
    ui->sgUserTags->setHorizontalHeaderLabels({QStringLiteral("Title"), QStringLiteral("Name")});
    LoadUserTags();
    for (int n = 1; n <= kUserTagCount; ++n) {
        m_loaded[size_t(n - 1)] = UserTagTable(n);
        showRow(n);
    }
    ui->sgUserTags->setCurrentCell(0, 0);
}

void TUserTags::showRow(int number) {
    const TUserTag& tag = UserTagTable(number);
    ui->sgUserTags->item(number - 1, 0)->setText(tag.Title);
    ui->sgUserTags->item(number - 1, 1)->setText(tag.Name);
}

int TUserTags::selectedTag() const {
    const QList<QTableWidgetItem*> selected = ui->sgUserTags->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->row() + 1;
}

void TUserTags::sbEditClick() {
    const int n = selectedTag();
    if (n == 0) return;
    TEdTag editor(this);
    editor.SetTag(UserTagTable(n));
    if (editor.exec() != QDialog::Accepted) return;
    UserTagTable(n) = editor.Tag();
    showRow(n);
}

void TUserTags::sbDeleteClick() {
    const int n = selectedTag();
    if (n == 0) return;
    // Enter keeps the tag: Yes throws its texts away.
    if (ts::messages().askYesNo(this, QStringLiteral("Really delete this tag ??"), ts::Answer::No) != ts::Answer::Yes)
        return;
    UserTagTable(n) = TUserTag{};
    showRow(n);
}

bool TUserTags::FormCloseQuery() { return ts::runCommand(this, [] { SaveUserTags(); }); }

void TUserTags::done(int result) {
    if (!FormCloseQuery()) {
        // Without a way out a store that cannot be written would hold the
        // whole program in this dialog.
        if (ts::messages().askYesNo(this,
                                    QStringLiteral("The user tags could not be stored. Close without "
                                                   "storing them?"),
                                    ts::Answer::No) != ts::Answer::Yes)
            return;
        for (int n = 1; n <= kUserTagCount; ++n) UserTagTable(n) = m_loaded[size_t(n - 1)];
        result = QDialog::Rejected;
    }
    QDialog::done(result);
}
