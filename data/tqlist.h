// tqList<T>: a list of item pointers that owns its items, grows in fixed steps and sorts
// lazily for binary search.
#pragma once

#include <cassert>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "data/tqstring.h"

// Indexes count from 0. Slots below `count` may be null ("holes") after a Delete without
// compaction; Pack removes them. T supplies operator> and operator== for sorting and
// searching; a key passed to Search/Find is an item of type T.
template <typename T>
class tqList {
public:
    static constexpr int32_t kDefaultStep = 1024;

    int32_t step = kDefaultStep;  // slots added at each growth
    int32_t count = 0;            // slots in use, holes included
    int32_t capacity = 0;         // slots allocated
    std::unique_ptr<T*[]> items;  // every slot at or beyond count is null
    uint8_t ownsItems = 1;        // Clear and Delete destroy the items they drop
    uint8_t sorted = 0;           // set by Sort; cleared by Add and by a hole-leaving Delete

    tqList() = default;
    explicit tqList(bool owning) : ownsItems(owning ? 1 : 0) {}
    tqList(const tqList&) = delete;
    tqList& operator=(const tqList&) = delete;
    // Takes `other`'s items, leaving it empty.
    tqList(tqList&& other) noexcept
        : step(other.step),
          count(std::exchange(other.count, 0)),
          capacity(std::exchange(other.capacity, 0)),
          items(std::move(other.items)),
          ownsItems(other.ownsItems),
          sorted(other.sorted) {}
    // Drops the items held (as Clear does) and takes `other`'s, leaving it empty.
    tqList& operator=(tqList&& other) noexcept {
        if (this != &other) {
            Clear();
            step = other.step;
            count = std::exchange(other.count, 0);
            capacity = std::exchange(other.capacity, 0);
            items = std::move(other.items);
            ownsItems = other.ownsItems;
            sorted = other.sorted;
        }
        return *this;
    }
    ~tqList() { Clear(); }

    // Makes room for `total` items in all at once, for a caller that knows how many may
    // come: adding that many then never copies the slots again.
    void Reserve(int32_t total) {
        if (total > capacity) {
            auto grown = std::make_unique<T*[]>(total);  // zero-filled
            if (count > 0) {
                std::memcpy(grown.get(), items.get(), sizeof(T*) * count);
            }
            items = std::move(grown);
            capacity = total;
        }
    }

    // Appends `item` and gives its index, or -1 for a null item (nothing changes).
    int Add(T* item, uint8_t markUnsorted = 1) {
        if (item == nullptr) {
            return -1;
        }
        if (capacity < count + 1) {
            Grow();
        }
        items[count] = item;
        ++count;
        if (markUnsorted == 1) {
            sorted = 0;
        }
        return count - 1;
    }
    int Add(std::unique_ptr<T> item, uint8_t markUnsorted = 1) {
        return Add(item.release(), markUnsorted);
    }

    // Inserts before `index` (0..count): 1 when inserted, 0 for a null item, -1 for an
    // index outside 0..count.
    int Insert(int index, T* item, uint8_t markUnsorted = 1) {
        if (index == count) {
            uint8_t wasSorted = sorted;
            int added = Add(item, 1);
            if (markUnsorted == 0) {
                sorted = wasSorted;
            }
            return added >= 0 ? 1 : 0;
        }
        if (!IsValidIndex(index)) {
            return -1;
        }
        if (item == nullptr) {
            return 0;
        }
        if (capacity < count + 1) {
            Grow();
        }
        std::memmove(&items[index + 1], &items[index], sizeof(T*) * (count - index));
        items[index] = item;
        ++count;
        if (markUnsorted == 1) {
            sorted = 0;
        }
        return 1;
    }

    // Inserts `item` at its place in sort order, before any equal items; sorts first when
    // the list is not sorted. Result: 0 on an empty list, else that of Insert.
    int AddSorted(T* item) {
        if (sorted == 0) {
            Sort();
        }
        if (count == 0) {
            return Add(item, 0) >= 0 ? 0 : -1;
        }
        if (item == nullptr) {
            return 0;
        }
        int first = 0;
        int last = 0;
        bool found = Search(*item, first, last);
        return Insert(found ? first : last, item, 0);
    }

    int Count() const { return count; }
    bool IsValidIndex(int index) const { return index >= 0 && index < count; }

    // The item at `index`, or null for a hole or an index outside 0..count-1. The item
    // stays valid until it is deleted or the list is cleared.
    T* Get(int index) const { return IsValidIndex(index) ? items[index] : nullptr; }

    // Drops the item at `index` (destroying it when the list owns its items). With
    // `compact` 1 later items move down; otherwise a hole stays. False for a bad index.
    bool Delete(int index, uint8_t compact) {
        if (!IsValidIndex(index)) {
            return false;
        }
        DestroySlot(index);
        if (compact == 1) {
            std::memmove(&items[index], &items[index + 1], sizeof(T*) * (count - index - 1));
            items[count - 1] = nullptr;
            --count;
        } else {
            sorted = 0;
        }
        return true;
    }

