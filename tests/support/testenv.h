#pragma once
#include "platform/clock.h"
#include "platform/commondialogs.h"
#include "platform/messages.h"

#include <QDateTime>
#include <memory>

namespace ts::test {

// Puts scripted message boxes, common dialogs and a fixed clock in place for
// the life of a test, and restores the real ones afterwards.
class ScopedPlatform {
public:
    ScopedPlatform();
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

    ScriptedMessageBoxes boxes;
    ScriptedCommonDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9))};
};

} // namespace ts::test
