// Runs a piece of a test in a child process without root's privileges, so
// that folders closed with chmod stay closed even when the tests run as root.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace morvane::testing {

inline constexpr int kChildBroken = 255;

// The exit code of `action` run in a child process under the user "nobody"
// (when the tests run as root) or under the same user; kChildBroken when the
// child could not drop its privileges or ended by a signal.
inline int runUnprivileged(const std::function<int()>& action) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(kChildBroken);
            }
        }
        int code = kChildBroken;
        try {
            code = action();
        } catch (...) {
        }
        // No destructors or exit handlers of the parent's test run here.
        ::_exit(code);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return kChildBroken;
    }
    return WEXITSTATUS(status);
}

}  // namespace morvane::testing
