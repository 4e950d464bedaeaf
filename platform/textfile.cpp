#include "platform/textfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/iofault.h"
#include "platform/positionedread.h"
#include "platform/randomnumber.h"

namespace textfile {
namespace {

constexpr size_t kFlushSize = 1 << 17;
constexpr size_t kReadChunk = 1 << 20;
// Symbolic links followed to a final path: the kernel gives up (ELOOP) after as many.
constexpr int kMostLinkHops = 40;
// Random names tried for a new file: each clashes with one chance in 2^64.
constexpr int kNameAttempts = 100;

bool WriteAll(int fd, const char* data, size_t size) {
    if (!iofault::Allows(iofault::opWrite, size)) {
        return false;
    }
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

// The folder of `path`, without a trailing '/' ("." for a bare name).
std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Standard output or error (1 or 2) when `file` is the file behind it, else -1.
int StandardStreamOf(const struct stat& file) {
    for (int stream : {1, 2}) {
        struct stat behind {};
        if (::fstat(stream, &behind) == 0 && S_ISREG(behind.st_mode) &&
            behind.st_dev == file.st_dev && behind.st_ino == file.st_ino) {
            return stream;
        }
    }
    return -1;
}

// Makes a rename in the folder last across a power cut, as far as the system allows.
void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// errno as it was on entry, whatever the cleaning up in between does to it.
class KeptErrno {
public:
    KeptErrno() : mError(errno) {}
    ~KeptErrno() { errno = mError; }
    KeptErrno(const KeptErrno&) = delete;
    KeptErrno& operator=(const KeptErrno&) = delete;

private:
    int mError;
};

// Lets the kernel back the whole 2 MiB pages of a buffer about to be filled with huge pages:
// a text of a hundred megabytes then costs tens of page faults instead of tens of thousands.
// Where the kernel declines, nothing changes.
void AdviseHugePages(char* buffer, size_t size) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const auto address = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t first = (address + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (address + size) & ~(kHugePage - 1);
    if (end > first) {
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

// Copies `size` bytes to `out` but the CR bytes; returns how many were copied. Eight bytes
// without a CR go at once: a text with CR LF line ends has one CR in 20 to 40 bytes.
size_t CopyWithoutCr(const char* in, size_t size, char* out) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighs = 0x8080808080808080u;
    const char* const begin = out;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, in + i, 8);
        const uint64_t crs = word ^ ('\r' * kOnes);  // a zero byte where a CR is
        if (((crs - kOnes) & ~crs & kHighs) == 0) {
            std::memcpy(out, &word, 8);
            out += 8;
            continue;
        }
        for (size_t k = i; k < i + 8; ++k) {
            *out = in[k];
            out += in[k] != '\r';
        }
    }
    for (; i < size; ++i) {
        *out = in[i];
        out += in[i] != '\r';
    }
    return static_cast<size_t>(out - begin);
}

}  // namespace

std::string FinalPath(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < kMostLinkHops; ++hops) {
        char target[4096];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0) {
            break;
        }
        const std::string next(target, static_cast<size_t>(length));
        current = next[0] == '/' ? next : DirectoryOf(current) + "/" + next;
    }
    return current;
}

bool AppendText(const char* bytes, size_t size, std::string& text) {
    const void* end = std::memchr(bytes, kEndOfFile, size);
    const size_t kept =
        end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - bytes) : size;
    const size_t from = text.size();
    text.resize(from + kept);
    text.resize(from + CopyWithoutCr(bytes, kept, text.data() + from));
    return end == nullptr;
}

bool FileAtOffsets::Open(const std::string& path) {
    Close();
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
        return false;  // a FIFO is not even opened: that would wait for a writer
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const KeptErrno kept;
        ::close(fd);
        return false;
    }
    mFd = fd;
    mSize = static_cast<uint64_t>(info.st_size);
    return true;
}

void FileAtOffsets::Close() {
    if (mFd >= 0) {
        ::close(mFd);
    }
    mFd = -1;
    mSize = 0;
}

int64_t FileAtOffsets::ReadAt(char* buffer, size_t size, uint64_t offset) const {
    return ReadAtOffset(mFd, buffer, size, offset);
}

bool FileAtOffsets::ReadStretches(uint64_t begin, uint64_t end, size_t stretch,
                                  const StretchTaker& take) const {
    if (begin >= end) {
        return true;
    }
    std::vector<char> bytes(static_cast<size_t>(std::min<uint64_t>(stretch, end - begin)));
    for (uint64_t at = begin; at < end;) {
        const int64_t got =
            ReadAt(bytes.data(), static_cast<size_t>(std::min<uint64_t>(stretch, end - at)), at);
        if (got < 0) {
            return false;
        }
        if (got == 0 || !take(at, std::string_view(bytes.data(), static_cast<size_t>(got)))) {
            break;
        }
        at += static_cast<uint64_t>(got);
    }
    return true;
}

