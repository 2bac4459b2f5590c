#include "app/tapplication.h"

#include "app/tmain.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tagsmith"));
    setOrganizationName(QStringLiteral("Quillon"));
    // The desktop groups the windows under the installed desktop entry.
    setDesktopFileName(QStringLiteral("tagsmith"));
    setWindowIcon(TMain::ApplicationIcon());
}

namespace {
// Events that may start a command: before any of them, every file still
// being read is read whole, so that no command sees the first lines alone.
bool mayStartCommand(QEvent::Type type) {
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}
} // namespace

bool TApplication::notify(QObject* receiver, QEvent* event) {
    if (TSRichEdit::AnyLoading() && mayStartCommand(event->type()))
        ts::runCommand(activeWindow(), [] { TSRichEdit::FinishAllLoads(); });
    bool result = false;
    ts::runCommand(activeWindow(), [&] { result = QApplication::notify(receiver, event); });
    return result;
}
