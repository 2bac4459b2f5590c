#include "app/openfiles.h"

#include "app/tmain.h"
#include "editor/thtml.h"

#include <QFileInfo>
#include <QWidget>

namespace ts {

QString commandLineFile(const QStringList& arguments) {
    if (arguments.isEmpty() || !arguments.first().contains(QLatin1String(".htm"))) return QString();
    return arguments.first();
}

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.absoluteFilePath() == fb.absoluteFilePath()) return true;
    // Through links: the same file under two names.
    const QString ca = fa.canonicalFilePath();
    return !ca.isEmpty() && ca == fb.canonicalFilePath();
}

THTML* documentOfFile(const TMain& main, const QString& path) {
    for (THTML* doc : main.Documents())
        if (doc->FileName() != untitledName() && sameFile(doc->FileName(), path)) return doc;
    return nullptr;
}

void showFile(TMain& main, const QString& path) {
    if (THTML* doc = documentOfFile(main, path))
        main.ShowDocument(doc);
    else
        main.OpenDocumentFile(path);
}

void bringToFront(QWidget& frame, const QString& activationToken) {
    if (frame.isMinimized()) frame.setWindowState(frame.windowState() & ~Qt::WindowMinimized);
    frame.show();
    frame.raise();
    // Wayland lets a window take the focus only with a token from the
    // program the user acted in; Qt reads it from the environment.
    const bool token = !activationToken.isEmpty();
    if (token) qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    frame.activateWindow();
    if (token) qunsetenv("XDG_ACTIVATION_TOKEN");
}

} // namespace ts
