// Building the network and finding its nodes.
#include "engine/node.h"

#include <algorithm>
#include <utility>

#include "engine/routesearch.h"
#include "platform/helperthreads.h"

namespace {

constexpr size_t kFirstLinkSlots = 1024;

// A link's key: from and to differ, so a key is never 0.
uint64_t LinkKey(int32_t from, int32_t to) {
    return (static_cast<uint64_t>(from) << 32) | static_cast<uint32_t>(to);
}

size_t SlotHash(uint64_t key) { return (key * 0x9E3779B97F4A7C15ull) >> 20; }

// Slots for `links` links: at least twice as many, a power of two.
size_t SlotsFor(size_t links) {
    size_t slots = kFirstLinkSlots;
    while (slots < 2 * links) {
        slots *= 2;
    }
    return slots;
}

}  // namespace

SfNodes::SfNodes() = default;
SfNodes::~SfNodes() = default;

void SfNodes::Clear() {
    mSearch.reset();
    mNames.Clear();
    std::vector<int32_t>().swap(mFrom);
    std::vector<int32_t>().swap(mTo);
    std::vector<int64_t>().swap(mDistance);
    std::vector<uint64_t>().swap(mLinkIndex);
    std::vector<int32_t>().swap(mNameOrder);
    mGraph.Clear();
    mLandmarks.Clear();
    mHierarchy.Clear();
    mHasNegativeLink = false;
    mPrepared = true;
}

std::string_view SfNodes::GetName(int index) {
    if (index < 0 || index >= GetCount()) {
        return {};
    }
    if (static_cast<int>(mNameOrder.size()) != GetCount()) {
        mNameOrder.resize(GetCount());
        for (int32_t id = 0; id < GetCount(); ++id) {
            mNameOrder[id] = id;
        }
        // Byte order as unsigned values, a prefix first: what string_view compares.
        std::sort(mNameOrder.begin(), mNameOrder.end(),
                  [this](int32_t a, int32_t b) { return mNames.Get(a) < mNames.Get(b); });
    }
    return mNames.Get(mNameOrder[index]);
}

int32_t SfNodes::FindNode(const tqString& name) const {
    return mNames.Find(std::string_view(name.GetText(), name.Length()));
}

bool SfNodes::LinkDistance(const tqString& from, const tqString& to, int64_t& distance) const {
    const int32_t fromId = FindNode(from);
    const int32_t toId = FindNode(to);
    if (fromId == SfNodeNames::kNone || toId == SfNodeNames::kNone) {
        return false;
    }
    const int32_t source = mGraph.position[fromId];
    const int32_t target = mGraph.position[toId];
    for (uint32_t k = mGraph.outStart[source]; k < mGraph.outStart[source + 1]; ++k) {
        if (mGraph.outArcs[k].node == target) {
            distance = mGraph.outArcs[k].distance;
            return true;
        }
    }
    return false;
}

