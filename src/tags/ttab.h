#pragma once
#include <QColor>
#include <QDialog>

#include <memory>

namespace Ui {
class TTab;
}

// The Table dialog: an empty TABLE element with the attributes filled in.
class TTab : public QDialog {
    Q_OBJECT

public:
    explicit TTab(QWidget* parent = nullptr);
    ~TTab() override;

    // "<TABLE ...></TABLE>"; read after an OK close.
    QString tableText() const { return m_tableText; }

private slots:
    void cbBorderClick();
    void sbChooseColorClick();
    void bbOKClick();

private:
    std::unique_ptr<Ui::TTab> ui;
    QColor m_colour = Qt::black;
    QString m_tableText;
};
