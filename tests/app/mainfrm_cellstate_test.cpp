// The colours and positions ResultGridCellState gives the result rows.
#include <string>

#include "app_fixture.h"

namespace {

class CellStateTest : public AppTest {
protected:
    // The state the handler leaves for (row, col) holding `utf8`, starting from the standard.
    CellStateCL StateFor(int row, int col, const char* utf8) {
        tqGrid& grid = *form->ResultGrid;
        grid.SetRowCount(4);
        grid.WriteCell(row, col, codepage::Utf8ToCp932(utf8));
        CellStateCL state = *grid.GetstdCellState(row, col);
        form->ResultGridCellState(grid, row, col, true, state);
        return state;
    }
};

constexpr TColor kBlue = 0xFF0000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x80FF00;
constexpr TColor kLightCyan = 0xFFFF80;

TEST_F(CellStateTest, ColumnZeroShowsTheOutcome) {
    for (const char* mark : {"○", "↓"}) {
        CellStateCL state = StateFor(2, 0, mark);
        EXPECT_EQ(state.BackColor, kBlue) << mark;
        EXPECT_EQ(state.PosX, spCenter);
        EXPECT_EQ(state.FontNumber, 1);
    }
    EXPECT_EQ(StateFor(2, 0, "×").BackColor, kRed);
    EXPECT_EQ(StateFor(2, 0, "").BackColor, clWhite);
    EXPECT_EQ(StateFor(2, 0, "").PosY, spMiddle);
}

TEST_F(CellStateTest, NamesAreGreenAndNumbersRightAlignedOnLightCyan) {
    EXPECT_EQ(StateFor(2, 1, "name").BackColor, kGreen);
    EXPECT_EQ(StateFor(2, 1, "name").PosX, spLeft);
    EXPECT_EQ(StateFor(3, 3, "↓").PosX, spCenter);
    EXPECT_EQ(StateFor(2, 4, "12").PosX, spRight);
    EXPECT_EQ(StateFor(2, 5, "").PosX, spRight);
    EXPECT_EQ(StateFor(3, 5, "↓").PosX, spCenter);
    EXPECT_EQ(StateFor(2, 5, "12").BackColor, kLightCyan);
    EXPECT_EQ(StateFor(2, 8, "N").BackColor, kLightCyan);
    EXPECT_EQ(StateFor(2, 8, "N").PosX, spLeft);
}

TEST_F(CellStateTest, HeaderCellsAreLeftAlone) {
    tqGrid& grid = *form->ResultGrid;
    CellStateCL state = *grid.GetCellState(0, 0, false);
    CellStateCL before = state;
    form->ResultGridCellState(grid, 0, 0, false, state);
    EXPECT_EQ(state.BackColor, before.BackColor);
    EXPECT_EQ(state.FontNumber, before.FontNumber);
}

}  // namespace
