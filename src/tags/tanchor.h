#pragma once
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TAnchor;
}

namespace ts {

struct TAnchorFields {
    QString url;
    QString description;
    QString target;  // left out when empty
    QString name;    // left out when empty
};

// <A HREF="url" TARGET="target" NAME="name">description</A>, values as typed.
QString composeAnchor(const TAnchorFields& fields);

} // namespace ts

// The Anchor dialog: a link target, its text and two optional attributes.
class TAnchor : public QDialog {
    Q_OBJECT

public:
    explicit TAnchor(QWidget* parent = nullptr);
    ~TAnchor() override;

    // The composed anchor; read after an OK close.
    QString anchorText() const { return m_anchorText; }

private slots:
    void bbOKClick();
    void sbURLClick();

private:
    std::unique_ptr<Ui::TAnchor> ui;
    QString m_anchorText;
};
