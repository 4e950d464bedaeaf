// Row and column operations, sorting and the clipboard of tqGrid on its cell model.
#include <QApplication>
#include <QClipboard>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "grid_fixture.h"
#include "platform/codepage.h"

namespace {

class RowsTest : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        grid.SetRowCount(12);
        grid.OnSetEditText = [this](StringGrid&, int col, int row, const std::string& text) {
            events += std::to_string(row) + "," + std::to_string(col) + "=" + text + " ";
        };
    }
    // Column 1 of rows first..last, joined by blanks.
    std::string Column(int col, int first, int last) const {
        std::string out;
        for (int row = first; row <= last; ++row) {
            out += std::string(grid.Cells(col, row)) + (row < last ? " " : "");
        }
        return out;
    }
    // Rows whose stored state is blue, found through the lookup.
    std::string BlueRows(int col) {
        std::string out;
        for (int row = 0; row < grid.RowCount(); ++row) {
            CellStateCL* state = grid.GetCellState(row, col, false);
            if (state != nullptr && state->BackColor == clBlue) {
                out += std::to_string(row) + " ";
            }
        }
        return out;
    }
    std::string events;
};

TEST_F(RowsTest, CopyRowCarriesTextsObjectsAndStatesAndReplacesTheTargets) {
    int record = 0;
    grid.WriteCell(3, 1, "src");
    grid.SetObjects(0, 3, &record);
    grid.SetCellBackColor(3, 1, clBlue);
    grid.SetCellFont(5, 2, 1);  // the target's own state goes
    EXPECT_TRUE(grid.CopyRow(3, 5));
    EXPECT_STREQ(grid.Cells(1, 5), "src");
    EXPECT_EQ(grid.Objects(0, 5), &record);
    EXPECT_EQ(BlueRows(1), "3 5 ");
    EXPECT_EQ(grid.GetCellState(5, 2, false), nullptr);
    EXPECT_TRUE(grid.CopyRow(3, 3));
    EXPECT_EQ(BlueRows(1), "3 5 ");
}

TEST_F(RowsTest, InsertRowShiftsRowsWithTheirStatesAndRefusesBadPlaces) {
    grid.SetRowCount(5);
    int records[5];
    for (int row = 0; row < 5; ++row) {
        grid.WriteCell(row, 1, "r" + std::to_string(row));
        grid.SetObjects(0, row, &records[row]);
    }
    grid.SetCellBackColor(3, 1, clBlue);
    grid.SetCellBackColor(1, 1, clBlue);
    EXPECT_FALSE(grid.InsertRow(-1, 1));
    EXPECT_FALSE(grid.InsertRow(6, 1));
    ASSERT_TRUE(grid.InsertRow(2, 1));
    EXPECT_EQ(grid.RowCount(), 6);
    EXPECT_EQ(Column(1, 0, 5), "r0 r1  r2 r3 r4");
    EXPECT_EQ(BlueRows(1), "1 4 ");
    EXPECT_EQ(grid.GetCellState(2, 1, false), nullptr);
    EXPECT_EQ(grid.Objects(0, 3), &records[2]);  // references go with their rows
    EXPECT_EQ(grid.Objects(0, 2), &records[2]);  // and the cleared row keeps its own
    ASSERT_TRUE(grid.InsertRow(6, 2));           // at the end
    EXPECT_EQ(grid.RowCount(), 8);
}

TEST_F(RowsTest, DeleteRowsMovesTheRestUpAndEmptiesTheFreedRows) {
    for (int row = 0; row < 12; ++row) {
        grid.WriteCell(row, 1, "r" + std::to_string(row));
    }
    grid.SetCellBackColor(5, 1, clBlue);
    grid.SetCellBackColor(4, 1, clBlue);  // deleted with its row
    grid.SetCellBackColor(9, 1, clBlue);
    grid.SetCellBackColor(11, 1, clBlue);  // past the data: stays
    grid.DataRowCount = 10;
    EXPECT_FALSE(grid.DeleteRows(4, 3));
    EXPECT_FALSE(grid.DeleteRows(3, 12));
    EXPECT_FALSE(grid.DeleteRows(-1, 2));
    EXPECT_FALSE(grid.DeleteRows(9, 10));  // row 10 is past the data
    ASSERT_TRUE(grid.DeleteRows(3, 4));
    EXPECT_EQ(Column(1, 2, 11), "r2 r5 r6 r7 r8 r9   r10 r11");
    EXPECT_EQ(grid.DataRowCount, 8);
    EXPECT_EQ(BlueRows(1), "3 7 11 ");
    EXPECT_EQ(grid.RowCount(), 12);
    grid.DataRowCount = 0;  // no data row: nothing to delete, the count stays
    EXPECT_FALSE(grid.DeleteRows(0, 0));
    EXPECT_EQ(grid.DataRowCount, 0);
}

