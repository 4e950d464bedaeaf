// The route search: the least-distance pass and the backward trace of the route.
#include "engine/routesearch.h"

#include <algorithm>
#include <limits>

#include "engine/node.h"

SfRouteSearch::SfRouteSearch(const SfNodes& nodes)
    : mNodes(nodes),
      mGraph(nodes.Graph()),
      mLandmarks(nodes.Landmarks()),
      mHierarchy(nodes.Hierarchy()),
      mHasNegativeLink(nodes.HasNegativeLink()),
      mState(mGraph.Count(), NodeState{0, 0}),
      mRunOf(mGraph.Count(), 0),
      mTraced(mGraph.Count(), 0) {
    if (mHasNegativeLink) {
        mWideLabel.assign(mGraph.Count(), 0);
        mParent.assign(mGraph.Count(), -1);
        mUnboundedRun.assign(mGraph.Count(), 0);
        mWalkStamp.assign(mGraph.Count(), 0);
    }
}

void SfRouteSearch::NewRun() {
    if (++mRun == 0) {  // the stamps wrapped: clear them once
        std::fill(mRunOf.begin(), mRunOf.end(), 0);
        std::fill(mUnboundedRun.begin(), mUnboundedRun.end(), 0);
        std::fill(mUpward.begin(), mUpward.end(), Upward{0, 0});
        mRun = 1;
    }
}

void SfRouteSearch::NewTrace() {
    if (++mTrace == 0) {
        std::fill(mTraced.begin(), mTraced.end(), 0);
        mTrace = 1;
    }
}

void SfRouteSearch::SetLabel(int32_t p, int64_t label) {
    mState[p].label = label;
    mRunOf[p] = mRun;
}

int SfRouteSearch::SearchRoute(const tqString& start, const tqString& end,
                               const tqArray<tqString>& vias, tqArray<tqString>& routeNames,
                               int64_t& distance) {
    std::vector<int32_t> points;
    points.reserve(vias.count + 2);
    points.push_back(mNodes.FindNode(start));
    for (int i = 0; i < vias.count; ++i) {
        points.push_back(mNodes.FindNode(vias.items[i]));
    }
    points.push_back(mNodes.FindNode(end));
    for (int32_t& point : points) {
        if (point == SfNodeNames::kNone) {
            return SfNodes::srNoSuchNode;
        }
        point = mGraph.position[point];
    }
    for (size_t k = 1; k + 1 < points.size(); ++k) {
        for (size_t j = 0; j < k; ++j) {
            if (points[k] == points[j]) {
                return SfNodes::srRepeatedPoint;
            }
        }
    }

    std::vector<int32_t> collected;
    // The legs add up as the links of one leg do: past the 64-bit range on the way is
    // allowed, only the route's distance must fit.
    Wide total = 0;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        Wide leg = 0;
        if (!SearchLeg(points[k], points[k + 1], leg)) {
            return SfNodes::srNoRoute;
        }
        total += leg;
        collected.insert(collected.end(), mRoute.begin() + (k == 0 ? 0 : 1), mRoute.end());
    }
    // A distance that does not fit in 64 bits cannot be told: no route.
    if (total < INT64_MIN || total > INT64_MAX) {
        return SfNodes::srNoRoute;
    }

    StoreRoute(collected, routeNames);
    distance = static_cast<int64_t>(total);
    return SfNodes::srFound;
}

bool SfRouteSearch::SearchLeg(int32_t source, int32_t target, Wide& distance) {
    NewRun();  // each leg measures from its own start
    if (!mHasNegativeLink && mHierarchy.Ready()) {
        UpwardPass(source);
        const int64_t label = SourceDistance(target);
        if (label == kNoLabel || !TraceRoute(target, source, [this](int32_t p) {
                const int64_t d = SourceDistance(p);
                return d == kNoLabel ? kUnlabelled : Wide{d};
            })) {
            return false;
        }
        distance = label;
        return true;
    }
    if (mHasNegativeLink) {
        SweepPass(source);
    } else {
        LeastDistancePass(source, target);
    }
    if (!Reached(target) || !TraceRoute(target, source)) {
        return false;
    }
    distance = Label(target);
    return true;
}

