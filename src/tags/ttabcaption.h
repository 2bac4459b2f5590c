#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class TTabCaption;
}

// The Table caption dialog: a CAPTION element with an optional alignment.
class TTabCaption : public QDialog {
    Q_OBJECT

public:
    explicit TTabCaption(QWidget* parent = nullptr);
    ~TTabCaption() override;

    // "<CAPTION ALIGN=TOP>...</CAPTION>"; read after an OK close.
    QString captionText() const { return m_captionText; }

private slots:
    void bbOKClick();

private:
    std::unique_ptr<Ui::TTabCaption> ui;
    QString m_captionText;
};
