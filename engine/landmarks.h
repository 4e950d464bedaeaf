// SfLandmarks: distances from and to a few far-apart nodes, which bound from below the
// distance left from any node to a search's end, so that a search can head for its end.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "engine/searchgraph.h"

// For landmark L and end t, the triangle inequality gives d(v, t) >= d(L, t) - d(L, v) and
// d(v, t) >= d(v, L) - d(t, L); the largest of these is a bound that never overestimates
// and never drops along a link by more than the link's distance (a consistent bound), which
// is what a least-distance search guided by it needs to stay exact. A node that cannot
// reach a landmark that the end reaches cannot reach the end: its bound is kUnreachable.
// Only for maps whose distances are all positive.
class SfLandmarks {
public:
    static constexpr int kCount = 4;
    static constexpr int64_t kUnreachable = std::numeric_limits<int64_t>::max();

    // What the bound needs to know of one end.
    struct Target {
        int64_t fromLandmark[kCount];  // d(L, t), -1 when L does not reach t
        int64_t toLandmark[kCount];    // d(t, L), -1 when t does not reach L
    };

    bool Empty() const { return mDistance.empty(); }
    // Chooses the landmarks and measures their distances, the passes spread over
    // `threads` threads.
    void Build(const SfSearchGraph& graph, int threads);
    void Clear();

    Target TargetOf(int32_t end) const;
    // A lower bound of the distance from `node` to the target's end, or kUnreachable.
    int64_t Bound(const Target& target, int32_t node) const;

private:
    // By position: the kCount distances from the landmarks, then the kCount to them.
    std::vector<int64_t> mDistance;
};