    // Drops `n` items from `index` on (destroying them when the list owns its items) and
    // moves the later items down. False, with nothing dropped, for a range outside the list.
    bool DeleteRange(int index, int n) {
        if (n < 0 || index < 0 || index + n > count) {
            return false;
        }
        if (n == 0) {
            return true;  // also for a list that has no slots yet
        }
        for (int i = index; i < index + n; ++i) {
            DestroySlot(i);
        }
        std::memmove(&items[index], &items[index + n], sizeof(T*) * (count - index - n));
        for (int i = count - n; i < count; ++i) {
            items[i] = nullptr;
        }
        count -= n;
        return true;
    }

    bool Exchange(int i, int j) {
        if (!IsValidIndex(i) || !IsValidIndex(j)) {
            return false;
        }
        std::swap(items[i], items[j]);
        return true;
    }

    // Drops every item; keeps the slot array for reuse.
    void Clear() {
        for (int i = 0; i < count; ++i) {
            DestroySlot(i);
        }
        count = 0;
    }

    // Moves the items to the front in their order, removing holes; gives the old count.
    int Pack() {
        int previous = count;
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            if (items[i] != nullptr) {
                items[kept++] = items[i];
            }
        }
        for (int i = kept; i < count; ++i) {
            items[i] = nullptr;
        }
        count = kept;
        return previous;
    }

    // Packs, then heap-sorts by Compare (not stable).
    void Sort() {
        Sort(Compare);
        sorted = 1;
    }

    // Packs, then heap-sorts by `compare` (a, b), which is negative when a goes first,
    // positive when b does. Not stable. The list counts as unsorted for Find afterwards.
    template <typename Comparison>
    void Sort(Comparison compare) {
        Pack();
        for (int i = count / 2 - 1; i >= 0; --i) {
            SiftDown(items[i], i, count, compare);
        }
        for (int m = count; m > 1;) {
            T* taken = items[m - 1];
            items[m - 1] = items[0];
            --m;
            SiftDown(taken, 0, m, compare);
        }
        sorted = 0;
    }

    // Binary search of a sorted, packed list. Found: true with the run of equal items in
    // first..last. Not found: false with the neighbours of the key's place in first and
    // last (first may be -1, last may be count). An empty list leaves both unchanged.
    bool Search(const T& key, int& first, int& last) const {
        if (count <= 0) {
            return false;
        }
        int lo = 0;
        int hi = count - 1;
        while (hi >= lo) {
            int mid = (lo + hi) / 2;
            int d = Compare(key, *items[mid]);
            if (d == 0) {
                first = mid;
                while (first > 0 && Compare(key, *items[first - 1]) == 0) {
                    --first;
                }
                last = mid;
                while (last < count - 1 && Compare(key, *items[last + 1]) == 0) {
                    ++last;
                }
                return true;
            }
            if (d < 0) {
                hi = mid - 1;
            } else {
                lo = mid + 1;
            }
        }
        first = hi;
        last = lo;
        return false;
    }

    // Search after sorting the list if needed; false on an empty list.
    bool Find(const T& key, int& first, int& last) {
        if (count == 0) {
            return false;
        }
        if (sorted == 0) {
            Sort();
        }
        return Search(key, first, last);
    }

    // The first item equal to `key`, or null.
    T* FindItem(const T& key) {
        int first = 0;
        int last = 0;
        return Find(key, first, last) ? items[first] : nullptr;
    }

    // The first index from `start` upwards whose text equals `text` (a hole counts as the
    // empty text), or -1.
    int IndexOf(const tqString& text, int start) const requires std::same_as<T, tqString> {
        static const tqString kEmpty{};
        for (int i = start < 0 ? 0 : start; i < count; ++i) {
            if ((items[i] ? *items[i] : kEmpty) == text) {
                return i;
            }
        }
        return -1;
    }

    // 1 when a is greater than b, 0 when equal, -1 otherwise.
    static int Compare(const T& a, const T& b) {
        if (a > b) {
            return 1;
        }
        return a == b ? 0 : -1;
    }

private:
    void Grow() {
        if (step == 0) {
            step = kDefaultStep;
        }
        auto grown = std::make_unique<T*[]>(capacity + step);  // zero-filled
        if (count > 0) {
            std::memcpy(grown.get(), items.get(), sizeof(T*) * count);
        }
        items = std::move(grown);
        capacity += step;
    }

    void DestroySlot(int index) {
        if (ownsItems != 0) {
            delete items[index];
        }
        items[index] = nullptr;
    }

    template <typename Comparison>
    void SiftDown(T* value, int p, int m, Comparison& compare) {
        for (int k = 2 * p + 1; k < m; k = 2 * p + 1) {
            if (k + 1 < m && compare(*items[k], *items[k + 1]) < 0) {
                ++k;
            }
            if (compare(*value, *items[k]) >= 0) {
                break;
            }
            items[p] = items[k];
            p = k;
        }
        items[p] = value;
    }
};
