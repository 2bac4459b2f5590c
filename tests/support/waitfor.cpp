#include "support/waitfor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>

namespace ts::test {

bool waitFor(const std::function<bool()>& ready, int deadlineMs) {
    if (ready()) return true;
    const QDeadlineTimer deadline(deadlineMs);
    // Wakes the loop now and then: not everything worth a look comes as an event.
    QTimer look;
    look.start(5);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (ready()) return true;
    }
    return ready();
}

} // namespace ts::test
