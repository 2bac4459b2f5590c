#pragma once
#include <QColor>
#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TTableEdit;
}

// QuickTable: a grid of cell texts and the table's settings, written as a
// whole table one line per tag.
class TTableEdit : public QDialog {
    Q_OBJECT

public:
    explicit TTableEdit(QWidget* parent = nullptr);
    ~TTableEdit() override;

    // The table's lines in writing order; read after an OK close.
    QStringList tableLines() const { return m_lines; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void TableChange();
    void sbChooseColClick();
    void bbOKClick();

private:
    void commitOpenCell();
    void eCellColChange();

    std::unique_ptr<Ui::TTableEdit> ui;
    bool m_colourChosen = false; // from the colour dialog
    QColor m_colour = Qt::white; // the one last chosen there
    QStringList m_lines;
};
