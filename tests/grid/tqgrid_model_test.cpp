// What tqGrid adds to its cell model: fonts, texts and rows.
#include <string>

#include "grid_fixture.h"

namespace {

TEST_F(GridTest, CustomFontsFallBackToTheGridFontUntilMade) {
    tqGrid plain;  // the result grid has made its custom fonts already
    QFont gridFont("IPAPGothic", 9);
    plain.SetGridFont(gridFont);
    EXPECT_EQ(plain.GetFontFromNumber(2), gridFont);
    QFont bold = gridFont;
    bold.setBold(true);
    plain.SetCustomFont(2, bold);
    EXPECT_EQ(plain.GetFontFromNumber(2), bold);
    EXPECT_EQ(plain.GetFontFromNumber(1), gridFont);
    EXPECT_EQ(plain.CustomFont(3), gridFont);  // reading makes a copy of the grid font
    EXPECT_EQ(plain.GetFontFromNumber(7), gridFont);
    EXPECT_EQ(plain.CustomFont(0), gridFont);  // no font outside 1-3
    EXPECT_EQ(plain.CustomFont(4), gridFont);
    EXPECT_FALSE(plain.SetCustomFont(4, bold));
    EXPECT_EQ(plain.CustomFont(4), gridFont);
}

TEST_F(GridTest, WritingCellsRowFirstAndShifted) {
    grid.WriteCell(3, 2, "r3c2");
    EXPECT_STREQ(grid.Cells(2, 3), "r3c2");
    grid.WriteCellShift(0, 0, "first data");
    EXPECT_STREQ(grid.Cells(0, 2), "first data");
    EXPECT_EQ(grid.GetDataColFromCol(3), 3);

    std::vector<std::string> told;
    grid.OnSetEditText = [&](StringGrid&, int col, int row, const std::string& text) {
        told.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + text + " was '" +
                       grid.Cells(col, row) + "'");
    };
    grid.WriteCellWithEvent(3, 2, "new");
    grid.WriteCellShiftWithEvent(1, 4, "x");
    grid.WriteCell(4, 4, "quiet");
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0], "2,3=new was 'r3c2'");  // told before the write
    EXPECT_EQ(told[1], "4,3=x was ''");
}

TEST_F(GridTest, ClearRowEmptiesTextsAndStatesButKeepsObjects) {
    int record = 0;
    grid.WriteCell(3, 1, "a");
    grid.WriteCell(3, 10, "b");
    grid.SetObjects(0, 3, &record);
    grid.SetCellBackColor(3, 1, clRed);
    grid.SetCellBackColor(3, 9, clRed);
    grid.SetCellBackColor(4, 1, clRed);
    grid.ClearRow(3);
    EXPECT_STREQ(grid.Cells(1, 3), "");
    EXPECT_STREQ(grid.Cells(10, 3), "");
    EXPECT_EQ(grid.Objects(0, 3), &record);
    EXPECT_EQ(grid.GetCellState(3, 1, false), nullptr);
    EXPECT_EQ(grid.GetCellState(3, 9, false), nullptr);
    EXPECT_NE(grid.GetCellState(4, 1, false), nullptr);
}

}  // namespace
