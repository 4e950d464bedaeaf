#include "engine/nodenames.h"

#include <functional>

namespace {

constexpr uint64_t kIdMask = 0xFFFFFFFFu;
constexpr size_t kFirstSlots = 1024;

uint64_t Tag(uint64_t hash) { return hash & ~kIdMask; }

}  // namespace

void SfNodeNames::Clear() {
    std::string().swap(mArena);
    std::vector<size_t>().swap(mEnd);
    std::vector<uint64_t>().swap(mSlots);
}

void SfNodeNames::Reserve(int32_t count) {
    mEnd.reserve(count);
    size_t slots = kFirstSlots;
    while (slots < 2 * static_cast<size_t>(count)) {
        slots *= 2;
    }
    if (slots > mSlots.size()) {
        Rehash(slots);
    }
}

std::string_view SfNodeNames::Get(int32_t id) const {
    const size_t begin = id == 0 ? 0 : mEnd[id - 1];
    return std::string_view(mArena).substr(begin, mEnd[id] - begin);
}

size_t SfNodeNames::SlotOf(std::string_view name, uint64_t hash) const {
    const size_t mask = mSlots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint64_t entry = mSlots[slot];
        if (entry == 0 ||
            (Tag(entry) == Tag(hash) && Get(static_cast<int32_t>((entry & kIdMask) - 1)) == name)) {
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

uint64_t SfNodeNames::Hash(std::string_view name) { return std::hash<std::string_view>{}(name); }

void SfNodeNames::Prefetch(uint64_t hash) const {
    if (!mSlots.empty()) {
        __builtin_prefetch(&mSlots[hash & (mSlots.size() - 1)]);
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
    mSlots.assign(slotCount, 0);
    for (int32_t id = 0; id < Count(); ++id) {
        const std::string_view name = Get(id);
        const uint64_t hash = Hash(name);
        mSlots[SlotOf(name, hash)] = Tag(hash) | static_cast<uint64_t>(id + 1);
    }
}
