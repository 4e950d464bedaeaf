// Runs a piece of a test as a user without special rights, so that file permissions hold
// even when the tests run as root.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

// The uid and gid of the traditional "nobody".
constexpr uid_t kNobody = 65534;

// Runs `work` in a child process that, when the tests run as root, first becomes nobody;
// gives what `work` returned, or -1 when the child could not run it.
template <typename Work>
int RunUnprivileged(Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(255);
        }
        ::_exit(work() & 0x7F);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// The shell words that run a command as nobody when the tests run as root.
inline std::string UnprivilegedPrefix() {
    return ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
}
