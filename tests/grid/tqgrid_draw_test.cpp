// The pixel rules of tqGrid's painting, on a recording canvas with 7-pixel bytes and
// 12-pixel texts. Cell (2, 3) spans x 109-173 and y 60-80.
#include <string>

#include "grid_fixture.h"

namespace {

TEST_F(GridTest, TextIsPlacedByItsPositionsInsideTheInsets) {
    grid.SetCurrentCell(0, 5);
    grid.WriteCell(3, 2, "ab");  // 14 pixels wide
    struct Case {
        StrPosX x;
        StrPosY y;
        const char* at;
    };
    for (const Case& c :
         {Case{spLeft, spTop, "113,62"}, Case{spCenter, spMiddle, "135,64"},
          Case{spRight, spBottom, "157,66"}, Case{spLeftWrap, spMiddle, "157,64"},
          Case{spRightWrap, spMiddle, "157,64"}, Case{spCenterWrap, spMiddle, "157,64"}}) {
        grid.SetCellStrPos(3, 2, c.x, c.y);
        EXPECT_EQ(Paint(2, 3, "text"), std::string("text ") + c.at +
                                           " clip 113,62-171,78 brush FFFFFF font " +
                                           grid.GridFont().family().toStdString() + " 'ab'\n")
            << int(c.x) << "," << int(c.y);
    }
}

TEST_F(GridTest, TextWiderThanTheCellStartsAtTheLeftInsetAndIsClipped) {
    grid.SetCurrentCell(0, 5);
    grid.WriteCell(3, 2, "twenty bytes of text");
    for (StrPosX x : {spLeft, spCenter, spRight}) {
        grid.SetCellStrPos(3, 2, x, spMiddle);
        EXPECT_NE(Paint(2, 3, "text").find("text 113,64 clip 113,62-171,78"), std::string::npos);
    }
}

TEST_F(GridTest, FrameOfAnInnerCellReachesIntoItsNeighbours) {
    grid.CellBorderColor = clRed;
    grid.SetCurrentCell(0, 5);
    std::string calls = Paint(2, 3);
    EXPECT_NE(calls.find("pen 0000FF 1 solid\nmove 109,60\nline 109,80\nline 173,80\nline 173,60\n"
                         "line 109,60\npen 000000 1 solid\n"),
              std::string::npos)
        << calls;
}

TEST_F(GridTest, FrameOfTheLastRowAndColumnStaysInside) {
    grid.SetCurrentCell(0, 2);
    EXPECT_EQ(Paint(10, 5, "line"), "line 621,119\nline 684,119\nline 684,100\nline 621,100\n");
    EXPECT_EQ(Paint(10, 4, "line"), "line 621,100\nline 684,100\nline 684,80\nline 621,80\n");
}

TEST_F(GridTest, BackgroundGoesCurrentThenSelectionThenFixedThenCellColour) {
    grid.SelectCellColor = clBlue;
    grid.SetOptions(grid.Options() | goRangeSelect);
    grid.SetSelection({1, 2, 3, 4});  // anchor (1, 2), current (3, 4)
    grid.SetCellBackColor(3, 2, clRed);
    grid.SetCellBackColor(5, 5, clRed);
    EXPECT_EQ(Paint(3, 4, "fill"), "fill FFFF00 173,80-237,100\n");  // current
    EXPECT_EQ(Paint(2, 3, "fill"), "fill FF0000 109,60-173,80\n");   // selected beats its colour
    EXPECT_EQ(Paint(0, 0, "fill"), "fill C0C0C0 0,0-45,20\n");       // fixed
    EXPECT_EQ(Paint(5, 5, "fill"), "fill 0000FF 301,100-365,120\n");
    EXPECT_EQ(Paint(6, 5, "fill"), "fill FFFFFF 365,100-429,120\n");
}

TEST_F(GridTest, MergedBlockPaintsOnceWithItsTopLeftCell) {
    grid.SetCurrentCell(0, 5);
    ASSERT_TRUE(grid.MergeCells(2, 3, 4, 5));
    grid.WriteCell(2, 4, "top");
    grid.WriteCell(3, 5, "hidden");
    grid.SetCellStrPos(2, 4, spCenter, spTop);
    grid.SetCellBackColor(2, 4, clRed);
    std::string calls = Paint(5, 3);  // the lower right cell of the block
    EXPECT_EQ(canvas.Calls("fill"), "fill 0000FF 237,40-365,80\n");
    EXPECT_NE(calls.find("text 291,42 clip 241,42-363,78 brush 0000FF"), std::string::npos)
        << calls;
    EXPECT_EQ(calls.find("hidden"), std::string::npos);
}

TEST_F(GridTest, CurrentCellInABlockWidensTheSelectionOverIt) {
    ASSERT_TRUE(grid.MergeCells(2, 3, 0, 0));
    grid.SetCurrentCell(0, 3);  // the lower cell
    Paint(0, 3);
    EXPECT_EQ(grid.Selection(), (GridRect{0, 2, 0, 3}));
    EXPECT_EQ(grid.Row(), 3);

    ASSERT_TRUE(grid.MergeCells(2, 3, 4, 5));
    grid.SetCurrentCell(4, 2);  // the upper left cell: the anchor goes to the far corner
    Paint(4, 2);
    EXPECT_EQ(grid.Selection(), (GridRect{4, 2, 5, 3}));
    EXPECT_EQ(grid.Col(), 4);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(canvas.Calls("fill"), "fill FFFF00 237,40-365,80\n");
}

TEST_F(GridTest, OnCellStateReceivesTheStoredOrTheStandardRecord) {
    grid.SetCurrentCell(0, 5);
    grid.SetCellBackColor(3, 2, clRed);
    struct Seen {
        int row;
        int col;
        bool standard;
        CellStateCL* record;
    };
    std::vector<Seen> seen;
    grid.OnCellState = [&](tqGrid&, int row, int col, bool standard, CellStateCL& state) {
        seen.push_back({row, col, standard, &state});
        state.BackColor = clBlue;
    };
    Paint(2, 3);
    Paint(3, 3);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].standard);
    EXPECT_EQ(seen[0].record, grid.GetCellState(3, 2, false));
    EXPECT_EQ(seen[0].record->BackColor, clBlue);  // a stored record keeps the change
    EXPECT_TRUE(seen[1].standard);
    EXPECT_EQ(seen[1].record, &grid.StdCellState);
    EXPECT_EQ(seen[1].row, 3);
    EXPECT_EQ(seen[1].col, 3);
    EXPECT_EQ(canvas.Calls("fill"), "fill FF0000 173,60-237,80\n");
    EXPECT_EQ(grid.GetstdCellState(3, 3)->BackColor, clWhite);  // the standard one does not
}