void SfRouteSearch::SearchRoutesFrom(const tqString& start, std::vector<SharedEnd>& ends) {
    const int32_t startId = mNodes.FindNode(start);
    if (mHasNegativeLink || startId == SfNodeNames::kNone) {
        for (SharedEnd& end : ends) {
            end.result = SearchRoute(start, *end.end, {}, *end.routeNames, *end.distance);
        }
        return;
    }
    const int32_t source = mGraph.position[startId];
    std::vector<int32_t> targets;
    for (SharedEnd& end : ends) {
        const int32_t endId = mNodes.FindNode(*end.end);
        end.result = endId == SfNodeNames::kNone ? SfNodes::srNoSuchNode : SfNodes::srNoRoute;
        if (endId != SfNodeNames::kNone) {
            targets.push_back(mGraph.position[endId]);
        }
    }
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    NewRun();
    ManyTargetPass(source, targets);
    for (SharedEnd& end : ends) {
        if (end.result == SfNodes::srNoSuchNode) {
            continue;
        }
        const int32_t target = mGraph.position[mNodes.FindNode(*end.end)];
        if (Reached(target) && TraceRoute(target, source)) {
            StoreRoute(mRoute, *end.routeNames);
            *end.distance = mState[target].label;
            end.result = SfNodes::srFound;
        }
    }
}

void SfRouteSearch::StoreRoute(const std::vector<int32_t>& route,
                               tqArray<tqString>& routeNames) const {
    routeNames.Clear();
    // A route holds its own names and no more: a million short routes must not each keep
    // the 64 slots of the usual step.
    routeNames.step = 1;
    routeNames.Reserve(static_cast<int>(route.size()));
    for (int32_t p : route) {
        const std::string_view name = mNodes.NodeName(mGraph.nodeAt[p]);
        routeNames.Add(tqString(name.data(), name.size()));
    }
}

// Dijkstra's method on a radix heap, keyed by label + bound (A* with the landmarks' bound;
// without landmarks the bound is 0). A heap entry whose key is above its node's current
// key is left over from before the label was lowered and is skipped. Once the target's
// label is final, nodes whose key equals it may still lie on a shortest route: the pass
// goes on until the least key is beyond it.
void SfRouteSearch::LeastDistancePass(int32_t source, int32_t target) {
    const uint32_t* outStart = mGraph.outStart.data();
    const SfArc* arcs = mGraph.outArcs.data();
    NodeState* state = mState.data();
    uint32_t* runOf = mRunOf.data();
    const bool guided = !mLandmarks.Empty();
    int64_t startBound = 0;
    const SfLandmarks::Target goal =
        guided ? mLandmarks.TargetOf(source, target, startBound) : SfLandmarks::Target{};
    uint64_t targetKey = std::numeric_limits<uint64_t>::max();
    mHeap.Clear();
    SetLabel(source, 0);
    state[source].bound = startBound;
    if (state[source].bound == SfLandmarks::kUnreachable) {
        return;
    }
    mHeap.Push(static_cast<uint64_t>(state[source].bound), source);
    while (!mHeap.Empty()) {
        const SfRadixHeap::Entry top = mHeap.Pop();
        if (top.key > targetKey) {
            return;
        }
        const int32_t u = top.node;
        const int64_t label = state[u].label;
        if (static_cast<uint64_t>(label) + static_cast<uint64_t>(state[u].bound) != top.key) {
            continue;
        }
        if (u == target) {
            targetKey = top.key;
            continue;
        }
        // The nodes' states and bounds are far apart in memory: ask for all of them before
        // reading the first, so that their fetches overlap.
        for (uint32_t k = outStart[u], last = outStart[u + 1]; k < last; ++k) {
            PrefetchLine(state + arcs[k].node);
            if (guided) {
                mLandmarks.Prefetch(goal, arcs[k].node);
            }
        }
        for (uint32_t k = outStart[u], last = outStart[u + 1]; k < last; ++k) {
            const SfArc arc = arcs[k];
            int64_t t = 0;
            if (!CheckedAdd(label, arc.distance, t)) {
                continue;  // longer than any distance can be: no improvement
            }
            NodeState& s = state[arc.node];
            if (runOf[arc.node] != mRun) {
                runOf[arc.node] = mRun;
                s.label = t;
                s.bound = guided ? mLandmarks.Bound(goal, arc.node) : 0;
            } else if (t < s.label) {
                s.label = t;
            } else {
                continue;
            }
            if (s.bound != SfLandmarks::kUnreachable) {
                mHeap.Push(static_cast<uint64_t>(t) + static_cast<uint64_t>(s.bound), arc.node);
                FetchArcs(arc.node);
            }
        }
    }
}

