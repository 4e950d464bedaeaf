#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/node.h"
#include "network_fixture.h"

namespace {

std::string NodeNames(SfNodes& nodes) {
    std::string out;
    for (int i = 0; i < nodes.GetCount(); ++i) {
        out += (i ? " " : "") + std::string(nodes.GetName(i));
    }
    return out;
}

TEST(SfNodesTest, KeepsNodesInByteOrderOfTheirNames) {
    SfNodes nodes;
    EXPECT_EQ(nodes.GetCount(), 0);
    EXPECT_EQ(nodes.FindNode("A"), SfNodeNames::kNone);
    EXPECT_EQ(nodes.AddLink("B", "C", 1), SfNodes::alAdded);
    EXPECT_EQ(nodes.AddLink("A", "B", 1), SfNodes::alAdded);
    EXPECT_EQ(NodeNames(nodes), "A B C");
    nodes.AddLink("D", "0", 1);  // one after all, one before all
    EXPECT_EQ(NodeNames(nodes), "0 A B C D");
    EXPECT_EQ(nodes.GetName(5), "");
    EXPECT_EQ(nodes.GetName(-1), "");
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
        ASSERT_EQ(nodes.GetName(i), names[i]);
    }
    EXPECT_EQ(nodes.NodeName(nodes.FindNode("N17")), "N17");
    // A search straight after the links, before SortLinks, lays them out itself.
    EXPECT_EQ(Search(nodes, "N0", "N838"), "N0>N1919>N838 (2)");
}

TEST(SfNodesTest, ANodeWithVeryManyLinksFindsItsDuplicates) {
    SfNodes nodes;
    for (int i = 0; i < 400000; ++i) {
        ASSERT_EQ(nodes.AddLink("hub", ("N" + std::to_string(i)).c_str(), 1 + i % 7),
                  SfNodes::alAdded);
    }
    EXPECT_EQ(nodes.AddLink("hub", "N399999", 9), SfNodes::alDuplicate);
    EXPECT_EQ(nodes.AddLink("N399999", "hub", 2), SfNodes::alAdded);
    EXPECT_EQ(Search(nodes, "N399999", "N7"), "N399999>hub>N7 (3)");
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
    EXPECT_EQ(Search(nodes, "A", "B"), "A>B (5)");
    EXPECT_EQ(Search(nodes, "B", "A"), "B>A (7)");
}

TEST(SfNodesTest, LinksAddedAfterASearchAreSearchedAndClearEmptiesAll) {
    SfNodes nodes;
    Build(nodes, {{"S", "A", 9}, {"S", "B", -3}, {"A", "C", 1}});
    EXPECT_EQ(Search(nodes, "S", "C"), "S>A>C (10)");
    EXPECT_EQ(nodes.AddLink("S", "A", 1), SfNodes::alDuplicate);
    EXPECT_EQ(nodes.AddLink("B", "C", 1), SfNodes::alAdded);
    EXPECT_EQ(Search(nodes, "S", "C"), "S>B>C (-2)");

    // Adding to a laid-out network keeps the row order that decides between equal routes.
    Build(nodes, {{"S", "A", 1}, {"S", "B", 1}, {"B", "E", 1}, {"A", "E", 1}});
    nodes.PrepareLandmarks(1);
    EXPECT_EQ(Search(nodes, "S", "E"), "S>B>E (2)");
    EXPECT_EQ(nodes.AddLink("X", "E", 5), SfNodes::alAdded);
    EXPECT_EQ(nodes.AddLink("B", "E", 7), SfNodes::alDuplicate);
    EXPECT_EQ(Search(nodes, "S", "E"), "S>B>E (2)");

    nodes.Clear();
    EXPECT_EQ(nodes.GetCount(), 0);
    EXPECT_FALSE(nodes.IsNode("S"));
    EXPECT_FALSE(nodes.HasNegativeLink());
    EXPECT_EQ(Search(nodes, "S", "C"), "code 2");
    Build(nodes, {{"S", "A", 1}});
    EXPECT_EQ(Search(nodes, "S", "A"), "S>A (1)");
}

// The first landmark starts from the far end of the largest component, wherever the rows
// put it: here after a two-node island, with the chain's links given backwards.
TEST(SfNodesTest, TheDeepestNodeEndsAWalkThroughTheLargestComponent) {
    SfNodes nodes;
    Build(nodes, {{"I", "J", 1}, {"C", "D", 1}, {"B", "C", 1}, {"A", "B", 1}, {"X", "B", 1}});
    const SfSearchGraph& graph = nodes.Graph();
    const std::string deepest(nodes.NodeName(graph.nodeAt[graph.deepest]));
    // The walk starts at C, the chain's first node in id order: A and X lie two links away.
    EXPECT_TRUE(deepest == "A" || deepest == "X") << deepest;
}

