#pragma once
#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TQuickForm;
}

// The QuickForm dialog: fields are added one by one through their own
// dialogs; the list shows the lines they will write.
class TQuickForm : public QDialog {
    Q_OBJECT

public:
    explicit TQuickForm(QWidget* parent = nullptr);
    ~TQuickForm() override;

    // The lines of the list, first to last.
    QStringList lines() const;

private slots:
    void InsertClick();

private:
    std::unique_ptr<Ui::TQuickForm> ui;
};
