// TSMemUnitCL: a growable byte buffer that never shrinks.
#pragma once

#include <cstdint>
#include <memory>

class TSMemUnitCL {
public:
    std::unique_ptr<char[]> data;  // null until first set
    int32_t capacity = 0;          // bytes allocated
    int32_t length = 0;            // bytes in use

    // Copies `n` bytes in, reallocating (to exactly n bytes) only when they do not fit.
    // Earlier pointers into `data` are invalid after a reallocation.
    void Set(const void* bytes, int32_t n);
    // Makes the buffer `n` bytes long, as Set does, without filling it; gives `data`.
    char* SetLength(int32_t n);
};
