// SfRadixHeap: a monotone priority queue of nodes keyed by non-negative distances.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// Keys pushed must not be smaller than the last key popped, which holds for the labels of
// a least-distance search over positive distances. Bucket b > 0 holds keys that first
// differ from the last popped key in bit b - 1; bucket 0 holds keys equal to it. Popping
// an empty bucket 0 spreads the lowest non-empty bucket over the buckets below it, so each
// entry moves at most 64 times and usually a few.
class SfRadixHeap {
public:
    struct Entry {
        uint64_t key;
        int32_t node;
    };

    bool Empty() const { return mSize == 0; }
    void Clear() {
        for (std::vector<Entry>& bucket : mBuckets) {
            bucket.clear();
        }
        mSize = 0;
        mLast = 0;
    }
    void Push(uint64_t key, int32_t node) {
        mBuckets[BucketOf(key)].push_back(Entry{key, node});
        ++mSize;
    }
    // The entry with the least key; the heap must not be empty.
    Entry Pop() {
        if (mBuckets[0].empty()) {
            Refill();
        }
        const Entry top = mBuckets[0].back();
        mBuckets[0].pop_back();
        --mSize;
        return top;
    }

private:
    int BucketOf(uint64_t key) const {
        return key == mLast ? 0 : 64 - std::countl_zero(key ^ mLast);
    }

    void Refill() {
        size_t b = 1;
        while (mBuckets[b].empty()) {
            ++b;
        }
        std::vector<Entry>& lowest = mBuckets[b];
        uint64_t least = lowest.front().key;
        for (const Entry& entry : lowest) {
            least = entry.key < least ? entry.key : least;
        }
        mLast = least;
        for (const Entry& entry : lowest) {
            mBuckets[BucketOf(entry.key)].push_back(entry);
        }
        lowest.clear();
    }

    std::array<std::vector<Entry>, 65> mBuckets;
    size_t mSize = 0;
    uint64_t mLast = 0;
};
