#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class TFrame;
}

// The Frame dialog: source, name, margins, scrolling and resizing of a FRAME.
class TFrame : public QDialog {
    Q_OBJECT

public:
    explicit TFrame(QWidget* parent = nullptr);
    ~TFrame() override;

    // The FRAME line; read after an OK close.
    QString frameText() const { return m_frameText; }

private slots:
    void bbLocateURLClick();
    void bbOKClick();

private:
    std::unique_ptr<Ui::TFrame> ui;
    QString m_frameText;
};
