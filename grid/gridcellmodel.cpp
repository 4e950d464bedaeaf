// The cell and column model of the grid family.
#include "grid/gridcellmodel.h"

#include <climits>
#include <memory>

template <typename State>
State* GridCellModel<State>::GetCellState(int ARow, int ACol, bool create) {
    State key;
    key.Row = ARow;
    key.Col = ACol;
    if (State* found = CellStates.FindItem(key)) {
        return found;
    }
    if (!create) {
        return nullptr;
    }
    auto state = std::make_unique<State>();
    SetNowStandardSettingCellState(ARow, ACol, state.get());
    State* created = state.get();
    CellStates.Add(std::move(state));
    return created;
}

template <typename State>
State* GridCellModel<State>::GetstdCellState(int ARow, int ACol) {
    SetNowStandardSettingCellState(ARow, ACol, &StdCellState);
    return &StdCellState;
}

template <typename State>
void GridCellModel<State>::SetNowStandardSettingCellState(int ARow, int ACol, State* out) const {
    out->Row = ARow;
    out->Col = ACol;
    out->BackColor = StandardBackColor(ARow, ACol);
    out->FontNumber = 0;
    out->PosX = DefaultCellX;
    out->PosY = DefaultCellY;
    out->CellMerge = false;
    out->cmTop = out->cmBottom = out->cmRight = out->cmLeft = 0;
    out->ImgView = false;
    out->ClearImage();
}

template <typename State>
ColumnStatusCL* GridCellModel<State>::GetColumnStatus(int ACol, bool create) {
    ColumnStatusCL key;
    key.Col = ACol;
    if (ColumnStatusCL* found = ColumnStatuses.FindItem(key)) {
        return found;
    }
    if (!create) {
        return nullptr;
    }
    auto status = std::make_unique<ColumnStatusCL>();
    SetNowStandardSettingColumnStatus(ACol, status.get());
    ColumnStatusCL* created = status.get();
    ColumnStatuses.Add(std::move(status));
    return created;
}

template <typename State>
ColumnStatusCL* GridCellModel<State>::GetstdColumnStatus(int ACol) {
    SetNowStandardSettingColumnStatus(ACol, &StdColumnStatus);
    return &StdColumnStatus;
}

template <typename State>
void GridCellModel<State>::SetNowStandardSettingColumnStatus(int ACol, ColumnStatusCL* out) const {
    out->Col = ACol;
    out->Type = csText;
}

template <typename State>
bool GridCellModel<State>::SetColumnType(int ACol, CSTyp type, bool editable) {
    ColumnStatusCL* status = GetColumnStatus(ACol, true);
    status->Type = type;
    status->Editable = editable;
    return true;
}

template <typename State>
bool GridCellModel<State>::SetCellBackColor(int ARow, int ACol, TColor color) {
    GetCellState(ARow, ACol, true)->BackColor = color;
    return true;
}

template <typename State>
bool GridCellModel<State>::SetCellFont(int ARow, int ACol, int fontNumber) {
    GetCellState(ARow, ACol, true)->FontNumber = fontNumber;
    return true;
}

template <typename State>
bool GridCellModel<State>::SetCellStrPos(int ARow, int ACol, StrPosX x, StrPosY y) {
    State* state = GetCellState(ARow, ACol, true);
    state->PosX = x;
    state->PosY = y;
    return true;
}

template <typename State>
bool GridCellModel<State>::MergeCells(int top, int bottom, int left, int right) {
    for (int col = left; col <= right; ++col) {
        for (int row = top; row <= bottom; ++row) {
            State* state = GetCellState(row, col, false);
            if (state != nullptr && state->CellMerge) {
                return false;
            }
        }
    }
    for (int col = left; col <= right; ++col) {
        for (int row = top; row <= bottom; ++row) {
            State* state = GetCellState(row, col, true);
            state->CellMerge = true;
            state->cmLeft = left;
            state->cmRight = right;
            state->cmTop = top;
            state->cmBottom = bottom;
        }
    }
    return true;
}

template <typename State>
bool GridCellModel<State>::ClearCellStates() {
    CellStates.Clear();
    return true;
}

template <typename State>
TColor GridCellModel<State>::StandardBackColor(int, int) const {
    return DefaultCellBackColor;
}

template <typename State>
std::pair<int, int> GridCellModel<State>::RowStateRun(int row) {
    State key;
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

template <typename State>
std::pair<int, int> GridCellModel<State>::StateRunOfRows(int lo, int hi) {
    const int first = RowStateRun(lo).first;
    return {first, RowStateRun(hi).first};
}

template <typename State>
void GridCellModel<State>::SwapColumnStates(int c1, int c2) {
    auto other = [c1, c2](int32_t& col) { col = col == c1 ? c2 : col == c2 ? c1 : col; };
    for (int i = 0; i < CellStates.Count(); ++i) {
        if (State* state = CellStates.Get(i)) {
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
}

template <typename State>
std::vector<int> GridCellModel<State>::SortedUnits(int first, int last,
                                                   const std::function<int(int, int)>& compare) {
    tqList<int> units;
    for (int n = first; n <= last; ++n) {
        units.Add(new int(n));
    }
    units.Sort([&](const int& a, const int& b) { return compare(a, b); });
    std::vector<int> order;
    for (int i = 0; i < units.Count(); ++i) {
        order.push_back(*units.Get(i));
    }
    return order;
}

template <typename State>
void GridCellModel<State>::ApplyOrder(const std::vector<int>& order, int first,
                                      const std::function<void(int, int)>& swap) {
    const int n = static_cast<int>(order.size());
    std::vector<int> at(n);     // at[k]: the unit now at position first + k
    std::vector<int> where(n);  // where[u - first]: the position of unit u
    for (int k = 0; k < n; ++k) {
        at[k] = where[k] = first + k;
    }
    for (int j = 0; j < n; ++j) {
        const int i = where[order[j] - first] - first;
        if (i > j) {
            swap(first + i, first + j);
            std::swap(at[i], at[j]);
            where[at[i] - first] = first + i;
            where[at[j] - first] = first + j;
        }
    }
}

template class GridCellModel<CellStateCL>;
template class GridCellModel<XtqCellStateCL>;
