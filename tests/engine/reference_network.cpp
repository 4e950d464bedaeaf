// The network and search as first written, one object per node and per link end: the
// reference the compact network is compared with. Building here; the search in
// reference_search.cpp.
#include "reference_network.h"

#include <algorithm>

void RefNode::AddOutLink(RefNode* node, int64_t distance) {
    OutLinks.Add(std::make_unique<RefLink>(distance, node));
}

void RefNode::AddInLink(RefNode* node, int64_t distance) {
    InLinks.Add(std::make_unique<RefLink>(distance, node));
}

int RefNode::ActiveOutLinkCount() const {
    int active = 0;
    for (int i = 0; i < OutLinks.Count(); ++i) {
        if (OutLinks.Get(i)->ActiveNode != nullptr) {
            ++active;
        }
    }
    return active;
}

namespace {

int CutLinksTo(tqList<RefLink>& links, const RefNode* node) {
    int cut = 0;
    for (int i = 0; i < links.Count(); ++i) {
        RefLink* link = links.Get(i);
        if (link->ActiveNode != nullptr && link->ActiveNode == node) {
            link->ActiveNode = nullptr;
            ++cut;
        }
    }
    return cut;
}

void RestoreAll(tqList<RefLink>& links) {
    for (int i = 0; i < links.Count(); ++i) {
        RefLink* link = links.Get(i);
        link->ActiveNode = link->LinkNode;
    }
}

}  // namespace

int RefNode::CutOutLinksTo(const RefNode* node) { return CutLinksTo(OutLinks, node); }

int RefNode::CutInLinksTo(const RefNode* node) { return CutLinksTo(InLinks, node); }

void RefNode::RestoreLinks() {
    RestoreAll(OutLinks);
    RestoreAll(InLinks);
}

void RefNodes::Clear() {
    mByName.clear();
    mNameOrderPending = false;
    mHasNegativeLink = false;
    Nodes.Clear();
    PathStack.Clear();
    Route.Clear();
}

RefNode* RefNodes::FindNode(const tqString& name) const {
    auto found = mByName.find(std::string_view(name.GetText(), name.Length()));
    return found == mByName.end() ? nullptr : found->second;
}

RefNode* RefNodes::GetNode(int index) {
    EnsureNameOrder();
    return Nodes.Get(index);
}

RefNode* RefNodes::FindOrAdd(const tqString& name) {
    if (RefNode* existing = FindNode(name)) {
        return existing;
    }
    auto node = std::make_unique<RefNode>(name);
    RefNode* created = node.get();
    mNameOrderPending =
        mNameOrderPending ||
        (Nodes.Count() > 0 && !(Nodes.Get(Nodes.Count() - 1)->Name < created->Name));
    Nodes.Add(std::move(node));
    mByName.emplace(std::string_view(created->Name.GetText(), created->Name.Length()), created);
    return created;
}

void RefNodes::EnsureNameOrder() {
    if (mNameOrderPending) {
        std::sort(Nodes.items.get(), Nodes.items.get() + Nodes.Count(),
                  [](const RefNode* a, const RefNode* b) { return a->Name < b->Name; });
        mNameOrderPending = false;
    }
}

int RefNodes::AddLink(const tqString& from, const tqString& to, int64_t distance) {
    RefNode* fromNode = FindNode(from);
    RefNode* toNode = FindNode(to);
    if (fromNode != nullptr && toNode != nullptr) {
        // Names are unique, so the same name means the same node.
        for (int i = 0; i < fromNode->OutLinks.Count(); ++i) {
            if (fromNode->OutLinks.Get(i)->LinkNode == toNode) {
                return alDuplicate;
            }
        }
    }
    if (fromNode == nullptr) {
        fromNode = FindOrAdd(from);
    }
    if (toNode == nullptr) {
        toNode = FindOrAdd(to);
    }
    fromNode->AddOutLink(toNode, distance);
    toNode->AddInLink(fromNode, distance);
    mHasNegativeLink = mHasNegativeLink || distance < 0;
    return alAdded;
}

void RefNodes::SortLinks() {
    EnsureNameOrder();
    for (int i = 0; i < Nodes.Count(); ++i) {
        tqList<RefLink>& links = Nodes.Get(i)->OutLinks;
        std::stable_sort(
            links.items.get(), links.items.get() + links.Count(),
            [](const RefLink* a, const RefLink* b) { return a->Distance < b->Distance; });
    }
}

void RefNodes::RestoreLinks() {
    for (int i = 0; i < Nodes.Count(); ++i) {
        Nodes.Get(i)->RestoreLinks();
    }
}

void RefNodes::ClearDistance() {
    for (int i = 0; i < Nodes.Count(); ++i) {
        RefNode* node = Nodes.Get(i);
        node->Distance = 0;
        node->mReached = false;
        node->mUnbounded = false;
        node->mTraced = false;
        node->mParent = nullptr;
    }
}
