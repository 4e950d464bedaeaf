// Building and maintaining the network; the search itself is in node_search.cpp.
#include "engine/node.h"

#include <algorithm>

void SfNode::AddOutLink(SfNode* node, int64_t distance) {
    OutLinks.Add(std::make_unique<SfNLink>(distance, node));
}

void SfNode::AddInLink(SfNode* node, int64_t distance) {
    InLinks.Add(std::make_unique<SfNLink>(distance, node));
}

int SfNode::ActiveOutLinkCount() const {
    int active = 0;
    for (int i = 0; i < OutLinks.Count(); ++i) {
        if (OutLinks.Get(i)->ActiveNode != nullptr) {
            ++active;
        }
    }
    return active;
}

namespace {

int CutLinksTo(tqList<SfNLink>& links, const SfNode* node) {
    int cut = 0;
    for (int i = 0; i < links.Count(); ++i) {
        SfNLink* link = links.Get(i);
        if (link->ActiveNode != nullptr && link->ActiveNode == node) {
            link->ActiveNode = nullptr;
            ++cut;
        }
    }
    return cut;
}

void RestoreAll(tqList<SfNLink>& links) {
    for (int i = 0; i < links.Count(); ++i) {
        SfNLink* link = links.Get(i);
        link->ActiveNode = link->LinkNode;
    }
}

}  // namespace

int SfNode::CutOutLinksTo(const SfNode* node) { return CutLinksTo(OutLinks, node); }

int SfNode::CutInLinksTo(const SfNode* node) { return CutLinksTo(InLinks, node); }

void SfNode::RestoreLinks() {
    RestoreAll(OutLinks);
    RestoreAll(InLinks);
}

void SfNodes::Clear() {
    mByName.clear();
    mNameOrderPending = false;
    mHasNegativeLink = false;
    Nodes.Clear();
    PathStack.Clear();
    Route.Clear();
}

SfNode* SfNodes::FindNode(const tqString& name) const {
    auto found = mByName.find(std::string_view(name.GetText(), name.Length()));
    return found == mByName.end() ? nullptr : found->second;
}

SfNode* SfNodes::GetNode(int index) {
    EnsureNameOrder();
    return Nodes.Get(index);
}

SfNode* SfNodes::FindOrAdd(const tqString& name) {
    if (SfNode* existing = FindNode(name)) {
        return existing;
    }
    auto node = std::make_unique<SfNode>(name);
    SfNode* created = node.get();
    mNameOrderPending =
        mNameOrderPending ||
        (Nodes.Count() > 0 && !(Nodes.Get(Nodes.Count() - 1)->Name < created->Name));
    Nodes.Add(std::move(node));
    mByName.emplace(std::string_view(created->Name.GetText(), created->Name.Length()), created);
    return created;
}

void SfNodes::EnsureNameOrder() {
    if (mNameOrderPending) {
        std::sort(Nodes.items.get(), Nodes.items.get() + Nodes.Count(),
                  [](const SfNode* a, const SfNode* b) { return a->Name < b->Name; });
        mNameOrderPending = false;
    }
}

int SfNodes::AddLink(const tqString& from, const tqString& to, int64_t distance) {
    SfNode* fromNode = FindNode(from);
    SfNode* toNode = FindNode(to);
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

void SfNodes::SortLinks() {
    EnsureNameOrder();
    for (int i = 0; i < Nodes.Count(); ++i) {
        tqList<SfNLink>& links = Nodes.Get(i)->OutLinks;
        std::stable_sort(
            links.items.get(), links.items.get() + links.Count(),
            [](const SfNLink* a, const SfNLink* b) { return a->Distance < b->Distance; });
    }
}

void SfNodes::RestoreLinks() {
    for (int i = 0; i < Nodes.Count(); ++i) {
        Nodes.Get(i)->RestoreLinks();
    }
}

void SfNodes::ClearDistance() {
    for (int i = 0; i < Nodes.Count(); ++i) {
        SfNode* node = Nodes.Get(i);
        node->Distance = 0;
        node->mReached = false;
        node->mUnbounded = false;
        node->mTraced = false;
        node->mParent = nullptr;
    }
}
