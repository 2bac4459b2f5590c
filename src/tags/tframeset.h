#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class TFrameSet;
}

// The FrameSet dialog: five row or five column sizes, set with up-downs.
class TFrameSet : public QDialog {
    Q_OBJECT

public:
    explicit TFrameSet(QWidget* parent = nullptr);
    ~TFrameSet() override;

    // The FRAMESET line; read after an OK close.
    QString frameSetText() const { return m_frameSetText; }

private slots:
    void ChangeClick();
    void bbOKClick();

private:
    std::unique_ptr<Ui::TFrameSet> ui;
    QString m_frameSetText;
};
