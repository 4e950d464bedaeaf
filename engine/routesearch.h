// SfRouteSearch: the working state of one shortest-route search over a prepared network.
#pragma once

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "data/tqarray.h"
#include "data/tqstring.h"
#include "engine/hierarchy.h"
#include "engine/landmarks.h"
#include "engine/radixheap.h"
#include "engine/searchgraph.h"

class SfNodes;

// Each search object reads the network's shared, read-only arrays and keeps its own labels,
// so several of them may search one network at the same time, one per thread. The network
// must be fully built (SfNodes::SortLinks) before the first search and stay unchanged.
//
// Labels carry a run stamp instead of reading 0 as "not reached": each leg starts a new
// run, which resets every label at once without touching them; traces have stamps of their
// own, since one run may serve several.
class SfRouteSearch {
public:
    explicit SfRouteSearch(const SfNodes& nodes);

    // Finds the shortest route start -> (vias in order) -> end; results as
    // SfNodes::SearchRoute.
    int SearchRoute(const tqString& start, const tqString& end, const tqArray<tqString>& vias,
                    tqArray<tqString>& routeNames, int64_t& distance);

    // One end of searches that share their start, and where its outcome goes.
    struct SharedEnd {
        const tqString* end;
        tqArray<tqString>* routeNames;
        int64_t* distance;
        int result;  // set by SearchRoutesFrom
    };
    // Finds the routes from `start` to every end (no via points) exactly as SearchRoute
    // would one by one, with one pass from the start for all of them; each end's result,
    // names and distance as SearchRoute gives them. For maps without negative distances
    // (elsewhere each end is searched by itself): the pass goes unguided until the last end
    // has its final label, which pays once there are a number of ends.
    void SearchRoutesFrom(const tqString& start, std::vector<SharedEnd>& ends);

private:
    struct NodeState {
        int64_t label;
        int64_t bound;  // the landmarks' lower bound of the distance left to the end
    };

    // The labels of the sweep pass: with negative distances a route that ends within 64
    // bits may pass nodes beyond them, and a negative cycle may lie beyond them.
    using Wide = __int128;
    static constexpr int64_t kNoLabel = std::numeric_limits<int64_t>::max();
    // What a trace's labelOf gives for a node without a label: beyond every label.
    static constexpr Wide kUnlabelled = Wide{1} << 100;

    // a + b, or false when the true sum does not fit in 64 bits.
    static bool CheckedAdd(int64_t a, int64_t b, int64_t& sum) {
        return !__builtin_add_overflow(a, b, &sum);
    }
    static bool CheckedAdd(Wide a, int64_t b, Wide& sum) {
        return !__builtin_add_overflow(a, b, &sum);
    }

    // Starts fetching the out-arcs of a node just put on the heap: by the time it is taken
    // off, they are in the cache rather than one memory fetch away.
    void FetchArcs(int32_t p) const {
        __builtin_prefetch(mGraph.outArcs.data() + mGraph.outStart[p]);
    }
    void NewRun();
    void NewTrace();
    bool Reached(int32_t p) const { return mRunOf[p] == mRun; }
    void SetLabel(int32_t p, int64_t label);
    // The label of a reached node, whichever pass made it.
    Wide Label(int32_t p) const { return mHasNegativeLink ? mWideLabel[p] : mState[p].label; }
    void SetWideLabel(int32_t p, Wide label) {
        mWideLabel[p] = label;
        mRunOf[p] = mRun;
    }
    // Least distances from `source` with positive distances, nodes taken in the order of
    // label + bound, until every node that could lie on a shortest route to `target` has
    // its final label: all a trace to `target` can use.
    void LeastDistancePass(int32_t source, int32_t target);
    // The same without a bound, until each of the `targets` (ascending) that can be reached
    // has its final label.
    void ManyTargetPass(int32_t source, const std::vector<int32_t>& targets);
    // The least distance of one leg into `distance` and its route into mRoute; false when
    // there is none.
    bool SearchLeg(int32_t source, int32_t target, Wide& distance);
    // Least distances from `source` up the hierarchy: what SourceDistance starts from. A
    // node reached more cheaply from above than from below is not climbed from.
    void UpwardPass(int32_t source);
    // The least distance from the last UpwardPass's source to `p`, or kNoLabel: the least
    // of its upward distance and, over the hierarchy's arcs down into `p`, the distance of
    // the node above plus the arc; each node's worked out once a pass.
    int64_t SourceDistance(int32_t p);
    // The names of the route's nodes (positions) into `routeNames`.
    void StoreRoute(const std::vector<int32_t>& route, tqArray<tqString>& routeNames) const;
    // The general pass for maps with negative distances; see sweeppass.cpp.
    void SweepPass(int32_t source);
    // Traces back from `end` to `source` along links that match the labels, in the order of
    // the map's rows; fills mRoute (source first) and gives true when it arrives.
    // `labelOf(p)` gives p's label, or kUnlabelled for a node the pass has not reached.
    template <typename LabelOf>
    bool TraceRoute(int32_t end, int32_t source, LabelOf labelOf);
    // The trace over the labels of the last pass.
    bool TraceRoute(int32_t end, int32_t source);

    // Pieces of SweepPass.
    int Relax(int32_t r, int32_t source, std::vector<int32_t>& next);
    void MarkSeed(int32_t p);
    void FindParentCycles();
    void CollectStillImprovable(int32_t source);
    void MarkUnboundedFrom();

    const SfNodes& mNodes;
    const SfSearchGraph& mGraph;
    const SfLandmarks& mLandmarks;
    const SfHierarchy& mHierarchy;
    bool mHasNegativeLink;
    // By position. The run stamps lie apart from the labels: a search asks whether a node is
    // reached far more often than it reads a label, and a quarter of the memory stays in
    // the cache.
    std::vector<NodeState> mState;
    std::vector<uint32_t> mRunOf;   // the label belongs to that run
    std::vector<uint32_t> mTraced;  // that trace has walked through the node
    uint32_t mRun = 0;
    uint32_t mTrace = 0;
    SfRadixHeap mHeap;
    std::vector<int32_t> mPath;      // the trace's stack; entry 0 is the node it began at
    std::vector<uint32_t> mNextArc;  // per trace depth: the next incoming arc to try
    std::vector<int32_t> mRoute;     // the last traced leg, source first
    // With the hierarchy, by rank: the upward distances from the source (where run is the
    // run), and SourceDistance's, kUnworked for those not worked out since the UpwardPass;
    // mWorked lists the others, to be set back.
    struct Upward {
        int64_t distance;
        uint32_t run;
    };
    static constexpr int64_t kUnworked = std::numeric_limits<int64_t>::min();
    std::vector<Upward> mUpward;
    std::vector<int64_t> mSourceDistance;
    std::vector<int32_t> mWorked;
    struct ClimbFrame {
        int32_t node;  // by rank
        uint32_t arc;  // the next down arc to take
        int64_t best;
    };
    std::vector<ClimbFrame> mClimbStack;  // SourceDistance's

    // Only for maps with negative distances.
    std::vector<Wide> mWideLabel;         // the labels, by position
    std::vector<int32_t> mParent;         // the node each label was last lowered from
    std::vector<uint32_t> mUnboundedRun;  // a negative cycle leaves the node without a label
    std::vector<uint64_t> mWalkStamp;     // marks of the search for cycles of parents
    uint64_t mWalk = 0;
    std::vector<int32_t> mSeeds;  // nodes found unbounded, still to be spread
};
