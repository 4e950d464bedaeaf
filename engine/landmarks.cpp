#include "engine/landmarks.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "engine/radixheap.h"
#include "platform/helperthreads.h"

namespace {

// No distance: distances of a map without negative links are never negative.
constexpr int64_t kNone = -1;

// Writes the least distances from `source` to every node along the arcs (out-arcs: from
// the source; in-arcs: to it) into column `column` of `table`, whose rows hold `width`
// values per node; kNone where there is none, the largest value where it does not fit.
// The pass keeps its distances in a column of its own, a fraction of the table's memory,
// and copies them into the table at the end.
void MeasureDistances(int32_t source, const std::vector<uint32_t>& start,
                      const std::vector<SfArc>& arcs, int64_t* table, int width, int column) {
    const auto count = static_cast<int32_t>(start.size() - 1);
    // A node's distance and where its arcs stand share a cache line: reaching a node reads
    // both at once, and its arcs are fetched while the nodes before it are taken.
    struct Node {
        int64_t distance;
        uint32_t first;
        uint32_t end;
    };
    std::vector<Node> node(count);
    for (int32_t v = 0; v < count; ++v) {
        node[v] = Node{kNone, start[v], start[v + 1]};
    }
    SfRadixHeap heap;
    node[source].distance = 0;
    heap.Push(0, source);
    while (!heap.Empty()) {
        const SfRadixHeap::Entry top = heap.Pop();
        const Node& u = node[top.node];
        const int64_t d = u.distance;
        if (static_cast<uint64_t>(d) != top.key) {
            continue;
        }
        for (uint32_t k = u.first; k < u.end; ++k) {
            Node& v = node[arcs[k].node];
            int64_t t = 0;
            if (__builtin_add_overflow(d, arcs[k].distance, &t)) {
                t = std::numeric_limits<int64_t>::max();
            }
            if (v.distance == kNone || t < v.distance) {
                v.distance = t;
                __builtin_prefetch(arcs.data() + v.first);  // taken off the heap later
                heap.Push(static_cast<uint64_t>(t), arcs[k].node);
            }
        }
    }
    for (int32_t v = 0; v < count; ++v) {
        table[size_t{1} * width * v + column] = node[v].distance;
    }
}

// The node whose least distance from the nearest of the landmarks in the first `chosen`
// landmarks' columns is greatest.
int32_t Farthest(const int64_t* table, int32_t count, int width, int chosen) {
    int32_t best = 0;
    int64_t bestDistance = -1;
    for (int32_t v = 0; v < count; ++v) {
        const int64_t* distance = &table[size_t{1} * width * v];
        int64_t nearest = std::numeric_limits<int64_t>::max();
        for (int k = 0; k < chosen && nearest != kNone; ++k) {
            nearest = distance[2 * k] == kNone ? kNone : std::min(nearest, distance[2 * k]);
        }
        if (nearest > bestDistance) {
            best = v;
            bestDistance = nearest;
        }
    }
    return best;
}

// The last node a breadth-first walk from position 0 reaches, the links taken both ways: a
// node far from it, found for much less than a least-distance pass costs.
int32_t FarthestByLinks(const SfSearchGraph& graph) {
    std::vector<bool> seen(graph.Count(), false);
    std::vector<int32_t> queue = {0};
    seen[0] = true;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int32_t u = queue[head];
        auto visit = [&](const std::vector<uint32_t>& start, const std::vector<SfArc>& arcs) {
            for (uint32_t k = start[u]; k < start[u + 1]; ++k) {
                if (!seen[arcs[k].node]) {
                    seen[arcs[k].node] = true;
                    queue.push_back(arcs[k].node);
                }
            }
        };
        visit(graph.outStart, graph.outArcs);
        visit(graph.inStart, graph.inArcs);
    }
    return queue.back();
}

}  // namespace

