// SfLandmarks: distances from and to a few far-apart nodes, which bound from below the
// distance left from any node to a search's end, so that a search can head for its end.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "engine/prefetch.h"
#include "engine/searchgraph.h"

// For landmark L and end t, the triangle inequality gives d(v, t) >= d(L, t) - d(L, v) and
// d(v, t) >= d(v, L) - d(t, L); the largest of these is a bound that never overestimates
// and never drops along a link by more than the link's distance (a consistent bound), which
// is what a least-distance search guided by it needs to stay exact. A node that cannot
// reach a landmark that the end reaches cannot reach the end: its bound is kUnreachable.
// Only for maps without negative distances.
//
// Distances are kept in 32 bits, those beyond as the largest value: half the memory, and
// more rows to a cache line for the searches. A term that subtracts such a distance is at
// most 0, as nothing kept is larger; a term it is subtracted from stays below the true one.
// Keeping min(d, largest) changes no distance by more than it changes along a link, so the
// bound still never overestimates and stays consistent; and such a distance is never
// mistaken for "no way there", which only a missing path means.
//
// A search reads only the few landmarks that bound its own start best (the active ones):
// more landmarks give each search better ones to pick from at no more cost per node.
//
// On a map where every link has a link back no longer than itself (most city maps), the
// distance to a node is the distance from it: one pass measures both, and a row holds one
// distance per landmark. There the landmarks after the first two may be measured while
// searches run: each is published once measured, and a search reads those published when
// it starts.
class SfLandmarks {
public:
    static constexpr int kMaxCount = 16;
    // A kept distance; -1 for none.
    using Distance = int32_t;
    // The landmarks a search reads.
    static constexpr int kActive = 6;
    // Bounds run from 0 to the largest 64-bit value; this one is none of them.
    static constexpr int64_t kUnreachable = -1;

    // What the bound needs to know of one search: its active landmarks and their distances
    // from and to its end.
    struct Target {
        int count = 0;            // of active landmarks
        int lines = 0;            // of the row's cache lines they stand in
        int line[kActive];        // where those lines start in a row, in distances
        int fromColumn[kActive];  // where the active landmarks' distances stand in a row
        int toColumn[kActive];
        int64_t fromLandmark[kActive];  // d(L, t), -1 when L does not reach t
        int64_t toLandmark[kActive];    // d(t, L), -1 when t does not reach L
    };

    bool Empty() const { return mDistance == nullptr; }
    // The landmarks measured so far.
    int Count() const { return mMeasured.load(std::memory_order_acquire); }
    // Chooses `count` landmarks (rounded up to 4, 8 or 16, at most kMaxCount) and
    // measures their distances, the passes spread over `threads` threads. `goOn` is asked
    // before each landmark or pair measured side by side: false leaves the landmarks empty,
    // and Build gives false. With `restLater`, on a map whose links all go both ways and
    // with more than one thread, only the first two are measured; MeasureRest measures the
    // others.
    bool Build(const SfSearchGraph& graph, int count, int threads,
               const std::function<bool()>& goOn = {}, bool restLater = false);
    // Measures the landmarks that Build left, as far as the first `count`, one at a time on
    // this thread, each chosen farthest from those before; searches may read the landmarks
    // meanwhile. `goOn` is asked before each: false leaves the rest unmeasured and gives
    // false, and the landmarks measured stay usable.
    bool MeasureRest(const SfSearchGraph& graph, int count, const std::function<bool()>& goOn);
    void Clear();

    // The target of a search from `start` to `end`, with the landmarks that bound the
    // start's distance best; kUnreachable in `startBound` when one of all the landmarks
    // shows the end cannot be reached, else the active landmarks' bound of the start.
    Target TargetOf(int32_t start, int32_t end, int64_t& startBound) const;
    // A lower bound of the distance from `node` to the target's end (0 or more), or
    // kUnreachable.
    int64_t Bound(const Target& target, int32_t node) const;
    // Starts fetching what Bound reads for `node`.
    void Prefetch(const Target& target, int32_t node) const {
        const Distance* row = Row(node);
        for (int i = 0; i < target.lines; ++i) {
            PrefetchLine(row + target.line[i]);
        }
    }

private:
    struct Free {
        void operator()(Distance* block) const { std::free(block); }
    };
    // A node's row: for each landmark the distance from it, then the distance to it; on a
    // map whose links all go both ways, the one distance.
    const Distance* Row(int32_t node) const { return mDistance.get() + size_t{1} * mWidth * node; }
    int FromColumn(int landmark) const { return mWidth == mCount ? landmark : 2 * landmark; }
    int ToColumn(int landmark) const { return mWidth == mCount ? landmark : 2 * landmark + 1; }
    // The passes of Build from the `first` landmark on: landmark by landmark, each measured
    // both ways side by side; or, where links all go both ways, two landmarks at a time.
    bool MeasureOneWay(const SfSearchGraph& graph, int32_t first, int threads,
                       const std::function<bool()>& goOn);
    bool MeasureBothWays(const SfSearchGraph& graph, int32_t first, int threads, int count,
                         const std::function<bool()>& goOn);

    // Rows lie within cache lines or fill whole ones: their sizes are powers of two.
    std::unique_ptr<Distance[], Free> mDistance;
    int mCount = 0;  // the landmarks a row has room for
    int mWidth = 0;  // distances in a row
    // Landmarks whose distances are all written; searches on other threads read no others.
    std::atomic<int> mMeasured{0};
};
