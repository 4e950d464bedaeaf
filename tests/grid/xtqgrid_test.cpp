// XtqGrid: its own store behind the column map, wrapping, numbered bitmaps and its hooks.
#include "grid/xtqgrid.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/temp_dir.h"

namespace {

class XtqGridTest : public testing::Test {
protected:
    void SetUp() override {
        grid.resize(600, 400);
        grid.SetColCount(6);
        grid.SetRowCount(8);
        grid.SetFixedCols(0);
        grid.SetFixedRows(1);
        grid.SetDefaultColWidth(64);
        grid.SetDefaultRowHeight(44);  // text rectangle 58 x 40: three 12-pixel lines
        grid.SetGridLineWidth(0);
    }
    // The text calls of painting cell (col, row).
    std::string PaintedTexts(int col, int row) {
        canvas.Clear();
        grid.PaintCell(canvas, col, row);
        return canvas.Calls("text");
    }
    static std::vector<std::string> Divide(const std::string& text, int W) {
        std::vector<std::string> segments;
        DivideString(segments, text, W, [](const std::string& s) {
            return RecordingCanvas::kByteWidth * static_cast<int>(s.size());
        });
        return segments;
    }

    XtqGrid grid;
    RecordingCanvas canvas;
};

TEST_F(XtqGridTest, ASwapThroughTheColumnMapMovesEveryRowAndLeavesTheWidths) {
    for (int row = 0; row < 8; ++row) {
        grid.SetCells(1, row, "a" + std::to_string(row));
        grid.SetCells(2, row, "b" + std::to_string(row));
    }
    grid.SetColWidths(1, 50);
    grid.SetColWidths(2, 90);
    grid.SetCellBackColor(3, 1, clRed);
    ASSERT_TRUE(grid.SwapCol(1, 2));
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(grid.GetCells(1, row), "b" + std::to_string(row));
        EXPECT_EQ(grid.GetCells(2, row), "a" + std::to_string(row));
    }
    EXPECT_EQ(grid.ColWidths(1), 50);
    EXPECT_EQ(grid.ColWidths(2), 90);
    EXPECT_EQ(grid.GetCellState(3, 2, false)->BackColor, clRed);
    EXPECT_EQ(grid.GetCellState(3, 1, false), nullptr);
}

TEST_F(XtqGridTest, DivideStringKeepsEachSegmentBelowTheWidthAndDoubleByteCharactersWhole) {
    EXPECT_EQ(Divide("abcd", 15), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_EQ(Divide("ab", 14), (std::vector<std::string>{"a", "b"}));  // 14 does not fit 14
    const std::string kana = codepage::Utf8ToCp932("あいう");
    const std::vector<std::string> segments = Divide(kana, 30);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0], kana.substr(0, 4));
    EXPECT_EQ(segments[1], kana.substr(4));
    // Half-width katakana are single bytes and may be split anywhere.
    const std::string halfWidth = codepage::Utf8ToCp932("ｱｲｳｴ");
    EXPECT_EQ(Divide(halfWidth, 15).size(), 2u);
}

// Each byte is 7 pixels wide: at W = 15 two single-byte characters fit, at 14 one, at 7
// none (a width equal to W does not fit); a double-byte character is 14 wide.
TEST_F(XtqGridTest, DivideStringGivesWholeCharactersAndNoEmptySegmentsAtAnyWidth) {
    using Segments = std::vector<std::string>;
    EXPECT_EQ(Divide("abcd", 14), (Segments{"a", "b", "c", "d"}));
    EXPECT_EQ(Divide("abcd", 7), (Segments{"a", "b", "c", "d"}));
    EXPECT_EQ(Divide("abcd", 0), (Segments{"a", "b", "c", "d"}));
    EXPECT_EQ(Divide("abcde", 22), (Segments{"abc", "de"}));
    EXPECT_EQ(Divide("", 14), Segments{});
    const std::string a = codepage::Utf8ToCp932("あ");
    const std::string i = codepage::Utf8ToCp932("い");
    const std::string u = codepage::Utf8ToCp932("う");
    EXPECT_EQ(Divide(a + i + u, 30), (Segments{a + i, u}));
    EXPECT_EQ(Divide(a + i + u, 15), (Segments{a, i, u}));
    EXPECT_EQ(Divide(a + i + u, 14), (Segments{a, i, u}));  // none fits: one each, whole
    EXPECT_EQ(Divide("x" + a + "y", 15), (Segments{"x", a, "y"}));
    EXPECT_EQ(Divide("x" + a + "y", 22), (Segments{"x" + a, "y"}));
}

