#include "platform/scratchfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace scratchfile {
namespace {

constexpr int kMaxAttempts = 65536;

}  // namespace

std::string TempDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string directory = tmp && *tmp ? tmp : "/tmp";
    if (directory.back() != '/') {
        directory.push_back('/');
    }
    return directory;
}

ScratchFile::~ScratchFile() {
    if (mFd >= 0) {
        ::close(mFd);
        ::unlink(mPath.c_str());
    }
}

bool ScratchFile::Create() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    unsigned number = static_cast<unsigned>(std::rand()) % 32768;
    std::string directory = TempDirectory();
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt, ++number) {
        char name[16];
        std::snprintf(name, sizeof name, "%08X.TMP", number);
        std::string path = directory + name;
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            mFd = fd;
            mPath = path;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

long ScratchFile::ReadAt(void* destination, size_t size, uint64_t offset) const {
    size_t done = 0;
    while (done < size) {
        ssize_t got = ::pread(mFd, static_cast<char*>(destination) + done, size - done,
                              static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return static_cast<long>(done);
}

bool ScratchFile::WriteAt(const void* source, size_t size, uint64_t offset) const {
    size_t done = 0;
    while (done < size) {
        ssize_t put = ::pwrite(mFd, static_cast<const char*>(source) + done, size - done,
                               static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

}  // namespace scratchfile
