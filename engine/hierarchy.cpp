#include "engine/hierarchy.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

namespace {

constexpr int64_t kFar = std::numeric_limits<int64_t>::max();
// Witness searches end after this many nodes: a witness missed only costs a shortcut more.
// Estimating a node's worth may look less far than taking it out.
constexpr int kEstimateSettled = 30;
constexpr int kContractSettled = 100;
// While the links are taken in and the first priorities worked out, goOn is asked after
// this many nodes.
constexpr int32_t kAskEvery = 1024;
// A node with this many pairs of links in and out may take milliseconds to take out.
constexpr size_t kDensePairs = 256;

// A link of the network while nodes are taken out: to or from `node`, standing for `hops`
// of the map's links.
struct Edge {
    int32_t node;
    int32_t hops;
    int64_t distance;
};

// Least distances from one node through the nodes still there, but one, as far as a limit:
// is there a path from u to w no longer than u -> v -> w without v?
class WitnessSearch {
public:
    explicit WitnessSearch(int32_t count)
        : mDistance(count, kFar), mRunOf(count, 0), mNeed(count, 0), mTargetRun(count, 0) {}

    // The nodes to find a path to, each with the length it must not exceed.
    void AddTarget(int32_t node, int64_t need) {
        if (mTargets == 0) {
            NewRun();
        }
        if (mTargetRun[node] != mRun) {
            mTargetRun[node] = mRun;
            mNeed[node] = need;
            mLimit = mTargets == 0 ? need : std::max(mLimit, need);
            ++mTargets;
        }
    }
    // Searches from `source`, not through `avoid`, until every target is reached within its
    // length, or the limit or `maxSettled` nodes are passed; Witnessed tells which were.
    void Run(const std::vector<std::vector<Edge>>& out, int32_t source, int32_t avoid,
             int maxSettled) {
        int left = mTargets;
        mTargets = 0;
        mHeap.clear();
        Set(source, 0);
        mHeap.push({0, source});
        int settled = 0;
        while (!mHeap.empty() && settled < maxSettled && left > 0) {
            const auto [key, u] = mHeap.top();
            mHeap.pop();
            if (key != mDistance[u]) {
                continue;
            }
            if (key > mLimit) {
                break;
            }
            ++settled;
            for (const Edge& e : out[u]) {
                if (e.node == avoid) {
                    continue;
                }
                const int64_t t = key + e.distance;
                if (t < Distance(e.node)) {
                    if (mTargetRun[e.node] == mRun && t <= mNeed[e.node] &&
                        Distance(e.node) > mNeed[e.node]) {
                        --left;
                    }
                    Set(e.node, t);
                    mHeap.push({t, e.node});
                }
            }
        }
    }
    bool Witnessed(int32_t node) const {
        return mRunOf[node] == mRun && mDistance[node] <= mNeed[node];
    }

private:
    void NewRun() {
        if (++mRun == 0) {
            std::fill(mRunOf.begin(), mRunOf.end(), 0);
            std::fill(mTargetRun.begin(), mTargetRun.end(), 0);
            mRun = 1;
        }
    }
    int64_t Distance(int32_t node) const { return mRunOf[node] == mRun ? mDistance[node] : kFar; }
    void Set(int32_t node, int64_t distance) {
        mDistance[node] = distance;
        mRunOf[node] = mRun;
    }

    using Entry = std::pair<int64_t, int32_t>;
    std::vector<int64_t> mDistance;
    std::vector<uint32_t> mRunOf;
    std::vector<int64_t> mNeed;
    std::vector<uint32_t> mTargetRun;
    uint32_t mRun = 0;
    int mTargets = 0;
    int64_t mLimit = 0;
    // A binary heap of least entries first, its room kept from run to run.
    struct Heap {
        std::vector<Entry> entries;
        bool empty() const { return entries.empty(); }
        void clear() { entries.clear(); }
        const Entry& top() const { return entries.front(); }
        void push(Entry e) {
            entries.push_back(e);
            std::push_heap(entries.begin(), entries.end(), std::greater<>());
        }
        void pop() {
            std::pop_heap(entries.begin(), entries.end(), std::greater<>());
            entries.pop_back();
        }
    } mHeap;
};

// The network as nodes are taken out of it.
class Contraction {
public:
    // `goOn` is also asked before each witness search of a node with many links, which may
    // take long near the top.
    Contraction(int32_t count, const std::function<bool()>& goOn)
        : mOut(count), mIn(count), mDepth(count, 0), mWitness(count), mGoOn(goOn) {}

