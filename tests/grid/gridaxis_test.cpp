#include "platform/qt/gridaxis.h"
#include "platform/qt/gridselection.h"

#include <gtest/gtest.h>

namespace {

// Columns 0-1 fixed (45 and 64 wide), 10 more of 64, lines of 1 pixel.
GridAxis Columns() {
    GridAxis axis;
    axis.SetDefaultSize(64);
    axis.SetCount(12);
    axis.SetFixed(2);
    axis.SetSize(0, 45);
    return axis;
}

TEST(GridAxisTest, ItemsFollowEachOtherWithTheirLines) {
    GridAxis axis = Columns();
    int start = -1;
    ASSERT_TRUE(axis.Start(0, start));
    EXPECT_EQ(start, 0);
    ASSERT_TRUE(axis.Start(1, start));
    EXPECT_EQ(start, 46);
    ASSERT_TRUE(axis.Start(2, start));
    EXPECT_EQ(start, 111);
    EXPECT_EQ(axis.FixedExtent(), 111);
    EXPECT_EQ(axis.ItemAt(0, 1000), 0);
    EXPECT_EQ(axis.ItemAt(44, 1000), 0);
    EXPECT_EQ(axis.ItemAt(45, 1000), -1);  // the line
    EXPECT_EQ(axis.ItemAt(46, 1000), 1);
    EXPECT_EQ(axis.ItemAt(111, 1000), 2);
    EXPECT_EQ(axis.ItemAt(1000, 1000), -1);
}

TEST(GridAxisTest, ScrollingHidesItemsBetweenTheFixedOnesAndTheFirst) {
    GridAxis axis = Columns();
    axis.SetFirst(5);
    int start = -1;
    EXPECT_FALSE(axis.Start(3, start));
    ASSERT_TRUE(axis.Start(5, start));
    EXPECT_EQ(start, 111);
    ASSERT_TRUE(axis.Start(1, start));
    EXPECT_EQ(start, 46);
    EXPECT_EQ(axis.ItemAt(111, 1000), 5);
    EXPECT_EQ(axis.ItemAt(176, 1000), 6);
    axis.SetFirst(0);  // never before the fixed items
    EXPECT_EQ(axis.First(), 2);
}

TEST(GridAxisTest, MaxFirstShowsTheLastItemsAndFullyVisibleCounts) {
    GridAxis axis;
    axis.SetDefaultSize(20);
    axis.SetLineWidth(0);
    axis.SetCount(12);
    axis.SetFixed(2);
    // 100 pixels: 40 fixed, room for three rows of 20.
    EXPECT_EQ(axis.MaxFirst(100), 9);
    EXPECT_EQ(axis.FullyVisible(100), 3);
    EXPECT_EQ(axis.MaxFirst(1000), 2);
    axis.SetFirst(5);
    EXPECT_TRUE(axis.IsInView(1, 100));   // fixed
    EXPECT_FALSE(axis.IsInView(4, 100));  // scrolled away
    EXPECT_TRUE(axis.IsInView(8, 100));   // the one after the whole ones counts as in view
    EXPECT_FALSE(axis.IsInView(9, 100));
    EXPECT_FALSE(axis.IsInView(12, 100));
}

}  // namespace

TEST(GridSelectionTest, StaysAmongTheScrollableCellsAndExtendsFromItsAnchor) {
    GridSelection selection;
    const GridLimits limits{11, 6, 1, 2};
    selection.MoveTo(0, 0, false, limits);  // into the fixed cells: kept out
    EXPECT_EQ(selection.Raw(), (GridRect{1, 2, 1, 2}));
    selection.MoveTo(20, 4, true, limits);
    EXPECT_EQ(selection.Raw(), (GridRect{1, 2, 10, 4}));
    selection.MoveTo(3, 3, true, limits);
    EXPECT_EQ(selection.Rect(), (GridRect{1, 2, 3, 3}));
    EXPECT_FALSE(selection.Set(selection.Raw()));
    EXPECT_TRUE(selection.Set({5, 5, 2, 2}));  // anchor right-below the current cell
    EXPECT_EQ(selection.Rect(), (GridRect{2, 2, 5, 5}));
    EXPECT_EQ(selection.Col(), 2);
}
