#include "xsession.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::string Run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return out;
}

pid_t Spawn(std::vector<const char*> argv) {
    argv.push_back(nullptr);
    pid_t child = -1;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv.data()),
                       environ) != 0) {
        return -1;
    }
    return child;
}

void Stop(pid_t child) {
    if (child > 0) {
        ::kill(child, SIGTERM);
        ::waitpid(child, nullptr, 0);
    }
}

// The window ids after the '#' of an xprop line.
std::vector<unsigned long> WindowIds(const std::string& line) {
    std::vector<unsigned long> ids;
    size_t at = line.find('#');
    if (at == std::string::npos) {
        return ids;
    }
    std::istringstream in(line.substr(at + 1));
    std::string word;
    while (in >> word) {
        ids.push_back(std::strtoul(word.c_str(), nullptr, 16));
    }
    return ids;
}

}  // namespace

XSession::XSession() {
    // Xvfb picks a free display and writes its number into the pipe.
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    const std::string fd = std::to_string(fds[1]);
    mServer = Spawn(
        {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
    ::close(fds[1]);
    char number[32] = {};
    const ssize_t got = mServer > 0 ? ::read(fds[0], number, sizeof number - 1) : -1;
    ::close(fds[0]);
    if (got <= 0) {
        return;
    }
    const std::string display = ":" + std::to_string(std::atoi(number));
    ::setenv("DISPLAY", display.c_str(), 1);
    mManager = Spawn({"openbox", "--sm-disable"});
    for (int i = 0; i < 200 && !mReady; ++i) {
        mReady = Run("xprop -root _NET_SUPPORTING_WM_CHECK").find('#') != std::string::npos;
        if (!mReady) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

XSession::~XSession() {
    Stop(mManager);
    Stop(mServer);
}

std::vector<unsigned long> XSession::Stacking() {
    return WindowIds(Run("xprop -root -notype _NET_CLIENT_LIST_STACKING"));
}

unsigned long XSession::ActiveWindow() {
    const std::vector<unsigned long> ids = WindowIds(Run("xprop -root -notype _NET_ACTIVE_WINDOW"));
    return ids.empty() ? 0 : ids.front();
}

std::string XSession::Caption(unsigned long window) {
    // _NET_WM_NAME(UTF8_STRING) = "caption"
    const std::string line = Run("xprop -notype -id " + std::to_string(window) + " _NET_WM_NAME");
    const size_t first = line.find('"');
    const size_t last = line.rfind('"');
    return first == std::string::npos || last <= first ? ""
                                                       : line.substr(first + 1, last - first - 1);
}

std::string XSession::XDoTool(const std::string& arguments) { return Run("xdotool " + arguments); }
