#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class THR;
}

// The Horizontal Rule dialog: the height of the rule, taken as typed.
class THR : public QDialog {
    Q_OBJECT

public:
    explicit THR(QWidget* parent = nullptr);
    ~THR() override;

    // Read after an OK close: the height as typed, and "<HR SIZE=" height ">".
    QString heightText() const { return m_height; }
    QString ruleText() const { return m_ruleText; }

private slots:
    void bbOKClick();

private:
    std::unique_ptr<Ui::THR> ui;
    QString m_height;
    QString m_ruleText;
};
