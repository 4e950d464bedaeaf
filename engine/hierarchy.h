// SfHierarchy: the network's nodes ranked by importance, with shortcut links over the nodes
// below, so that the distance between any two nodes is found by searches that only climb.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/searchgraph.h"

// Nodes are taken out of the network one by one, least important first (a contraction
// hierarchy); taking out v adds a shortcut u -> w of d(u, v) + d(v, w) for each pair of
// links u -> v -> w unless a path from u to w that avoids v is no longer. The arcs kept for
// v are those to and from the nodes still there when it went, all of a higher rank: every
// least distance d(s, t) is then the least d_up(s, m) + d_down(m, t) over the nodes m, along
// arcs that rise from s to m and arcs that fall from m to t.
//
// Distances only: the routes themselves, with the map's tie rule, are traced on the map's
// own links. Only for maps without negative distances whose distances all add up to less
// than kMaxTotal, so that no sum of a search overflows.
class SfHierarchy {
public:
    static constexpr int64_t kMaxTotal = int64_t{1} << 61;

    // Whether Build has ended and searches may read the hierarchy; safe to ask from any
    // thread while another builds it.
    bool Ready() const { return mReady.load(std::memory_order_acquire); }
    // Builds the hierarchy over `graph` on this thread. `goOn` is asked after each node taken
    // out and every thousand nodes before: false abandons the work, leaves the hierarchy
    // empty and gives false.
    bool Build(const SfSearchGraph& graph, const std::function<bool()>& goOn);
    void Clear();

    // A node's rank by its position: 0 for the node taken out first. Nodes near in rank lie
    // near in memory: the top of the hierarchy, which every search climbs to, stays in the
    // cache.
    const std::vector<int32_t>& RankOf() const { return mRankOf; }
    // By rank, and each arc's node by rank. Up arcs of r lead to the nodes of a higher rank
    // that r's links reach (in the network with the nodes below r taken out); down arcs of r
    // come from the nodes of a higher rank whose links reach r, each SfArc holding that node.
    const std::vector<uint32_t>& UpStart() const { return mUpStart; }
    const std::vector<SfArc>& UpArcs() const { return mUpArcs; }
    const std::vector<uint32_t>& DownStart() const { return mDownStart; }
    const std::vector<SfArc>& DownArcs() const { return mDownArcs; }

private:
    std::vector<int32_t> mRankOf;
    std::vector<uint32_t> mUpStart;
    std::vector<SfArc> mUpArcs;
    std::vector<uint32_t> mDownStart;
    std::vector<SfArc> mDownArcs;
    std::atomic<bool> mReady{false};
};
