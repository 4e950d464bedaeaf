// The cell and column model of the grid family.
#include "grid/gridcore.h"

template <typename State>
GridCore<State>::GridCore(QWidget* parent, int customFonts)
    : StringGrid(parent), mCustomFonts(customFonts) {}

template <typename State>
GridCore<State>::~GridCore() = default;

template <typename State>
State* GridCore<State>::GetCellState(int ARow, int ACol, bool create) {
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
State* GridCore<State>::GetstdCellState(int ARow, int ACol) {
    SetNowStandardSettingCellState(ARow, ACol, &StdCellState);
    return &StdCellState;
}

template <typename State>
void GridCore<State>::SetNowStandardSettingCellState(int ARow, int ACol, State* out) const {
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
ColumnStatusCL* GridCore<State>::GetColumnStatus(int ACol, bool create) {
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
ColumnStatusCL* GridCore<State>::GetstdColumnStatus(int ACol) {
    SetNowStandardSettingColumnStatus(ACol, &StdColumnStatus);
    return &StdColumnStatus;
}

template <typename State>
void GridCore<State>::SetNowStandardSettingColumnStatus(int ACol, ColumnStatusCL* out) const {
    out->Col = ACol;
    out->Type = csText;
}

template <typename State>
bool GridCore<State>::SetColumnType(int ACol, CSTyp type, bool editable) {
    ColumnStatusCL* status = GetColumnStatus(ACol, true);
    status->Type = type;
    status->Editable = editable;
    return true;
}

template <typename State>
bool GridCore<State>::SetCellBackColor(int ARow, int ACol, TColor color) {
    GetCellState(ARow, ACol, true)->BackColor = color;
    return true;
}

template <typename State>
bool GridCore<State>::SetCellFont(int ARow, int ACol, int fontNumber) {
    GetCellState(ARow, ACol, true)->FontNumber = fontNumber;
    return true;
}

template <typename State>
bool GridCore<State>::SetCellStrPos(int ARow, int ACol, StrPosX x, StrPosY y) {
    State* state = GetCellState(ARow, ACol, true);
    state->PosX = x;
    state->PosY = y;
    return true;
}

template <typename State>
bool GridCore<State>::MergeCells(int top, int bottom, int left, int right) {
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
bool GridCore<State>::ClearCellStates() {
    CellStates.Clear();
    return true;
}

template <typename State>
QFont GridCore<State>::GetFontFromNumber(int n) const {
    if (n >= 1 && n <= static_cast<int>(mCustomFonts.size()) && mCustomFonts[n - 1]) {
        return *mCustomFonts[n - 1];
    }
    return GridFont();
}

template <typename State>
const QFont& GridCore<State>::CustomFont(int n) {
    if (n < 1 || n > static_cast<int>(mCustomFonts.size())) {
        return GridFont();
    }
    std::unique_ptr<QFont>& font = mCustomFonts[n - 1];
    if (!font) {
        font = std::make_unique<QFont>(GridFont());
    }
    return *font;
}

template <typename State>
bool GridCore<State>::SetCustomFont(int n, const QFont& font) {
    if (n < 1 || n > static_cast<int>(mCustomFonts.size())) {
        return false;
    }
    CustomFont(n);
    *mCustomFonts[n - 1] = font;
    return true;
}

template <typename State>
bool GridCore<State>::WriteCell(int ARow, int ACol, std::string_view text) {
    SetCells(ACol, ARow, text);
    return true;
}

template <typename State>
bool GridCore<State>::WriteCellWithEvent(int ARow, int ACol, std::string_view text) {
    if (OnSetEditText) {
        OnSetEditText(*this, ACol, ARow, std::string(text));
    }
    return WriteCell(ARow, ACol, text);
}

template <typename State>
TColor GridCore<State>::StandardBackColor(int, int) const {
    return DefaultCellBackColor;
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
