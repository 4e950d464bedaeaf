// GridCellModel: the cells and columns of a grid as its drawing and editing read them — the
// stored cell states and column statuses, found by bisection, the standard settings of a
// cell without a state, merged blocks, and the ordering that sorting and row operations
// share. No window system: the widgets of the grid family derive from it.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "grid/cellstate.h"

// Rows and columns are grid numbers from 0, fixed ones counted; every operation takes the
// row before the column. `State` is the grid's cell state record.
template <typename State>
class GridCellModel {
public:
    virtual ~GridCellModel() = default;

    tqList<State> CellStates;               // at most one per cell, found by bisection
    tqList<ColumnStatusCL> ColumnStatuses;  // found by bisection
    State StdCellState;                     // refilled for every cell without a state
    ColumnStatusCL StdColumnStatus;

    // The standard settings of a cell without a state.
    TColor DefaultCellBackColor = clBlack;
    StrPosX DefaultCellX = spLeft;
    StrPosY DefaultCellY = spTop;

    // The stored state of a cell; without one, null, or with `create` a new one with the
    // standard settings. The model keeps ownership.
    State* GetCellState(int ARow, int ACol, bool create);
    // StdCellState refilled for the cell; every call overwrites the same record.
    State* GetstdCellState(int ARow, int ACol);
    void SetNowStandardSettingCellState(int ARow, int ACol, State* out) const;
    ColumnStatusCL* GetColumnStatus(int ACol, bool create);
    ColumnStatusCL* GetstdColumnStatus(int ACol);
    void SetNowStandardSettingColumnStatus(int ACol, ColumnStatusCL* out) const;
    bool SetColumnType(int ACol, CSTyp type, bool editable);

    // Attribute setters: create the cell's state if needed.
    bool SetCellBackColor(int ARow, int ACol, TColor color);
    bool SetCellFont(int ARow, int ACol, int fontNumber);
    bool SetCellStrPos(int ARow, int ACol, StrPosX x, StrPosY y);
    // Makes rows top..bottom x columns left..right one block, shown with the top-left
    // cell's text and attributes. False, with nothing changed, when a cell of the block
    // already belongs to a block.
    bool MergeCells(int top, int bottom, int left, int right);
    // Deletes every stored cell state; column statuses stay.
    bool ClearCellStates();

    // The order of units first..last by `compare` (negative: the first goes first).
    static std::vector<int> SortedUnits(int first, int last,
                                        const std::function<int(int, int)>& compare);
    // Puts unit order[k] at position first + k, one `swap` per position at most.
    static void ApplyOrder(const std::vector<int>& order, int first,
                           const std::function<void(int, int)>& swap);

protected:
    // The background of a cell without a state of its own.
    virtual TColor StandardBackColor(int ARow, int ACol) const;
    // The index range [first, end) of the row's stored states in CellStates.
    std::pair<int, int> RowStateRun(int row);
    // The index range of the stored states of rows lo..hi-1.
    std::pair<int, int> StateRunOfRows(int lo, int hi);
    // Renumbers column c1 as c2 and c2 as c1 in the states and column statuses.
    void SwapColumnStates(int c1, int c2);
};
