#include "platform/shellopen.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <map>

extern char** environ;

namespace shellopen {
namespace {

std::function<int(const std::string&)>& Opener() {
    static std::function<int(const std::string&)> opener;
    return opener;
}

// The openers started and not yet seen to end, by process id.
std::map<pid_t, std::string>& Running() {
    static std::map<pid_t, std::string> running;
    return running;
}

// Openers seen to end and not yet handed out by EndedOpeners.
std::vector<EndedOpener>& Ended() {
    static std::vector<EndedOpener> ended;
    return ended;
}

// xdg-open's statuses when it knows no program for the target: 3 where it looks the program
// up itself, 4 where the desktop's opener (gio) fails the action.
constexpr int kNoToolStatus = 3;
constexpr int kActionFailedStatus = 4;

// Moves the openers that have ended from Running to Ended.
void Reap() {
    for (auto it = Running().begin(); it != Running().end();) {
        int status = 0;
        const pid_t done = ::waitpid(it->first, &status, WNOHANG);
        if (done == 0) {
            ++it;
            continue;
        }
        // A status of the program it ran (or one lost to another reaper) is no refusal.
        const bool noProgram =
            done == it->first && WIFEXITED(status) &&
            (WEXITSTATUS(status) == kNoToolStatus || WEXITSTATUS(status) == kActionFailedStatus);
        Ended().push_back({it->second, !noProgram});
        it = Running().erase(it);
    }
}

bool IsAddress(const std::string& target) { return target.find("://") != std::string::npos; }

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
    Running()[child] = target;
    return kOpened;
}

}  // namespace

int ShellOpen(const std::string& target) {
    return Opener() ? Opener()(target) : DesktopOpen(target);
}

std::vector<EndedOpener> EndedOpeners() {
    Reap();
    std::vector<EndedOpener> ended;
    ended.swap(Ended());
    return ended;
}

bool StillOpening(const std::string& target) {
    Reap();
    for (const auto& [pid, running] : Running()) {
        if (running == target) {
            return true;
        }
    }
    return false;
}

bool AnyOpening() {
    Reap();
    return !Running().empty();
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
