#pragma once
#include "usertags/usertagstore.h"

#include <QDialog>
#include <array>
#include <memory>

namespace Ui {
class TUserTags;
}

// The manager of the nine user tags. Every close stores all nine.
class TUserTags : public QDialog {
    Q_OBJECT

public:
    explicit TUserTags(QWidget* parent = nullptr);
    ~TUserTags() override;

    // Fills the grid from the store first; when that fails the error is
    // thrown and the dialog does not open, so no half-read table is stored.
    int exec() override;
    // Every way of closing runs FormCloseQuery first.
    void done(int result) override;

    void FormShow();
    // Stores the table; false (error shown) keeps the dialog open.
    bool FormCloseQuery();

public slots:
    void sbEditClick();
    void sbDeleteClick();

private:
    // The tag of the selected row, 1 to 9; 0 when no row is selected.
    int selectedTag() const;
    void showRow(int number);

    std::unique_ptr<Ui::TUserTags> ui;
    std::array<TUserTag, kUserTagCount> m_loaded;
};
