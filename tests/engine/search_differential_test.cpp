// Compares the compact network's search with the reference network's, route for route, on
// seeded random networks full of equal routes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/node.h"
#include "engine/routesearch.h"
#include "network_fixture.h"
#include "reference_network.h"

namespace {

std::string ReferenceSearch(RefNodes& nodes, const std::string& start, const std::string& end) {
    tqArray<tqString> names;
    int64_t distance = 0;
    nodes.RestoreLinks();
    int code = nodes.SearchRoute(start.c_str(), end.c_str(), {}, names, distance);
    return Describe(code, names, distance);
}

// A road-like grid: each neighbour pair joined both ways, one way or not at all, with
// distances drawn by `length`; plus a few long links. Rows come in random order and names
// are random, so neither follows the grid.
template <typename Length>
std::vector<Row> RandomGrid(std::mt19937& random, int side, Length&& length) {
    std::vector<std::string> names(side * side);
    for (int i = 0; i < side * side; ++i) {
        names[i] = std::to_string(random() % 100000) + "_" + std::to_string(i);
    }
    std::vector<Row> rows;
    auto join = [&](int a, int b) {
        const unsigned kind = random() % 8;
        if (kind != 0) {
            rows.push_back({names[a], names[b], length(random)});
        }
        if (kind > 1) {
            rows.push_back({names[b], names[a], length(random)});
        }
    };
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (x + 1 < side) {
                join(y * side + x, y * side + x + 1);
            }
            if (y + 1 < side) {
                join(y * side + x, (y + 1) * side + x);
            }
        }
    }
    for (int i = 0; i < side; ++i) {
        join(random() % (side * side), random() % (side * side));
    }
    std::shuffle(rows.begin(), rows.end(), random);
    return rows;
}

// Distances from a narrow range, so that many routes tie.
std::vector<Row> RandomGrid(std::mt19937& random, int side, int64_t lowest, int64_t highest) {
    std::uniform_int_distribution<int64_t> length(lowest, highest);
    return RandomGrid(random, side, [&](std::mt19937& r) { return length(r); });
}

// Distances picked from `choices`: sums near and beyond the 64-bit limits.
std::vector<Row> RandomGrid(std::mt19937& random, int side, const std::vector<int64_t>& choices) {
    return RandomGrid(random, side, [&](std::mt19937& r) { return choices[r() % choices.size()]; });
}

// `landmarkThreads` > 0 guides the searches by `landmarks` landmarks measured on that many
// threads; with `restLater`, first by those measured before the rest, then by all. With
// `hierarchy` the searches climb a hierarchy where the map can have one.
void CompareOn(const std::vector<Row>& rows, std::mt19937& random, int searches,
               int landmarkThreads = 0, int landmarks = 4, bool restLater = false,
               bool hierarchy = false) {
    SfNodes nodes;
    RefNodes reference;
    std::vector<std::string> names;
    for (const Row& row : rows) {
        if (row.from == row.to) {
            continue;
        }
        const int added = nodes.AddLink(row.from.c_str(), row.to.c_str(), row.distance);
        ASSERT_EQ(added, reference.AddLink(row.from.c_str(), row.to.c_str(), row.distance));
        names.push_back(row.from);
    }
    nodes.SortLinks();
    if (landmarkThreads > 0) {
        nodes.PrepareLandmarks(landmarkThreads, landmarks, {}, restLater);
    }
    if (hierarchy) {
        ASSERT_EQ(nodes.PrepareHierarchy({}), nodes.HierarchyFits());
        ASSERT_EQ(nodes.Hierarchy().Ready(), nodes.HierarchyFits());
    }
    reference.SortLinks();
    ASSERT_EQ(nodes.GetCount(), reference.GetCount());
    for (int round = restLater ? 2 : 1; round > 0; --round) {
        for (int k = 0; k < searches && !names.empty(); ++k) {
            const std::string& start = names[random() % names.size()];
            const std::string& end = names[random() % names.size()];
            ASSERT_EQ(Search(nodes, start.c_str(), end.c_str()),
                      ReferenceSearch(reference, start, end))
                << "from " << start << " to " << end;
        }
        if (round == 2) {
            nodes.MeasureRestOfLandmarks(landmarks, [] { return true; });
            ASSERT_EQ(nodes.Landmarks().Count(), landmarks);
        }
    }
}