TEST_F(RowsTest, SwapsMoveStatesAndTheListsStaySearchable) {
    grid.WriteCell(2, 1, "blue");
    grid.WriteCell(4, 1, "plain");
    grid.SetCellBackColor(2, 1, clBlue);
    grid.SetCellBackColor(6, 0, clRed);
    ASSERT_TRUE(grid.SwapRow(2, 4));
    EXPECT_STREQ(grid.Cells(1, 4), "blue");
    EXPECT_EQ(BlueRows(1), "4 ");
    EXPECT_EQ(grid.GetCellState(2, 1, false), nullptr);
    EXPECT_EQ(grid.GetCellState(6, 0, false)->BackColor, clRed);

    grid.SetColWidths(3, 99);
    grid.SetColumnType(1, csDigits, false);
    ASSERT_TRUE(grid.SwapCol(1, 3));
    EXPECT_STREQ(grid.Cells(3, 4), "blue");
    EXPECT_EQ(grid.ColWidths(1), 99);
    EXPECT_EQ(grid.ColWidths(3), 64);
    EXPECT_EQ(BlueRows(3), "4 ");
    EXPECT_EQ(grid.GetColumnStatus(3, false)->Type, csDigits);
    EXPECT_EQ(grid.GetColumnStatus(1, false), nullptr);
}

TEST_F(RowsTest, SortPutsExtractedRowsFirstInTheirOrderWithStatesAndObjects) {
    const char* names[] = {"d", "", "b", "", "a"};
    int records[5];
    for (int i = 0; i < 5; ++i) {
        grid.WriteCell(2 + i, 0, names[i]);
        grid.WriteCell(2 + i, 1, std::to_string(i));
        grid.SetObjects(0, 2 + i, &records[i]);
    }
    grid.SetCellBackColor(6, 1, clBlue);  // row of "a"
    grid.DataRowCount = 7;
    grid.OnExtract = [](tqGrid& sender, int row, bool& accepted) {
        accepted = *sender.Cells(0, row) != '\0';
    };
    ASSERT_TRUE(grid.Sort());
    EXPECT_EQ(Column(1, 2, 6), "0 2 4 1 3");
    EXPECT_EQ(grid.ExtractNum, 3);
    EXPECT_EQ(grid.ExtractList.Count(), 0);
    EXPECT_EQ(BlueRows(1), "4 ");
    EXPECT_EQ(grid.Objects(0, 4), &records[4]);

    grid.OnSort = [](tqGrid& sender, int a, int b, int& result) {
        result = std::string(sender.Cells(0, a)).compare(sender.Cells(0, b));
    };
    ASSERT_TRUE(grid.Sort());
    EXPECT_EQ(Column(0, 2, 4), "a b d");  // by name among the extracted ones
    EXPECT_EQ(BlueRows(1), "2 ");

    grid.DataRowCount = 3;  // one data row: nothing to compare
    grid.Sort();
    EXPECT_EQ(grid.ExtractNum, 0);
}

TEST_F(RowsTest, TheOrderIsAppliedInPlaceForAnyPermutation) {
    constexpr int kRows = 200;
    grid.SetRowCount(2 + kRows);
    std::vector<int> values(kRows);
    for (int i = 0; i < kRows; ++i) {
        values[i] = i;
    }
    std::shuffle(values.begin(), values.end(), std::mt19937(3));
    for (int i = 0; i < kRows; ++i) {
        grid.WriteCell(2 + i, 1, std::to_string(values[i]));
        grid.SetCellFont(2 + i, 1, values[i] % 4);
    }
    grid.DataRowCount = 2 + kRows;
    grid.OnSort = [](tqGrid& sender, int a, int b, int& result) {
        result = std::stoi(sender.Cells(1, a)) - std::stoi(sender.Cells(1, b));
    };
    grid.Sort();
    for (int i = 0; i < kRows; ++i) {
        ASSERT_EQ(grid.Cells(1, 2 + i), std::to_string(i));
        ASSERT_EQ(grid.GetCellState(2 + i, 1, false)->FontNumber, i % 4) << i;
    }
    EXPECT_EQ(grid.CellStates.Count(), kRows);
}

