// The reference search: dead-end elimination, the sweep label pass and the backward
// trace along links that match the labels.
//
// Labels carry a separate "reached" flag instead of reading 0 as "not reached", so that
// negative distances, which the map accepts, cannot be mistaken for an unreached node. The
// pass finds negative cycles as cycles of label parents, and is bounded by the node count
// besides; nodes a negative cycle leaves without a least distance lose their label, so a
// search through them reports no route.
#include <cstdint>
#include <utility>

#include "reference_network.h"

namespace {

// a + b, or false when the true sum does not fit in 64 bits.
bool CheckedAdd(int64_t a, int64_t b, int64_t& sum) { return !__builtin_add_overflow(a, b, &sum); }

// True when the link from `from` is one the label of `to` was (or could have been) built
// on: from's label plus the distance equals to's label exactly.
bool IsTight(const RefNode* from, const RefLink* link, const RefNode* to) {
    return from->mReached && from->Distance + link->Distance == to->Distance;
}

void MarkSeed(RefNode* node, std::vector<RefNode*>& seeds) {
    if (!node->mUnbounded) {
        node->mUnbounded = true;
        seeds.push_back(node);
    }
}

}  // namespace

int RefNodes::SearchRoute(const tqString& start, const tqString& end, const tqArray<tqString>& vias,
                          tqArray<tqString>& routeNames, int64_t& distance) {
    std::vector<RefNode*> points;
    points.reserve(vias.count + 2);
    points.push_back(FindNode(start));
    for (int i = 0; i < vias.count; ++i) {
        points.push_back(FindNode(vias.items[i]));
    }
    points.push_back(FindNode(end));
    for (RefNode* point : points) {
        if (point == nullptr) {
            return srNoSuchNode;
        }
    }
    for (size_t k = 1; k + 1 < points.size(); ++k) {
        for (size_t j = 0; j < k; ++j) {
            if (points[k] == points[j]) {
                return srRepeatedPoint;
            }
        }
    }

    ClearDistance();
    RestoreLinks();
    CutDeadEnds(points.front(), points.back());

    std::vector<RefNode*> collected;
    int64_t total = 0;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        if (k > 0) {
            ClearDistance();  // each leg measures from its own start
        }
        CalcDistance(points[k]);
        Route.Clear();
        RefNode* legEnd = points[k + 1];
        if (legEnd->mReached) {
            TraceRoute(legEnd, points[k], 0);
        }
        // A leg whose distance does not fit in 64 bits cannot be told: no route.
        if (Route.Count() == 0 || legEnd->Distance < INT64_MIN || legEnd->Distance > INT64_MAX ||
            !CheckedAdd(total, static_cast<int64_t>(legEnd->Distance), total)) {
            return srNoRoute;
        }
        for (int i = k == 0 ? 0 : 1; i < Route.Count(); ++i) {
            collected.push_back(Route.Get(i));
        }
    }

    routeNames.Clear();
    routeNames.Reserve(static_cast<int>(collected.size()));
    for (RefNode* node : collected) {
        routeNames.Add(node->Name);
    }
    distance = total;
    return srFound;
}

void RefNodes::CutDeadEnds(RefNode* start, RefNode* end) {
    EnsureNameOrder();  // the walk goes in name order
    int cut = 0;
    do {
        cut = 0;
        for (int i = 0; i < Nodes.Count(); ++i) {
            RefNode* deadEnd = Nodes.Get(i);
            if (deadEnd == start || deadEnd == end || deadEnd->ActiveOutLinkCount() != 1 ||
                deadEnd->InLinkCount() != 0) {
                continue;
            }
            for (int j = 0; j < deadEnd->OutLinks.Count(); ++j) {
                RefNode* next = deadEnd->OutLinks.Get(j)->ActiveNode;
                if (next == nullptr) {
                    continue;
                }
                cut += deadEnd->CutOutLinksTo(next);
                cut += deadEnd->CutInLinksTo(next);
                cut += next->CutOutLinksTo(deadEnd);
                cut += next->CutInLinksTo(deadEnd);
            }
        }
    } while (cut > 0);
}

void RefNodes::CalcDistance(RefNode* source) {
    tqList<RefNode> sweepA(false);
    tqList<RefNode> sweepB(false);
    tqList<RefNode>* current = &sweepA;
    tqList<RefNode>* next = &sweepB;
    std::vector<RefNode*> unbounded;
    int64_t loweredSinceCheck = 0;

    source->mReached = true;  // its label stays 0 for the whole pass
    for (int i = 0; i < source->OutLinks.Count(); ++i) {
        RefLink* link = source->OutLinks.Get(i);
        if (RefNode* s = link->ActiveNode) {
            s->Distance = link->Distance;
            s->mReached = true;
            s->mParent = source;
            current->Add(s);
        }
    }

    // Without a negative cycle every label is final after GetCount() - 2 sweeps, so a pass
    // still changing labels beyond GetCount() sweeps has met one.
    for (int sweep = 1; current->Count() > 0; ++sweep) {
        if (sweep > GetCount()) {
            CollectStillImprovable(source, unbounded);
            break;
        }
        const int n = current->Count();
        for (int e = 0; e < n; ++e) {
            RefNode* r = current->Get(e);
            if (r->mUnbounded) {
                continue;
            }
            const int lowered = Relax(r, source, *next, unbounded);
            if (lowered > 0) {
                next->Add(r);
            }
            // A negative cycle would keep the pass lowering labels for GetCount() sweeps.
            // Look for one whenever as many labels were lowered as there are nodes (so the
            // looking costs no more than the pass), and take out what it reaches.
            loweredSinceCheck += lowered;
            if (mHasNegativeLink && loweredSinceCheck >= GetCount()) {
                loweredSinceCheck = 0;
                FindParentCycles(unbounded);
                MarkUnboundedFrom(unbounded);
            }
        }
        current->Clear();
        std::swap(current, next);
    }
    MarkUnboundedFrom(unbounded);
}

