#include "engine/landmarks.h"

#include <algorithm>
#include <thread>

#include "engine/radixheap.h"

namespace {

// No distance: distances of a map without negative links are never negative.
constexpr int64_t kNone = -1;

// Least distances from `source` to every node along the arcs (out-arcs: from the source;
// in-arcs: to it), kNone where there is none.
std::vector<int64_t> AllDistances(int32_t source, const std::vector<uint32_t>& start,
                                  const std::vector<SfArc>& arcs) {
    std::vector<int64_t> distance(start.size() - 1, kNone);
    SfRadixHeap heap;
    distance[source] = 0;
    heap.Push(0, source);
    while (!heap.Empty()) {
        const SfRadixHeap::Entry top = heap.Pop();
        const int64_t d = distance[top.node];
        if (static_cast<uint64_t>(d) != top.key) {
            continue;
        }
        for (uint32_t k = start[top.node]; k < start[top.node + 1]; ++k) {
            int64_t t = 0;
            const int64_t old = distance[arcs[k].node];
            if (!__builtin_add_overflow(d, arcs[k].distance, &t) && (old == kNone || t < old)) {
                distance[arcs[k].node] = t;
                heap.Push(static_cast<uint64_t>(t), arcs[k].node);
            }
        }
    }
    return distance;
}

// The node whose least distance from the nearest of `chosen` is greatest.
int32_t Farthest(const std::vector<std::vector<int64_t>>& chosen, int32_t count) {
    int32_t best = 0;
    int64_t bestDistance = -1;
    for (int32_t v = 0; v < count; ++v) {
        int64_t nearest = std::numeric_limits<int64_t>::max();
        for (const std::vector<int64_t>& distance : chosen) {
            nearest = distance[v] == kNone ? kNone : std::min(nearest, distance[v]);
            if (nearest == kNone) {
                break;
            }
        }
        if (nearest > bestDistance) {
            best = v;
            bestDistance = nearest;
        }
    }
    return best;
}

}  // namespace

// Landmarks far from each other and from the first node: each new one is the node farthest
// from those before. The passes to the landmarks run beside the choosing.
void SfLandmarks::Build(const SfSearchGraph& graph, int threads) {
    const int32_t count = graph.Count();
    std::vector<std::vector<int64_t>> from(kCount);
    std::vector<std::vector<int64_t>> to(kCount);
    std::vector<int32_t> landmark(kCount);
    std::vector<std::thread> helpers;
    auto measureTo = [&](int k) { to[k] = AllDistances(landmark[k], graph.inStart, graph.inArcs); };

    landmark[0] = Farthest({AllDistances(0, graph.outStart, graph.outArcs)}, count);
    for (int k = 0; k < kCount; ++k) {
        if (threads > 1) {
            helpers.emplace_back(measureTo, k);
        } else {
            measureTo(k);
        }
        from[k] = AllDistances(landmark[k], graph.outStart, graph.outArcs);
        if (k + 1 < kCount) {
            landmark[k + 1] = Farthest({from.begin(), from.begin() + k + 1}, count);
        }
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    mDistance.assign(static_cast<size_t>(count) * 2 * kCount, kNone);
    for (int32_t v = 0; v < count; ++v) {
        for (int k = 0; k < kCount; ++k) {
            mDistance[size_t{2} * kCount * v + k] = from[k][v];
            mDistance[size_t{2} * kCount * v + kCount + k] = to[k][v];
        }
    }
}

void SfLandmarks::Clear() { std::vector<int64_t>().swap(mDistance); }

SfLandmarks::Target SfLandmarks::TargetOf(int32_t end) const {
    Target target;
    const int64_t* distance = &mDistance[size_t{2} * kCount * end];
    for (int k = 0; k < kCount; ++k) {
        target.fromLandmark[k] = distance[k];
        target.toLandmark[k] = distance[kCount + k];
    }
    return target;
}

int64_t SfLandmarks::Bound(const Target& target, int32_t node) const {
    const int64_t* distance = &mDistance[size_t{2} * kCount * node];
    int64_t bound = 0;
    for (int k = 0; k < kCount; ++k) {
        const int64_t from = distance[k];
        const int64_t to = distance[kCount + k];
        if (target.fromLandmark[k] != kNone && from != kNone) {
            bound = std::max(bound, target.fromLandmark[k] - from);
        }
        if (target.toLandmark[k] != kNone) {
            if (to == kNone) {
                return kUnreachable;
            }
            bound = std::max(bound, to - target.toLandmark[k]);
        }
    }
    return bound;
}