// LeastDistancePass with the bound 0 and many targets. Distances are positive, so every
// node before a target on a shortest route has a smaller label and is final before the
// target is taken from the heap: the pass ends with the last target that can be reached.
void SfRouteSearch::ManyTargetPass(int32_t source, const std::vector<int32_t>& targets) {
    const uint32_t* outStart = mGraph.outStart.data();
    const SfArc* arcs = mGraph.outArcs.data();
    NodeState* state = mState.data();
    uint32_t* runOf = mRunOf.data();
    size_t targetsLeft = targets.size();
    mHeap.Clear();
    SetLabel(source, 0);
    mHeap.Push(0, source);
    while (!mHeap.Empty()) {
        const SfRadixHeap::Entry top = mHeap.Pop();
        const int32_t u = top.node;
        const int64_t label = state[u].label;
        if (static_cast<uint64_t>(label) != top.key) {
            continue;
        }
        if (std::binary_search(targets.begin(), targets.end(), u) && --targetsLeft == 0) {
            return;
        }
        for (uint32_t k = outStart[u], last = outStart[u + 1]; k < last; ++k) {
            const SfArc arc = arcs[k];
            int64_t t = 0;
            if (!CheckedAdd(label, arc.distance, t)) {
                continue;
            }
            NodeState& s = state[arc.node];
            if (runOf[arc.node] != mRun || t < s.label) {
                runOf[arc.node] = mRun;
                s.label = t;
                mHeap.Push(static_cast<uint64_t>(t), arc.node);
                FetchArcs(arc.node);
            }
        }
    }
}

// Dijkstra's method over the hierarchy's up arcs. A node that one of the nodes above it
// reaches more cheaply (through its down arcs) is reached along no least route from its
// upward distance: its arcs are not followed ("stalled"); its distance may then be too
// long, but SourceDistance takes the shorter way down to it from above.
void SfRouteSearch::UpwardPass(int32_t source) {
    const uint32_t* upStart = mHierarchy.UpStart().data();
    const SfArc* up = mHierarchy.UpArcs().data();
    const uint32_t* downStart = mHierarchy.DownStart().data();
    const SfArc* down = mHierarchy.DownArcs().data();
    if (mUpward.empty()) {
        mUpward.assign(mGraph.Count(), Upward{0, 0});
        mSourceDistance.assign(mGraph.Count(), kUnworked);
    }
    for (const int32_t r : mWorked) {
        mSourceDistance[r] = kUnworked;
    }
    mWorked.clear();
    Upward* upward = mUpward.data();
    const int32_t first = mHierarchy.RankOf()[source];
    mHeap.Clear();
    upward[first] = {0, mRun};
    mHeap.Push(0, first);
    while (!mHeap.Empty()) {
        const SfRadixHeap::Entry top = mHeap.Pop();
        const int32_t u = top.node;
        const int64_t label = upward[u].distance;
        if (static_cast<uint64_t>(label) != top.key) {
            continue;
        }
        bool stalled = false;
        for (uint32_t k = downStart[u], last = downStart[u + 1]; k < last && !stalled; ++k) {
            const SfArc arc = down[k];
            stalled =
                upward[arc.node].run == mRun && upward[arc.node].distance + arc.distance < label;
        }
        if (stalled) {
            continue;
        }
        for (uint32_t k = upStart[u], last = upStart[u + 1]; k < last; ++k) {
            const SfArc arc = up[k];
            const int64_t t = label + arc.distance;
            Upward& above = upward[arc.node];
            if (above.run != mRun || t < above.distance) {
                above = {t, mRun};
                mHeap.Push(static_cast<uint64_t>(t), arc.node);
            }
        }
    }
}

