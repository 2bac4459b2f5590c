#pragma once
#include <chrono>
#include <functional>

namespace ts::test {

// Where a child process is stopped in the middle of its work.
struct KillPoint {
    // Killed (SIGKILL) this long after it was started; never when negative.
    std::chrono::microseconds after{-1};
    // Killed by the system (SIGXFSZ) when a write would take a file past
    // this many bytes; no limit when 0.
    long long fileSizeLimit = 0;
};

enum class ChildEnd { Returned, Threw, Killed };

// Runs work in a child process of its own (a fork of this one, so it sees
// everything the test has set up) and stops it at the kill point. The test
// then checks what the work left on disk.
ChildEnd runInChild(const std::function<void()>& work, const KillPoint& kill = {});

} // namespace ts::test
