#pragma once
#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TNoFrames;
}

// The NoFrames dialog: the message shown by browsers without frames.
class TNoFrames : public QDialog {
    Q_OBJECT

public:
    explicit TNoFrames(QWidget* parent = nullptr);
    ~TNoFrames() override;

    // The message's lines, as shown.
    QStringList messageLines() const;

private:
    std::unique_ptr<Ui::TNoFrames> ui;
};