// Depth-first over the down arcs, which always climb: a node's distance is worked out once
// those of the nodes above it are. Each frame of the stack keeps the least distance found
// through the arcs before its next one.
int64_t SfRouteSearch::SourceDistance(int32_t p) {
    int64_t* worked = mSourceDistance.data();
    const int32_t rank = mHierarchy.RankOf()[p];
    if (worked[rank] != kUnworked) {
        return worked[rank];
    }
    const uint32_t* downStart = mHierarchy.DownStart().data();
    const SfArc* down = mHierarchy.DownArcs().data();
    // A node's arcs are read one after the other, but the nodes above are fetched at once.
    const auto frame = [&](int32_t node) {
        for (uint32_t k = downStart[node], last = downStart[node + 1]; k < last; ++k) {
            PrefetchLine(worked + down[k].node);
        }
        const Upward& u = mUpward[node];
        return ClimbFrame{node, downStart[node], u.run == mRun ? u.distance : kNoLabel};
    };
    mClimbStack.assign(1, frame(rank));
    while (!mClimbStack.empty()) {
        ClimbFrame& f = mClimbStack.back();
        const uint32_t last = downStart[f.node + 1];
        for (; f.arc < last; ++f.arc) {
            const SfArc arc = down[f.arc];
            const int64_t above = worked[arc.node];
            if (above == kUnworked) {
                break;
            }
            if (above != kNoLabel && above + arc.distance < f.best) {
                f.best = above + arc.distance;
            }
        }
        if (f.arc < last) {
            mClimbStack.push_back(frame(down[f.arc].node));  // f's arc is taken on return
            continue;
        }
        worked[f.node] = f.best;
        mWorked.push_back(f.node);
        mClimbStack.pop_back();
    }
    return worked[rank];
}

bool SfRouteSearch::TraceRoute(int32_t end, int32_t source) {
    return TraceRoute(end, source,
                      [this](int32_t p) { return Reached(p) ? Label(p) : kUnlabelled; });
}

// Depth-first, with an explicit stack so that routes of any length fit. A node the trace
// has walked through once is not entered again: from it the trace would fail the same way
// a second time, and skipping it keeps zero-length cycles from trapping the trace. With
// positive distances every matching link leads back to the source, so the trace never
// turns back.
template <typename LabelOf>
bool SfRouteSearch::TraceRoute(int32_t end, int32_t source, LabelOf labelOf) {
    NewTrace();
    mPath.assign(1, end);
    mNextArc.assign(1, mGraph.inStart[end]);
    mTraced[end] = mTrace;
    while (!mPath.empty()) {
        const int32_t node = mPath.back();
        const uint32_t k = mNextArc.back();
        if (k >= mGraph.inStart[node + 1]) {
            mPath.pop_back();
            mNextArc.pop_back();
            continue;
        }
        ++mNextArc.back();
        const SfArc arc = mGraph.inArcs[k];
        const int32_t s = arc.node;
        if (s == end) {
            continue;
        }
        const Wide label = labelOf(s);
        if (label == kUnlabelled || label + arc.distance != labelOf(node)) {
            continue;
        }
        if (s == source) {
            mRoute.assign(1, source);
            mRoute.insert(mRoute.end(), mPath.rbegin(), mPath.rend());
            return true;
        }
        if (mTraced[s] == mTrace) {
            continue;
        }
        mTraced[s] = mTrace;
        mPath.push_back(s);
        mNextArc.push_back(mGraph.inStart[s]);
    }
    return false;
}
