// The road network: nodes known by name, joined by directed links with whole-number
// distances, and the shortest-route search over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "data/tqarray.h"
#include "data/tqstring.h"
#include "engine/hierarchy.h"
#include "engine/landmarks.h"
#include "engine/nodenames.h"
#include "engine/searchgraph.h"

class SfRouteSearch;

// The network keeps its names once each and its links as arrays in map row order; the
// end of a build (SortLinks) lays them out for searching. Node ids count from 0 in the
// order the map first named them; GetName counts in ascending byte order of the names.
class SfNodes {
public:
    enum AddLinkResult { alAdded = 0, alDuplicate = 1 };
    enum SearchResult { srFound = 0, srNoSuchNode = 2, srRepeatedPoint = 3, srNoRoute = 4 };

    SfNodes();
    ~SfNodes();
    SfNodes(const SfNodes&) = delete;
    SfNodes& operator=(const SfNodes&) = delete;

    // Forgets every node and link.
    void Clear();
    int GetCount() const { return mNames.Count(); }
    // The name of the node at `index` (from 0) in ascending name order; empty outside
    // 0..GetCount()-1. Valid until the network changes.
    std::string_view GetName(int index);
    // The id of the node with exactly this name, or SfNodeNames::kNone.
    int32_t FindNode(const tqString& name) const;
    bool IsNode(const tqString& name) const { return FindNode(name) != SfNodeNames::kNone; }
    // The distance of the link from -> to (a map holds one at most); false when there is
    // none. Needs the links sorted.
    bool LinkDistance(const tqString& from, const tqString& to, int64_t& distance) const;
    std::string_view NodeName(int32_t id) const { return mNames.Get(id); }

    // Adds the directed link from -> to, creating the nodes as needed. alDuplicate, with
    // nothing changed, when `from` already has a link to `to`.
    int AddLink(std::string_view from, std::string_view to, int64_t distance);
    // Adds the directed link from -> to, creating the nodes as needed, without looking for an
    // earlier link from -> to: a build of many links appends them all and then drops the
    // repeats at once (DropRepeatedLinks), which costs far less than a look-up for each.
    void AppendLink(std::string_view from, std::string_view to, int64_t distance);
    // Replaces the network with these nodes and links (from[i] -> to[i] of distance[i], in
    // row order), repeats and all: a build that numbered the names itself.
    void SetLinks(SfNodeNames names, std::vector<int32_t> from, std::vector<int32_t> to,
                  std::vector<int64_t> distance);
    struct RepeatedLink {
        size_t position;  // among the links in the order they were added, from 0
        int32_t from;
        int32_t to;
    };
    // Drops every link whose from -> to an earlier link has, keeping the earliest; returns
    // the dropped ones by ascending position. The network is then as if AddLink had been
    // called for each link in turn. With `threads` above 1, part of SortLinks' work runs
    // beside the finding. `endIfStopped`, when given, is called between the steps and may
    // throw to stop the build (the network then holds part of the links).
    std::vector<RepeatedLink> DropRepeatedLinks(int threads = 1,
                                                const std::function<void()>& endIfStopped = {});
    // Ends a build: lays the links out for searching, on two threads when `threads` is above
    // 1. Searches made before it do it first. `endIfStopped` as for DropRepeatedLinks.
    void SortLinks(int threads = 1, const std::function<void()>& endIfStopped = {});

    bool HasNegativeLink() const { return mHasNegativeLink; }
    // The links as the searches read them; valid once SortLinks has run, until the next
    // AddLink or Clear.
    const SfSearchGraph& Graph() const { return mGraph; }
    // Prepares `count` landmarks (4, 8 or 16; see SfLandmarks) that let searches head for
    // their ends, unless as many are prepared; pays off over many searches of a map without
    // negative distances (elsewhere it does nothing). The passes run on `threads` threads.
    // Searches made after it use them; the routes stay the same. `goOn` is asked on the
    // way: false leaves them unprepared, and gives false. With `restLater` (see
    // SfLandmarks::Build) some may be left to MeasureRestOfLandmarks.
    bool PrepareLandmarks(int threads, int count = 4, const std::function<bool()>& goOn = {},
                          bool restLater = false);
    // Measures the landmarks PrepareLandmarks left, as far as the first `count`, on this
    // thread while other threads may search; see SfLandmarks::MeasureRest.
    bool MeasureRestOfLandmarks(int count, const std::function<bool()>& goOn) {
        return mLandmarks.MeasureRest(mGraph, count, goOn);
    }
    const SfLandmarks& Landmarks() const { return mLandmarks; }
    // Whether a hierarchy may be built: no negative distance, and all of them together
    // within SfHierarchy::kMaxTotal. Needs the links sorted.
    bool HierarchyFits() const;
    // Builds the hierarchy (see SfHierarchy) on this thread unless it is built; searches
    // made once it is ready use it, other threads' searches included, with the same routes.
    // `goOn` as for SfHierarchy::Build; false when it is abandoned or the map has none.
    bool PrepareHierarchy(const std::function<bool()>& goOn);
    const SfHierarchy& Hierarchy() const { return mHierarchy; }

    // Finds the shortest route start -> (vias in order) -> end. srFound writes the node
    // names in travel order to `routeNames` and the total to `distance`; any other result
    // leaves both untouched: srNoSuchNode when a name is not a node, srRepeatedPoint when
    // a point before the end repeats an earlier one, srNoRoute when the end cannot be
    // reached or a negative cycle leaves the shortest route undefined. Between routes of
    // equal length the map's row order decides: walking back from the end, each node is
    // left by its first link in row order that lies on a shortest route.
    int SearchRoute(const tqString& start, const tqString& end, const tqArray<tqString>& vias,
                    tqArray<tqString>& routeNames, int64_t& distance);

private:
    // Marks every link whose from -> to an earlier link has; true when there is one.
    // `between` is called between its passes and may throw.
    bool FindRepeatedLinks(std::vector<bool>& repeated, const std::function<void()>& between) const;
    // The slot of the link from -> to in the duplicate index, or the empty slot for it.
    size_t LinkSlot(uint64_t key) const;
    void GrowLinkIndex(size_t slotCount);
    // Moves the links from the search arrays back into the build arrays.
    void TakeLinksBack();

    SfNodeNames mNames;
    std::vector<int32_t> mFrom;  // by link, in row order; emptied once the graph holds them
    std::vector<int32_t> mTo;
    std::vector<int64_t> mDistance;
    std::vector<uint64_t> mLinkIndex;  // (from, to) of every link, hashed; 0 = empty slot
    bool mHasNegativeLink = false;
    bool mPrepared = true;  // mGraph holds every link
    SfSearchGraph mGraph;
    SfLandmarks mLandmarks;
    SfHierarchy mHierarchy;
    std::unique_ptr<SfRouteSearch> mSearch;  // for SearchRoute
    std::vector<int32_t> mNameOrder;         // ids in name order, made when first asked
};
