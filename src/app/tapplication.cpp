#include "app/tapplication.h"

#include "platform/command.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tagsmith"));
    setOrganizationName(QStringLiteral("Quillon"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    ts::runCommand(activeWindow(), [&] { result = QApplication::notify(receiver, event); });
    return result;
}