TEST_F(XtqGridTest, WrappingCellsShowTheirLinesWithinTheirHeight) {
    grid.SetCellStrPos(2, 0, spLeftWrap, spTop);
    grid.SetCells(0, 2, "AB\nCD");  // fits on one line, wraps at the line feed
    const PixelRect cell = grid.CellRect(0, 2);
    const int left = cell.Left + 4;
    const int top = cell.Top + 2;
    auto line = [&](int x, int y, const char* text) {
        return "text " + std::to_string(x) + "," + std::to_string(y) + " clip " +
               std::to_string(left) + "," + std::to_string(y) + "-" + std::to_string(left + 58) +
               "," + std::to_string(y + 12) + " brush FFFFFF font " +
               grid.GridFont().family().toStdString() + " '" + text + "'\n";
    };
    EXPECT_EQ(PaintedTexts(0, 2), line(left, top, "AB") + line(left, top + 12, "CD"));

    // Thirty bytes make four segments of eight; three fit, centred vertically and right.
    grid.SetCellStrPos(3, 0, spRightWrap, spMiddle);
    grid.SetCells(0, 3, std::string(30, 'x'));
    const PixelRect lower = grid.CellRect(0, 3);
    const std::string calls = PaintedTexts(0, 3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), 3);
    const int firstY = lower.Top + 2 + (40 - 36) / 2;
    EXPECT_NE(calls.find("text " + std::to_string(lower.Left + 4 + 58 - 56) + "," +
                         std::to_string(firstY)),
              std::string::npos)
        << calls;

    grid.SetCellStrPos(4, 0, spLeft, spTop);  // not a wrap value: one line
    grid.SetCells(0, 4, "AB\nCD");
    const std::string oneLine = PaintedTexts(0, 4);
    EXPECT_EQ(oneLine.rfind("text "), 0u);  // a single text call holds the whole text
    EXPECT_NE(oneLine.find("'AB\nCD'"), std::string::npos);
}

TEST_F(XtqGridTest, BitmapIdentifiersIncreaseAcrossGridsAndAFailedLoadTakesNone) {
    XtqGrid other;
    const QImage picture(8, 6, QImage::Format_RGB32);
    const int32_t first = grid.LoadBitmapObject(picture);
    const int32_t second = other.LoadBitmapObject(picture);
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    TempDir dir;
    EXPECT_EQ(grid.LoadBitmapFile(dir.Write("broken.png", "not a picture")), 0);
    const std::string file = dir.Path("mark.png");
    ASSERT_TRUE(QImage(5, 4, QImage::Format_RGB32).save(QString::fromStdString(file)));
    const int32_t fromFile = grid.LoadBitmapFile(file);
    EXPECT_EQ(fromFile, second + 1);  // the failed load took no identifier
    EXPECT_EQ(grid.Bitmap(fromFile)->size(), QSize(5, 4));
    QApplication::clipboard()->setText("text only");
    EXPECT_EQ(grid.LoadBitmapFromClipboard(), 0);
    QApplication::clipboard()->setImage(QImage(3, 3, QImage::Format_RGB32));
    const int32_t pasted = grid.LoadBitmapFromClipboard();
    EXPECT_EQ(pasted, fromFile + 1);
    EXPECT_EQ(grid.Bitmap(pasted)->size(), QSize(3, 3));
}

TEST_F(XtqGridTest, AnImageFreeHandlerReleasesTheBitmapAfterItIsDrawn) {
    const int32_t id = grid.LoadBitmapObject(QImage(10, 8, QImage::Format_RGB32));
    grid.OnCellAttr = [id](XtqGrid&, int row, int col, TColor&, int&, StrPosX&, StrPosY&, int16_t&,
                           int&, int&, int&, int&, int16_t& imgView, int& imgId) {
        if (row == 2 && col == 1) {
            imgView = -1;
            imgId = id;
        }
    };
    std::vector<int> freed;
    grid.OnImageFree = [&](XtqGrid&, int imgId, bool& isFree) {
        freed.push_back(imgId);
        isFree = true;
    };
    canvas.Clear();
    grid.PaintCell(canvas, 1, 2);
    EXPECT_NE(canvas.Calls("draw").find("10x8 copy"), std::string::npos);
    EXPECT_EQ(freed, std::vector<int>{id});
    EXPECT_EQ(grid.Bitmap(id), nullptr);
    canvas.Clear();
    grid.PaintCell(canvas, 1, 2);
    EXPECT_EQ(canvas.Calls("draw"), "");  // no image any more
}

