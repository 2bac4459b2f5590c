#include "tags/tupdown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeButton = [this, layout](Qt::ArrowType arrow, const QString& name) {
        auto* b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAccessibleName(name);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
        return b;
    };
    m_up = makeButton(Qt::UpArrow, tr("Up"));
    m_down = makeButton(Qt::DownArrow, tr("Down"));
    connect(m_up, &QToolButton::clicked, this, &TUpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &TUpDown::stepDown);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QSize TUpDown::sizeHint() const { return QSize(17, 22); }

void TUpDown::setMinimum(int v) { setRange(v, std::max(v, m_max)); }
void TUpDown::setMaximum(int v) { setRange(std::min(m_min, v), v); }

void TUpDown::setRange(int min, int max) {
    m_min = min;
    m_max = std::max(min, max);
    setPosition(m_pos);
}

void TUpDown::setPosition(int v) {
    const int clamped = std::clamp(v, m_min, m_max);
    const bool changed = clamped != m_pos;
    m_pos = clamped;
    showPosition();
    if (changed) emit positionChanged(m_pos);
}

void TUpDown::setAssociate(QLineEdit* edit) {
    if (m_edit) m_edit->removeEventFilter(this);
    m_edit = edit;
    if (m_edit) {
        m_edit->installEventFilter(this);
        // Stands beside the field as tall as the field.
        setFixedHeight(m_edit->sizeHint().height());
    }
    showPosition();
}

void TUpDown::stepUp() { step(m_increment); }
void TUpDown::stepDown() { step(-m_increment); }

void TUpDown::step(int delta) {
    // Computed in 64 bits so a range reaching the int limits cannot overflow.
    qint64 next = qint64(m_pos) + delta;
    if (next > m_max) next = m_wrap ? m_min : m_max;
    if (next < m_min) next = m_wrap ? m_max : m_min;
    setPosition(int(next));
}

void TUpDown::showPosition() {
    if (m_edit) m_edit->setText(QString::number(m_pos));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && isEnabled()) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                step(key == Qt::Key_Up ? m_increment : -m_increment);
                return true;
            }
        } else if (event->type() == QEvent::Wheel) {
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (dy != 0) step(dy > 0 ? m_increment : -m_increment);
    event->accept();
}
