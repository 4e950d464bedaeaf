#include "engine/landmarks.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "engine/radixheap.h"
#include "platform/helperthreads.h"

namespace {

// No distance: distances of a map without negative links are never negative.
constexpr int64_t kNone = -1;

// The working memory of a pass over the map, kept from one pass to the next on the same
// thread rather than taken anew: fresh memory costs a page fault every 4 KB (16 MB a pass
// on a million nodes). A node's distance and where its arcs stand share a cache
// line: reaching a node reads both at once, and its arcs are fetched while the nodes before
// it are taken.
struct PassMemory {
    struct Node {
        int64_t distance;
        uint32_t first;
        uint32_t end;
    };
    std::vector<Node> node;
    SfRadixHeap heap;
};

// Writes the least distances from `source` to every node along the arcs (out-arcs: from
// the source; in-arcs: to it) into column `column` of `table`, whose rows hold `width`
// values per node; kNone where there is none, the largest value where it does not fit.
// The pass keeps its distances in a column of its own, a fraction of the table's memory,
// and copies them into the table at the end.
void MeasureDistances(int32_t source, const std::vector<uint32_t>& start,
                      const std::vector<SfArc>& arcs, SfLandmarks::Distance* table, int width,
                      int column, PassMemory& memory) {
    const auto count = static_cast<int32_t>(start.size() - 1);
    std::vector<PassMemory::Node>& node = memory.node;
    node.resize(count);
    for (int32_t v = 0; v < count; ++v) {
        node[v] = PassMemory::Node{kNone, start[v], start[v + 1]};
    }
    // A heap of the pass's own, with the buckets' room taken over: a heap that others can
    // reach is read again after every store into the nodes (a count and a key may share
    // memory with a distance for all the compiler knows), which cost New York's first
    // landmarks a fifth more time.
    SfRadixHeap heap = std::move(memory.heap);
    heap.Clear();
    node[source].distance = 0;
    heap.Push(0, source);
    while (!heap.Empty()) {
        const SfRadixHeap::Entry top = heap.Pop();
        const PassMemory::Node& u = node[top.node];
        const int64_t d = u.distance;
        if (static_cast<uint64_t>(d) != top.key) {
            continue;
        }
        for (uint32_t k = u.first; k < u.end; ++k) {
            PassMemory::Node& v = node[arcs[k].node];
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
    constexpr int64_t kLargest = std::numeric_limits<SfLandmarks::Distance>::max();
    for (int32_t v = 0; v < count; ++v) {
        table[size_t{1} * width * v + column] =
            static_cast<SfLandmarks::Distance>(std::min(node[v].distance, kLargest));
    }
    memory.heap = std::move(heap);
}

// The node whose distance from the nearest of the first `chosen` landmarks is greatest,
// their distances from them `step` columns apart in rows of `width`. With `also`, a node
// whose distances are not measured yet counts among them, its distance to each node
// bounded from below through the landmarks (on a map whose links all go both ways).
int32_t Farthest(const SfLandmarks::Distance* table, int32_t count, int width, int step, int chosen,
                 int32_t also = -1) {
    const SfLandmarks::Distance* alsoRow = also < 0 ? nullptr : &table[size_t{1} * width * also];
    int32_t best = 0;
    int64_t bestDistance = -1;
    for (int32_t v = 0; v < count; ++v) {
        const SfLandmarks::Distance* distance = &table[size_t{1} * width * v];
        int64_t nearest = std::numeric_limits<int64_t>::max();
        int64_t fromAlso = 0;
        for (int k = 0; k < chosen && nearest != kNone; ++k) {
            const int64_t d = distance[step * k];
            nearest = d == kNone ? kNone : std::min(nearest, d);
            if (alsoRow != nullptr && d != kNone && alsoRow[step * k] != kNone) {
                fromAlso = std::max(fromAlso, std::abs(d - alsoRow[step * k]));
            }
        }
        if (alsoRow != nullptr && nearest != kNone) {
            nearest = std::min(nearest, fromAlso);
        }
        if (nearest > bestDistance) {
            best = v;
            bestDistance = nearest;
        }
    }
    return best;
}

// The last node a breadth-first walk from `from` reaches: a node far from it, found for
// much less than a least-distance pass costs. For a map whose links all go both ways.
int32_t FarthestByLinks(const SfSearchGraph& graph, int32_t from) {
    std::vector<uint8_t> seen(graph.Count(), 0);
    std::vector<int32_t> queue;
    queue.reserve(graph.Count());
    queue.push_back(from);
    seen[from] = 1;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int32_t u = queue[head];
        for (uint32_t k = graph.outStart[u]; k < graph.outStart[u + 1]; ++k) {
            if (!seen[graph.outArcs[k].node]) {
                seen[graph.outArcs[k].node] = 1;
                queue.push_back(graph.outArcs[k].node);
            }
        }
    }
    return queue.back();
}

// Whether every link has a link back no longer than itself: then the way back from any
// node to another is never longer than the way there, so the two are equally long. A
// node's links back are among its incoming ones, which lie beside its outgoing ones.
bool GoesBothWays(const SfSearchGraph& graph) {
    for (int32_t u = 0; u < graph.Count(); ++u) {
        const uint32_t inFirst = graph.inStart[u];
        const uint32_t inEnd = graph.inStart[u + 1];
        for (uint32_t k = graph.outStart[u]; k < graph.outStart[u + 1]; ++k) {
            const SfArc arc = graph.outArcs[k];
            bool back = false;
            for (uint32_t j = inFirst; j < inEnd && !back; ++j) {
                back = graph.inArcs[j].node == arc.node && graph.inArcs[j].distance <= arc.distance;
            }
            if (!back) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

// Landmarks far from each other: the first is the node the numbering reached last in the
// largest component, each next one the node farthest from those before.
bool SfLandmarks::Build(const SfSearchGraph& graph, int count, int threads,
                        const std::function<bool()>& goOn, bool restLater) {
    // 4, 8 or 16: rows within cache lines or of whole ones.
    count = static_cast<int>(std::bit_ceil(static_cast<unsigned>(std::clamp(count, 4, kMaxCount))));
    const bool bothWays = GoesBothWays(graph);
    const int32_t first = graph.deepest;
    mMeasured.store(0, std::memory_order_relaxed);
    mCount = count;
    mWidth = bothWays ? count : 2 * count;
    const auto nodes = static_cast<size_t>(graph.Count());
    const size_t bytes = std::max<size_t>(nodes, 1) * mWidth * sizeof(Distance);
    mDistance.reset(static_cast<Distance*>(std::aligned_alloc(64, (bytes + 63) / 64 * 64)));
    if (!mDistance) {
        throw std::bad_alloc();
    }
    std::fill_n(mDistance.get(), nodes * mWidth, kNone);
    const bool measured = bothWays ? MeasureBothWays(graph, first, threads,
                                                     restLater && threads > 1 ? 2 : count, goOn)
                                   : MeasureOneWay(graph, first, threads, goOn);
    if (!measured) {
        Clear();
    }
    return measured;
}

// Each next landmark is chosen by the distances from those before alone, so the passes from
// them run on this thread one after another and, with more than one thread, a helper takes
// the passes to them as they are chosen: one thread start for all of them.
bool SfLandmarks::MeasureOneWay(const SfSearchGraph& graph, int32_t first, int threads,
                                const std::function<bool()>& goOn) {
    std::mutex mutex;
    std::condition_variable chosenMore;
    std::vector<int32_t> chosen;
    bool stopped = false;
    auto measureTo = [&] {
        PassMemory memory;
        for (int k = 0; k < mCount; ++k) {
            int32_t landmark = 0;
            {
                std::unique_lock<std::mutex> lock(mutex);
                chosenMore.wait(lock, [&] { return stopped || std::ssize(chosen) > k; });
                if (std::ssize(chosen) <= k) {
                    return;
                }
                landmark = chosen[k];
            }
            MeasureDistances(landmark, graph.inStart, graph.inArcs, mDistance.get(), mWidth,
                             ToColumn(k), memory);
        }
    };
    HelperThreads helpers(threads - 1);
    const bool beside = helpers.Start(measureTo);
    // However this ends, the helper stops waiting for landmarks that will not come.
    struct Release {
        std::mutex& mutex;
        std::condition_variable& chosenMore;
        bool& stopped;
        ~Release() {
            std::lock_guard<std::mutex> lock(mutex);
            stopped = true;
            chosenMore.notify_one();
        }
    } release{mutex, chosenMore, stopped};
    PassMemory memory;
    int32_t landmark = first;
    for (int k = 0; k < mCount; ++k) {
        if (goOn && !goOn()) {
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            chosen.push_back(landmark);
        }
        chosenMore.notify_one();
        MeasureDistances(landmark, graph.outStart, graph.outArcs, mDistance.get(), mWidth,
                         FromColumn(k), memory);
        if (!beside) {
            MeasureDistances(landmark, graph.inStart, graph.inArcs, mDistance.get(), mWidth,
                             ToColumn(k), memory);
        }
        if (k + 1 < mCount) {
            landmark = Farthest(mDistance.get(), graph.Count(), mWidth, 2, k + 1);
        }
    }
    helpers.Wait();
    mMeasured.store(mCount, std::memory_order_release);
    return true;
}

// The first `count` landmarks, two a round, measured side by side: the second is far from
// the first as well as from those before, the first being judged by the bounds the
// landmarks before give. In the first round it is the last node a walk from the first
// reaches.
bool SfLandmarks::MeasureBothWays(const SfSearchGraph& graph, int32_t first, int threads, int count,
                                  const std::function<bool()>& goOn) {
    PassMemory memory;
    PassMemory besideMemory;  // only ever one helper at a time
    HelperThreads helpers(threads - 1);
    int32_t second = FarthestByLinks(graph, first);
    for (int k = 0; k < count; k += 2) {
        if (goOn && !goOn()) {
            helpers.Wait();
            return false;
        }
        helpers.Run([this, &graph, &besideMemory, second, k] {
            MeasureDistances(second, graph.outStart, graph.outArcs, mDistance.get(), mWidth, k + 1,
                             besideMemory);
        });
        MeasureDistances(first, graph.outStart, graph.outArcs, mDistance.get(), mWidth, k, memory);
        helpers.Wait();
        mMeasured.store(k + 2, std::memory_order_release);
        if (k + 2 < count) {
            first = Farthest(mDistance.get(), graph.Count(), mWidth, 1, k + 2);
            second = Farthest(mDistance.get(), graph.Count(), mWidth, 1, k + 2, first);
        }
    }
    return true;
}

// Only Build's passes over a map whose links all go both ways leave landmarks unmeasured.
bool SfLandmarks::MeasureRest(const SfSearchGraph& graph, int count,
                              const std::function<bool()>& goOn) {
    PassMemory memory;
    for (int k = Count(); k < std::min(count, mCount); ++k) {
        if (!goOn()) {
            return false;
        }
        const int32_t landmark = Farthest(mDistance.get(), graph.Count(), mWidth, 1, k);
        MeasureDistances(landmark, graph.outStart, graph.outArcs, mDistance.get(), mWidth, k,
                         memory);
        mMeasured.store(k + 1, std::memory_order_release);
    }
    return true;
}

void SfLandmarks::Clear() {
    mDistance.reset();
    mMeasured.store(0, std::memory_order_relaxed);
    mCount = 0;
    mWidth = 0;
}

SfLandmarks::Target SfLandmarks::TargetOf(int32_t start, int32_t end, int64_t& startBound) const {
    const Distance* from = Row(start);
    const Distance* to = Row(end);
    // Each landmark's bound of the start; the best ones are the search's.
    std::pair<int64_t, int> bounds[kMaxCount];
    const int measured = Count();
    for (int k = 0; k < measured; ++k) {
        const int f = FromColumn(k);
        const int b = ToColumn(k);
        int64_t bound = 0;
        if (to[f] != kNone && from[f] != kNone) {
            bound = std::max<int64_t>(bound, to[f] - from[f]);
        }
        if (to[b] != kNone) {
            if (from[b] == kNone) {
                startBound = kUnreachable;
                return {};
            }
            bound = std::max<int64_t>(bound, from[b] - to[b]);
        }
        bounds[k] = {-bound, k};  // ascending: the best first, then the first landmark
    }
    Target target;
    target.count = std::min(kActive, measured);
    std::partial_sort(bounds, bounds + target.count, bounds + measured);
    startBound = 0;
    for (int i = 0; i < target.count; ++i) {
        const int k = bounds[i].second;
        target.fromColumn[i] = FromColumn(k);
        target.toColumn[i] = ToColumn(k);
        const int line = FromColumn(k) / 16 * 16;  // 16 distances to a line, both of k's on it
        if (std::find(target.line, target.line + target.lines, line) ==
            target.line + target.lines) {
            target.line[target.lines++] = line;
        }
        target.fromLandmark[i] = to[FromColumn(k)];
        target.toLandmark[i] = to[ToColumn(k)];
        startBound = std::max(startBound, -bounds[i].first);
    }
    return target;
}

int64_t SfLandmarks::Bound(const Target& target, int32_t node) const {
    const Distance* distance = Row(node);
    int64_t bound = 0;
    if (mWidth == mCount) {  // one distance each way: the two bounds are its difference
        for (int i = 0; i < target.count; ++i) {
            const int64_t toEnd = target.fromLandmark[i];
            const int64_t d = distance[target.fromColumn[i]];
            if (toEnd != kNone) {
                if (d == kNone) {
                    return kUnreachable;
                }
                bound = std::max(bound, toEnd > d ? toEnd - d : d - toEnd);
            }
        }
        return bound;
    }
    for (int i = 0; i < target.count; ++i) {
        const int64_t from = distance[target.fromColumn[i]];
        const int64_t to = distance[target.toColumn[i]];
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