int RefNodes::Relax(RefNode* r, RefNode* source, tqList<RefNode>& next,
                    std::vector<RefNode*>& unbounded) {
    int lowered = 0;
    for (int i = 0; i < r->OutLinks.Count(); ++i) {
        RefLink* link = r->OutLinks.Get(i);
        RefNode* s = link->ActiveNode;
        if (s == nullptr || s->mUnbounded) {
            continue;
        }
        const __int128 t = r->Distance + link->Distance;
        if (s == source) {
            // A way back to the source that is shorter than 0 is a negative cycle.
            if (t < 0) {
                MarkSeed(source, unbounded);
            }
            continue;
        }
        if (!s->mReached || t < s->Distance) {
            s->Distance = t;
            s->mReached = true;
            s->mParent = r;
            next.Add(s);
            ++lowered;
        }
    }
    return lowered;
}

// Each label was last lowered through its node's parent. A cycle of parents is a cycle of
// negative length (labels only ever drop strictly), so its nodes have no least distance.
void RefNodes::FindParentCycles(std::vector<RefNode*>& seeds) {
    const uint64_t checkStart = ++mWalkStamp;  // stamps from here on belong to this check
    for (int i = 0; i < Nodes.Count(); ++i) {
        RefNode* node = Nodes.Get(i);
        if (!node->mReached || node->mUnbounded || node->mWalkStamp >= checkStart) {
            continue;
        }
        const uint64_t walk = ++mWalkStamp;
        RefNode* u = node;
        while (u != nullptr && u->mReached && !u->mUnbounded && u->mWalkStamp < checkStart) {
            u->mWalkStamp = walk;
            u = u->mParent;
        }
        if (u != nullptr && u->mWalkStamp == walk) {  // this walk came round to itself
            RefNode* onCycle = u;
            do {
                MarkSeed(onCycle, seeds);
                onCycle = onCycle->mParent;
            } while (onCycle != u);
        }
    }
}

void RefNodes::CollectStillImprovable(RefNode* source, std::vector<RefNode*>& seeds) {
    for (int i = 0; i < Nodes.Count(); ++i) {
        RefNode* r = Nodes.Get(i);
        if (!r->mReached) {
            continue;
        }
        for (int j = 0; j < r->OutLinks.Count(); ++j) {
            RefLink* link = r->OutLinks.Get(j);
            RefNode* s = link->ActiveNode;
            if (s == nullptr) {
                continue;
            }
            const __int128 t = r->Distance + link->Distance;
            if (s == source ? t < 0 : !s->mReached || t < s->Distance) {
                MarkSeed(s, seeds);
            }
        }
    }
}

// Everything reachable from a node without a least distance has none either. Empties
// `seeds`.
void RefNodes::MarkUnboundedFrom(std::vector<RefNode*>& seeds) {
    while (!seeds.empty()) {
        RefNode* node = seeds.back();
        seeds.pop_back();
        node->mReached = false;
        for (int i = 0; i < node->OutLinks.Count(); ++i) {
            if (RefNode* s = node->OutLinks.Get(i)->ActiveNode) {
                MarkSeed(s, seeds);
            }
        }
    }
}

// Depth-first, with an explicit stack so that routes of any length fit. A node the trace
// has walked through once is not entered again: from it the trace would fail the same way
// a second time, and skipping it keeps zero-length cycles from trapping the trace.
bool RefNodes::TraceRoute(RefNode* current, RefNode* target, int depth) {
    const int base = depth;
    PathStack.Get(depth) = current;
    current->mTraced = true;
    mNextInLink.assign(depth + 1, 0);
    while (depth >= base) {
        RefNode* node = PathStack.Get(depth);
        int& nextLink = mNextInLink[depth];
        if (nextLink >= node->InLinks.Count()) {
            --depth;
            continue;
        }
        RefLink* link = node->InLinks.Get(nextLink++);
        RefNode* s = link->ActiveNode;
        if (s == nullptr || s == PathStack.Get(0) || !IsTight(s, link, node)) {
            continue;
        }
        if (s == target) {
            Route.Clear();
            Route.Reserve(depth + 2);
            Route.Add(target);
            for (int k = depth; k >= 0; --k) {
                Route.Add(PathStack.Get(k));
            }
            return true;
        }
        if (s->mTraced) {
            continue;
        }
        s->mTraced = true;
        ++depth;
        if (depth >= PathStack.capacity) {
            PathStack.Reserve(2 * depth);  // double rather than step by step on long routes
        }
        PathStack.Get(depth) = s;
        if (static_cast<int>(mNextInLink.size()) <= depth) {
            mNextInLink.resize(depth + 1);
        }
        mNextInLink[depth] = 0;
    }
    return false;
}
