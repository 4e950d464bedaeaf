// tqArray<T>: an array of values that extends itself when read or written past its end.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <utility>

// Indexes count from 0. Storage grows in multiples of `step`; every allocated element is
// default-constructed. A reference from Get stays valid until the array next grows.
template <typename T>
class tqArray {
public:
    static constexpr int32_t kDefaultStep = 64;

    int32_t step = kDefaultStep;  // allocation granule
    int32_t capacity = 0;         // elements allocated
    std::unique_ptr<T[]> items;   // all `capacity` elements constructed
    int32_t count = 0;            // elements in use

    tqArray() = default;
    tqArray(const tqArray& other) { Assign(other); }
    tqArray& operator=(const tqArray& other) {
        if (this != &other) {
            Assign(other);
        }
        return *this;
    }

    // The element at `index` (>= 0); an index at or past the end first extends the array
    // with default elements up to it.
    T& Get(int index) {
        assert(index >= 0);
        if (index >= count) {
            Reserve(index + 1);
            count = index + 1;
        }
        return items[index];
    }

    // Appends a copy of `value` and gives its index.
    int Add(const T& value) {
        Reserve(count + 1);
        items[count] = value;
        return count++;
    }

    bool Exchange(int i, int j) {
        if (i < 0 || j < 0 || i >= count || j >= count) {
            return false;
        }
        T temporary = items[i];
        items[i] = items[j];
        items[j] = temporary;
        return true;
    }

    void Assign(const tqArray& other) {
        Clear();
        for (int i = 0; i < other.count; ++i) {
            Add(other.items[i]);
        }
    }

    int Count() const { return count; }

    // Makes room for `n` elements: allocates the next multiple of `step` strictly above n
    // (64 gives 128 with the default step); nothing when `capacity` is already >= n.
    void Reserve(int n) {
        if (capacity >= n) {
            return;
        }
        int32_t grown = step * (n / step + 1);
        auto fresh = std::make_unique<T[]>(grown);
        for (int i = 0; i < capacity; ++i) {
            fresh[i] = std::move(items[i]);
        }
        items = std::move(fresh);
        capacity = grown;
    }

    // Destroys all elements and frees the storage.
    void Clear() {
        items.reset();
        capacity = 0;
        count = 0;
    }
};
