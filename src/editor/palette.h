#pragma once
#include <QList>
#include <QString>

class QAction;
class QFrame;
class QMenu;
class QTabWidget;
class QToolButton;
class QWidget;

namespace ts {

// The top area of a document window: the editing buttons and the tabbed tag
// palette, plus the editor's pop-up menu. Nothing is connected here.
struct TPalette {
    QWidget* panel1 = nullptr;         // 73 high, along the top edge
    QFrame* panel4 = nullptr;          // the nine editing buttons
    QTabWidget* pageControl1 = nullptr;
    QMenu* pmHTML = nullptr;
    QList<QToolButton*> buttons;       // every button, editing buttons first
    QList<QAction*> menuActions;       // miQuickDoc, miQuickFont, miQuickTable, miQuickForm

    QToolButton* button(const QString& objectName) const;
    QAction* action(const QString& objectName) const;
};

// Builds the panel as a child of parent (the document window); pmHTML is a
// child of parent as well.
TPalette buildPalette(QWidget* parent);

} // namespace ts
