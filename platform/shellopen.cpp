#include "platform/shellopen.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <thread>

extern char** environ;

namespace shellopen {
namespace {

std::function<int(const std::string&)>& Opener() {
    static std::function<int(const std::string&)> opener;
    return opener;
}

bool IsAddress(const std::string& target) { return target.find("://") != std::string::npos; }

// How long xdg-open has to report that it cannot open a target. Without a desktop session
// it runs the viewer in the foreground, so a child still running after this has opened it.
constexpr auto kAnswerTime = std::chrono::milliseconds(1500);

int DesktopOpen(const std::string& target) {
    struct stat info {};
    if (!IsAddress(target) && ::stat(target.c_str(), &info) != 0) {
        return kFileNotFound;
    }
    const char* argv[] = {"xdg-open", target.c_str(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) !=
        0) {
        return kNoAssociation;
    }
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
            return kOpened;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
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
