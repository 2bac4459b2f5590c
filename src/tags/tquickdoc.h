#pragma once
#include "tags/htmlcolour.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class QLabel;

namespace Ui {
class TQuickDoc;
}

namespace ts {

// Everything a quick document is made of: the dialog's fields, the author's
// data from the settings and the creation moment, already formatted.
struct TQuickDocFields {
    QString title;
    QString description;
    QString mainHeading;
    QString backImage;
    bool useColor = false;
    TColorRef background = 0xFFFFFF;
    TColorRef text = 0x000000;
    TColorRef link = 0xFF0000;         // blue
    TColorRef activeLink = 0x008000;   // green
    TColorRef visitedLink = 0x800080;  // purple
    QString author;
    QString email;
    QString date;
    QString time;
};

// <BODY BACKGROUND="..."> with the five colours when useColor is set.
QString composeBodyTag(const TQuickDocFields& fields);

// The 18 lines of the page, without line breaks.
QStringList composeQuickDocument(const TQuickDocFields& fields);

} // namespace ts

// The QuickDocument dialog. The colour labels hold the colours themselves:
// the background of lbBGColor and the text colours of the other four.
class TQuickDoc : public QDialog {
    Q_OBJECT

public:
    explicit TQuickDoc(QWidget* parent = nullptr);
    ~TQuickDoc() override;

    // The dialog's part of the page: texts, the check box and the colours.
    ts::TQuickDocFields fields() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void sbLocateImageClick();

private:
    void ColorChangeDblClick(QLabel* label);

    std::unique_ptr<Ui::TQuickDoc> ui;
    QColor m_lastColour = Qt::black;  // where the colour dialog starts
};