TEST(SearchDifferentialTest, GridsWithManyEqualRoutesGiveTheReferenceRoutes) {
    std::mt19937 random(7);
    for (int network = 0; network < 1500; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        // Each search reads a few of 8 or 16 landmarks, chosen for its start.
        CompareOn(RandomGrid(random, 2 + network % 9, 1, 1 + network % 4), random, 12, network % 3,
                  4 << (network / 3 % 3));
    }
}

// Every link with a link back of the same length, as on most city maps: one pass measures
// a landmark both ways.
TEST(SearchDifferentialTest, GridsWhoseLinksAllGoBothWaysGiveTheReferenceRoutes) {
    std::mt19937 random(13);
    for (int network = 0; network < 600; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        std::vector<Row> rows;
        std::set<std::pair<std::string, std::string>> pairs;
        for (const Row& row : RandomGrid(random, 2 + network % 9, 1, 1 + network % 4)) {
            if (pairs.insert(std::minmax(row.from, row.to)).second) {
                rows.push_back(row);
                rows.push_back({row.to, row.from, row.distance});
            }
        }
        std::shuffle(rows.begin(), rows.end(), random);
        // On two threads the last landmarks may be left for later.
        CompareOn(rows, random, 12, 1 + network % 2, 4 << (network / 2 % 3), network % 4 == 1);
    }
}

TEST(SearchDifferentialTest, GridsWithNegativeDistancesGiveTheReferenceRoutes) {
    std::mt19937 random(11);
    for (int network = 0; network < 600; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        CompareOn(RandomGrid(random, 2 + network % 6, -2, 4), random, 12, network % 2);
    }
}

TEST(SearchDifferentialTest, DistancesNearTheLimitsGiveTheReferenceRoutes) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    const std::vector<int64_t> positive = {1,
                                           2,
                                           3,
                                           int64_t{1} << 62,
                                           (int64_t{1} << 62) + 1,
                                           5000000000000000000,
                                           kMax / 2,
                                           kMax / 2 + 1,
                                           kMax - 2,
                                           kMax - 1,
                                           kMax};
    std::vector<int64_t> mixed = positive;
    mixed.insert(mixed.end(), {-1, -2, -(int64_t{1} << 62), -kMax / 2, -kMax, kMin});
    std::mt19937 random(17);
    for (int network = 0; network < 800; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        CompareOn(RandomGrid(random, 2 + network % 7, network % 4 == 3 ? mixed : positive), random,
                  16, network % 3);
    }
}

TEST(SearchDifferentialTest, SparseRandomNetworksGiveTheReferenceRoutes) {
    std::mt19937 random(13);
    for (int network = 0; network < 1000; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        const int nodeCount = 2 + network % 30;
        std::vector<Row> rows;
        for (int i = 0; i < nodeCount * 2; ++i) {
            rows.push_back({"N" + std::to_string(random() % nodeCount),
                            "N" + std::to_string(random() % nodeCount),
                            static_cast<int64_t>(1 + random() % 3)});
        }
        CompareOn(rows, random, 20, network % 2);
    }
}

// A hierarchy gives distances only; the routes traced over them keep the map's tie rule.
TEST(SearchDifferentialTest, SearchesUpAHierarchyGiveTheReferenceRoutes) {
    std::mt19937 random(31);
    int built = 0;
    for (int network = 0; network < 900; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        std::vector<Row> rows;
        switch (network % 3) {
            case 0:  // many equal routes
                rows = RandomGrid(random, 2 + network % 11, 1, 1 + network % 3);
                break;
            case 1:  // sparse, with nodes that reach nothing and loops
                for (int i = 0; i < 2 * (2 + network % 30); ++i) {
                    rows.push_back({"N" + std::to_string(random() % (2 + network % 30)),
                                    "N" + std::to_string(random() % (2 + network % 30)),
                                    static_cast<int64_t>(1 + random() % 3)});
                }
                break;
            default:  // sums near the limit that keeps a hierarchy's sums within 64 bits
                rows = RandomGrid(random, 2 + network % 5,
                                  {1, 2, int64_t{1} << 55, (int64_t{1} << 58) + 1});
        }
        SfNodes probe;
        Build(probe, rows);
        built += probe.HierarchyFits() ? 1 : 0;
        CompareOn(rows, random, 16, 0, 4, false, true);
    }
    EXPECT_GT(built, 700);  // most networks are searched up a hierarchy
}

