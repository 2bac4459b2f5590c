#include "editor/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface* plainEditorInterface(const QString& key, QObject* object) {
    if (!object || !object->isWidgetType() || QAccessible::isActive()) return nullptr;
    if (key == QLatin1String("TSRichEdit") || key == QLatin1String("QsciScintilla") ||
        key == QLatin1String("QsciScintillaBase"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    return nullptr;
}

} // namespace

void installEditorAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(plainEditorInterface);
}
