#pragma once
#include "tags/htmlcolour.h"

#include <QDialog>
#include <QFont>

#include <memory>

namespace Ui {
class TQuickFont;
}

// QuickFont: size, colour and face of a FONT start tag; face and colour are
// chosen through the common font and colour dialogs by double-clicking their
// labels.
class TQuickFont : public QDialog {
    Q_OBJECT

public:
    explicit TQuickFont(QWidget* parent = nullptr);
    ~TQuickFont() override;

    // <FONT SIZE="2" COLOR="#000000" FACE="Courier New">; read after an OK close.
    QString fontTag() const { return m_fontTag; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void bbOKClick();
    void lbFontNameDblClick();
    void lbFontColorDblClick();

private:
    void FormActivate();
    void showFace(const QFont& font);
    void showColour(ts::TColorRef colour);

    std::unique_ptr<Ui::TQuickFont> ui;
    QFont m_dialogFont;   // what the font dialog opens with, apart from the face
    QString m_face;
    ts::TColorRef m_colour = 0;
    QString m_fontTag;
};
