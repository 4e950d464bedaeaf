// Row and column operations of tqGrid. The stored states of the rows an operation touches
// are taken out of the list once, moved as the rows move, and put back, so that inserting
// or deleting rows costs the states once rather than once per row.
#include <QFontMetrics>

#include <algorithm>
#include <climits>

#include "grid/rowstatewindow.h"
#include "grid/tqgrid.h"
#include "platform/qt/qttext.h"

std::pair<int, int> tqGrid::RowStateRun(int row) {
    CellStateCL key;
    key.Row = row;
    key.Col = INT32_MIN;
    int first = 0;
    int last = 0;
    if (CellStates.Count() == 0) {
        return {0, 0};
    }
    CellStates.Find(key, first, last);  // no column is INT32_MIN: `last` is where row starts
    int end = last;
    while (end < CellStates.Count() && CellStates.Get(end)->Row == row) {
        ++end;
    }
    return {last, end};
}

std::pair<int, int> tqGrid::StateRunOfRows(int lo, int hi) {
    const int first = RowStateRun(lo).first;
    return {first, RowStateRun(hi).first};
}

void tqGrid::CopyRowTexts(int src, int dst) {
    for (int col = 0; col < ColCount(); ++col) {
        SetCells(col, dst, Cells(col, src));
        SetObjects(col, dst, Objects(col, src));
    }
}

void tqGrid::ClearRowTexts(int row) {
    for (int col = 0; col < ColCount(); ++col) {
        SetCells(col, row, "");
    }
}

void tqGrid::ClearRow(int row) {
    ClearRowTexts(row);
    const auto [first, end] = RowStateRun(row);
    CellStates.DeleteRange(first, end - first);
}

bool tqGrid::ClearCellRect(const GridRect& rect) {
    for (int row = rect.Top; row <= rect.Bottom; ++row) {
        for (int col = rect.Left; col <= rect.Right; ++col) {
            WriteCellWithEvent(row, col, "");
        }
    }
    return true;
}

bool tqGrid::CopyRow(int src, int dst) {
    if (src == dst) {
        return true;
    }
    CopyRowTexts(src, dst);
    const int lo = std::min(src, dst);
    const int hi = std::max(src, dst) + 1;
    RowStateWindow states(CellStates, StateRunOfRows(lo, hi));
    states.Copy(src, dst);
    return true;
}

bool tqGrid::InsertRow(int at, int count) {
    if (at < 0 || at > RowCount()) {
        return false;
    }
    const int last = std::max(DataRowCount, RowCount());
    SetRowCount(RowCount() + count);
    RowStateWindow states(CellStates, StateRunOfRows(at, last + count));
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
    if (first < 0 || last < 0 || first >= RowCount() || last >= RowCount() || first > last) {
        return false;
    }
    const int n = last - first + 1;
    const int lo = std::min(first, DataRowCount - n);
    const int hi = std::max(DataRowCount, last + 1);
    {
        RowStateWindow states(CellStates, StateRunOfRows(lo, hi));
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

void tqGrid::SwapRowTexts(int r1, int r2) {
    for (int col = 0; col < ColCount(); ++col) {
        const std::string text = Cells(col, r1);
        void* object = Objects(col, r1);
        SetCells(col, r1, Cells(col, r2));
        SetObjects(col, r1, Objects(col, r2));
        SetCells(col, r2, text);
        SetObjects(col, r2, object);
    }
}

bool tqGrid::SwapRow(int r1, int r2) {
    SwapRowTexts(r1, r2);
    const int lo = std::min(r1, r2);
    const int hi = std::max(r1, r2) + 1;
    RowStateWindow states(CellStates, StateRunOfRows(lo, hi));
    states.Swap(r1, r2);
    return true;
}

bool tqGrid::SwapCol(int c1, int c2) {
    for (int row = 0; row < RowCount(); ++row) {
        const std::string text = Cells(c1, row);
        void* object = Objects(c1, row);
        SetCells(c1, row, Cells(c2, row));
        SetObjects(c1, row, Objects(c2, row));
        SetCells(c2, row, text);
        SetObjects(c2, row, object);
    }
    const int width = ColWidths(c1);
    SetColWidths(c1, ColWidths(c2));
    SetColWidths(c2, width);
    auto other = [c1, c2](int32_t& col) { col = col == c1 ? c2 : col == c2 ? c1 : col; };
    for (int i = 0; i < CellStates.Count(); ++i) {
        if (CellStateCL* state = CellStates.Get(i)) {
            other(state->Col);
        }
    }
    for (int i = 0; i < ColumnStatuses.Count(); ++i) {
        if (ColumnStatusCL* status = ColumnStatuses.Get(i)) {
            other(status->Col);
        }
    }
    // Found by bisection: sorted again before the next lookup.
    CellStates.Sort();
    ColumnStatuses.Sort();
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
    int widest = 0;
    for (int row = 0; row < RowCount(); ++row) {
        const CellStateCL* state = GetCellState(row, col, false);
        const QFontMetrics metrics(GetFontFromNumber(state ? state->FontNumber : 0));
        widest = std::max(widest, metrics.horizontalAdvance(qttext::FromCp932(Cells(col, row))));
    }
    SetColWidths(col, widest + 4);
    return true;
}
