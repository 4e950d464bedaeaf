#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "engine/node.h"
#include "network_fixture.h"

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

TEST(SearchRouteTest, WorkedExampleTakesTheShorterDetour) {
    SfNodes nodes;
    Build(nodes, {{"S", "E", 10}, {"S", "A", 2}, {"A", "E", 3}});
    EXPECT_EQ(Search(nodes, "S", "E"), "S>A>E (5)");
}

TEST(SearchRouteTest, TiesAreDecidedByMapRowOrder) {
    EXPECT_EQ(Search({{"S", "A", 1}, {"S", "B", 1}, {"A", "E", 1}, {"B", "E", 1}}, "S", "E"),
              "S>A>E (2)");
    EXPECT_EQ(Search({{"S", "A", 1}, {"S", "B", 1}, {"B", "E", 1}, {"A", "E", 1}}, "S", "E"),
              "S>B>E (2)");
    EXPECT_EQ(Search({{"S", "E", 5}, {"S", "A", 2}, {"A", "E", 3}}, "S", "E"), "S>E (5)");
    EXPECT_EQ(Search({{"S", "A", 2}, {"A", "E", 3}, {"S", "E", 5}}, "S", "E"), "S>A>E (5)");
}

TEST(SearchRouteTest, AnUnreachedNodeThatLooksTightIsPassedOver) {
    // U is never reached, yet its link to E has E's distance; the route comes from S.
    EXPECT_EQ(Search({{"U", "E", 5}, {"S", "E", 5}}, "S", "E"), "S>E (5)");
}

TEST(SearchRouteTest, LinksAreDirected) {
    std::vector<Row> rows = {{"S", "A", 5}, {"A", "S", 5}};
    EXPECT_EQ(Search(rows, "A", "S"), "A>S (5)");
    EXPECT_EQ(Search(rows, "S", "A"), "S>A (5)");
    EXPECT_EQ(Search({{"S", "A", 5}}, "A", "S"), "code 4");
}

TEST(SearchRouteTest, FailuresLeaveTheOutputsUntouched) {
    SfNodes nodes;
    Build(nodes, {{"S", "A", 1}, {"B", "E", 1}});
    tqArray<tqString> names;
    names.Add("earlier");
    int64_t distance = 77;
    EXPECT_EQ(nodes.SearchRoute("S", "E", {}, names, distance), SfNodes::srNoRoute);
    EXPECT_EQ(nodes.SearchRoute("S", "X", {}, names, distance), SfNodes::srNoSuchNode);
    EXPECT_EQ(nodes.SearchRoute("X", "E", {}, names, distance), SfNodes::srNoSuchNode);
    EXPECT_EQ(nodes.SearchRoute("S", "S", {}, names, distance), SfNodes::srNoRoute);
    ASSERT_EQ(names.Count(), 1);
    EXPECT_STREQ(names.Get(0).GetText(), "earlier");
    EXPECT_EQ(distance, 77);

    EXPECT_EQ(nodes.SearchRoute("S", "A", {}, names, distance), SfNodes::srFound);
    EXPECT_EQ(Describe(0, names, distance), "S>A (1)");  // earlier content replaced
}

TEST(SearchRouteTest, ViaPointsAreVisitedInOrderAndMayNotRepeat) {
    SfNodes nodes;
    Build(nodes, {{"S", "A", 1}, {"A", "E", 1}, {"S", "B", 5}, {"B", "E", 5}, {"A", "B", 1}});
    tqArray<tqString> viaB;
    viaB.Add("B");
    EXPECT_EQ(Search(nodes, "S", "E", viaB), "S>A>B>E (7)");
    tqArray<tqString> viaSS;
    viaSS.Add("B");
    viaSS.Add("S");
    EXPECT_EQ(Search(nodes, "S", "E", viaSS), "code 3");
    tqArray<tqString> viaX;
    viaX.Add("X");
    EXPECT_EQ(Search(nodes, "S", "E", viaX), "code 2");
}

TEST(SearchRouteTest, ANodeWithoutIncomingLinksIsOnlyEverAStart) {
    std::vector<Row> rows = {{"S", "A", 2}, {"A", "E", 3}, {"D", "A", 1}, {"S", "E", 10}};
    SfNodes nodes;
    Build(nodes, rows);
    EXPECT_EQ(Search(nodes, "S", "E"), "S>A>E (5)");
    EXPECT_EQ(Search(nodes, "D", "E"), "D>A>E (4)");
}