bool ReadTextFile(const std::string& path, std::string& content, const ReadProgress& progress) {
    content.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    uint64_t size = 0;
    size_t chunkSize = kReadChunk;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        size = static_cast<uint64_t>(info.st_size);
        content.reserve(static_cast<size_t>(size));
        AdviseHugePages(content.data(), content.capacity());
        // A small file needs no megabyte of buffer to be cleared first.
        chunkSize = static_cast<size_t>(std::min<uint64_t>(kReadChunk, size + 1));
    }
    std::vector<char> chunk(chunkSize);
    char* buffer = chunk.data();
    bool ok = true;
    uint64_t read = 0;
    uint64_t told = 0;
    for (bool ended = false; !ended;) {
        ssize_t got = ::read(fd, buffer, chunkSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ended = !AppendText(buffer, static_cast<size_t>(got), content);
        read += static_cast<uint64_t>(got);
        if (progress && read - told >= kReadProgressBytes) {
            told = read;
            progress(read, std::max(size, read));
        }
    }
    ::close(fd);
    if (!ok) {
        content.clear();
        return false;
    }
    return true;
}

bool TextFileWriter::WritesDirectly(const std::string& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return false;
    }
    return !S_ISREG(target.st_mode) || StandardStreamOf(target) >= 0;
}

TextFileWriter::~TextFileWriter() { Discard(); }

bool TextFileWriter::Open(const std::string& path) {
    Discard();
    if (!iofault::Allows(iofault::opCreate)) {
        return false;
    }
    mFailed = false;
    mPending.clear();
    mFlushed = 0;
    if (WritesDirectly(path)) {
        struct stat target {};
        const int stream = ::stat(path.c_str(), &target) == 0 ? StandardStreamOf(target) : -1;
        // The file behind our own output is written at its position, as the stream would;
        // a pipe, a device or the like has nothing to replace: the text goes straight in.
        mFd = stream >= 0 ? ::dup(stream) : ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        mDirect = true;
        return mFd >= 0;
    }
    mDirect = false;
    mTarget = FinalPath(path);
    // The rename would replace a file its user may not write; such a file stays.
    if (::faccessat(AT_FDCWD, mTarget.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
        return false;
    }
    const std::string directory = DirectoryOf(mTarget);
    // An unnamed file in the target's folder: a process killed while writing leaves none.
    mFd = ::open(directory.c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, ModeFor(mTarget));
    if (mFd >= 0) {
        return true;
    }
    mNewPath = directory + "/.qrlx-XXXXXX";
    mFd = ::mkstemp(mNewPath.data());
    if (mFd < 0) {
        mNewPath.clear();
        return false;
    }
    ::fchmod(mFd, ModeFor(mTarget));
    return true;
}

bool TextFileWriter::Write(std::string_view text) {
    if (mFd < 0 || mFailed) {
        return false;
    }
    for (size_t at = 0;;) {
        const size_t lf = text.find('\n', at);
        mPending.append(text.substr(at, lf == std::string_view::npos ? lf : lf - at));
        if (lf == std::string_view::npos) {
            break;
        }
        mPending.append("\r\n");
        at = lf + 1;
    }
    return mPending.size() < kFlushSize || Flush();
}

bool TextFileWriter::Flush() {
    if (!mFailed && !WriteAll(mFd, mPending.data(), mPending.size())) {
        mFailed = true;
    }
    if (!mFailed && !mDirect) {
        // The disk starts on what is written while the rest is still made: the sync at the
        // end then waits for less. Only a hint; where it is not supported, the sync does all.
        ::sync_file_range(mFd, mFlushed, static_cast<off_t>(mPending.size()),
                          SYNC_FILE_RANGE_WRITE);
    }
    mFlushed += static_cast<off_t>(mPending.size());
    mPending.clear();
    return !mFailed;
}

bool TextFileWriter::Commit() {
    if (mFd < 0) {
        return false;
    }
    bool ok = Flush();
    if (mDirect) {
        ok = ::close(mFd) == 0 && ok;
        mFd = -1;
        return ok;
    }
    ok = ok && iofault::Allows(iofault::opSync) && ::fsync(mFd) == 0;
    if (ok && mNewPath.empty()) {
        ok = GiveName();
    }
    ok = ::close(mFd) == 0 && ok;
    mFd = -1;
    ok = ok && iofault::Allows(iofault::opRename) &&
         ::rename(mNewPath.c_str(), mTarget.c_str()) == 0;
    if (ok) {
        SyncDirectory(DirectoryOf(mTarget));
    } else if (!mNewPath.empty()) {
        KeptErrno kept;
        ::unlink(mNewPath.c_str());
    }
    mNewPath.clear();
    return ok;
}

// Links the unnamed file into its folder under a short random name, for the rename.
bool TextFileWriter::GiveName() {
    const std::string descriptor = "/proc/self/fd/" + std::to_string(mFd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "/.qrlx-%08x%08x", randomnumber::Next(),
                      randomnumber::Next());
        const std::string path = DirectoryOf(mTarget) + name;
        if (::linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            mNewPath = path;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

void TextFileWriter::Discard() {
    if (mFd < 0) {
        return;
    }
    KeptErrno kept;
    ::close(mFd);
    if (!mNewPath.empty()) {
        ::unlink(mNewPath.c_str());
    }
    mFd = -1;
    mNewPath.clear();
    mPending.clear();
}

}  // namespace textfile
