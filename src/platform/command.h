#pragma once
#include "platform/messages.h"
#include "platform/terror.h"

#include <QString>
#include <exception>
#include <new>
#include <utility>

class QWidget;

namespace ts {

// The general error handler: runs one command, shows any failure in an
// error box and lets the program go on. Returns false when the command failed.
template <class F>
bool runCommand(QWidget* parent, F&& command) {
    try {
        std::forward<F>(command)();
        return true;
    } catch (const TError& e) {
        messages().error(parent, e.message());
    } catch (const std::bad_alloc&) {
        messages().error(parent, QStringLiteral("Zu wenig Arbeitsspeicher"));
    } catch (const std::exception& e) {
        messages().error(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        messages().error(parent, QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}

} // namespace ts
