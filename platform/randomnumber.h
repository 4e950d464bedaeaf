// Unpredictable numbers for the names of scratch and temporary files.
#pragma once

#include <cstdint>

namespace randomnumber {

// A number from the system's random source.
uint32_t Next();

}  // namespace randomnumber
