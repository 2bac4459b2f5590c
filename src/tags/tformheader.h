#pragma once
#include "tags/formfields.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFormHeader;
}

// The Form Header dialog: action, method and encoding type of a FORM.
class TFormHeader : public QDialog {
    Q_OBJECT

public:
    explicit TFormHeader(QWidget* parent = nullptr);
    ~TFormHeader() override;

    ts::TFormHeaderValues values() const;

private slots:
    void sbURLClick();

private:
    std::unique_ptr<Ui::TFormHeader> ui;
};
