#pragma once
#include <functional>

namespace ts::test {

// How long a test waits for something that should happen at once.
inline constexpr int kDeadlineMs = 5000;

// Processes events until ready() holds or deadlineMs have passed; says
// whether it held. Looks again at every event and every few milliseconds.
bool waitFor(const std::function<bool()>& ready, int deadlineMs = kDeadlineMs);

} // namespace ts::test
