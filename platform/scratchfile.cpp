#include "platform/scratchfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/iofault.h"
#include "platform/positionedread.h"
#include "platform/randomnumber.h"

namespace scratchfile {
namespace {

// Names are drawn at random from 2^32, so that taken names make a clash unlikely; after
// this many clashes in a row the folder is full of them.
constexpr int kMaxAttempts = 100;

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
    }
}

// The name is removed as soon as the file exists: the open file stays usable, and nothing
// is left behind however the process ends.
bool ScratchFile::Create() {
    if (!iofault::Allows(iofault::opCreate)) {
        return false;
    }
    std::string directory = TempDirectory();
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        char name[16];
        std::snprintf(name, sizeof name, "%08X.TMP", randomnumber::Next());
        std::string path = directory + name;
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlink(path.c_str());
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
    return static_cast<long>(ReadAtOffset(mFd, destination, size, offset));
}

bool ScratchFile::WriteAt(const void* source, size_t size, uint64_t offset) const {
    if (!iofault::Allows(iofault::opWrite, size)) {
        return false;
    }
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
