// The cell and column model of tqGrid.
#include <string>

#include "grid_fixture.h"

namespace {

TEST_F(GridTest, CellsWithoutAttributesHaveNoStoredState) {
    EXPECT_EQ(grid.GetCellState(3, 2, false), nullptr);
    CellStateCL* created = grid.GetCellState(3, 2, true);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Row, 3);
    EXPECT_EQ(created->Col, 2);
    EXPECT_EQ(created->BackColor, clWhite);
    EXPECT_EQ(created->PosY, spMiddle);
    EXPECT_EQ(grid.GetCellState(3, 2, false), created);
    EXPECT_EQ(grid.GetCellState(3, 2, true), created);
    EXPECT_EQ(grid.CellStates.Count(), 1);
}

TEST_F(GridTest, SettersChangeOnlyTheirFields) {
    grid.DefaultCellX = spRight;
    grid.SetCellBackColor(4, 1, clRed);
    CellStateCL* state = grid.GetCellState(4, 1, false);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->BackColor, clRed);
    EXPECT_EQ(state->PosX, spRight);
    grid.SetCellFont(4, 1, 2);
    grid.SetCellStrPos(4, 1, spCenter, spBottom);
    EXPECT_EQ(state->FontNumber, 2);
    EXPECT_EQ(state->PosX, spCenter);
    EXPECT_EQ(state->PosY, spBottom);
    EXPECT_EQ(state->BackColor, clRed);
}

TEST_F(GridTest, DefaultColourReachesOnlyCellsWithoutState) {
    grid.SetCellStrPos(4, 1, spLeft, spTop);  // copies the white default now
    grid.DefaultCellBackColor = clBlue;
    EXPECT_EQ(grid.GetCellState(4, 1, false)->BackColor, clWhite);
    EXPECT_EQ(grid.GetstdCellState(4, 2)->BackColor, clBlue);
}

TEST_F(GridTest, MergeCellsRefusesOverlappingBlocks) {
    EXPECT_TRUE(grid.MergeCells(0, 1, 0, 0));
    EXPECT_FALSE(grid.MergeCells(1, 1, 0, 2));
    EXPECT_EQ(grid.GetCellState(1, 1, false), nullptr);  // nothing of the refused block
    EXPECT_EQ(grid.GetCellState(1, 2, false), nullptr);
    CellStateCL* lower = grid.GetCellState(1, 0, false);
    ASSERT_NE(lower, nullptr);
    EXPECT_TRUE(lower->CellMerge);
    EXPECT_EQ(lower->cmTop, 0);
    EXPECT_EQ(lower->cmBottom, 1);
    EXPECT_TRUE(grid.MergeCells(3, 2, 0, 0));  // an empty range merges nothing
    EXPECT_EQ(grid.GetCellState(2, 0, false), nullptr);
    EXPECT_TRUE(grid.ClearCellStates());
    EXPECT_TRUE(grid.MergeCells(1, 1, 0, 2));
}

TEST_F(GridTest, ColumnStatusesStartEditableAsText) {
    EXPECT_EQ(grid.GetColumnStatus(3, false), nullptr);
    EXPECT_TRUE(grid.GetstdColumnStatus(3)->Editable);
    EXPECT_TRUE(grid.SetColumnType(3, csDigits, false));
    ColumnStatusCL* status = grid.GetColumnStatus(3, false);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Type, csDigits);
    EXPECT_FALSE(status->Editable);
    EXPECT_EQ(grid.GetstdColumnStatus(4)->Type, csText);
}

TEST_F(GridTest, CustomFontsFallBackToTheGridFontUntilMade) {
    QFont gridFont("IPAPGothic", 9);
    grid.SetGridFont(gridFont);
    EXPECT_EQ(grid.GetFontFromNumber(2), gridFont);
    QFont bold = gridFont;
    bold.setBold(true);
    grid.SetCustomFont(2, bold);
    EXPECT_EQ(grid.GetFontFromNumber(2), bold);
    EXPECT_EQ(grid.GetFontFromNumber(1), gridFont);
    EXPECT_EQ(grid.CustomFont(3), gridFont);  // reading makes a copy of the grid font
    EXPECT_EQ(grid.GetFontFromNumber(7), gridFont);
    EXPECT_EQ(grid.CustomFont(0), gridFont);  // no font outside 1-3
    EXPECT_EQ(grid.CustomFont(4), gridFont);
    EXPECT_FALSE(grid.SetCustomFont(4, bold));
    EXPECT_EQ(grid.CustomFont(4), gridFont);
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
