#pragma once
#include <QWidget>

#include <algorithm>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons that step a position within a range, shown in an
// associated edit field. The arrow keys and the mouse wheel on the field step
// it too. Without wrap the position stops at the ends.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition NOTIFY positionChanged)
    Q_PROPERTY(bool wrap READ wrap WRITE setWrap)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)

public:
    explicit TUpDown(QWidget* parent = nullptr);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setMinimum(int v);
    void setMaximum(int v);
    void setRange(int min, int max);
    int position() const { return m_pos; }
    void setPosition(int v);
    bool wrap() const { return m_wrap; }
    void setWrap(bool on) { m_wrap = on; }
    // How far one step moves the position (1 unless set).
    int increment() const { return m_increment; }
    void setIncrement(int v) { m_increment = std::max(1, v); }

    // The field that shows the position; not owned.
    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return m_edit; }

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    QSize sizeHint() const override;

public slots:
    void stepUp();
    void stepDown();

signals:
    void positionChanged(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void step(int delta);
    void showPosition();

    int m_min = 0;
    int m_max = 100;
    int m_pos = 0;
    bool m_wrap = false;
    int m_increment = 1;
    QLineEdit* m_edit = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};
