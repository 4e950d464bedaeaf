#include "data/tsltabarray2d.h"

#include <gtest/gtest.h>

namespace {

TEST(TSLtabArray2DCLTest, EmptyTableReadsZeroAndAllocatesNothing) {
    TSLtabArray2DCL table;
    EXPECT_EQ(table.GetValue(0, 0), 0);
    EXPECT_EQ(table.GetValue(12345, 678), 0);
    EXPECT_EQ(table.AllocatedBytes(), 0u);
}

TEST(TSLtabArray2DCLTest, ReadsBeyondTheWrittenAreaGiveZeroWithoutGrowing) {
    TSLtabArray2DCL table;
    table.SetValue(5, 7, 42);
    const size_t bytes = table.AllocatedBytes();
    EXPECT_EQ(table.GetValue(5, 8), 0);
    EXPECT_EQ(table.GetValue(6, 7), 0);
    EXPECT_EQ(table.GetValue(4, 7), 0);
    EXPECT_EQ(table.GetValue(5000, 700), 0);
    EXPECT_EQ(table.rowsUsed, 6u);
    EXPECT_EQ(table.colsUsed, 8u);
    EXPECT_EQ(table.AllocatedBytes(), bytes);
    // Reserving makes room but writes nothing.
    table.Reserve(9, 3);
    EXPECT_EQ(table.rowsUsed, 6u);
    EXPECT_EQ(table.GetValue(9, 3), 0);
}

TEST(TSLtabArray2DCLTest, ValuesKeepTheirPlacesWhateverTheOrderOfWriting) {
    TSLtabArray2DCL table;
    // Rows widened again after later rows were written move, and keep their values.
    for (uint32_t c = 0; c < 250; c += 13) {
        for (uint32_t r = 0; r < 1000; r += 7) {
            table.SetValue(r, c, static_cast<int32_t>(r * 1000 + c + 1));
        }
    }
    table.SetValue(0, 5000, -9);
    for (uint32_t r = 0; r < 1000; r += 7) {
        for (uint32_t c = 0; c < 250; c += 13) {
            ASSERT_EQ(table.GetValue(r, c), static_cast<int32_t>(r * 1000 + c + 1));
            ASSERT_EQ(table.GetValue(r, c + 1), 0);
        }
    }
    EXPECT_EQ(table.GetValue(0, 5000), -9);
    EXPECT_EQ(table.GetValue(7, 5000), 0);
}

TEST(TSLtabArray2DCLTest, MemoryFollowsWhatIsStored) {
    // A title row of a million columns over a thousand short rows.
    TSLtabArray2DCL wide;
    for (uint32_t c = 0; c < 1000000; ++c) {
        wide.SetValue(0, c, 1);
    }
    for (uint32_t r = 1; r <= 1000; ++r) {
        wide.SetValue(r, 0, 2);
        wide.SetValue(r, 1, 3);
    }
    EXPECT_LT(wide.AllocatedBytes(), 5000000u);

    // Many three-column rows.
    TSLtabArray2DCL tall;
    for (uint32_t r = 0; r < 300000; ++r) {
        for (uint32_t c = 0; c < 3; ++c) {
            tall.SetValue(r, c, 4);
        }
    }
    EXPECT_LT(tall.AllocatedBytes(), 300000u * 30);

    // The first row widened one column at a time after every other row was written.
    for (uint32_t c = 3; c < 40000; ++c) {
        tall.SetValue(0, c, 5);
    }
    EXPECT_LT(tall.AllocatedBytes(), 300000u * 30 + 3 * 40000u * 4);
    EXPECT_EQ(tall.GetValue(0, 2), 4);
    EXPECT_EQ(tall.GetValue(0, 39999), 5);
}

TEST(TSLtabArray2DCLTest, ClearForgetsEverything) {
    TSLtabArray2DCL table;
    table.SetValue(150, 3, 1);
    table.Clear();
    EXPECT_EQ(table.rowsUsed, 0u);
    EXPECT_EQ(table.colsUsed, 0u);
    EXPECT_EQ(table.GetValue(150, 3), 0);
    EXPECT_EQ(table.AllocatedBytes(), 0u);
    table.SetValue(1, 1, 5);
    EXPECT_EQ(table.GetValue(1, 1), 5);
}

}  // namespace
