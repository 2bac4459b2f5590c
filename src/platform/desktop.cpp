#include "platform/desktop.h"

#include <QDesktopServices>

namespace ts {

namespace {
Desktop* g_desktop = nullptr;
}

bool SystemDesktop::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

Desktop& desktop() {
    static SystemDesktop real;
    return g_desktop ? *g_desktop : real;
}

void setDesktop(Desktop* d) { g_desktop = d; }

} // namespace ts
