#include "tags/builderdialog.h"

#include "editor/faces.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDialog>
#include <QGuiApplication>
#include <QItemEditorFactory>
#include <QLineEdit>
#include <QScreen>
#include <QStyledItemDelegate>

#include <limits>

namespace ts {

namespace {

constexpr int kQtLineLimit = 32767; // QLineEdit's own default
constexpr int kNoLineLimit = std::numeric_limits<int>::max();

// Qt's editors for grid cells, without the limit on their length.
class WholeTextEditors final : public QItemEditorFactory {
public:
    QWidget* createEditor(int userType, QWidget* parent) const override {
        QWidget* editor = QItemEditorFactory::defaultFactory()->createEditor(userType, parent);
        if (auto* line = qobject_cast<QLineEdit*>(editor); line && line->maxLength() == kQtLineLimit)
            line->setMaxLength(kNoLineLimit);
        return editor;
    }
};

void setUp(QDialog& dialog, Qt::WindowFlags flags, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts,
           bool resizable) {
    dialog.setWindowFlags(flags);
    takeWholeTexts(dialog);
    if (ok) {
        applyFace(ok);
        if (okAccepts) QObject::connect(ok, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    }
    if (cancel) {
        applyFace(cancel);
        QObject::connect(cancel, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    }
    dialog.adjustSize();
    if (!resizable) dialog.setFixedSize(dialog.size());
    if (QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.center() - dialog.rect().center());
    }
}

} // namespace

void takeWholeTexts(QWidget& window) {
    for (QLineEdit* line : window.findChildren<QLineEdit*>())
        if (line->maxLength() == kQtLineLimit) line->setMaxLength(kNoLineLimit);
    static WholeTextEditors cellEditors;
    for (QAbstractItemView* view : window.findChildren<QAbstractItemView*>())
        if (auto* delegate = qobject_cast<QStyledItemDelegate*>(view->itemDelegate()))
            delegate->setItemEditorFactory(&cellEditors);
}

void setUpBuilderDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts) {
    setUp(dialog, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint, ok, cancel, okAccepts, false);
}

void setUpClosableDialog(QDialog& dialog, QAbstractButton* ok, QAbstractButton* cancel, bool okAccepts,
                         bool resizable) {
    setUp(dialog, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint, ok,
          cancel, okAccepts, resizable);
}

} // namespace ts
