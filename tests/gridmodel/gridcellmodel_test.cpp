// The grids' cell model and character classes on their own: no window system, no
// application object.
#include "grid/gridcellmodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "grid/charclass.h"

namespace {

// The model with the result grid's standard settings.
class GridCellModelTest : public testing::Test {
protected:
    void SetUp() override {
        model.DefaultCellBackColor = clWhite;
        model.DefaultCellY = spMiddle;
    }

    GridCellModel<CellStateCL> model;
};

TEST_F(GridCellModelTest, CellsWithoutAttributesHaveNoStoredState) {
    EXPECT_EQ(model.GetCellState(3, 2, false), nullptr);
    CellStateCL* created = model.GetCellState(3, 2, true);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Row, 3);
    EXPECT_EQ(created->Col, 2);
    EXPECT_EQ(created->BackColor, clWhite);
    EXPECT_EQ(created->PosY, spMiddle);
    EXPECT_EQ(model.GetCellState(3, 2, false), created);
    EXPECT_EQ(model.GetCellState(3, 2, true), created);
    EXPECT_EQ(model.CellStates.Count(), 1);
}

TEST_F(GridCellModelTest, SettersChangeOnlyTheirFields) {
    model.DefaultCellX = spRight;
    model.SetCellBackColor(4, 1, clRed);
    CellStateCL* state = model.GetCellState(4, 1, false);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->BackColor, clRed);
    EXPECT_EQ(state->PosX, spRight);
    model.SetCellFont(4, 1, 2);
    model.SetCellStrPos(4, 1, spCenter, spBottom);
    EXPECT_EQ(state->FontNumber, 2);
    EXPECT_EQ(state->PosX, spCenter);
    EXPECT_EQ(state->PosY, spBottom);
    EXPECT_EQ(state->BackColor, clRed);
}

TEST_F(GridCellModelTest, DefaultColourReachesOnlyCellsWithoutState) {
    model.SetCellStrPos(4, 1, spLeft, spTop);  // copies the white default now
    model.DefaultCellBackColor = clBlue;
    EXPECT_EQ(model.GetCellState(4, 1, false)->BackColor, clWhite);
    EXPECT_EQ(model.GetstdCellState(4, 2)->BackColor, clBlue);
}

TEST_F(GridCellModelTest, MergeCellsRefusesOverlappingBlocks) {
    EXPECT_TRUE(model.MergeCells(0, 1, 0, 0));
    EXPECT_FALSE(model.MergeCells(1, 1, 0, 2));
    EXPECT_EQ(model.GetCellState(1, 1, false), nullptr);  // nothing of the refused block
    EXPECT_EQ(model.GetCellState(1, 2, false), nullptr);
    CellStateCL* lower = model.GetCellState(1, 0, false);
    ASSERT_NE(lower, nullptr);
    EXPECT_TRUE(lower->CellMerge);
    EXPECT_EQ(lower->cmTop, 0);
    EXPECT_EQ(lower->cmBottom, 1);
    EXPECT_TRUE(model.MergeCells(3, 2, 0, 0));  // an empty range merges nothing
    EXPECT_EQ(model.GetCellState(2, 0, false), nullptr);
    EXPECT_TRUE(model.ClearCellStates());
    EXPECT_TRUE(model.MergeCells(1, 1, 0, 2));
}

TEST_F(GridCellModelTest, ColumnStatusesStartEditableAsText) {
    EXPECT_EQ(model.GetColumnStatus(3, false), nullptr);
    EXPECT_TRUE(model.GetstdColumnStatus(3)->Editable);
    EXPECT_TRUE(model.SetColumnType(3, csDigits, false));
    ColumnStatusCL* status = model.GetColumnStatus(3, false);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->Type, csDigits);
    EXPECT_FALSE(status->Editable);
    EXPECT_EQ(model.GetstdColumnStatus(4)->Type, csText);
}

// A grid's own background for cells without a state replaces the standard colour.
TEST_F(GridCellModelTest, TheGridsStandardBackgroundComesThroughItsHook) {
    class Fixed final : public GridCellModel<XtqCellStateCL> {
        TColor StandardBackColor(int ARow, int) const override {
            return ARow == 0 ? clSilver : DefaultCellBackColor;
        }
    } fixed;
    EXPECT_EQ(fixed.GetstdCellState(0, 3)->BackColor, clSilver);
    EXPECT_EQ(fixed.GetCellState(1, 3, true)->BackColor, clBlack);
    EXPECT_EQ(fixed.GetCellState(0, 4, true)->BackColor, clSilver);
}

TEST_F(GridCellModelTest, SortedUnitsAndTheirOrderAppliedInPlaceForAnyPermutation) {
    std::mt19937 random(3);
    for (int size : {0, 1, 2, 3, 10, 57}) {
        std::vector<int> values(size);
        for (int i = 0; i < size; ++i) {
            values[i] = i;
        }
        std::shuffle(values.begin(), values.end(), random);
        constexpr int kFirst = 4;  // units are numbered from here
        const std::vector<int> order = GridCellModel<CellStateCL>::SortedUnits(
            kFirst, kFirst + size - 1,
            [&](int a, int b) { return values[a - kFirst] - values[b - kFirst]; });
        ASSERT_EQ(static_cast<int>(order.size()), size);
        int swaps = 0;
        GridCellModel<CellStateCL>::ApplyOrder(order, kFirst, [&](int i, int j) {
            std::swap(values[i - kFirst], values[j - kFirst]);
            ++swaps;
        });
        for (int i = 0; i < size; ++i) {
            ASSERT_EQ(values[i], i) << size;
        }
        EXPECT_LE(swaps, std::max(size - 1, 0));
    }
}

TEST(CharClassTest, CharacterClassesAndDeleteLastChar) {
    EXPECT_TRUE(aIsEdit('\b'));
    EXPECT_FALSE(aIsEdit(' '));
    EXPECT_TRUE(aIsKanji('\x82'));
    EXPECT_FALSE(aIsDigit('\x82'));
    EXPECT_TRUE(aIsHifun('-') && aIsSlush('/') && aIsAlpha('Q') && aIsalnum('7'));
    std::string text = std::string("a\x93\x8C");
    DeleteLastChar(text);
    EXPECT_EQ(text.size(), 2u);  // only the trail byte goes
    std::string one = "x";
    DeleteLastChar(one);
    DeleteLastChar(one);
    EXPECT_EQ(one, "");
}

}  // namespace
