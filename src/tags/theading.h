#pragma once
#include <QDialog>

#include <memory>

namespace Ui {
class THeading;
}

// The Heading dialog: a level 1 to 6 and a heading text.
class THeading : public QDialog {
    Q_OBJECT

public:
    explicit THeading(QWidget* parent = nullptr);
    ~THeading() override;

    // The composed heading, e.g. "<H2>Welcome</H2>"; read after an OK close.
    QString headingText() const { return m_headingText; }

private slots:
    void HeadingChange();

private:
    std::unique_ptr<Ui::THeading> ui;
    QString m_headingText;
};
