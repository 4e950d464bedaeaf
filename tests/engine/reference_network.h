// The road network and its search as first written, one object per node and per link end,
// kept as the reference that the compact network's results are compared with.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/tqarray.h"
#include "data/tqlist.h"
#include "data/tqstring.h"

class RefNode;

// One end of a directed link. LinkNode is the node at the other end (the To node of an
// outgoing link, the From node of an incoming one); ActiveNode equals LinkNode while the
// link takes part in the search and is null once the dead-end elimination cut it.
struct RefLink {
    RefLink(int64_t distance, RefNode* node)
        : Distance(distance), LinkNode(node), ActiveNode(node) {}

    int64_t Distance;
    RefNode* LinkNode;
    RefNode* ActiveNode;
};

class RefNode {
public:
    // Most nodes have a handful of links; a 1024-slot step would cost 16 KB a node.
    static constexpr int32_t kLinkStep = 8;

    explicit RefNode(const tqString& name) : Name(name) {
        OutLinks.step = kLinkStep;
        InLinks.step = kLinkStep;
    }

    tqString Name;             // the bytes exactly as the map file gave them
    tqList<RefLink> OutLinks;  // map row order while building, then by ascending Distance
    tqList<RefLink> InLinks;   // always in map row order; decides between equal routes
    // The search's distance label, meaningful when mReached: exact, wider than any distance,
    // so that labels beyond 64 bits are compared as they are.
    __int128 Distance = 0;

    // Search working state, reset by RefNodes::ClearDistance.
    bool mReached = false;       // the label holds the least distance from the source
    bool mUnbounded = false;     // a negative cycle leaves this node without a least distance
    bool mTraced = false;        // the route trace has already walked back through this node
    RefNode* mParent = nullptr;  // the node the label was last lowered from
    uint64_t mWalkStamp = 0;     // marks of the search for negative cycles

    void AddOutLink(RefNode* node, int64_t distance);
    void AddInLink(RefNode* node, int64_t distance);
    int ActiveOutLinkCount() const;
    // Incoming links, cut ones included.
    int InLinkCount() const { return InLinks.Count(); }
    // Cut every outgoing / incoming link whose ActiveNode is `node`; give how many were cut.
    int CutOutLinksTo(const RefNode* node);
    int CutInLinksTo(const RefNode* node);
    void RestoreLinks();
};

// The network owns its nodes, in ascending byte order of their names, and each node owns
// its links. Node indexes count from 0. AddLink appends new nodes and leaves the order to
// be restored once, by the first GetNode, SortLinks or search after it: inserting each new
// node in place would shift the whole list every time.
class RefNodes {
public:
    enum AddLinkResult { alAdded = 0, alDuplicate = 1 };
    enum SearchResult { srFound = 0, srNoSuchNode = 2, srRepeatedPoint = 3, srNoRoute = 4 };

    tqList<RefNode> Nodes;        // see above for when it is in name order
    tqArray<RefNode*> PathStack;  // the route trace's stack; entry 0 is the node it began at
    tqArray<RefNode*> Route;      // the last traced route, start node first

    // Deletes every node and link and empties PathStack and Route.
    void Clear();
    int GetCount() const { return Nodes.Count(); }
    // The node at `index` in name order, or null outside 0..GetCount()-1.
    RefNode* GetNode(int index);
    // The node with exactly this name, or null. Valid until the next Clear.
    RefNode* FindNode(const tqString& name) const;
    bool IsNode(const tqString& name) const { return FindNode(name) != nullptr; }

    // Adds the directed link from -> to, creating the nodes as needed. alDuplicate, with
    // nothing changed, when `from` already has a link to a node named `to`.
    int AddLink(const tqString& from, const tqString& to, int64_t distance);
    // Orders every node's outgoing links by ascending distance.
    void SortLinks();
    // Makes every link active again.
    void RestoreLinks();
    // Resets every node's label and search working state.
    void ClearDistance();

    // Finds the shortest route start -> (vias in order) -> end. srFound writes the node
    // names in travel order to `routeNames` and the total to `distance`; any other result
    // leaves both untouched: srNoSuchNode when a name is not a node, srRepeatedPoint when
    // a point before the end repeats an earlier one, srNoRoute when the end cannot be
    // reached or a negative cycle leaves the shortest route undefined.
    int SearchRoute(const tqString& start, const tqString& end, const tqArray<tqString>& vias,
                    tqArray<tqString>& routeNames, int64_t& distance);

    // Cuts the links of nodes that can never lie on a route from `start` to `end`.
    void CutDeadEnds(RefNode* start, RefNode* end);
    // The label pass from `source`. Afterwards a node is mReached exactly when it has a
    // least distance from `source`, which its Distance then holds.
    void CalcDistance(RefNode* source);
    // Traces back from `current` to `target` along links that match the labels, putting
    // `current` at PathStack entry `depth`. True with Route filled when the target is met.
    bool TraceRoute(RefNode* current, RefNode* target, int depth);

private:
    RefNode* FindOrAdd(const tqString& name);
    // Puts Nodes back in name order after AddLink appended to it.
    void EnsureNameOrder();
    // Lowers the labels of r's neighbours through r; gives how many it lowered.
    int Relax(RefNode* r, RefNode* source, tqList<RefNode>& next, std::vector<RefNode*>& unbounded);
    void FindParentCycles(std::vector<RefNode*>& seeds);
    void MarkUnboundedFrom(std::vector<RefNode*>& seeds);
    void CollectStillImprovable(RefNode* source, std::vector<RefNode*>& seeds);

    std::vector<int> mNextInLink;  // per trace depth: the next incoming link to try
    // Every node by its name's bytes.
    std::unordered_map<std::string_view, RefNode*> mByName;
    bool mNameOrderPending = false;
    bool mHasNegativeLink = false;  // only then can a negative cycle exist
    uint64_t mWalkStamp = 0;
};