// A build that appends every link and drops the repeats at the end must keep the network
// AddLink keeps, link for link, and tell the same links as repeated.
TEST(SfNodesTest, AppendedLinksLessTheirRepeatsAreTheLinksAddLinkKeeps) {
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        const int names = std::uniform_int_distribution<int>(2, 7)(random);
        const int links = std::uniform_int_distribution<int>(0, 40)(random);
        SfNodes added;
        SfNodes appended;
        std::vector<size_t> addedRepeats;
        std::string repeatedNames;
        for (int i = 0; i < links; ++i) {
            const std::string from = "N" + std::to_string(random() % names);
            std::string to = "N" + std::to_string(random() % names);
            if (to == from) {
                to += "x";
            }
            const int64_t distance = std::uniform_int_distribution<int>(-2, 3)(random) | 1;
            if (added.AddLink(from, to, distance) == SfNodes::alDuplicate) {
                addedRepeats.push_back(static_cast<size_t>(i));
                repeatedNames += from + ">" + to + " ";
            }
            appended.AppendLink(from, to, distance);
        }
        std::vector<size_t> appendedRepeats;
        std::string appendedNames;
        // With two threads the nodes are numbered before the repeats go: the same numbering.
        for (const SfNodes::RepeatedLink& link : appended.DropRepeatedLinks(round % 2 + 1)) {
            appendedRepeats.push_back(link.position);
            appendedNames += std::string(appended.NodeName(link.from)) + ">" +
                             std::string(appended.NodeName(link.to)) + " ";
        }
        added.SortLinks();
        appended.SortLinks();
        EXPECT_EQ(appendedRepeats, addedRepeats);
        EXPECT_EQ(appendedNames, repeatedNames);
        EXPECT_EQ(appended.HasNegativeLink(), added.HasNegativeLink());
        EXPECT_EQ(NodeNames(appended), NodeNames(added));
        const SfSearchGraph& a = added.Graph();
        const SfSearchGraph& b = appended.Graph();
        EXPECT_EQ(b.nodeAt, a.nodeAt);
        EXPECT_EQ(b.inStart, a.inStart);
        EXPECT_EQ(b.outStart, a.outStart);
        EXPECT_EQ(b.outArcs.size(), a.outArcs.size());
        ASSERT_EQ(b.inArcs.size(), a.inArcs.size());
        for (size_t k = 0; k < a.inArcs.size(); ++k) {
            EXPECT_EQ(b.inArcs[k].node, a.inArcs[k].node);
            EXPECT_EQ(int64_t{b.inArcs[k].distance}, int64_t{a.inArcs[k].distance});
        }
    }
}

// A load makes room for as many names as its rows foretell; a map of many rows over few
// names must not keep it.
TEST(SfNodeNamesTest, FitGivesBackTheRoomOfNamesThatNeverCameAndKeepsTheNames) {
    SfNodeNames names;
    names.Reserve(1 << 20);
    const size_t reserved = names.AllocatedBytes();
    for (int i = 0; i < 3000; ++i) {
        names.FindOrAdd("N" + std::to_string(i));
    }
    names.Fit();
    EXPECT_LT(names.AllocatedBytes(), reserved / 16);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(names.Find("N" + std::to_string(i)), i) << i;
    }
    const size_t fitted = names.AllocatedBytes();
    names.Fit();  // nothing more to give back
    EXPECT_EQ(names.AllocatedBytes(), fitted);
    EXPECT_EQ(names.FindOrAdd("N3000"), 3000);
    EXPECT_EQ(names.Find("N0"), 0);
}

// Names of every length up to 40 bytes, and their near misses: one byte changed anywhere,
// one byte more or fewer. Enough of them that the index grows several times.
TEST(SfNodeNamesTest, FindsEveryNameAndNoNearMissThroughGrowth) {
    std::mt19937 random(3);
    std::vector<std::string> added;
    SfNodeNames names;
    for (int i = 0; i < 6000; ++i) {
        std::string name(static_cast<size_t>(i % 41), '\0');
        for (char& c : name) {
            c = static_cast<char>(random());
        }
        if (names.Find(name) == SfNodeNames::kNone) {
            ASSERT_EQ(names.FindOrAdd(name), static_cast<int32_t>(added.size()));
            added.push_back(name);
        }
    }
    for (size_t id = 0; id < added.size(); ++id) {
        const std::string& name = added[id];
        ASSERT_EQ(names.Find(name), static_cast<int32_t>(id)) << id;
        EXPECT_EQ(names.Get(static_cast<int32_t>(id)), name);
        for (size_t at = 0; at < name.size(); ++at) {
            std::string near = name;
            near[at] = static_cast<char>(near[at] ^ 1);
            const int32_t found = names.Find(near);
            EXPECT_TRUE(found == SfNodeNames::kNone || added[found] == near) << id << " " << at;
        }
        const int32_t longer = names.Find(name + '\0');
        EXPECT_TRUE(longer == SfNodeNames::kNone || added[longer] == name + '\0');
        if (!name.empty()) {
            const std::string shorter = name.substr(1);
            const int32_t found = names.Find(shorter);
            EXPECT_TRUE(found == SfNodeNames::kNone || added[found] == shorter);
        }
    }
}

}  // namespace