// Distances that add up to 2^61 or more get no hierarchy, without overflowing on the way.
TEST(SearchDifferentialTest, DistancesTooLongForAHierarchyGetNone) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const int64_t limit = SfHierarchy::kMaxTotal;
    const std::vector<std::pair<std::vector<int64_t>, bool>> cases = {{{1, kMax, 2}, false},
                                                                      {{limit - 3, 1, 1}, true},
                                                                      {{limit - 3, 1, 2}, false},
                                                                      {{kMax, kMax}, false}};
    for (const auto& [distances, fits] : cases) {
        std::vector<Row> rows;
        for (size_t k = 0; k < distances.size(); ++k) {
            rows.push_back({"N" + std::to_string(k), "N" + std::to_string(k + 1), distances[k]});
        }
        SfNodes nodes;
        Build(nodes, rows);
        EXPECT_EQ(nodes.HierarchyFits(), fits) << rows.size() << " links";
        EXPECT_EQ(nodes.PrepareHierarchy({}), fits);
    }
}

// Abandoned half-way, a hierarchy leaves nothing behind: searches go on as before.
TEST(SearchDifferentialTest, AnAbandonedHierarchyLeavesTheSearchesAsTheyWere) {
    std::mt19937 random(37);
    const std::vector<Row> rows = RandomGrid(random, 12, 1, 2);
    SfNodes nodes;
    Build(nodes, rows);
    int asked = 0;
    EXPECT_FALSE(nodes.PrepareHierarchy([&asked] { return ++asked < 50; }));
    EXPECT_EQ(asked, 50);
    EXPECT_FALSE(nodes.Hierarchy().Ready());
    RefNodes reference;
    for (const Row& row : rows) {
        reference.AddLink(row.from.c_str(), row.to.c_str(), row.distance);
    }
    reference.SortLinks();
    for (int k = 0; k < 50; ++k) {
        const Row& a = rows[random() % rows.size()];
        const Row& b = rows[random() % rows.size()];
        ASSERT_EQ(Search(nodes, a.from.c_str(), b.to.c_str()),
                  ReferenceSearch(reference, a.from, b.to));
    }
    EXPECT_TRUE(nodes.PrepareHierarchy({}));
    EXPECT_TRUE(nodes.Hierarchy().Ready());
}

// One pass from a start serves all of its ends: each route as the reference finds it alone,
// unreachable and unknown ends included.
TEST(SearchDifferentialTest, SearchesFromOneStartGiveTheReferenceRoutes) {
    std::mt19937 random(19);
    const std::vector<int64_t> nearLimit = {1, 2, int64_t{1} << 62,
                                            std::numeric_limits<int64_t>::max() - 1};
    for (int network = 0; network < 400; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        const std::vector<Row> rows = network % 5 == 4 ? RandomGrid(random, 2 + network % 7, -1, 3)
                                      : network % 5 == 3
                                          ? RandomGrid(random, 2 + network % 7, nearLimit)
                                          : RandomGrid(random, 2 + network % 9, 1, 2);
        SfNodes nodes;
        RefNodes reference;
        std::vector<std::string> names;
        for (const Row& row : rows) {
            if (row.from == row.to) {
                continue;
            }
            nodes.AddLink(row.from, row.to, row.distance);
            reference.AddLink(row.from.c_str(), row.to.c_str(), row.distance);
            names.push_back(row.from);
            names.push_back(row.to);
        }
        nodes.SortLinks();
        if (network % 2 == 1) {
            nodes.PrepareLandmarks(1);
        }
        reference.SortLinks();
        names.push_back("not a node");
        SfRouteSearch search(nodes);
        for (int k = 0; k < 3; ++k) {
            const std::string& start = names[random() % names.size()];
            std::vector<tqString> ends;
            for (int e = 0; e < 20; ++e) {
                ends.emplace_back(names[random() % names.size()].c_str());
            }
            ends.emplace_back(start.c_str());
            std::vector<tqArray<tqString>> routes(ends.size());
            std::vector<int64_t> distances(ends.size(), -7);
            std::vector<SfRouteSearch::SharedEnd> shared;
            for (size_t e = 0; e < ends.size(); ++e) {
                shared.push_back({&ends[e], &routes[e], &distances[e], -1});
            }
            search.SearchRoutesFrom(tqString(start.c_str()), shared);
            for (size_t e = 0; e < ends.size(); ++e) {
                const std::string end = ends[e].GetText();
                ASSERT_EQ(Describe(shared[e].result, routes[e], distances[e]),
                          ReferenceSearch(reference, start, end))
                    << "from " << start << " to " << end;
            }
        }
    }
}

