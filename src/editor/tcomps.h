#pragma once
#include <QDialog>
#include <QPoint>
#include <QString>

#include <memory>
#include <optional>

class QMimeData;
class QMouseEvent;
class QTreeWidgetItem;

namespace Ui {
class TComps;
}

namespace ts {
// The drag format of a catalogue entry: its caption as UTF-8.
inline constexpr char kComponentMimeType[] = "application/x-tagsmith-component";
QMimeData* componentMimeData(const QString& caption);
// The caption carried by a catalogue drag; nothing for any other data.
std::optional<QString> componentCaptionFromDrop(const QMimeData* data);
} // namespace ts

// The Components tool window: the catalogue tree, dragged into documents.
class TComps : public QDialog {
    Q_OBJECT

public:
    explicit TComps(QWidget* parent = nullptr);
    ~TComps() override;

    // Opens one more Components window, stay-on-top and modeless, at the
    // right edge of the screen, 145 pixels from the top. It deletes itself
    // when closed. owner, when given, should outlive documents (the main window).
    static TComps* open(QWidget* owner = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void bbOKClick();

private:
    void fillTree();
    void oComponentsMouseDown(QMouseEvent* event);
    void oComponentsMouseMove(QMouseEvent* event);

    std::unique_ptr<Ui::TComps> ui;
    QPoint m_pressPos;
    bool m_dragArmed = false;
};
