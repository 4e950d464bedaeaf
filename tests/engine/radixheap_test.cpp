#include "engine/radixheap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// Pushes keys never below the last popped one, as a search does, and checks that every pop
// gives the least key held, from 0 to near the top of the 64-bit range.
TEST(SfRadixHeapTest, PopsKeysInOrderAcrossTheWholeRange) {
    std::mt19937_64 random(5);
    SfRadixHeap heap;
    std::vector<uint64_t> held;
    uint64_t last = 0;
    for (int step = 0; step < 20000; ++step) {
        if (held.empty() || random() % 3 != 0) {
            const uint64_t span = step % 2 == 0 ? 1000 : (uint64_t{1} << (random() % 62));
            const uint64_t key = last + random() % span;
            heap.Push(key, static_cast<int32_t>(step));
            held.push_back(key);
        } else {
            const SfRadixHeap::Entry top = heap.Pop();
            auto least = std::min_element(held.begin(), held.end());
            ASSERT_EQ(top.key, *least) << "step " << step;
            held.erase(least);
            last = top.key;
        }
    }
    heap.Clear();
    EXPECT_TRUE(heap.Empty());
    heap.Push(7, 1);
    EXPECT_EQ(heap.Pop().node, 1);
}

}  // namespace