size_t SfNodes::LinkSlot(uint64_t key) const {
    const size_t mask = mLinkIndex.size() - 1;
    size_t slot = SlotHash(key) & mask;
    while (mLinkIndex[slot] != 0 && mLinkIndex[slot] != key) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void SfNodes::GrowLinkIndex(size_t slotCount) {
    mLinkIndex.assign(slotCount, 0);
    for (size_t i = 0; i < mFrom.size(); ++i) {
        const uint64_t key = LinkKey(mFrom[i], mTo[i]);
        mLinkIndex[LinkSlot(key)] = key;
    }
}

int SfNodes::AddLink(std::string_view from, std::string_view to, int64_t distance) {
    if (mFrom.empty() && !mGraph.inArcs.empty()) {
        TakeLinksBack();
    }
    const int32_t fromId = mNames.FindOrAdd(from);
    const int32_t toId = mNames.FindOrAdd(to);
    if (2 * (mFrom.size() + 1) > mLinkIndex.size()) {
        GrowLinkIndex(SlotsFor(mFrom.size() + 1));
    }
    const uint64_t key = LinkKey(fromId, toId);
    const size_t slot = LinkSlot(key);
    if (mLinkIndex[slot] != 0) {
        return alDuplicate;  // both names were known already: nothing was added
    }
    mLinkIndex[slot] = key;
    mFrom.push_back(fromId);
    mTo.push_back(toId);
    mDistance.push_back(distance);
    mHasNegativeLink = mHasNegativeLink || distance < 0;
    mPrepared = false;
    mNameOrder.clear();
    return alAdded;
}

void SfNodes::AppendLink(std::string_view from, std::string_view to, int64_t distance) {
    if (mFrom.empty() && !mGraph.inArcs.empty()) {
        TakeLinksBack();
    }
    if (!mLinkIndex.empty()) {
        std::vector<uint64_t>().swap(mLinkIndex);  // made again, with this link, by AddLink
    }
    mFrom.push_back(mNames.FindOrAdd(from));
    mTo.push_back(mNames.FindOrAdd(to));
    mDistance.push_back(distance);
    mHasNegativeLink = mHasNegativeLink || distance < 0;
    mPrepared = false;
    mNameOrder.clear();
}

void SfNodes::SetLinks(SfNodeNames names, std::vector<int32_t> from, std::vector<int32_t> to,
                       std::vector<int64_t> distance) {
    Clear();
    mNames = std::move(names);
    mFrom = std::move(from);
    mTo = std::move(to);
    mDistance = std::move(distance);
    mHasNegativeLink = std::any_of(mDistance.begin(), mDistance.end(),
                                   [](int64_t linkDistance) { return linkDistance < 0; });
    mPrepared = mFrom.empty();
}

bool SfNodes::FindRepeatedLinks(std::vector<bool>& repeated,
                                const std::function<void()>& between) const {
    constexpr size_t kNodesBetweenSteps = size_t{1} << 16;
    const auto step = [&between] {
        if (between) {
            between();
        }
    };
    const size_t links = mFrom.size();
    const auto nodes = static_cast<size_t>(GetCount());
    // The links grouped by From node, each group in the order the links were added.
    std::vector<size_t> groupStart(nodes + 1, 0);
    for (const int32_t from : mFrom) {
        ++groupStart[from + 1];
    }
    for (size_t p = 0; p < nodes; ++p) {
        groupStart[p + 1] += groupStart[p];
    }
    std::vector<uint32_t> byFrom(links);
    {
        std::vector<size_t> next(groupStart.begin(), groupStart.end() - 1);
        for (size_t i = 0; i < links; ++i) {
            byFrom[next[mFrom[i]]++] = static_cast<uint32_t>(i);
        }
    }
    step();
    std::vector<int32_t> reachedFrom(nodes, SfNodeNames::kNone);  // by To node: the group seen
    repeated.assign(links, false);
    bool anyRepeated = false;
    for (size_t p = 0; p < nodes; ++p) {
        if (p % kNodesBetweenSteps == 0) {
            step();
        }
        for (size_t k = groupStart[p]; k < groupStart[p + 1]; ++k) {
            const uint32_t i = byFrom[k];
            if (reachedFrom[mTo[i]] == static_cast<int32_t>(p)) {
                repeated[i] = true;
                anyRepeated = true;
            } else {
                reachedFrom[mTo[i]] = static_cast<int32_t>(p);
            }
        }
    }
    return anyRepeated;
}

std::vector<SfNodes::RepeatedLink> SfNodes::DropRepeatedLinks(
    int threads, const std::function<void()>& endIfStopped) {
    if (mFrom.empty() && !mGraph.inArcs.empty()) {
        TakeLinksBack();
    }
    const size_t links = mFrom.size();
    std::vector<bool> repeated;
    bool anyRepeated = false;
    if (threads > 1 && links > 0) {
        // Numbering the nodes for the search graph is one thread's work, and repeats do not
        // change it: the repeats are found, and the graph's arcs made, beside it.
        RunSideBySide(2, threads, [&](size_t task) {
            if (task == 0) {
                mGraph.Number(GetCount(), mFrom, mTo, endIfStopped);
            } else {
                anyRepeated = FindRepeatedLinks(repeated, endIfStopped);
                mGraph.MakeRoom(links);
            }
        });
    } else {
        anyRepeated = FindRepeatedLinks(repeated, endIfStopped);
    }
    std::vector<RepeatedLink> dropped;
    if (!anyRepeated) {
        return dropped;
    }
    size_t kept = 0;
    mHasNegativeLink = false;  // a dropped link's distance counts for nothing
    for (size_t i = 0; i < links; ++i) {
        if (repeated[i]) {
            dropped.push_back({i, mFrom[i], mTo[i]});
            continue;
        }
        mFrom[kept] = mFrom[i];
        mTo[kept] = mTo[i];
        mDistance[kept] = mDistance[i];
        mHasNegativeLink = mHasNegativeLink || mDistance[i] < 0;
        ++kept;
    }
    mFrom.resize(kept);
    mTo.resize(kept);
    mDistance.resize(kept);
    if (!mLinkIndex.empty()) {
        std::vector<uint64_t>().swap(mLinkIndex);
    }
    return dropped;
}

void SfNodes::SortLinks(int threads, const std::function<void()>& endIfStopped) {
    if (!mPrepared) {
        mSearch.reset();
        std::vector<uint64_t>().swap(mLinkIndex);  // made again if links are added later
        mLandmarks.Clear();
        mHierarchy.Clear();
        // The graph holds every link now; the arrays come back only if links are added.
        mGraph.Build(GetCount(), std::exchange(mFrom, {}), std::exchange(mTo, {}), mDistance,
                     threads, endIfStopped);
        mPrepared = true;
        std::vector<int64_t>().swap(mDistance);
    }
}

// Each node's incoming arcs keep the row order of its links, which is all of the row order
// a search depends on; the order of outgoing links changes no route.
void SfNodes::TakeLinksBack() {
    for (int32_t p = 0; p < mGraph.Count(); ++p) {
        for (uint32_t k = mGraph.inStart[p]; k < mGraph.inStart[p + 1]; ++k) {
            const int64_t distance = mGraph.inArcs[k].distance;  // packed: no reference to it
            mFrom.push_back(mGraph.nodeAt[mGraph.inArcs[k].node]);
            mTo.push_back(mGraph.nodeAt[p]);
            mDistance.push_back(distance);
        }
    }
    mSearch.reset();
    mGraph.Clear();
    mLandmarks.Clear();
    mHierarchy.Clear();
    mPrepared = false;
}

bool SfNodes::PrepareLandmarks(int threads, int count, const std::function<bool()>& goOn,
                               bool restLater) {
    SortLinks(threads);
    if (!mHasNegativeLink && mLandmarks.Count() < std::min(count, SfLandmarks::kMaxCount) &&
        GetCount() > 0) {
        mSearch.reset();
        return mLandmarks.Build(mGraph, count, threads, goOn, restLater);
    }
    return true;
}

bool SfNodes::HierarchyFits() const {
    if (mHasNegativeLink) {
        return false;
    }
    int64_t total = 0;  // below kMaxTotal: adding a distance below it cannot overflow
    for (const SfArc& arc : mGraph.outArcs) {
        if (arc.distance >= SfHierarchy::kMaxTotal - total) {
            return false;
        }
        total += arc.distance;
    }
    return true;
}

bool SfNodes::PrepareHierarchy(const std::function<bool()>& goOn) {
    if (mHierarchy.Ready()) {
        return true;
    }
    return HierarchyFits() && mHierarchy.Build(mGraph, goOn);
}

int SfNodes::SearchRoute(const tqString& start, const tqString& end, const tqArray<tqString>& vias,
                         tqArray<tqString>& routeNames, int64_t& distance) {
    SortLinks();
    if (!mSearch) {
        mSearch = std::make_unique<SfRouteSearch>(*this);
    }
    return mSearch->SearchRoute(start, end, vias, routeNames, distance);
}
