#include "support/killharness.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ts::test {

ChildEnd runInChild(const std::function<void()>& work, const KillPoint& kill) {
    const pid_t pid = ::fork();
    if (pid < 0) std::abort();
    if (pid == 0) {
        if (kill.fileSizeLimit > 0) {
            const rlimit size{rlim_t(kill.fileSizeLimit), rlim_t(kill.fileSizeLimit)}, core{0, 0};
            ::setrlimit(RLIMIT_FSIZE, &size);
            ::setrlimit(RLIMIT_CORE, &core);
            std::signal(SIGXFSZ, SIG_DFL);
        }
        int code = 0;
        try {
            work();
        } catch (...) {
            code = 1;
        }
        // Straight out: the child must not run the test's exit handlers.
        ::_exit(code);
    }
    if (kill.after.count() >= 0) {
        std::this_thread::sleep_for(kill.after);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) std::abort();
    if (WIFSIGNALED(status)) return ChildEnd::Killed;
    return WEXITSTATUS(status) == 0 ? ChildEnd::Returned : ChildEnd::Threw;
}

} // namespace ts::test
