#include "data/tsmemory.h"

#include <limits>

TSMemoryCL::TSMemoryCL() { Reset(); }

void TSMemoryCL::Reset() {
    total = 0;
    if (mFull) {  // the file itself is fine: the store may be used again
        mFull = false;
        mFailed = false;
    }
    const int32_t zero = 0;
    Append(sizeof zero, &zero);
}

int32_t TSMemoryCL::Append(int32_t length, const void* bytes) {
    if (length < 1 || int64_t{total} + 4 + length > std::numeric_limits<int32_t>::max()) {
        mFull = !mFailed && length >= 1;  // too big, with nothing wrong with the file
        mFailed = true;  // every later cell would be lost: make the whole store fail
        return kNone;
    }
    int32_t offset = total;
    total += 4;
    WriteInt32(offset, length);
    WriteBytes(bytes, total, length);
    total += length;
    return IsUsable() ? offset : kNone;
}

bool TSMemoryCL::Read(int32_t offset, TSMemUnitCL& unit) {
    int32_t length = 0;
    if (offset == kNone || !ReadInt32(offset, length) || length < 0) {
        return false;
    }
    return ReadBytes(unit.SetLength(length), offset + 4, length);
}
