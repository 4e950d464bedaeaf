#include "platform/shellopen.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

extern char** environ;

namespace shellopen {
namespace {

std::function<int(const std::string&)>& Opener() {
    static std::function<int(const std::string&)> opener;
    return opener;
}

bool IsAddress(const std::string& target) { return target.find("://") != std::string::npos; }

int DesktopOpen(const std::string& target) {
    struct stat info {};
    if (!IsAddress(target) && ::stat(target.c_str(), &info) != 0) {
        return kFileNotFound;
    }
    // xdg-open hands the target to the registered program and returns.
    const char* argv[] = {"xdg-open", target.c_str(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) !=
        0) {
        return kNoAssociation;
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kOpened : kNoAssociation;
}

}  // namespace

int ShellOpen(const std::string& target) {
    return Opener() ? Opener()(target) : DesktopOpen(target);
}

void SetShellOpener(std::function<int(const std::string&)> opener) { Opener() = std::move(opener); }

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    std::string executable(path, static_cast<size_t>(length));
    return executable.substr(0, executable.rfind('/'));
}

}  // namespace shellopen
