#include "app/tapplication.h"

#include "app/tmain.h"
#include "platform/command.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tagsmith"));
    setOrganizationName(QStringLiteral("Quillon"));
    // The desktop groups the windows under the installed desktop entry.
    setDesktopFileName(QStringLiteral("tagsmith"));
    setWindowIcon(TMain::ApplicationIcon());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    ts::runCommand(activeWindow(), [&] { result = QApplication::notify(receiver, event); });
    return result;
}