TEST_F(GridTest, ImagesAreDrawnMaskedAndMissingOnesAreSkipped) {
    grid.SetCurrentCell(0, 5);
    CellStateCL* state = grid.GetCellState(3, 2, true);
    state->ImgView = true;
    state->ImgIndex = 0;
    state->PosX = spCenter;
    EXPECT_EQ(Paint(2, 3, "draw"), "");  // no image list

    ImageList images(16, 16);
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    images.Add(picture);
    grid.ImageList = &images;
    EXPECT_EQ(Paint(2, 3, "draw"), "draw 134,62 16x16 and\ndraw 134,62 16x16 paint\n");
    state->ImgIndex = 5;
    EXPECT_EQ(Paint(2, 3, "draw"), "");
    EXPECT_EQ(canvas.Calls("text"), "");
}

TEST(GridRectRulesTest, OnlyTwoCornersCountAsOverlapAndOrSpansBoth) {
    GridRect selection{2, 2, 4, 4};
    EXPECT_TRUE(tqGrid::CheckRepeatedAreaExsist(selection, {4, 4, 6, 6}));
    EXPECT_TRUE(tqGrid::CheckRepeatedAreaExsist(selection, {0, 0, 2, 2}));
    EXPECT_FALSE(tqGrid::CheckRepeatedAreaExsist(selection, {0, 3, 6, 3}));  // crosses, no corner
    EXPECT_EQ(tqGrid::TwoGridRectOR({1, 5, 2, 6}, {3, 0, 4, 1}), (GridRect{1, 0, 4, 6}));
}

}  // namespace
