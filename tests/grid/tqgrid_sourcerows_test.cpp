// Rows that a grid reads from a row source behave as rows whose cells were written: every
// row and cell operation gives the same texts and objects.
#include <random>
#include <string>
#include <vector>

#include "grid_fixture.h"

namespace {

// Rows of texts "<prefix><row>c<col>" (column 4 left empty), each row's object its own int.
class TestSource final : public GridRowSource {
public:
    explicit TestSource(int rows, const std::string& prefix = "r") : texts(rows), objects(rows) {
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < 4; ++col) {
                texts[row].push_back(prefix + std::to_string(row) + "c" + std::to_string(col));
            }
            texts[row].push_back("");
        }
    }
    int Rows() const override { return static_cast<int>(texts.size()); }
    const char* Text(int col, int row) const override {
        return col < 5 ? texts[row][col].c_str() : "";
    }
    void* Object(int col, int row) const override {
        return col == 0 ? const_cast<int*>(&objects[row]) : nullptr;
    }

    std::vector<std::vector<std::string>> texts;
    std::vector<int> objects;
};

class SourceRowsTest : public GridTest {
protected:
    // `written` gets the source's rows from row 2 on by WriteCell and SetObjects.
    void ShowBoth(const std::shared_ptr<TestSource>& source) {
        shown.ShowRows(2, source);
        written.SetRowCount(2 + source->Rows());
        for (int row = 0; row < source->Rows(); ++row) {
            for (int col = 0; col < written.ColCount(); ++col) {
                written.WriteCell(2 + row, col, source->Text(col, row));
                written.SetObjects(col, 2 + row, source->Object(col, row));
            }
        }
    }
    // The first cell where the two grids differ, or "" when they agree.
    std::string Difference() const {
        if (shown.RowCount() != written.RowCount() || shown.ColCount() != written.ColCount()) {
            return "size " + std::to_string(shown.RowCount()) + " x " +
                   std::to_string(shown.ColCount());
        }
        for (int row = 0; row < shown.RowCount(); ++row) {
            for (int col = 0; col < shown.ColCount(); ++col) {
                if (std::string(shown.Cells(col, row)) != written.Cells(col, row) ||
                    shown.Objects(col, row) != written.Objects(col, row)) {
                    return "cell " + std::to_string(col) + "," + std::to_string(row) + ": " +
                           shown.Cells(col, row) + " / " + written.Cells(col, row);
                }
            }
        }
        return "";
    }

    tqGrid shown;
    tqGrid& written = grid;
};

TEST_F(SourceRowsTest, RowAndCellOperationsGiveWhatTheyGiveOnWrittenRows) {
    ConfigureResultGrid(shown);
    shown.WriteCell(0, 0, "head");
    written.WriteCell(0, 0, "head");
    auto source = std::make_shared<TestSource>(40);
    ShowBoth(source);
    ASSERT_EQ(Difference(), "");
    int object = 0;
    std::mt19937 random(7);
    for (int step = 0; step < 400; ++step) {
        const int rows = shown.RowCount();
        const int a = 2 + static_cast<int>(random() % (rows - 2));
        const int b = 2 + static_cast<int>(random() % (rows - 2));
        const int col = static_cast<int>(random() % shown.ColCount());
        std::string operation;
        for (tqGrid* g : {&shown, &written}) {
            g->DataRowCount = g->RowCount();
            switch (step % 9) {
                case 0:
                    g->WriteCell(a, col, "w" + std::to_string(step));
                    break;
                case 1:
                    g->SwapRow(a, b);
                    break;
                case 2:
                    g->CopyRow(a, b);
                    break;
                case 3:
                    g->ClearRow(a);
                    break;
                case 4:
                    g->SetObjects(col, a, col % 2 ? &object : nullptr);
                    break;
                case 5:
                    g->InsertRow(a, 2);
                    break;
                case 6:
                    g->DeleteRows(a, a);
                    break;
                case 7:
                    g->SetRowCount(rows + (step % 2 ? 3 : -3));
                    break;
                case 8:
                    g->SetColCount(step % 2 ? 12 : 11);
                    break;
            }
        }
        ASSERT_EQ(Difference(), "") << "after operation " << step % 9 << " at step " << step;
    }
    for (tqGrid* g : {&shown, &written}) {
        g->DataRowCount = g->RowCount();
        g->OnSort = [](tqGrid& sender, int r1, int r2, int& order) {
            order = std::string(sender.Cells(1, r1)).compare(sender.Cells(1, r2));
        };
        ASSERT_TRUE(g->Sort());
    }
    EXPECT_EQ(Difference(), "");
}

TEST_F(SourceRowsTest, AnewSourceReplacesTheRowsFromItsFirstAndTheirStatesOnly) {
    auto first = std::make_shared<TestSource>(6);
    grid.ShowRows(2, first);
    grid.SetCellBackColor(3, 1, clBlue);  // a state of a row that stays, stays
    grid.SetCellBackColor(4, 1, clBlue);  // a state of a replaced row goes
    grid.WriteCell(5, 2, "mine");         // a written row past the new first goes too
    grid.ShowRows(4, std::make_shared<TestSource>(2, "s"));
    // Rows 2 and 3 keep what the first source showed, even once its data changes.
    first->texts[0][1] = "changed";
    first->objects.clear();
    first.reset();
    EXPECT_EQ(grid.RowCount(), 6);
    EXPECT_STREQ(grid.Cells(1, 2), "r0c1");
    EXPECT_STREQ(grid.Cells(3, 3), "r1c3");
    EXPECT_STREQ(grid.Cells(1, 4), "s0c1");
    EXPECT_STREQ(grid.Cells(2, 5), "s1c2");
    EXPECT_NE(grid.GetCellState(3, 1, false), nullptr);
    EXPECT_EQ(grid.GetCellState(4, 1, false), nullptr);

    grid.ShowRows(2, nullptr);
    EXPECT_EQ(grid.RowCount(), 2);
    grid.SetRowCount(4);
    EXPECT_STREQ(grid.Cells(1, 3), "");
}

// While the source's data changes on another thread, the grid reads nothing of it.
TEST_F(SourceRowsTest, WithheldRowsNeverReadTheirSource) {
    auto source = std::make_shared<TestSource>(3);
    grid.ShowRows(2, source);
    grid.WriteCell(3, 1, "mine");  // row 3 holds its own cells now
    grid.WithholdRows(true);
    source->texts.clear();  // as a load frees the records meanwhile
    source->objects.clear();
    EXPECT_STREQ(grid.Cells(1, 2), "");
    EXPECT_EQ(grid.Objects(0, 2), nullptr);
    grid.WriteCell(4, 2, "lost");  // would copy the row's cells from the source
    EXPECT_STREQ(grid.Cells(2, 4), "");
    EXPECT_STREQ(grid.Cells(1, 3), "mine");
    grid.ShowRows(2, std::make_shared<TestSource>(2, "s"));  // the outcome, still withheld
    EXPECT_STREQ(grid.Cells(1, 2), "");
    grid.WithholdRows(false);
    EXPECT_STREQ(grid.Cells(1, 2), "s0c1");
    EXPECT_STREQ(grid.Cells(2, 3), "s1c2");
}

}  // namespace
