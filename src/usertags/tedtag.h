#pragma once
#include "usertags/usertagstore.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TEdTag;
}

// Edits the five texts of one user tag.
class TEdTag : public QDialog {
    Q_OBJECT

public:
    explicit TEdTag(QWidget* parent = nullptr);
    ~TEdTag() override;

    // Filled by the caller before the dialog shows; read after an OK close.
    const TUserTag& Tag() const { return m_tag; }
    void SetTag(const TUserTag& tag) { m_tag = tag; }

    // Puts the texts into the edits.
    void FormShow();

private slots:
    void bbOKClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::unique_ptr<Ui::TEdTag> ui;
    TUserTag m_tag;
};
