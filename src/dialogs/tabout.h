#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class TAbout;
}

// The About box: program name, version and release code.
class TAbout : public QDialog {
    Q_OBJECT

public:
    explicit TAbout(QWidget* parent = nullptr);
    ~TAbout() override;

    static constexpr unsigned kReleaseCode = 11269611;  // ABF5EB

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();

private:
    std::unique_ptr<Ui::TAbout> ui;
};
