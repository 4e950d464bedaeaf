// SfLandmarks: distances from and to a few far-apart nodes, which bound from below the
// distance left from any node to a search's end, so that a search can head for its end.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "engine/searchgraph.h"

// For landmark L and end t, the triangle inequality gives d(v, t) >= d(L, t) - d(L, v) and
// d(v, t) >= d(v, L) - d(t, L); the largest of these is a bound that never overestimates
// and never drops along a link by more than the link's distance (a consistent bound), which
// is what a least-distance search guided by it needs to stay exact. A node that cannot
// reach a landmark that the end reaches cannot reach the end: its bound is kUnreachable.
// Only for maps without negative distances.
//
// Distances beyond 64 bits are kept as the largest value. Such a distance is no smaller
// than the true one when it is subtracted and no larger when it is subtracted from, so the
// bound still never overestimates and stays consistent; and it is never mistaken for "no
// way there", which only a missing path means.
class SfLandmarks {
public:
    static constexpr int kCount = 4;
    // Bounds run from 0 to the largest 64-bit value; this one is none of them.
    static constexpr int64_t kUnreachable = -1;

    // What the bound needs to know of one end.
    struct Target {
        int64_t fromLandmark[kCount];  // d(L, t), -1 when L does not reach t
        int64_t toLandmark[kCount];    // d(t, L), -1 when t does not reach L
    };

    bool Empty() const { return mDistance == nullptr; }
    // Chooses the landmarks and measures their distances, the passes spread over
    // `threads` threads. `goOn` is asked before each landmark: false leaves the landmarks
    // empty, and Build gives false.
    bool Build(const SfSearchGraph& graph, int threads, const std::function<bool()>& goOn = {});
    void Clear();

    Target TargetOf(int32_t end) const;
    // A lower bound of the distance from `node` to the target's end (0 or more), or
    // kUnreachable.
    int64_t Bound(const Target& target, int32_t node) const;

private:
    struct Free {
        void operator()(int64_t* block) const { std::free(block); }
    };
    // By position: the kCount distances from the landmarks, then the kCount to them; each
    // node's row starts a cache line, so that a bound reads one line.
    std::unique_ptr<int64_t[], Free> mDistance;
};