TEST(SearchRouteTest, EachSearchStartsFromAClearState) {
    SfNodes nodes;
    Build(nodes, {{"S", "A", 2}, {"A", "E", 3}, {"D", "A", 1}, {"E", "S", 1}, {"S", "E", 9}});
    std::string first = Search(nodes, "S", "E");
    EXPECT_EQ(Search(nodes, "D", "S"), "D>A>E>S (5)");
    EXPECT_EQ(Search(nodes, "S", "E"), first);
    EXPECT_EQ(first, "S>A>E (5)");
}

TEST(SearchRouteTest, ARouteHoldsRoomForItsNamesOnly) {
    SfNodes nodes;
    Build(nodes, {{"S", "A", 1}, {"A", "E", 1}});
    tqArray<tqString> names;
    int64_t distance = 0;
    ASSERT_EQ(nodes.SearchRoute("S", "E", {}, names, distance), SfNodes::srFound);
    EXPECT_EQ(names.Count(), 3);
    // Not the 64 slots of the usual step: a million routes would hold a gigabyte.
    EXPECT_LE(names.capacity, 4);
}

TEST(SearchRouteTest, ALongChainNeedsNoDeepRecursion) {
    constexpr int kLinks = 200000;
    SfNodes nodes;
    char from[16];
    char to[16];
    for (int i = 0; i < kLinks; ++i) {
        std::snprintf(from, sizeof from, "N%07d", i);
        std::snprintf(to, sizeof to, "N%07d", i + 1);
        ASSERT_EQ(nodes.AddLink(from, to, 3), SfNodes::alAdded);
    }
    nodes.SortLinks();
    tqArray<tqString> names;
    int64_t distance = 0;
    ASSERT_EQ(nodes.SearchRoute("N0000000", to, {}, names, distance), SfNodes::srFound);
    EXPECT_EQ(names.Count(), kLinks + 1);
    EXPECT_EQ(distance, 3LL * kLinks);
    EXPECT_STREQ(names.Get(0).GetText(), "N0000000");
    EXPECT_STREQ(names.Get(kLinks / 2).GetText(), "N0100000");
    EXPECT_STREQ(names.Get(kLinks).GetText(), to);
}

TEST(SearchRouteTest, NegativeDistancesGiveTheTrueShortestRoute) {
    // B's least distance is 0: it must not be taken for "not reached".
    EXPECT_EQ(Search({{"S", "A", 5}, {"A", "B", -5}, {"B", "E", 1}, {"S", "B", 3}}, "S", "E"),
              "S>A>B>E (1)");
    EXPECT_EQ(Search({{"S", "A", -2}, {"A", "E", -3}}, "S", "E"), "S>A>E (-5)");
}

TEST(SearchRouteTest, NegativeCycleOnTheWayMeansNoRoute) {
    EXPECT_EQ(Search({{"S", "A", 1}, {"A", "B", -3}, {"B", "A", 1}, {"B", "E", 1}}, "S", "E"),
              "code 4");
    // Through the start itself.
    EXPECT_EQ(Search({{"S", "A", 1}, {"A", "S", -2}, {"A", "E", 1}}, "S", "E"), "code 4");
}

TEST(SearchRouteTest, NegativeCycleAsideLeavesTheRouteDefined) {
    EXPECT_EQ(Search({{"S", "E", 4}, {"S", "C", 1}, {"C", "D", -2}, {"D", "C", 1}}, "S", "E"),
              "S>E (4)");
}

TEST(SearchRouteTest, ZeroLengthCycleDoesNotTrapTheTrace) {
    EXPECT_EQ(Search({{"A", "B", 5}, {"B", "A", -5}, {"S", "A", 1}, {"B", "E", 1}}, "S", "E"),
              "S>A>B>E (7)");
}

TEST(SearchRouteTest, SumsBeyondSixtyFourBitsNeverImproveALabel) {
    EXPECT_EQ(Search({{"S", "A", kMax}, {"A", "E", 1}, {"S", "E", 5}}, "S", "E"), "S>E (5)");
    EXPECT_EQ(Search({{"S", "A", kMax}, {"A", "E", 1}}, "S", "E"), "code 4");
    EXPECT_EQ(Search({{"S", "A", kMax - 1}, {"A", "E", 1}}, "S", "E"),
              "S>A>E (" + std::to_string(kMax) + ")");
    EXPECT_EQ(Search({{"S", "A", 3000000000}, {"A", "E", 3000000000}}, "S", "E"),
              "S>A>E (6000000000)");
}

