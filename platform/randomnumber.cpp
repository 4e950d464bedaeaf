#include "platform/randomnumber.h"

#include <sys/random.h>

#include <random>

namespace randomnumber {

uint32_t Next() {
    uint32_t number = 0;
    if (::getrandom(&number, sizeof number, 0) != sizeof number) {
        number = static_cast<uint32_t>(std::random_device{}());
    }
    return number;
}

}  // namespace randomnumber
