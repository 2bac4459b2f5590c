#include "wizard/thppreview.h"

#include <QPainter>
#include <QPixmap>

// The pictures live in a static library, so their resource is pulled in by hand.
static void initWizardPictures() { Q_INIT_RESOURCE(wizard); }

namespace {

QFont serif(int pointSize) {
    QFont f(QStringLiteral("serif"));
    f.setStyleHint(QFont::Serif);
    f.setPointSize(pointSize);
    f.setBold(true);
    return f;
}

// Draws from the top down, each piece below the last.
class Sketch {
public:
    Sketch(QPainter& p, const QRect& area, bool centred) : m_p(p), m_area(area), m_y(area.top() + 10), m_centred(centred) {}

    void text(const QString& s, const QFont& font, const QColor& colour = Qt::black, bool underline = false) {
        QFont f = font;
        f.setUnderline(underline);
        m_p.setFont(f);
        m_p.setPen(colour);
        const int h = QFontMetrics(f).height();
        const QRect r(m_area.left() + 8, m_y, m_area.width() - 16, h);
        m_p.drawText(r, (m_centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, s);
        m_y += h + 4;
    }
    void rule() {
        const int left = m_area.left() + 6, right = m_area.right() - 6;
        m_p.setPen(QColor(128, 128, 128));
        m_p.drawLine(left, m_y, right, m_y);
        m_p.setPen(Qt::white);
        m_p.drawLine(left, m_y + 1, right, m_y + 1);
        m_y += 8;
    }
    void picture(const QPixmap& pm) {
        m_p.drawPixmap(m_area.left() + (m_area.width() - pm.width()) / 2, m_y, pm);
        m_y += pm.height() + 6;
    }
    void gap(int h) { m_y += h; }

private:
    QPainter& m_p;
    QRect m_area;
    int m_y;
    bool m_centred;
};

} // namespace

THPPreview::THPPreview(QWidget* parent) : QFrame(parent) {
    initWizardPictures();
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFixedSize(241, 289);
}

void THPPreview::setPage(Page page) {
    m_page = page;
    update();
}

void THPPreview::setHeadingsCentred(bool centred) {
    m_centred = centred;
    update();
}

void THPPreview::setRulesVisible(bool visible) {
    m_rules = visible;
    update();
}

void THPPreview::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    QPainter p(this);
    const QRect area = contentsRect();
    p.setClipRect(area);
    p.fillRect(area, Qt::white);

    if (m_page == Page::Finished) {
        const QPixmap done(QStringLiteral(":/wizard/finished.png"));
        p.drawPixmap(area.center() - done.rect().center(), done);
        return;
    }
    if (m_page != Page::Title) p.drawTiledPixmap(area, QPixmap(QStringLiteral(":/wizard/texture.png")));

    const bool title = m_page == Page::Title;
    Sketch s(p, area, title ? m_centred : true);
    const QString blabla = QStringLiteral("Blabla bla blalblabla blabla bla bla bla");
    QFont small = font();
    small.setPointSize(8);

    if (m_page != Page::Author) s.text(QStringLiteral("Homepage title"), serif(16));
    s.text(QStringLiteral("second heading"), serif(11));
    if (title || m_page == Page::Background) {
        if (!title || m_rules) {
            s.rule();
            s.rule();
        }
        return;
    }
    if (m_page != Page::Author) s.rule();
    s.picture(QPixmap(QStringLiteral(":/wizard/picture.png")));
    if (m_page != Page::Author) s.rule();
    if (m_page == Page::Picture) return;
    s.text(blabla, small);
    if (m_page != Page::Author) s.rule();
    if (m_page == Page::Paragraph) return;
    s.text(QStringLiteral("My favourite page"), small, Qt::blue, true);
    if (m_page == Page::Link) return;
    s.gap(6);
    s.rule();
    QFont signature = small;
    signature.setItalic(true);
    s.text(QStringLiteral("My name "), signature);
    s.text(QStringLiteral("my.name@example.com"), signature, Qt::blue, true);
}
