#include "platform/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace textfile {
namespace {

constexpr size_t kFlushSize = 1 << 17;

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Permissions for the replacement: those of the file it replaces, else the usual ones
// for a new file.
mode_t ModeFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& content) {
    content.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        content.reserve(static_cast<size_t>(info.st_size));
    }
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    if (!ok) {
        content.clear();
        return false;
    }
    size_t end = content.find(kEndOfFile);
    if (end != std::string::npos) {
        content.resize(end);
    }
    content.erase(std::remove(content.begin(), content.end(), '\r'), content.end());
    return true;
}

TextFileWriter::~TextFileWriter() { Discard(); }

bool TextFileWriter::Open(const std::string& path) {
    Discard();
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::vector<char> pattern(directory.begin(), directory.end());
    std::string suffix = "." + name + ".XXXXXX";
    pattern.insert(pattern.end(), suffix.begin(), suffix.end());
    pattern.push_back('\0');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    ::fchmod(fd, ModeFor(path));
    mFd = fd;
    mFailed = false;
    mTarget = path;
    mNewPath = pattern.data();
    mPending.clear();
    return true;
}

bool TextFileWriter::Write(std::string_view text) {
    if (mFd < 0 || mFailed) {
        return false;
    }
    for (char c : text) {
        if (c == '\n') {
            mPending.push_back('\r');
        }
        mPending.push_back(c);
    }
    return mPending.size() < kFlushSize || Flush();
}

bool TextFileWriter::Flush() {
    if (!mFailed && !WriteAll(mFd, mPending.data(), mPending.size())) {
        mFailed = true;
    }
    mPending.clear();
    return !mFailed;
}

bool TextFileWriter::Commit() {
    if (mFd < 0) {
        return false;
    }
    bool ok = Flush();
    ok = ::close(mFd) == 0 && ok;
    mFd = -1;
    ok = ok && ::rename(mNewPath.c_str(), mTarget.c_str()) == 0;
    if (!ok) {
        ::unlink(mNewPath.c_str());
    }
    mNewPath.clear();
    return ok;
}

void TextFileWriter::Discard() {
    if (mFd < 0) {
        return;
    }
    ::close(mFd);
    ::unlink(mNewPath.c_str());
    mFd = -1;
    mNewPath.clear();
    mPending.clear();
}

}  // namespace textfile