// Rome's road network (9th DIMACS challenge, 3,353 nodes, 8,870 links), as measured and
// with its lengths cut to 1 or 2 so that many routes tie, searched with 16 landmarks and up
// a hierarchy.
TEST(SearchDifferentialTest, ARealRoadNetworkGivesTheReferenceRoutes) {
    std::ifstream file(QRLX_TEST_DATA "/rome99.gr");
    ASSERT_TRUE(file);
    std::vector<Row> rows;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string kind, from, to;
        int64_t distance = 0;
        if (fields >> kind >> from >> to >> distance && kind == "a") {
            rows.push_back({from, to, distance});
        }
    }
    ASSERT_EQ(rows.size(), 8870u);
    std::mt19937 random(29);
    CompareOn(rows, random, 300, 2, 16);
    CompareOn(rows, random, 300, 0, 4, false, true);
    for (Row& row : rows) {
        row.distance = 1 + row.distance % 2;
    }
    CompareOn(rows, random, 300, 2, 16);
    CompareOn(rows, random, 300, 0, 4, false, true);
}

// A route through via points is its legs' routes joined, each via point once, and its
// distance their sum; it fails when any leg does.
TEST(SearchDifferentialTest, RoutesThroughViaPointsAreTheirLegsJoined) {
    std::mt19937 random(23);
    for (int network = 0; network < 300; ++network) {
        SCOPED_TRACE("network " + std::to_string(network));
        SfNodes nodes;
        std::vector<std::string> names;
        for (const Row& row : RandomGrid(random, 2 + network % 7, 1, 2)) {
            if (row.from != row.to) {
                nodes.AddLink(row.from, row.to, row.distance);
                names.push_back(row.from);
            }
        }
        nodes.SortLinks();
        if (network % 3 == 1) {
            nodes.PrepareLandmarks(1);
        } else if (network % 3 == 2) {
            ASSERT_TRUE(nodes.PrepareHierarchy({}));
        }
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        for (int k = 0; k < 8 && names.size() >= 3; ++k) {
            std::vector<std::string> points;  // start, vias, end: all different
            const size_t count = std::min<size_t>(3 + random() % 3, names.size());
            while (points.size() < count) {
                const std::string& name = names[random() % names.size()];
                if (std::find(points.begin(), points.end(), name) == points.end()) {
                    points.push_back(name);
                }
            }
            std::string joined;
            int64_t total = 0;
            bool found = true;
            for (size_t leg = 0; leg + 1 < points.size() && found; ++leg) {
                tqArray<tqString> route;
                int64_t distance = 0;
                found = nodes.SearchRoute(points[leg].c_str(), points[leg + 1].c_str(), {}, route,
                                          distance) == SfNodes::srFound;
                for (int n = leg == 0 ? 0 : 1; found && n < route.Count(); ++n) {
                    joined += (joined.empty() ? "" : ">") + std::string(route.items[n].GetText());
                }
                total += distance;
            }
            tqArray<tqString> vias;
            for (size_t v = 1; v + 1 < points.size(); ++v) {
                vias.Add(points[v].c_str());
            }
            const std::string expected =
                found ? joined + " (" + std::to_string(total) + ")" : "code 4";
            ASSERT_EQ(Search(nodes, points.front().c_str(), points.back().c_str(), vias), expected);
        }
    }
}

}  // namespace
