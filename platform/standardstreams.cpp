#include "platform/standardstreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace standardstreams {

unsigned OpenClosedOnDevNull() {
    unsigned closed = 0;
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            closed |= 1u << descriptor;
            // The lowest free number: this one, the lower ones being open by now.
            ::open("/dev/null", O_RDWR);
        }
    }
    return closed;
}

}  // namespace standardstreams
