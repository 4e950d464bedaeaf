// The general label pass, for maps with negative distances: sweeps of relaxation until a
// sweep changes nothing.
//
// The pass finds negative cycles as cycles of label parents, and is bounded by the node
// count besides; nodes a negative cycle leaves without a least distance lose their label,
// so a search through them reports no route. Labels are 128 bits wide, so that a cycle
// beyond 64 bits is found and a route may pass nodes beyond them; a sum beyond 128 bits
// (which would take longer than any pass runs) counts as no improvement when it is long,
// as unbounded when it is negative.
#include <utility>

#include "engine/routesearch.h"

void SfRouteSearch::MarkSeed(int32_t p) {
    if (mUnboundedRun[p] != mRun) {
        mUnboundedRun[p] = mRun;
        mSeeds.push_back(p);
    }
}

void SfRouteSearch::SweepPass(int32_t source) {
    std::vector<int32_t> current;
    std::vector<int32_t> next;
    int64_t loweredSinceCheck = 0;
    mSeeds.clear();

    SetWideLabel(source, 0);  // its label stays 0 for the whole pass
    mParent[source] = -1;
    for (uint32_t k = mGraph.outStart[source]; k < mGraph.outStart[source + 1]; ++k) {
        const SfArc& arc = mGraph.outArcs[k];
        SetWideLabel(arc.node, arc.distance);
        mParent[arc.node] = source;
        current.push_back(arc.node);
    }

    // Without a negative cycle every label is final after Count() - 2 sweeps, so a pass
    // still changing labels beyond Count() sweeps has met one.
    for (int64_t sweep = 1; !current.empty(); ++sweep) {
        if (sweep > mGraph.Count()) {
            CollectStillImprovable(source);
            break;
        }
        for (const int32_t r : current) {
            if (mUnboundedRun[r] == mRun) {
                continue;
            }
            const int lowered = Relax(r, source, next);
            if (lowered > 0) {
                next.push_back(r);
            }
            // A negative cycle would keep the pass lowering labels for Count() sweeps.
            // Look for one whenever as many labels were lowered as there are nodes (so the
            // looking costs no more than the pass), and take out what it reaches.
            loweredSinceCheck += lowered;
            if (loweredSinceCheck >= mGraph.Count()) {
                loweredSinceCheck = 0;
                FindParentCycles();
                MarkUnboundedFrom();
            }
        }
        current.clear();
        std::swap(current, next);
    }
    MarkUnboundedFrom();
}

int SfRouteSearch::Relax(int32_t r, int32_t source, std::vector<int32_t>& next) {
    int lowered = 0;
    for (uint32_t k = mGraph.outStart[r]; k < mGraph.outStart[r + 1]; ++k) {
        const SfArc& arc = mGraph.outArcs[k];
        const int32_t s = arc.node;
        if (mUnboundedRun[s] == mRun) {
            continue;
        }
        Wide t = 0;
        const bool fits = CheckedAdd(mWideLabel[r], arc.distance, t);
        if (s == source) {
            // A way back to the source that is shorter than 0 is a negative cycle.
            if (fits ? t < 0 : arc.distance < 0) {
                MarkSeed(source);
            }
            continue;
        }
        if (!fits) {
            if (arc.distance < 0) {
                MarkSeed(s);
            }
            continue;
        }
        if (!Reached(s) || t < mWideLabel[s]) {
            SetWideLabel(s, t);
            mParent[s] = r;
            next.push_back(s);
            ++lowered;
        }
    }
    return lowered;
}

// Each label was last lowered through its node's parent. A cycle of parents is a cycle of
// negative length (labels only ever drop strictly), so its nodes have no least distance.
void SfRouteSearch::FindParentCycles() {
    const uint64_t checkStart = ++mWalk;  // stamps from here on belong to this check
    auto walkable = [&](int32_t p) {
        return Reached(p) && mUnboundedRun[p] != mRun && mWalkStamp[p] < checkStart;
    };
    for (int32_t node = 0; node < mGraph.Count(); ++node) {
        if (!walkable(node)) {
            continue;
        }
        const uint64_t walk = ++mWalk;
        int32_t u = node;
        while (u >= 0 && walkable(u)) {
            mWalkStamp[u] = walk;
            u = mParent[u];
        }
        if (u >= 0 && mWalkStamp[u] == walk) {  // this walk came round to itself
            int32_t onCycle = u;
            do {
                MarkSeed(onCycle);
                onCycle = mParent[onCycle];
            } while (onCycle != u);
        }
    }
}

void SfRouteSearch::CollectStillImprovable(int32_t source) {
    for (int32_t r = 0; r < mGraph.Count(); ++r) {
        if (!Reached(r)) {
            continue;
        }
        for (uint32_t k = mGraph.outStart[r]; k < mGraph.outStart[r + 1]; ++k) {
            const SfArc& arc = mGraph.outArcs[k];
            const int32_t s = arc.node;
            Wide t = 0;
            if (!CheckedAdd(mWideLabel[r], arc.distance, t)) {
                if (arc.distance < 0) {
                    MarkSeed(s);
                }
            } else if (s == source ? t < 0 : !Reached(s) || t < mWideLabel[s]) {
                MarkSeed(s);
            }
        }
    }
}

// Everything reachable from a node without a least distance has none either. Empties the
// seeds.
void SfRouteSearch::MarkUnboundedFrom() {
    while (!mSeeds.empty()) {
        const int32_t p = mSeeds.back();
        mSeeds.pop_back();
        mRunOf[p] = 0;  // no longer reached
        for (uint32_t k = mGraph.outStart[p]; k < mGraph.outStart[p + 1]; ++k) {
            MarkSeed(mGraph.outArcs[k].node);
        }
    }
}
