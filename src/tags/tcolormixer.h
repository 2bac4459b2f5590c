#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class TColorMixer;
}

// The Color-Mixer: red, green and blue on three scroll bars, mixed into an
// HTML colour text.
class TColorMixer : public QDialog {
    Q_OBJECT

public:
    explicit TColorMixer(QWidget* parent = nullptr);
    ~TColorMixer() override;

    // "#RRGGBB", empty until a bar has moved.
    QString colourText() const { return m_colourText; }

private slots:
    void ColorChange();

private:
    void FormCreate();

    std::unique_ptr<Ui::TColorMixer> ui;
    QString m_colourText;
};