TEST_F(RowsTest, SortColumnOrdersDataColumnsByTheOwner) {
    grid.SetFixedCols(1);
    for (int col = 1; col < 5; ++col) {
        grid.WriteCell(0, col, std::string(1, static_cast<char>('e' - col)));
    }
    grid.DataColCount = 5;
    grid.OnSortColumn = [](tqGrid& sender, int a, int b, int& result) {
        result = std::string(sender.Cells(a, 0)).compare(sender.Cells(b, 0));
    };
    grid.SortColumn();
    std::string row0;
    for (int col = 1; col < 5; ++col) {
        row0 += grid.Cells(col, 0);
    }
    EXPECT_EQ(row0, "abcd");
    EXPECT_EQ(grid.ExtractNumCol, 4);
}

TEST_F(RowsTest, ClearCellRectAndPasteWriteThroughTheEvent) {
    grid.WriteCell(2, 1, "a");
    grid.WriteCell(3, 2, "b");
    grid.ClearCellRect({1, 2, 2, 3});
    EXPECT_EQ(events, "2,1= 2,2= 3,1= 3,2= ");
    EXPECT_STREQ(grid.Cells(1, 2), "");

    events.clear();
    grid.WriteCell(6, 1, "kept");
    QApplication::clipboard()->setText("x\t\ty\n\nz\r\n\t");
    grid.PasteFromClipboard(5, 1);
    EXPECT_EQ(events, "5,1=x 5,2= 5,3=y 7,1=z 8,1= 8,2= ");
    EXPECT_STREQ(grid.Cells(1, 6), "kept");  // the empty line keeps its row
}

TEST_F(RowsTest, CopyToClipboardJoinsFieldsByTabAndRowsByLineFeed) {
    grid.WriteCell(2, 0, "p");
    grid.WriteCell(2, 1, "q");
    grid.WriteCell(3, 0, "r");
    grid.WriteCell(3, 1, "s");
    grid.CopyToClipboard({0, 2, 1, 3});
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "p\tq\nr\ts");
}

TEST_F(RowsTest, LongLinesAndManyFieldsArePastedWholeAndJapaneseKeepsItsBytes) {
    grid.SetColCount(1100);
    std::string line(9000, 'x');
    for (int i = 1; i < 1100; ++i) {
        line += "\t" + std::to_string(i);
    }
    QApplication::clipboard()->setText(QString::fromStdString(line));
    grid.PasteFromClipboard(2, 0);
    EXPECT_EQ(std::string(grid.Cells(0, 2)), std::string(9000, 'x'));
    EXPECT_STREQ(grid.Cells(1099, 2), "1099");

    const std::string japanese = codepage::Utf8ToCp932("東京～品川①");
    grid.WriteCell(3, 0, japanese);
    grid.CopyToClipboard({0, 3, 0, 3});
    grid.PasteFromClipboard(4, 0);
    EXPECT_EQ(std::string(grid.Cells(0, 4)), japanese);
}

TEST_F(RowsTest, FixColumnWidthMeasuresEveryRowInItsFont) {
    grid.SetGridFont(QFont("IPAPGothic", 9));
    QFont big("IPAPGothic", 30);
    grid.SetCustomFont(1, big);
    grid.WriteCell(0, 2, "wide text");
    grid.FixColumnWidth(2);
    const int plain = grid.ColWidths(2);
    EXPECT_EQ(plain, QFontMetrics(grid.GridFont()).horizontalAdvance("wide text") + 4);
    grid.SetCellFont(0, 2, 1);
    grid.FixColumnWidth(2);
    EXPECT_EQ(grid.ColWidths(2), QFontMetrics(big).horizontalAdvance("wide text") + 4);
    grid.FixColumnWidth(5);
    EXPECT_EQ(grid.ColWidths(5), 4);
}

TEST_F(RowsTest, ListCompareAsksTheOwnerFirstThenChecksEachRowInTurn) {
    std::string calls;
    grid.OnSort = [&calls](tqGrid&, int a, int b, int& result) {
        calls += "S(" + std::to_string(a) + "," + std::to_string(b) + ") ";
        result = 0;
    };
    grid.OnExtract = [&calls](tqGrid&, int row, bool& accepted) {
        calls += "E" + std::to_string(row) + " ";
        accepted = row == 3;
    };
    EXPECT_GT(grid.ListCompare(2, 3), 0);  // the accepted row goes first
    EXPECT_EQ(calls, "S(2,3) E2 E3 ");
}

}  // namespace
