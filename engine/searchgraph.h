// SfSearchGraph: the network's links as compact arrays, laid out for searching.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// One end of a link as the search reads it: the node at the other end, by position.
// Packed to 12 bytes: the arrays of arcs are what a search streams through.
#pragma pack(push, 4)
struct SfArc {
    int64_t distance;
    int32_t node;
};
#pragma pack(pop)
static_assert(sizeof(SfArc) == 12, "arcs are packed to 12 bytes");

// Nodes are renumbered breadth-first ("positions"), so that the nodes a search meets one
// after the other lie close together in memory whatever the order of the map's rows and
// names. Arcs of position p are [start[p], start[p + 1]) of the arc arrays. Read-only once
// built: any number of searches may share it.
class SfSearchGraph {
public:
    std::vector<int32_t> position;  // by node id
    std::vector<int32_t> nodeAt;    // by position: the node id
    std::vector<uint32_t> outStart;
    std::vector<SfArc> outArcs;  // to the To nodes, in row order
    std::vector<uint32_t> inStart;
    std::vector<SfArc> inArcs;  // from the From nodes, in row order: decides equal routes
    // The position numbered last in the component with the most nodes: of the last level of
    // a breadth-first walk from that component's first node, so far from it.
    int32_t deepest = 0;

    int32_t Count() const { return static_cast<int32_t>(nodeAt.size()); }

    // Builds the arrays for `nodeCount` nodes from the links given in row order, on two
    // threads when `threads` is above 1; `from` and `to` are used up. `between`, when given,
    // is called between the steps: it may throw to end the build (the arrays then unusable).
    void Build(int32_t nodeCount, std::vector<int32_t> from, std::vector<int32_t> to,
               const std::vector<int64_t>& distance, int threads,
               const std::function<void()>& between = {});
    // The first part of Build, for a caller with other work beside it: numbers the nodes.
    // The next Build keeps the numbering when it has as many nodes: any numbering gives the
    // same searches, and one made before repeated links (an earlier link's from -> to) were
    // left out is the same numbering, as a repeat's nodes are met first through the earlier
    // link. `between` as for Build, called every few milliseconds.
    void Number(int32_t nodeCount, const std::vector<int32_t>& from, const std::vector<int32_t>& to,
                const std::function<void()>& between = {});
    // Makes room for `links` arcs each way with its memory touched, work that another thread
    // can do while the nodes are numbered.
    void MakeRoom(size_t links);
    void Clear();

private:
    void NumberBreadthFirst(const std::vector<int32_t>& from, const std::vector<int32_t>& to,
                            const std::function<void()>& between);

    bool mNumbered = false;  // by Number, for the next Build
};
