#include "platform/positionedread.h"

#include <unistd.h>

#include <cerrno>

#include "platform/iofault.h"

int64_t ReadAtOffset(int fd, void* destination, size_t size, uint64_t offset) {
    if (!iofault::Allows(iofault::opRead)) {
        return -1;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, static_cast<char*>(destination) + done, size - done,
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
    return static_cast<int64_t>(done);
}
