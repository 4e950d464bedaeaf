// Runs a piece of a test as a user without special rights, so that file permissions hold
// even when the tests run as root.
#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

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

// A program that a user without rights can run: when the tests run as root, a copy in a
// folder of its own that every user may enter (the build folder may lie in one that only
// its owner may enter, as mktemp -d and Debian's home folders are), removed with the object.
// A tool between the switch of user and the program (prlimit) reaches it only so.
class ReachableProgram {
public:
    explicit ReachableProgram(const std::string& program) : mPath(program) {
        if (::geteuid() == 0) {
            mPath = mDir.Path(std::filesystem::path(program).filename().string());
            std::filesystem::copy_file(program, mPath);
            EXPECT_EQ(::chmod(mDir.Dir().c_str(), 0755), 0);
            EXPECT_EQ(::chmod(mPath.c_str(), 0755), 0);
        }
    }
    const std::string& Path() const { return mPath; }

private:
    TempDir mDir;
    std::string mPath;
};
