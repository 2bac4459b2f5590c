#pragma once
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TImg;
}

namespace ts {

struct TImageFields {
    QString source;
    QString altText;  // no ALT attribute when empty
};

// <IMG SRC="source" ALT="altText">, values as typed.
QString composeImageTag(const TImageFields& fields);

} // namespace ts

// The Image dialog: a picture's address and its alternate text.
class TImg : public QDialog {
    Q_OBJECT

public:
    explicit TImg(QWidget* parent = nullptr);
    ~TImg() override;

    // The composed tag; read after an OK close.
    QString imageTag() const { return m_imageTag; }

private slots:
    void bbOKClick();
    void sbLocateImgClick();

private:
    std::unique_ptr<Ui::TImg> ui;
    QString m_imageTag;
};
