// Row and column operations of tqGrid that its data rows and column widths decide. The stored
// states of the rows an operation touches are taken out of the list once, moved as the rows move,
// and put back, so that inserting or deleting rows costs the states once rather than once per row.
#include <algorithm>
#include <climits>

#include "grid/rowstatewindow.h"
#include "grid/tqgrid.h"

bool tqGrid::InsertRow(int at, int count) {
    if (at < 0 || at > RowCount()) {
        return false;
    }
    const int last = std::max(DataRowCount, RowCount());
    SetRowCount(RowCount() + count);
    RowStateWindow<CellStateCL> states(CellStates, StateRunOfRows(at, last + count));
    for (int r = last - 1; r >= at; --r) {
        CopyRowTexts(r, r + count);
        states.Copy(r, r + count);
    }
    for (int r = at; r < at + count; ++r) {
        ClearRowTexts(r);
        states.Clear(r);
    }
    return true;
}

bool tqGrid::DeleteRows(int first, int last) {
    // Only data rows can go: past DataRowCount the count would fall below the rows it has.
    if (first < 0 || last < 0 || first >= RowCount() || last >= RowCount() || first > last ||
        last >= DataRowCount) {
        return false;
    }
    const int n = last - first + 1;
    const int lo = std::min(first, DataRowCount - n);
    const int hi = std::max(DataRowCount, last + 1);
    {
        RowStateWindow<CellStateCL> states(CellStates, StateRunOfRows(lo, hi));
        for (int r = last + 1; r <= DataRowCount - 1; ++r) {
            CopyRowTexts(r, r - n);
            states.Copy(r, r - n);
        }
        for (int r = DataRowCount - n; r <= DataRowCount - 1; ++r) {
            ClearRowTexts(r);
            states.Clear(r);
        }
    }
    DataRowCount -= n;
    return true;
}

bool tqGrid::SwapCol(int c1, int c2) {
    for (int row = 0; row < RowCount(); ++row) {
        SwapCellContents(c1, row, c2, row);
    }
    const int width = ColWidths(c1);
    SetColWidths(c1, ColWidths(c2));
    SetColWidths(c2, width);
    SwapColumnStates(c1, c2);
    return true;
}

bool tqGrid::RowMoved(int from, int to) {
    for (int i = 0; i < CellStates.Count(); ++i) {
        CellStateCL* state = CellStates.Get(i);
        if (state != nullptr && state->Row == from) {
            state->Row = to;
        }
    }
    CellStates.Sort();
    return true;
}

bool tqGrid::FixColumnWidth(int col) {
    SetColWidths(col, WidestText(col) + 4);
    return true;
}