// Landmarks far from each other and from the first node: the first is the last node a
// walk from the first node reaches, each next one the node farthest from those before. With
// more than one thread, the passes to the landmarks run beside the choosing, on at most
// threads - 1 helpers at a time.
bool SfLandmarks::Build(const SfSearchGraph& graph, int count, int threads,
                        const std::function<bool()>& goOn) {
    count = std::clamp((count + 3) / 4 * 4, 4, kMaxCount);  // rows of whole cache lines
    const int width = 2 * count;
    const size_t rowBytes = width * sizeof(int64_t);
    const auto nodes = static_cast<size_t>(graph.Count());
    mDistance.reset(
        static_cast<int64_t*>(std::aligned_alloc(64, std::max<size_t>(nodes, 1) * rowBytes)));
    if (!mDistance) {
        throw std::bad_alloc();
    }
    mCount = count;
    std::fill_n(mDistance.get(), nodes * width, kNone);
    HelperThreads helpers(threads - 1);
    int32_t landmark = FarthestByLinks(graph);
    for (int k = 0; k < count; ++k) {
        if (goOn && !goOn()) {
            helpers.Wait();
            Clear();
            return false;
        }
        helpers.Run([this, &graph, landmark, width, k] {
            MeasureDistances(landmark, graph.inStart, graph.inArcs, mDistance.get(), width,
                             2 * k + 1);
        });
        MeasureDistances(landmark, graph.outStart, graph.outArcs, mDistance.get(), width, 2 * k);
        if (k + 1 < count) {
            landmark = Farthest(mDistance.get(), graph.Count(), width, k + 1);
        }
    }
    helpers.Wait();
    return true;
}

void SfLandmarks::Clear() {
    mDistance.reset();
    mCount = 0;
}

SfLandmarks::Target SfLandmarks::TargetOf(int32_t start, int32_t end, int64_t& startBound) const {
    const int64_t* from = Row(start);
    const int64_t* to = Row(end);
    // Each landmark's bound of the start; the best ones are the search's.
    std::pair<int64_t, int> bounds[kMaxCount];
    for (int k = 0; k < mCount; ++k) {
        int64_t bound = 0;
        if (to[2 * k] != kNone && from[2 * k] != kNone) {
            bound = std::max(bound, to[2 * k] - from[2 * k]);
        }
        if (to[2 * k + 1] != kNone) {
            if (from[2 * k + 1] == kNone) {
                startBound = kUnreachable;
                return {};
            }
            bound = std::max(bound, from[2 * k + 1] - to[2 * k + 1]);
        }
        bounds[k] = {-bound, k};  // ascending: the best first, then the first landmark
    }
    Target target;
    target.count = std::min(kActive, mCount);
    std::partial_sort(bounds, bounds + target.count, bounds + mCount);
    startBound = 0;
    for (int i = 0; i < target.count; ++i) {
        const int k = bounds[i].second;
        target.landmark[i] = k;
        const int line = 2 * k / 8 * 8;  // eight distances to a line
        if (std::find(target.line, target.line + target.lines, line) ==
            target.line + target.lines) {
            target.line[target.lines++] = line;
        }
        target.fromLandmark[i] = to[2 * k];
        target.toLandmark[i] = to[2 * k + 1];
        startBound = std::max(startBound, -bounds[i].first);
    }
    return target;
}

int64_t SfLandmarks::Bound(const Target& target, int32_t node) const {
    const int64_t* distance = Row(node);
    int64_t bound = 0;
    for (int i = 0; i < target.count; ++i) {
        const int64_t from = distance[2 * target.landmark[i]];
        const int64_t to = distance[2 * target.landmark[i] + 1];
        if (target.fromLandmark[i] != kNone && from != kNone) {
            bound = std::max(bound, target.fromLandmark[i] - from);
        }
        if (target.toLandmark[i] != kNone) {
            if (to == kNone) {
                return kUnreachable;
            }
            bound = std::max(bound, to - target.toLandmark[i]);
        }
    }
    return bound;
}
