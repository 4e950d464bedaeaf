// Makes the kernel refuse writes past `bytes` in any file, as a full disk would, for the
// life of the object.
#pragma once

#include <sys/resource.h>

#include <csignal>

class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &mSaved);
        mOldHandler = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
        struct rlimit limited = mSaved;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &mSaved);
        std::signal(SIGXFSZ, mOldHandler);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    struct rlimit mSaved {};
    void (*mOldHandler)(int) = nullptr;
};
