#include "data/tsmemory.h"

#include <cstring>
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
    return Store(static_cast<const char*>(bytes), length, false);
}

int32_t TSMemoryCL::AppendText(std::string_view text) {
    return Store(text.data(), static_cast<int64_t>(text.size()), true);
}

int32_t TSMemoryCL::Store(const char* bytes, int64_t count, bool nul) {
    const int64_t wanted = count + (nul ? 1 : 0);
    if (wanted < 1 || int64_t{total} + 4 + wanted > std::numeric_limits<int32_t>::max()) {
        mFull = !mFailed && wanted >= 1;  // too big, with nothing wrong with the file
        mFailed = true;  // every later cell would be lost: make the whole store fail
        return kNone;
    }
    const auto length = static_cast<int32_t>(wanted);
    const auto size = static_cast<int32_t>(count);
    int32_t offset = total;
    if (4 + length <= kPageSize && IsUsable()) {  // most records: their place found once
        char* at = Access(static_cast<uint32_t>(offset), 4 + length);
        std::memcpy(at, &length, 4);
        if (size > 0) {
            std::memcpy(at + 4, bytes, size);
        }
        if (nul) {
            at[4 + size] = '\0';
        }
    } else {
        WriteInt32(offset, length);
        WriteBytes(bytes, offset + 4, size);
        if (nul) {
            WriteBytes("", offset + 4 + size, 1);
        }
    }
    total += 4 + length;
    return IsUsable() ? offset : kNone;
}

std::string_view TSMemoryCL::Peek(int32_t offset, TSMemUnitCL& unit) {
    int32_t length = 0;
    if (offset == kNone || !ReadInt32(offset, length) || length < 1) {
        return {};
    }
    if (length <= kPageSize) {
        const char* at = Look(static_cast<uint32_t>(offset) + 4, length);
        return IsUsable() ? std::string_view(at, length) : std::string_view();
    }
    if (!ReadBytes(unit.SetLength(length), offset + 4, length)) {
        return {};
    }
    return {unit.data.get(), static_cast<size_t>(length)};
}

bool TSMemoryCL::Read(int32_t offset, TSMemUnitCL& unit) {
    int32_t length = 0;
    if (offset == kNone || !ReadInt32(offset, length) || length < 0) {
        return false;
    }
    return ReadBytes(unit.SetLength(length), offset + 4, length);
}

TSMemoryCL::Reader::Reader(const TSMemoryCL& store)
    : mFile(store.file), mPages(std::make_unique<char[]>(2 * kPageSize)) {}

std::string_view TSMemoryCL::Reader::Peek(int32_t offset) {
    const char* at = offset == kNone ? nullptr : Hold(static_cast<uint32_t>(offset), 4);
    if (at == nullptr) {
        return {};
    }
    int32_t length = 0;
    std::memcpy(&length, at, 4);
    if (length < 1) {
        return {};
    }
    if (length <= kPageSize) {
        at = Hold(static_cast<uint32_t>(offset) + 4, length);
        return at == nullptr ? std::string_view() : std::string_view(at, length);
    }
    char* into = mLong.SetLength(length);
    if (mFile.ReadAt(into, length, uint64_t(offset) + 4) != length) {
        mFailed = true;
        return {};
    }
    return {into, static_cast<size_t>(length)};
}

const char* TSMemoryCL::Reader::Hold(uint32_t offset, int32_t n) {
    const int64_t page = offset / kPageSize;
    if (mFirst < 0 || page < mFirst || offset + n > (mFirst + 2) * kPageSize) {
        const long got = mFile.ReadAt(mPages.get(), 2 * kPageSize, uint64_t(page) * kPageSize);
        if (got < 0) {
            mFailed = true;
            mFirst = -1;
            return nullptr;
        }
        std::memset(mPages.get() + got, 0, 2 * kPageSize - got);  // past the file's end
        mFirst = page;
    }
    return mPages.get() + (offset - mFirst * kPageSize);
}
