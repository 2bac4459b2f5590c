#include "editor/tcomps.h"

#include "editor/catalogue.h"
#include "editor/faces.h"
#include "ui_tcomps.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOption>
#include <QStyledItemDelegate>

namespace ts {

QMimeData* componentMimeData(const QString& caption) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kComponentMimeType), caption.toUtf8());
    return data;
}

std::optional<QString> componentCaptionFromDrop(const QMimeData* data) {
    const QString type = QString::fromLatin1(kComponentMimeType);
    if (!data || !data->hasFormat(type)) return std::nullopt;
    return QString::fromUtf8(data->data(type));
}

} // namespace ts

namespace {

constexpr int kRowHeight = 16;

// Dotted connecting lines and +/- boxes, whatever the desktop style draws.
class TTreeLinesStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                       const QWidget* w) const override {
        if (pe != PE_IndicatorBranch) {
            QProxyStyle::drawPrimitive(pe, opt, p, w);
            return;
        }
        const QRect r = opt->rect;
        const int mx = r.left() + r.width() / 2;
        const int my = r.top() + r.height() / 2;
        p->save();
        QPen dotted(opt->palette.color(QPalette::Dark), 1, Qt::DotLine);
        p->setPen(dotted);
        if (opt->state & State_Item) {
            p->drawLine(mx, r.top(), mx, (opt->state & State_Sibling) ? r.bottom() : my);
            p->drawLine(mx, my, r.right(), my);
        } else if (opt->state & State_Sibling) {
            p->drawLine(mx, r.top(), mx, r.bottom());
        }
        if (opt->state & State_Children) {
            const QRect box(mx - 4, my - 4, 8, 8);
            p->setPen(QPen(opt->palette.color(QPalette::Dark), 1));
            p->setBrush(opt->palette.color(QPalette::Base));
            p->drawRect(box);
            p->setPen(QPen(opt->palette.color(QPalette::Text), 1));
            p->drawLine(box.left() + 2, my, box.right() - 2, my);
            if (!(opt->state & State_Open)) p->drawLine(mx, box.top() + 2, mx, box.bottom() - 2);
        }
        p->restore();
    }
};

class TRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(kRowHeight);
        return s;
    }
};

void addNodes(QTreeWidgetItem* parent, QTreeWidget* tree, const std::vector<ts::TComponentNode>& nodes) {
    for (const ts::TComponentNode& n : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, n.caption);
        item->setIcon(0, ts::faceIcon(n.group ? QStringLiteral("treeGroupClosed") : QStringLiteral("treeEntry")));
        item->setData(0, Qt::UserRole, n.group);
        addNodes(item, tree, n.children);
    }
}

void showGroupState(QTreeWidgetItem* item, bool open) {
    if (item->data(0, Qt::UserRole).toBool())
        item->setIcon(0, ts::faceIcon(open ? QStringLiteral("treeGroupOpen") : QStringLiteral("treeGroupClosed")));
}

} // namespace

TComps::TComps(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TComps>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(218, 273);

    QTreeWidget* tree = ui->oComponents;
    auto* lines = new TTreeLinesStyle;
    lines->setParent(tree);
    tree->setStyle(lines);
    tree->setItemDelegate(new TRowDelegate(tree));
    tree->setIconSize(QSize(14, 14));
    tree->setRootIsDecorated(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setDragEnabled(false);  // the drag is ours, see oComponentsMouseMove
    tree->viewport()->installEventFilter(this);
    connect(tree, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* i) { showGroupState(i, true); });
    connect(tree, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* i) { showGroupState(i, false); });
    fillTree();

    // The window has a fixed width; a large desktop font must not cut the hint short.
    QFont hintFont = ui->Label1->font();
    while (ui->Label1->fontMetrics().horizontalAdvance(ui->Label1->text()) > ui->Label1->width() &&
           hintFont.pointSizeF() > 6) {
        hintFont.setPointSizeF(hintFont.pointSizeF() - 0.5);
        ui->Label1->setFont(hintFont);
    }

    ts::applyFace(ui->bbOK);
    connect(ui->bbOK, &QPushButton::clicked, this, &TComps::bbOKClick);
}

TComps::~TComps() = default;

TComps* TComps::open(QWidget* owner) {
    auto* w = new TComps(owner);
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    auto place = [w, area] { w->move(area.x() + area.width() - w->frameGeometry().width() - 10, area.y() + 145); };
    place();
    w->show();
    // The frame's width is known only once the window is shown.
    place();
    return w;
}

void TComps::fillTree() {
    ui->oComponents->clear();
    addNodes(nullptr, ui->oComponents, ts::componentCatalogue());
    ui->oComponents->collapseAll();
}

void TComps::bbOKClick() { close(); }

bool TComps::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->oComponents->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) return true;  // other buttons do nothing
            oComponentsMouseDown(me);
            break;
        }
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return true;
            break;
        case QEvent::MouseMove:
            if (m_dragArmed) {
                oComponentsMouseMove(static_cast<QMouseEvent*>(event));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_dragArmed = false;
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TComps::oComponentsMouseDown(QMouseEvent* event) {
    // The tree's own handling selects the row (and opens a group on its box);
    // a drag begins only once the mouse moves with the button held.
    m_pressPos = event->position().toPoint();
    m_dragArmed = ui->oComponents->itemAt(m_pressPos) != nullptr;
}

void TComps::oComponentsMouseMove(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        m_dragArmed = false;
        return;
    }
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance()) return;
    m_dragArmed = false;
    QTreeWidgetItem* selected = ui->oComponents->currentItem();
    if (!selected || !selected->isSelected()) return;
    auto* drag = new QDrag(ui->oComponents);
    drag->setMimeData(ts::componentMimeData(selected->text(0)));
    drag->setPixmap(selected->icon(0).pixmap(16, 16));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}
