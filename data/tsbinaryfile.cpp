#include "data/tsbinaryfile.h"

#include <algorithm>
#include <cstring>

TSBinaryFileCL::TSBinaryFileCL() : block(std::make_unique<char[]>(kSlots * kPageSize)) {
    for (int i = 0; i < kSlots; ++i) {
        slotAddress[i] = block.get() + i * kPageSize;
    }
    file.Create();
}

bool TSBinaryFileCL::ReadBytes(void* destination, uint32_t offset, int32_t n) {
    auto* out = static_cast<char*>(destination);
    while (n > 0 && IsUsable()) {
        int32_t chunk = std::min(n, kPageSize);
        std::memcpy(out, Look(offset, chunk), chunk);
        out += chunk;
        offset += chunk;
        n -= chunk;
    }
    return IsUsable();
}

bool TSBinaryFileCL::WriteBytes(const void* source, uint32_t offset, int32_t n) {
    const auto* in = static_cast<const char*>(source);
    while (n > 0 && IsUsable()) {
        int32_t chunk = std::min(n, kPageSize);
        std::memcpy(Access(offset, chunk), in, chunk);
        in += chunk;
        offset += chunk;
        n -= chunk;
    }
    return IsUsable();
}

bool TSBinaryFileCL::WriteBack() {
    for (int s = 0; s < kSlots && IsUsable(); ++s) {
        if (mChanged[s] && WriteSlotBack(s)) {
            mChanged[s] = false;
        }
    }
    return IsUsable();
}

char* TSBinaryFileCL::Access(uint32_t offset, int32_t n) {
    const int s = Hold(offset, n);
    mChanged[s] = true;
    if (offset % kPageSize + n > kPageSize) {
        mChanged[s + 1] = true;
    }
    return slotAddress[s] + offset % kPageSize;
}

const char* TSBinaryFileCL::Look(uint32_t offset, int32_t n) {
    return slotAddress[Hold(offset, n)] + offset % kPageSize;
}

int TSBinaryFileCL::Hold(uint32_t offset, int32_t n) {
    const auto first = static_cast<int32_t>(offset / kPageSize);
    const auto last = static_cast<int32_t>((offset + n - 1) / kPageSize);
    for (int r = 0; r < kSlots; ++r) {
        int s = recency[r];
        if (slotPage[s] == first && (last == first || slotPage[s + 1] == last)) {
            MakeMostRecent(s);
            return s;
        }
    }
    if (last == first) {
        int s = recency[kSlots - 1];
        LoadPage(s, first);
        MakeMostRecent(s);
        return s;
    }
    // The bytes straddle two pages: hold them in adjacent slots. The first page stays where
    // it is when a slot follows it (as a store written from start to end has it), else the
    // two go to slots 0 and 1.
    int s = 0;
    while (s < kSlots - 1 && slotPage[s] != first) {
        ++s;
    }
    if (s == kSlots - 1) {
        s = 0;
        BringPage(s, first);
    }
    BringPage(s + 1, last);
    MakeMostRecent(s + 1);
    MakeMostRecent(s);
    return s;
}

void TSBinaryFileCL::BringPage(int slot, int32_t page) {
    for (int other = 0; other < kSlots; ++other) {
        if (other != slot && slotPage[other] == page) {
            std::swap_ranges(slotAddress[slot], slotAddress[slot] + kPageSize, slotAddress[other]);
            std::swap(slotPage[slot], slotPage[other]);
            std::swap(mChanged[slot], mChanged[other]);
            return;
        }
    }
    LoadPage(slot, page);
}

void TSBinaryFileCL::LoadPage(int slot, int32_t page) {
    if (slotPage[slot] == page) {
        return;
    }
    if ((mChanged[slot] && !WriteSlotBack(slot)) ||
        file.ReadAt(slotAddress[slot], kPageSize, uint64_t(page) * kPageSize) < 0) {
        mFailed = true;
    }
    slotPage[slot] = page;
    mChanged[slot] = false;
}

bool TSBinaryFileCL::WriteSlotBack(int slot) {
    mFailed = mFailed ||
              !file.WriteAt(slotAddress[slot], kPageSize, uint64_t(slotPage[slot]) * kPageSize);
    return !mFailed;
}

void TSBinaryFileCL::MakeMostRecent(int slot) {
    int r = 0;
    while (recency[r] != slot) {
        ++r;
    }
    for (; r > 0; --r) {
        recency[r] = recency[r - 1];
    }
    recency[0] = slot;
}