    // Whether goOn said to stop while a node's shortcuts were sought: the network is then
    // no longer whole.
    bool Stopped() const { return mStopped; }

    // Takes the graph's links, loops left out (a loop lies on no least route); false when
    // goOn, asked every kAskEvery nodes, says to stop.
    bool Load(const SfSearchGraph& graph) {
        for (int32_t p = 0; p < graph.Count(); ++p) {
            for (uint32_t k = graph.outStart[p]; k < graph.outStart[p + 1]; ++k) {
                const SfArc arc = graph.outArcs[k];
                if (arc.node != p) {
                    mOut[p].push_back({arc.node, 1, arc.distance});
                    mIn[arc.node].push_back({p, 1, arc.distance});
                }
            }
            if (p % kAskEvery == 0 && mGoOn && !mGoOn()) {
                return false;
            }
        }
        return true;
    }

    // How much taking `v` out would cost: more shortcuts than links removed, and more of
    // the map's links under them, make it dearer; so does a depth below it.
    float Priority(int32_t v) {
        int added = 0;
        int addedHops = 0;
        Shortcuts(v, kEstimateSettled, [&](int32_t, const Edge& in, const Edge& out) {
            ++added;
            addedHops += in.hops + out.hops;
        });
        const auto removed = static_cast<int>(mIn[v].size() + mOut[v].size());
        int removedHops = 0;
        for (const Edge& e : mIn[v]) {
            removedHops += e.hops;
        }
        for (const Edge& e : mOut[v]) {
            removedHops += e.hops;
        }
        if (removed == 0) {
            return static_cast<float>(mDepth[v]);
        }
        return 2.0F * static_cast<float>(added) / static_cast<float>(removed) +
               4.0F * static_cast<float>(addedHops) / static_cast<float>(removedHops) +
               static_cast<float>(mDepth[v]);
    }

    // Takes `v` out: its arcs go to `up` and `down`, the shortcuts it needs are added, and
    // its neighbours are returned in `touched`.
    void Take(int32_t v, std::vector<SfArc>& up, std::vector<SfArc>& down,
              std::vector<int32_t>& touched) {
        mAdded.clear();
        Shortcuts(v, kContractSettled, [&](int32_t u, const Edge& in, const Edge& out) {
            mAdded.push_back({u, out.node, in.hops + out.hops, in.distance + out.distance});
        });
        touched.clear();
        for (const Edge& e : mOut[v]) {
            up.push_back({e.distance, e.node});
            Erase(mIn[e.node], v);
            touched.push_back(e.node);
        }
        for (const Edge& e : mIn[v]) {
            down.push_back({e.distance, e.node});
            Erase(mOut[e.node], v);
            touched.push_back(e.node);
        }
        std::vector<Edge>().swap(mOut[v]);
        std::vector<Edge>().swap(mIn[v]);
        for (const Shortcut& s : mAdded) {
            AddArc(mOut[s.from], {s.to, s.hops, s.distance});
            AddArc(mIn[s.to], {s.from, s.hops, s.distance});
        }
        std::sort(touched.begin(), touched.end());
        touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
        for (const int32_t n : touched) {
            mDepth[n] = std::max(mDepth[n], mDepth[v] + 1);
        }
    }

private:
    struct Shortcut {
        int32_t from;
        int32_t to;
        int32_t hops;
        int64_t distance;
    };

    // Calls found(u, u -> v, v -> w) for every pair of arcs through `v` that no witness
    // path found within `maxSettled` nodes replaces.
    template <typename Found>
    void Shortcuts(int32_t v, int maxSettled, Found found) {
        const bool dense = mIn[v].size() * mOut[v].size() >= kDensePairs;
        for (const Edge& in : mIn[v]) {
            if (dense && mGoOn && !mGoOn()) {
                mStopped = true;
                return;
            }
            bool any = false;
            for (const Edge& out : mOut[v]) {
                if (out.node != in.node) {
                    mWitness.AddTarget(out.node, in.distance + out.distance);
                    any = true;
                }
            }
            if (!any) {
                continue;
            }
            mWitness.Run(mOut, in.node, v, maxSettled);
            for (const Edge& out : mOut[v]) {
                if (out.node != in.node && !mWitness.Witnessed(out.node)) {
                    found(in.node, in, out);
                }
            }
        }
    }