TEST_F(XtqGridTest, RowsAreInsertedAndDeletedInTheOwnStoreWithStatesRenumbered) {
    for (int row = 0; row < 6; ++row) {
        grid.SetCells(0, row, "r" + std::to_string(row));
    }
    for (int row : {2, 3, 4}) {
        grid.SetCellBackColor(row, 0, clBlue);
    }
    grid.SetCellFont(5, 0, 2);
    ASSERT_TRUE(grid.DeleteRows(2, 3));
    EXPECT_EQ(grid.GetCells(0, 2), "r4");
    ASSERT_NE(grid.GetCellState(2, 0, false), nullptr);
    EXPECT_EQ(grid.GetCellState(2, 0, false)->BackColor, clBlue);  // row 4's state
    ASSERT_NE(grid.GetCellState(3, 0, false), nullptr);
    EXPECT_EQ(grid.GetCellState(3, 0, false)->FontNumber, 2);  // row 5's
    EXPECT_EQ(grid.GetCellState(4, 0, false), nullptr);
    EXPECT_EQ(grid.CellStates.Count(), 2);
    EXPECT_EQ(grid.RowCount(), 8);  // the grid's own count stays

    const int stored = grid.Store().StoredRows();
    EXPECT_FALSE(grid.InsertRow(stored, 1));
    ASSERT_TRUE(grid.InsertRow(1, 2));
    EXPECT_EQ(grid.GetCells(0, 1), "");
    EXPECT_EQ(grid.GetCells(0, 4), "r4");
    ASSERT_NE(grid.GetCellState(4, 0, false), nullptr);
    EXPECT_EQ(grid.GetCellState(4, 0, false)->BackColor, clBlue);
    EXPECT_FALSE(grid.DeleteRows(-1, 2));
    EXPECT_TRUE(grid.DeleteRows(5, 99));  // lowered to the last stored row
}

TEST_F(XtqGridTest, EditingHooksGiveTheEditorItsTextAndMayChangeTheResult) {
    grid.CanEdit = true;
    grid.SetCells(1, 2, "old");
    grid.SetCurrentCell(1, 2);
    grid.OnStartEdit = [](XtqGrid&, int, int, std::string& text, TImeMode& mode) {
        text = "start:" + text;
        mode = imHira;
    };
    grid.OnAfterEdit = [](XtqGrid&, int, int, std::string& text) { text += "!"; };
    grid.show();
    const PixelRect cell = grid.CellRect(1, 2);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
    ASSERT_TRUE(grid.EditorMode());
    EXPECT_EQ(grid.InplaceEditor()->text().toStdString(), "start:old");
    EXPECT_EQ(grid.EditorImeMode, imHira);
    QTest::keyClicks(grid.InplaceEditor(), "x");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(grid.GetCells(1, 2), "start:oldx!");
}

TEST_F(XtqGridTest, SortsKeepToTheirRangeAndDefaultsDiffer) {
    EXPECT_EQ(grid.ActiveCellColor, clBlue);
    EXPECT_EQ(grid.DefaultCellBackColor, clWhite);
    EXPECT_EQ(grid.Options() & (goVertLine | goHorzLine), 0u);
    EXPECT_EQ(grid.GetstdCellState(0, 3)->BackColor, grid.FixedColor());  // a fixed row
    for (int row = 1; row < 5; ++row) {
        grid.SetCells(0, row, std::string(1, static_cast<char>('e' - row)));
    }
    grid.OnSort = [](XtqGrid& sender, int a, int b, int& result) {
        result = sender.GetCells(0, a).compare(sender.GetCells(0, b));
    };
    EXPECT_FALSE(grid.SortRow(0, 4));  // starts in the fixed row
    EXPECT_FALSE(grid.SortRow(3, 3));
    ASSERT_TRUE(grid.SortRow(1, 4));
    EXPECT_EQ(grid.GetCells(0, 1) + grid.GetCells(0, 4), "ad");
}

TEST_F(XtqGridTest, FixColumnWidthTellsTheOwnerAndImeModeSwitchesTheInputMethod) {
    int told = 0;
    grid.OnColWidthsChanged = [&told](XtqGrid&) { ++told; };
    grid.SetCells(1, 2, "abc");
    ASSERT_TRUE(grid.FixColumnWidth(1));
    EXPECT_EQ(told, 1);
    EXPECT_GT(grid.ColWidths(1), 6);

    EXPECT_EQ(grid.ImeMode(), imDontCare);
    EXPECT_TRUE(grid.testAttribute(Qt::WA_InputMethodEnabled));
    grid.SetImeMode(imDisable);
    EXPECT_EQ(grid.ImeMode(), imDisable);
    EXPECT_FALSE(grid.testAttribute(Qt::WA_InputMethodEnabled));
    grid.SetImeMode(imHira);
    EXPECT_TRUE(grid.testAttribute(Qt::WA_InputMethodEnabled));
}

}  // namespace
