#pragma once
#include "tags/formfields.h"

#include <QDialog>

#include <memory>

class QAbstractButton;

namespace Ui {
class TQFTB;
class TQFHT;
class TQFTA;
class TQFCB;
class TQFRB;
class TQFDD;
class TQFSUB;
class TQFRES;
}

// A form field dialog: gathers the texts its field lines are made of. The
// same dialog serves the palette button and the QuickForm's Insert.
class TQFDialog : public QDialog {
    Q_OBJECT

public:
    ~TQFDialog() override;

    // Every named edit's text by control name, and the options (if any).
    ts::TFieldValues fieldValues() const;

protected:
    explicit TQFDialog(QWidget* parent);
    // The common builder frame; first is the field that has the focus.
    void setUp(QAbstractButton* ok, QAbstractButton* cancel, QWidget* first);
    virtual QStringList options() const { return {}; }
};

// Text box: name, value, size, max. length.
class TQFTB final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFTB(QWidget* parent = nullptr);
    ~TQFTB() override;

private:
    std::unique_ptr<Ui::TQFTB> ui;
};

// Hidden text: name, value. Keeps its system menu and close box.
class TQFHT final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFHT(QWidget* parent = nullptr);
    ~TQFHT() override;

private:
    std::unique_ptr<Ui::TQFHT> ui;
};

// Text area: name, rows, columns.
class TQFTA final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFTA(QWidget* parent = nullptr);
    ~TQFTA() override;

private:
    std::unique_ptr<Ui::TQFTA> ui;
};

// Checkbox: name, value.
class TQFCB final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFCB(QWidget* parent = nullptr);
    ~TQFCB() override;

private:
    std::unique_ptr<Ui::TQFCB> ui;
};

// Radio button: name, value.
class TQFRB final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFRB(QWidget* parent = nullptr);
    ~TQFRB() override;

private:
    std::unique_ptr<Ui::TQFRB> ui;
};

// Drop-down list: name and a grid of 1 to 10 options.
class TQFDD final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFDD(QWidget* parent = nullptr);
    ~TQFDD() override;

    void done(int result) override;

protected:
    QStringList options() const override;

private slots:
    void RowsChange();

private:
    std::unique_ptr<Ui::TQFDD> ui;
};

// Submit button: name, value.
class TQFSUB final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFSUB(QWidget* parent = nullptr);
    ~TQFSUB() override;

private:
    std::unique_ptr<Ui::TQFSUB> ui;
};

// Reset button: name, value.
class TQFRES final : public TQFDialog {
    Q_OBJECT

public:
    explicit TQFRES(QWidget* parent = nullptr);
    ~TQFRES() override;

private:
    std::unique_ptr<Ui::TQFRES> ui;
};