// Searched as a long run searches: guided by landmarks.
std::string SearchWithLandmarks(const std::vector<Row>& rows, const char* start, const char* end) {
    SfNodes nodes;
    Build(nodes, rows);
    nodes.PrepareLandmarks(1);
    EXPECT_FALSE(nodes.Landmarks().Empty());
    return Search(nodes, start, end);
}

TEST(SearchRouteTest, HugeDistancesKeepTheLandmarkSearchExact) {
    // A closed road marked with the largest distance is no reason to lose the open one.
    EXPECT_EQ(SearchWithLandmarks({{"G", "X", kMax}, {"A", "G", 5}, {"X", "G", 1}}, "A", "G"),
              "A>G (5)");
    EXPECT_EQ(SearchWithLandmarks({{"S", "E", kMax}, {"E", "S", 1}}, "S", "E"),
              "S>E (" + std::to_string(kMax) + ")");
    EXPECT_EQ(SearchWithLandmarks({{"S", "A", kMax - 7}, {"A", "E", 7}, {"E", "S", 1}}, "S", "E"),
              "S>A>E (" + std::to_string(kMax) + ")");
    // Landmark distances beyond 64 bits must not let the bound overestimate.
    constexpr int64_t kBig = int64_t{1} << 62;
    const std::vector<Row> rows = {
        {"L", "A", kMax},     {"A", "B", kBig},     {"B", "C", kBig}, {"C", "E", 3},
        {"A", "E", kMax - 1}, {"E", "L", kBig + 5}, {"A", "D", 1},    {"D", "E", kBig + kBig / 2}};
    for (const char* start : {"L", "A", "B", "D", "E"}) {
        for (const char* end : {"L", "A", "C", "E"}) {
            EXPECT_EQ(SearchWithLandmarks(rows, start, end), Search(rows, start, end))
                << start << " to " << end;
        }
    }
}

TEST(SearchRouteTest, NegativeDistancesCountBeyondSixtyFourBits) {
    // The cycle A>B>A is -10 long although B lies beyond the limit.
    EXPECT_EQ(Search({{"S", "A", kMax - 5}, {"A", "B", 10}, {"B", "A", -20}}, "S", "A"), "code 4");
    // A route may pass a node beyond the limit when it ends within it.
    EXPECT_EQ(Search({{"S", "A", 10}, {"A", "B", kMax}, {"B", "C", -kMax}}, "S", "C"),
              "S>A>B>C (10)");
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(Search({{"S", "A", kMin}, {"A", "B", -1}, {"B", "C", 5}}, "S", "C"),
              "S>A>B>C (" + std::to_string(kMin + 4) + ")");
}

// Legs add up as the links of one leg do: a leg or a running total past the limit is
// fine when the route ends within it.
TEST(SearchRouteTest, ViaLegsMayPassBeyondSixtyFourBitsAndComeBack) {
    SfNodes nodes;
    Build(nodes, {{"S", "V", kMax}, {"V", "W", 5}, {"W", "E", -10}});
    const std::string expected = "S>V>W>E (" + std::to_string(kMax - 5) + ")";
    EXPECT_EQ(Search(nodes, "S", "E"), expected);
    tqArray<tqString> vias;
    for (const char* via : {"V", "W"}) {
        tqArray<tqString> one;
        one.Add(via);
        EXPECT_EQ(Search(nodes, "S", "E", one), expected) << via;
        vias.Add(via);
    }
    EXPECT_EQ(Search(nodes, "S", "E", vias), expected);
    // Past the limit at the end is still no route.
    Build(nodes, {{"S", "V", kMax}, {"V", "E", 5}, {"E", "X", -1}});
    tqArray<tqString> viaV;
    viaV.Add("V");
    EXPECT_EQ(Search(nodes, "S", "E", viaV), "code 4");
}

TEST(SearchRouteTest, SumsBelowSixtyFourBitsMeanNoRoute) {
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(Search({{"S", "A", kMin}, {"A", "E", -1}}, "S", "E"), "code 4");
    EXPECT_EQ(Search({{"S", "A", kMin}, {"A", "E", 1}}, "S", "E"),
              "S>A>E (" + std::to_string(kMin + 1) + ")");
}

}  // namespace
