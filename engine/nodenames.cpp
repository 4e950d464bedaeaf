#include "engine/nodenames.h"

#include <cstring>

namespace {

constexpr uint64_t kIdMask = 0xFFFFFFFFu;
constexpr size_t kFirstSlots = 1024;

uint64_t Tag(uint64_t hash) { return hash & ~kIdMask; }
// The first slot to try: from the tag alone, so that the index grows without the names.
size_t Home(uint64_t hash, size_t slotCount) { return (hash >> 32) & (slotCount - 1); }

uint64_t Load64(const char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

uint64_t Load32(const char* bytes) {
    uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Multiplies out to 128 bits and folds the halves: every input bit reaches both halves.
uint64_t Mix(uint64_t a, uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}

// The index's size for `count` names: at most half full.
size_t SlotsFor(size_t count) {
    size_t slots = kFirstSlots;
    while (slots < 2 * count) {
        slots *= 2;
    }
    return slots;
}

}  // namespace

void SfNodeNames::Clear() {
    std::string().swap(mArena);
    std::vector<size_t>().swap(mEnd);
    std::vector<uint64_t>().swap(mSlots);
}

void SfNodeNames::Reserve(int32_t count) {
    mEnd.reserve(count);
    const size_t slots = SlotsFor(static_cast<size_t>(count));
    if (slots > mSlots.size()) {
        Rehash(slots);
    }
}

void SfNodeNames::Fit() {
    if (mEnd.capacity() > 2 * mEnd.size()) {
        mEnd.shrink_to_fit();
    }
    const size_t slots = SlotsFor(mEnd.size() + 1);
    if (mSlots.size() > 2 * slots) {
        Rehash(slots);
    }
}

std::string_view SfNodeNames::Get(int32_t id) const {
    const size_t begin = id == 0 ? 0 : mEnd[id - 1];
    return std::string_view(mArena).substr(begin, mEnd[id] - begin);
}

size_t SfNodeNames::SlotOf(std::string_view name, uint64_t hash) const {
    const size_t mask = mSlots.size() - 1;
    for (size_t slot = Home(hash, mSlots.size());; slot = (slot + 1) & mask) {
        const uint64_t entry = mSlots[slot];
        if (entry == 0 || (Tag(entry) == Tag(hash) &&
                           Same(Get(static_cast<int32_t>((entry & kIdMask) - 1)), name))) {
            return slot;
        }
    }
}

int32_t SfNodeNames::Find(std::string_view name) const {
    if (mSlots.empty()) {
        return kNone;
    }
    const uint64_t entry = mSlots[SlotOf(name, Hash(name))];
    return entry == 0 ? kNone : static_cast<int32_t>((entry & kIdMask) - 1);
}

// Names are short (a dozen bytes is usual): eight bytes at a time, the last ones read
// overlapping, then one fold with the length.
uint64_t SfNodeNames::Hash(std::string_view name) {
    constexpr uint64_t kSeed = 0xA0761D6478BD642Fu;
    constexpr uint64_t kStep = 0xE7037ED1A0B428DBu;
    const char* bytes = name.data();
    const size_t size = name.size();
    uint64_t state = kSeed ^ size;
    if (size >= 8) {
        size_t i = 0;
        for (; i + 8 < size; i += 8) {
            state = Mix(state ^ Load64(bytes + i), kStep);
        }
        state = Mix(state ^ Load64(bytes + size - 8), kStep);
    } else if (size >= 4) {
        state = Mix(state ^ (Load32(bytes) << 32 | Load32(bytes + size - 4)), kStep);
    } else if (size > 0) {
        const uint64_t word = static_cast<uint64_t>(static_cast<uint8_t>(bytes[0])) << 16 |
                              static_cast<uint64_t>(static_cast<uint8_t>(bytes[size / 2])) << 8 |
                              static_cast<uint8_t>(bytes[size - 1]);
        state = Mix(state ^ word, kStep);
    }
    return Mix(state ^ kStep, kSeed ^ size);
}

void SfNodeNames::Prefetch(uint64_t hash) const {
    if (!mSlots.empty()) {
        __builtin_prefetch(&mSlots[Home(hash, mSlots.size())]);
    }
}

int32_t SfNodeNames::FindOrAdd(std::string_view name, uint64_t hash) {
    if (2 * (mEnd.size() + 1) > mSlots.size()) {
        Rehash(mSlots.empty() ? kFirstSlots : 2 * mSlots.size());
    }
    const size_t slot = SlotOf(name, hash);
    if (mSlots[slot] != 0) {
        return static_cast<int32_t>((mSlots[slot] & kIdMask) - 1);
    }
    const auto id = static_cast<int32_t>(mEnd.size());
    mArena.append(name);
    mEnd.push_back(mArena.size());
    mSlots[slot] = Tag(hash) | static_cast<uint64_t>(id + 1);
    return id;
}

void SfNodeNames::Rehash(size_t slotCount) {
    std::vector<uint64_t> old(slotCount, 0);
    old.swap(mSlots);
    for (const uint64_t entry : old) {  // the names differ: each takes the first empty slot
        if (entry == 0) {
            continue;
        }
        size_t slot = Home(entry, slotCount);
        while (mSlots[slot] != 0) {
            slot = (slot + 1) & (slotCount - 1);
        }
        mSlots[slot] = entry;
    }
}
