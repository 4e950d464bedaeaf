#include "data/tsmemunit.h"

#include <cstring>

char* TSMemUnitCL::SetLength(int32_t n) {
    if (capacity < n) {
        data = std::make_unique_for_overwrite<char[]>(n);
        capacity = n;
    }
    length = n;
    return data.get();
}

void TSMemUnitCL::Set(const void* bytes, int32_t n) {
    char* destination = SetLength(n);
    if (n > 0) {
        std::memcpy(destination, bytes, n);
    }
}
