// A real tqGrid painted offscreen into an image, and a real mouse click on it.
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "grid_fixture.h"
#include "platform/codepage.h"

namespace {

class RenderTest : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        // The result grid's two header rows with their merged blocks.
        for (int col = 0; col < 11; ++col) {
            grid.SetCellStrPos(0, col, spCenter, spMiddle);
            grid.SetCellStrPos(1, col, spCenter, spMiddle);
        }
        grid.MergeCells(0, 1, 0, 0);
        Write(0, 0, "結果");
        grid.MergeCells(0, 1, 1, 1);
        Write(0, 1, "検索名称");
        grid.MergeCells(0, 0, 2, 3);
        Write(0, 2, "検索指示ノード名");
        grid.MergeCells(0, 0, 6, 10);
        Write(0, 6, "通過ノード");
        Write(2, 1, "東海道");
        grid.SetCurrentCell(2, 3);
    }
    void Write(int row, int col, const char* utf8) {
        grid.WriteCell(row, col, codepage::Utf8ToCp932(utf8));
    }
    QImage Render() { return grid.viewport()->grab().toImage(); }
    static TColor At(const QImage& image, int x, int y) {
        QRgb pixel = image.pixel(x, y);
        return static_cast<TColor>(qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16));
    }
};

TEST_F(RenderTest, DataCellsAreWhiteTheCurrentCellAquaAndFramesBlack) {
    QImage image = Render();
    ASSERT_GE(image.width(), 500);
    EXPECT_EQ(At(image, 150, 90), clWhite);  // inside cell (2, 4)
    EXPECT_EQ(At(image, 140, 73), clAqua);   // inside the current cell (2, 3)
    EXPECT_EQ(At(image, 109, 90), clBlack);  // the left frame line of cell (2, 4)
    EXPECT_EQ(At(image, 150, 80), clBlack);  // the top frame line of cell (2, 4)
    EXPECT_EQ(At(image, 300, 5), clSilver);  // the header block over columns 2-3
}

TEST_F(RenderTest, MergedHeaderShowsItsTextOnceAcrossTheBlock) {
    QImage image = Render();
    // The two-row block of column 0 has no frame line between its rows.
    EXPECT_EQ(At(image, 2, 20), clSilver);
    // Column 1's header text is drawn: some pixel of the block's middle is dark.
    bool dark = false;
    for (int x = 50; x < 105 && !dark; ++x) {
        for (int y = 12; y < 28 && !dark; ++y) {
            dark = qGray(image.pixel(x, y)) < 100;
        }
    }
    EXPECT_TRUE(dark);
}

TEST_F(RenderTest, ClickOnTheLowerCellOfABlockSelectsTheWholeBlock) {
    grid.MergeCells(3, 4, 1, 1);
    grid.show();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(60, 90));  // cell (1, 4)
    EXPECT_EQ(grid.Row(), 4);
    Render();
    EXPECT_EQ(grid.Selection(), (GridRect{1, 3, 1, 4}));
    QImage image = Render();
    EXPECT_EQ(At(image, 60, 70), clAqua);  // the upper cell shows as current too
}

TEST_F(RenderTest, KeysMoveTheCurrentCellAndKeepItInView) {
    grid.SetRowCount(60);
    grid.show();
    grid.SetCurrentCell(1, 2);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_GT(grid.Row(), 20);
    EXPECT_GT(grid.CellRect(1, grid.Row()).Height(), 0);  // scrolled into view
    EXPECT_EQ(grid.CellRect(1, 2).Height(), 0);           // the first rows scrolled away
    EXPECT_GT(grid.CellRect(1, 0).Height(), 0);           // the header stays
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.Col(), 2);
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(&grid, Qt::Key_Up);
    }
    EXPECT_EQ(grid.Row(), 2);  // never into the fixed rows
    EXPECT_GT(grid.CellRect(2, 2).Height(), 0);
}

TEST_F(RenderTest, ABlockScrolledPastItsFirstCellIsPaintedOnceAsOneCell) {
    // Header block of row 0 over columns 6-10, scrolled so that column 7 comes first.
    grid.resize(300, 200);
    grid.show();
    grid.horizontalScrollBar()->setValue(7);
    ASSERT_EQ(grid.CellRect(7, 0).Left, 0);
    QImage image = Render();
    // Its text sits once, centred on the whole block (centre at column 8), so the last
    // column of the block shows none of it and no frame divides the block.
    auto darkIn = [&](int left, int right) {
        for (int x = left; x < right; ++x) {
            for (int y = 3; y < 17; ++y) {
                if (qGray(image.pixel(x, y)) < 100) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(darkIn(64 + 4, 128 - 4));    // column 8
    EXPECT_FALSE(darkIn(192 + 4, 256 - 4));  // column 10
    EXPECT_EQ(At(image, 64, 10), clSilver);  // no frame between columns 7 and 8
    EXPECT_EQ(At(image, 128, 10), clSilver);
}

TEST_F(RenderTest, CtrlHomeAndCtrlEndGoToTheFirstAndLastCell) {
    grid.SetRowCount(60);
    grid.show();
    grid.SetCurrentCell(4, 30);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.Col(), 10);
    EXPECT_EQ(grid.Row(), 59);
    EXPECT_GT(grid.CellRect(10, 59).Height(), 0);  // scrolled into view
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(grid.Row(), 2);
    QTest::keyClick(&grid, Qt::Key_End);  // without Ctrl only the column moves
    EXPECT_EQ(grid.Col(), 10);
    EXPECT_EQ(grid.Row(), 2);
}

}  // namespace