    static void Erase(std::vector<Edge>& edges, int32_t node) {
        for (size_t k = 0; k < edges.size(); ++k) {
            if (edges[k].node == node) {
                edges[k] = edges.back();
                edges.pop_back();
                return;
            }
        }
    }

    // Adds the arc, or shortens the one to the same node.
    static void AddArc(std::vector<Edge>& edges, const Edge& edge) {
        for (Edge& e : edges) {
            if (e.node == edge.node) {
                if (edge.distance < e.distance) {
                    e = edge;
                }
                return;
            }
        }
        edges.push_back(edge);
    }

    std::vector<std::vector<Edge>> mOut;
    std::vector<std::vector<Edge>> mIn;
    std::vector<int32_t> mDepth;
    WitnessSearch mWitness;
    std::vector<Shortcut> mAdded;
    const std::function<bool()>& mGoOn;
    bool mStopped = false;
};

// The start of each rank's arcs from the number of each, and the arcs' nodes by rank.
void ByRank(const std::vector<uint32_t>& count, const std::vector<int32_t>& rankOf,
            std::vector<uint32_t>& start, std::vector<SfArc>& arcs) {
    start.assign(count.size() + 1, 0);
    for (size_t r = 0; r < count.size(); ++r) {
        start[r + 1] = start[r] + count[r];
    }
    for (SfArc& arc : arcs) {
        arc.node = rankOf[arc.node];
    }
}

}  // namespace

bool SfHierarchy::Build(const SfSearchGraph& graph, const std::function<bool()>& goOn) {
    Clear();
    const int32_t count = graph.Count();
    Contraction network(count, goOn);
    if (!network.Load(graph)) {
        return false;
    }
    using Entry = std::pair<float, int32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    std::vector<float> priority(count);
    for (int32_t p = 0; p < count; ++p) {
        priority[p] = network.Priority(p);
        queue.push({priority[p], p});
        if (network.Stopped() || (p % kAskEvery == 0 && goOn && !goOn())) {
            return false;
        }
    }
    std::vector<int32_t> order;  // positions in the order taken out
    order.reserve(count);
    std::vector<uint32_t> upCount;
    std::vector<uint32_t> downCount;
    upCount.reserve(count);
    downCount.reserve(count);
    std::vector<SfArc> up;
    std::vector<SfArc> down;
    std::vector<bool> taken(count, false);
    std::vector<int32_t> touched;
    while (!queue.empty()) {
        const int32_t v = queue.top().second;
        queue.pop();
        if (taken[v]) {
            continue;
        }
        // Priorities change as the network does: take v only if it is still the least.
        priority[v] = network.Priority(v);
        if (network.Stopped()) {
            return false;
        }
        if (!queue.empty() && priority[v] > queue.top().first) {
            queue.push({priority[v], v});
            continue;
        }
        const size_t upBefore = up.size();
        const size_t downBefore = down.size();
        network.Take(v, up, down, touched);
        taken[v] = true;
        order.push_back(v);
        upCount.push_back(static_cast<uint32_t>(up.size() - upBefore));
        downCount.push_back(static_cast<uint32_t>(down.size() - downBefore));
        // Nodes near the top take long: the question is asked after each.
        if (network.Stopped() || (goOn && !goOn())) {
            return false;
        }
    }
    mRankOf.resize(count);
    for (int32_t r = 0; r < count; ++r) {
        mRankOf[order[r]] = r;
    }
    ByRank(upCount, mRankOf, mUpStart, up);
    ByRank(downCount, mRankOf, mDownStart, down);
    mUpArcs = std::move(up);
    mDownArcs = std::move(down);
    mReady.store(true, std::memory_order_release);
    return true;
}

void SfHierarchy::Clear() {
    mReady.store(false, std::memory_order_release);
    mRankOf.clear();
    mUpStart.clear();
    mUpArcs.clear();
    mDownStart.clear();
    mDownArcs.clear();
}
