#include "editor/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface* plainEditorInterface(const QString& key, QObject* object) {
    // The name first: objects of other libraries (Qt WebEngine's, built
    // without type information) are asked about too and are left untouched.
    if (key != QLatin1String("TSRichEdit") && key != QLatin1String("QsciScintilla") &&
        key != QLatin1String("QsciScintillaBase"))
        return nullptr;
    if (!object || !object->isWidgetType() || QAccessible::isActive()) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
}

} // namespace

void installEditorAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(plainEditorInterface);
}
