#include "data/tsltabarray2d.h"

#include <gtest/gtest.h>

namespace {

TEST(TSLtabArray2DCLTest, EmptyTableReadsZeroAndAllocatesNothing) {
    TSLtabArray2DCL table;
    EXPECT_EQ(table.GetValue(0, 0), 0);
    EXPECT_EQ(table.GetValue(12345, 678), 0);
    EXPECT_TRUE(table.blockTable.empty());
}

TEST(TSLtabArray2DCLTest, GrowsByWholeRowsAndColumnsOfBlocks) {
    TSLtabArray2DCL table;
    table.SetValue(1023, 0, 7);
    EXPECT_EQ(table.blockRows, 1u);
    EXPECT_EQ(table.blockCols, 1u);
    table.SetValue(1024, 0, 8);
    EXPECT_EQ(table.blockRows, 2u);
    EXPECT_EQ(table.blockCols, 1u);
    table.SetValue(5, 2, 9);  // widening adds a whole column of blocks for every row
    EXPECT_EQ(table.blockCols, 3u);
    EXPECT_EQ(table.blockTable.size(), 6u);
    EXPECT_EQ(table.GetValue(1023, 0), 7);
    EXPECT_EQ(table.GetValue(1024, 0), 8);
    EXPECT_EQ(table.GetValue(5, 2), 9);
    EXPECT_EQ(table.GetValue(5, 1), 0);
    EXPECT_EQ(table.rowMap.size(), 2048u);
    EXPECT_EQ(table.colMap.size(), 3u);
    EXPECT_EQ(table.rowMap[1500], 1500u);
}

TEST(TSLtabArray2DCLTest, ReadsBeyondTheWrittenAreaGiveZeroWithoutGrowing) {
    TSLtabArray2DCL table;
    table.SetValue(5, 7, 42);
    const size_t blocks = table.blockTable.size();
    EXPECT_EQ(table.GetValue(5, 8), 0);
    EXPECT_EQ(table.GetValue(5000, 700), 0);
    EXPECT_EQ(table.GetValue(6, 7), 0);
    EXPECT_EQ(table.GetValue(4, 7), 0);
    EXPECT_EQ(table.rowsUsed, 6u);
    EXPECT_EQ(table.colsUsed, 8u);
    EXPECT_EQ(table.blockTable.size(), blocks);
}

TEST(TSLtabArray2DCLTest, ManyValuesKeepTheirPlaces) {
    TSLtabArray2DCL table;
    for (uint32_t r = 0; r < 1000; r += 7) {
        for (uint32_t c = 0; c < 250; c += 13) {
            table.SetValue(r, c, static_cast<int32_t>(r * 1000 + c + 1));
        }
    }
    for (uint32_t r = 0; r < 1000; r += 7) {
        for (uint32_t c = 0; c < 250; c += 13) {
            ASSERT_EQ(table.GetValue(r, c), static_cast<int32_t>(r * 1000 + c + 1));
        }
    }
}

TEST(TSLtabArray2DCLTest, ClearForgetsEverything) {
    TSLtabArray2DCL table;
    table.SetValue(150, 3, 1);
    table.Clear();
    EXPECT_EQ(table.rowsUsed, 0u);
    EXPECT_EQ(table.colsUsed, 0u);
    EXPECT_EQ(table.GetValue(150, 3), 0);
    EXPECT_EQ(table.rowsPerBlock, TSLtabArray2DCL::kBlockRows);
    table.SetValue(1, 1, 5);
    EXPECT_EQ(table.GetValue(1, 1), 5);
}

}  // namespace
