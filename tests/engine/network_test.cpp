#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/node.h"
#include "network_fixture.h"

namespace {

std::string NodeNames(SfNodes& nodes) {
    std::string out;
    for (int i = 0; i < nodes.GetCount(); ++i) {
        out += (i ? " " : "") + std::string(nodes.GetNode(i)->Name.GetText());
    }
    return out;
}

TEST(SfNodesTest, KeepsNodesInByteOrderOfTheirNames) {
    SfNodes nodes;
    EXPECT_EQ(nodes.GetCount(), 0);
    EXPECT_EQ(nodes.FindNode("A"), nullptr);
    EXPECT_EQ(nodes.AddLink("B", "C", 1), SfNodes::alAdded);
    EXPECT_EQ(nodes.AddLink("A", "B", 1), SfNodes::alAdded);
    EXPECT_EQ(NodeNames(nodes), "A B C");
    nodes.AddLink("D", "0", 1);  // one after all, one before all
    EXPECT_EQ(NodeNames(nodes), "0 A B C D");
    EXPECT_EQ(nodes.GetNode(5), nullptr);
    EXPECT_EQ(nodes.GetNode(-1), nullptr);
}

TEST(SfNodesTest, ManyNamesInAnyOrderEndInNameOrder) {
    SfNodes nodes;
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) {
        names.push_back("N" + std::to_string((i * 7919) % 3000));
    }
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        nodes.AddLink(names[i].c_str(), names[i + 1].c_str(), 1);
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(nodes.GetCount(), 3000);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(nodes.GetNode(i)->Name.GetText(), names[i]);
    }
    EXPECT_EQ(nodes.FindNode("N17")->Name.GetText(), std::string("N17"));
    // A search straight after the links, before SortLinks, still walks in name order.
    EXPECT_EQ(Search(nodes, names[0].c_str(), names[0].c_str()), "code 4");
}

TEST(SfNodesTest, NamesDifferByEveryByte) {
    SfNodes nodes;
    nodes.AddLink("A", "a", 1);
    nodes.AddLink("a", "\x82\x60", 1);  // full-width A in CP932
    nodes.AddLink("A ", "A", 1);
    EXPECT_EQ(nodes.GetCount(), 4);
    EXPECT_TRUE(nodes.IsNode("\x82\x60"));
    EXPECT_FALSE(nodes.IsNode("\x82"));
}

TEST(SfNodesTest, FirstRowOfAPairWinsAndOppositeDirectionIsItsOwnLink) {
    SfNodes nodes;
    EXPECT_EQ(nodes.AddLink("A", "B", 5), SfNodes::alAdded);
    EXPECT_EQ(nodes.AddLink("A", "B", 7), SfNodes::alDuplicate);
    EXPECT_EQ(nodes.AddLink("B", "A", 7), SfNodes::alAdded);
    SfNode* a = nodes.FindNode("A");
    ASSERT_EQ(a->OutLinks.Count(), 1);
    EXPECT_EQ(a->OutLinks.Get(0)->Distance, 5);
    ASSERT_EQ(a->InLinks.Count(), 1);
    EXPECT_EQ(a->InLinks.Get(0)->Distance, 7);
    EXPECT_EQ(a->InLinks.Get(0)->LinkNode, nodes.FindNode("B"));
    EXPECT_EQ(Search(nodes, "A", "B"), "A>B (5)");
    EXPECT_EQ(Search(nodes, "B", "A"), "B>A (7)");
}

TEST(SfNodesTest, SortLinksOrdersOutgoingOnlyAndClearEmptiesAll) {
    SfNodes nodes;
    Build(nodes, {{"S", "A", 9}, {"S", "B", -3}, {"S", "C", 4}, {"A", "C", 1}, {"S2", "C", 2}});
    SfNode* s = nodes.FindNode("S");
    EXPECT_EQ(s->OutLinks.Get(0)->Distance, -3);
    EXPECT_EQ(s->OutLinks.Get(1)->Distance, 4);
    EXPECT_EQ(s->OutLinks.Get(2)->Distance, 9);
    SfNode* c = nodes.FindNode("C");  // incoming links keep row order
    EXPECT_EQ(c->InLinks.Get(0)->Distance, 4);
    EXPECT_EQ(c->InLinks.Get(1)->Distance, 1);
    EXPECT_EQ(c->InLinks.Get(2)->Distance, 2);

    Search(nodes, "S", "C");
    nodes.Clear();
    EXPECT_EQ(nodes.GetCount(), 0);
    EXPECT_EQ(nodes.Route.Count(), 0);
    EXPECT_EQ(nodes.PathStack.Count(), 0);
}

}  // namespace
