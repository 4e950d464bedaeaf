// Checks the search on seeded random networks against a plain Bellman-Ford reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/node.h"
#include "network_fixture.h"

namespace {

struct Edge {
    int from;
    int to;
    int64_t distance;
};

// Least distance from `start` to `end`, or nothing when `end` is unreachable or a
// negative cycle lets the distance fall without bound.
std::optional<int64_t> ReferenceDistance(int nodeCount, const std::vector<Edge>& edges, int start,
                                         int end) {
    std::vector<std::optional<int64_t>> dist(nodeCount);
    dist[start] = 0;
    for (int round = 0; round < nodeCount - 1; ++round) {
        for (const Edge& e : edges) {
            if (dist[e.from] && (!dist[e.to] || *dist[e.from] + e.distance < *dist[e.to])) {
                dist[e.to] = *dist[e.from] + e.distance;
            }
        }
    }
    std::vector<bool> unbounded(nodeCount, false);
    for (int round = 0; round < nodeCount; ++round) {
        for (const Edge& e : edges) {
            if (dist[e.from] && (unbounded[e.from] || *dist[e.from] + e.distance < *dist[e.to])) {
                unbounded[e.to] = true;
            }
        }
    }
    if (!dist[end] || unbounded[end]) {
        return std::nullopt;
    }
    return dist[end];
}

std::string Name(int i) { return "N" + std::to_string(i); }

void CheckRandomNetworks(int64_t lowest, int64_t highest, int networks, int maxNodes = 10,
                         int linksPerNode = 2) {
    std::mt19937 random(20261207);
    for (int network = 0; network < networks; ++network) {
        const int nodeCount = 2 + random() % (maxNodes - 1);
        std::vector<Edge> edges;
        std::vector<Row> rows;
        std::uniform_int_distribution<int64_t> length(lowest, highest);
        for (int i = 0; i < nodeCount * linksPerNode; ++i) {
            int from = random() % nodeCount;
            int to = random() % nodeCount;
            int64_t distance = length(random);
            bool duplicate = false;
            for (const Edge& e : edges) {
                duplicate |= e.from == from && e.to == to;
            }
            if (from == to || distance == 0 || duplicate) {
                continue;
            }
            edges.push_back({from, to, distance});
            rows.push_back({Name(from), Name(to), distance});
        }
        SfNodes nodes;
        Build(nodes, rows);
        for (int start = 0; start < nodeCount; ++start) {
            for (int end = 0; end < nodeCount; ++end) {
                if (start == end || !nodes.IsNode(Name(start).c_str()) ||
                    !nodes.IsNode(Name(end).c_str())) {
                    continue;
                }
                SCOPED_TRACE("network " + std::to_string(network) + " from " + Name(start) +
                             " to " + Name(end));
                tqArray<tqString> names;
                int64_t distance = 0;
                int code =
                    nodes.SearchRoute(Name(start).c_str(), Name(end).c_str(), {}, names, distance);
                std::optional<int64_t> expected = ReferenceDistance(nodeCount, edges, start, end);
                if (!expected) {
                    EXPECT_EQ(code, SfNodes::srNoRoute);
                    continue;
                }
                ASSERT_EQ(code, SfNodes::srFound);
                EXPECT_EQ(distance, *expected);
                ASSERT_GE(names.Count(), 2);
                EXPECT_EQ(names.Get(0).GetText(), Name(start));
                EXPECT_EQ(names.Get(names.Count() - 1).GetText(), Name(end));
                int64_t sum = 0;
                for (int i = 0; i + 1 < names.Count(); ++i) {
                    const Edge* used = nullptr;
                    for (const Edge& e : edges) {
                        if (Name(e.from) == names.Get(i).GetText() &&
                            Name(e.to) == names.Get(i + 1).GetText()) {
                            used = &e;
                        }
                    }
                    ASSERT_NE(used, nullptr) << "no link after route node " << i;
                    sum += used->distance;
                }
                EXPECT_EQ(sum, distance);
            }
        }
    }
}

TEST(SearchReferenceTest, PositiveNetworksMatchTheReference) { CheckRandomNetworks(1, 20, 300); }

TEST(SearchReferenceTest, NetworksWithNegativeDistancesMatchTheReference) {
    CheckRandomNetworks(-6, 20, 300);
}

// Networks of up to 40 nodes where negative cycles leave some ends without a least distance
// and others, aside from them, with one.
TEST(SearchReferenceTest, LargerNetworksWithNegativeCyclesMatchTheReference) {
    CheckRandomNetworks(-20, 40, 100, 40, 1);
    CheckRandomNetworks(-30, 60, 60, 40, 2);
}

}  // namespace
