// SfNodeNames: the names of the network's nodes, each stored once, found by hashing.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Node ids count from 0 in the order the names were added. Names compare byte by byte:
// nothing is folded or trimmed. A name's view stays valid until the next Add or Clear.
class SfNodeNames {
public:
    static constexpr int32_t kNone = -1;

    void Clear();
    // Makes room for `count` names without growing the index on the way.
    void Reserve(int32_t count);
    // Gives back most of the room made for names that never came.
    void Fit();
    // Bytes held for the names and their index, for checking what they cost.
    size_t AllocatedBytes() const {
        return mArena.capacity() + mEnd.capacity() * sizeof(size_t) +
               mSlots.capacity() * sizeof(uint64_t);
    }
    int32_t Count() const { return static_cast<int32_t>(mEnd.size()); }
    std::string_view Get(int32_t id) const;
    // The id of the node with exactly this name, or kNone.
    int32_t Find(std::string_view name) const;
    // The id of the name, adding it when it is new.
    int32_t FindOrAdd(std::string_view name) { return FindOrAdd(name, Hash(name)); }
    // The same with the name's Hash, and a hint to fetch the memory a later FindOrAdd of
    // a name with this hash will read: looking many names up, the fetches overlap.
    static uint64_t Hash(std::string_view name);
    // Whether two names are the same; names of 8 to 16 bytes, the usual ones, are compared
    // as two words (the first and the last eight bytes) without a call.
    static bool Same(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) {
            return false;
        }
        if (a.size() < 8 || a.size() > 16) {
            return a == b;
        }
        uint64_t a0, a1, b0, b1;
        std::memcpy(&a0, a.data(), 8);
        std::memcpy(&b0, b.data(), 8);
        std::memcpy(&a1, a.data() + a.size() - 8, 8);
        std::memcpy(&b1, b.data() + b.size() - 8, 8);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    int32_t FindOrAdd(std::string_view name, uint64_t hash);
    void Prefetch(uint64_t hash) const;

private:
    // The slot holding `name`, or the empty slot where it belongs.
    size_t SlotOf(std::string_view name, uint64_t hash) const;
    void Rehash(size_t slotCount);

    std::string mArena;        // every name, back to back
    std::vector<size_t> mEnd;  // by id: where the name ends in the arena
    // The high half of the name's hash, which also picks its first slot, and id + 1 in the
    // low half; 0 = empty.
    std::vector<uint64_t> mSlots;
};
