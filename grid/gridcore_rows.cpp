// Row operations of the grid family. The stored states of the rows an operation touches
// are taken out of the list once, moved as the rows move, and put back, so that inserting
// or deleting rows costs the states once rather than once per row.
#include <QFontMetrics>

#include <algorithm>
#include <climits>

#include "grid/gridcore.h"
#include "grid/rowstatewindow.h"
#include "platform/qt/qttext.h"

template <typename State>
void GridCore<State>::CopyRowTexts(int src, int dst) {
    for (int col = 0; col < ColCount(); ++col) {
        SetCells(col, dst, Cells(col, src));
        SetObjects(col, dst, Objects(col, src));
    }
}

template <typename State>
void GridCore<State>::ClearRowTexts(int row) {
    for (int col = 0; col < ColCount(); ++col) {
        SetCells(col, row, "");
    }
}

template <typename State>
void GridCore<State>::ClearRow(int row) {
    ClearRowTexts(row);
    const auto [first, end] = RowStateRun(row);
    CellStates.DeleteRange(first, end - first);
}

template <typename State>
bool GridCore<State>::ClearCellRect(const GridRect& rect) {
    for (int row = rect.Top; row <= rect.Bottom; ++row) {
        for (int col = rect.Left; col <= rect.Right; ++col) {
            WriteCellWithEvent(row, col, "");
        }
    }
    return true;
}

template <typename State>
bool GridCore<State>::CopyRow(int src, int dst) {
    if (src == dst) {
        return true;
    }
    CopyRowTexts(src, dst);
    const int lo = std::min(src, dst);
    const int hi = std::max(src, dst) + 1;
    RowStateWindow<State> states(CellStates, StateRunOfRows(lo, hi));
    states.Copy(src, dst);
    return true;
}

template <typename State>
void GridCore<State>::SwapCellContents(int col1, int row1, int col2, int row2) {
    const std::string text = Cells(col1, row1);
    void* object = Objects(col1, row1);
    SetCells(col1, row1, Cells(col2, row2));
    SetObjects(col1, row1, Objects(col2, row2));
    SetCells(col2, row2, text);
    SetObjects(col2, row2, object);
}

template <typename State>
void GridCore<State>::SwapRowTexts(int r1, int r2) {
    for (int col = 0; col < ColCount(); ++col) {
        SwapCellContents(col, r1, col, r2);
    }
}

template <typename State>
bool GridCore<State>::SwapRow(int r1, int r2) {
    SwapRowTexts(r1, r2);
    const int lo = std::min(r1, r2);
    const int hi = std::max(r1, r2) + 1;
    RowStateWindow<State> states(CellStates, StateRunOfRows(lo, hi));
    states.Swap(r1, r2);
    return true;
}

template <typename State>
int GridCore<State>::WidestText(int col) {
    int widest = 0;
    for (int row = 0; row < RowCount(); ++row) {
        const State* state = GetCellState(row, col, false);
        const QFontMetrics metrics(GetFontFromNumber(state ? state->FontNumber : 0));
        widest = std::max(widest, metrics.horizontalAdvance(qttext::FromCp932(Cells(col, row))));
    }
    return widest;
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
