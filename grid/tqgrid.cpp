// The cell and column model of tqGrid; its painting is in tqgrid_draw.cpp.
#include "grid/tqgrid.h"

tqGrid::tqGrid(QWidget* parent) : StringGrid(parent) {}

tqGrid::~tqGrid() = default;

CellStateCL* tqGrid::GetCellState(int ARow, int ACol, bool create) {
    CellStateCL key;
    key.Row = ARow;
    key.Col = ACol;
    if (CellStateCL* found = CellStates.FindItem(key)) {
        return found;
    }
    if (!create) {
        return nullptr;
    }
    auto state = std::make_unique<CellStateCL>();
    SetNowStandardSettingCellState(ARow, ACol, state.get());
    CellStateCL* created = state.get();
    CellStates.Add(std::move(state));
    return created;
}

CellStateCL* tqGrid::GetstdCellState(int ARow, int ACol) {
    SetNowStandardSettingCellState(ARow, ACol, &StdCellState);
    return &StdCellState;
}

void tqGrid::SetNowStandardSettingCellState(int ARow, int ACol, CellStateCL* out) const {
    out->Row = ARow;
    out->Col = ACol;
    out->BackColor = DefaultCellBackColor;
    out->FontNumber = 0;
    out->PosX = DefaultCellX;
    out->PosY = DefaultCellY;
    out->CellMerge = false;
    out->cmTop = out->cmBottom = out->cmRight = out->cmLeft = 0;
    out->ImgView = false;
    out->ImgIndex = 0;
}

ColumnStatusCL* tqGrid::GetColumnStatus(int ACol, bool create) {
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

ColumnStatusCL* tqGrid::GetstdColumnStatus(int ACol) {
    SetNowStandardSettingColumnStatus(ACol, &StdColumnStatus);
    return &StdColumnStatus;
}

void tqGrid::SetNowStandardSettingColumnStatus(int ACol, ColumnStatusCL* out) const {
    out->Col = ACol;
    out->Type = csText;
}

bool tqGrid::SetColumnType(int ACol, CSTyp type, bool editable) {
    ColumnStatusCL* status = GetColumnStatus(ACol, true);
    status->Type = type;
    status->Editable = editable;
    return true;
}

bool tqGrid::SetCellBackColor(int ARow, int ACol, TColor color) {
    GetCellState(ARow, ACol, true)->BackColor = color;
    return true;
}

bool tqGrid::SetCellFont(int ARow, int ACol, int fontNumber) {
    GetCellState(ARow, ACol, true)->FontNumber = fontNumber;
    return true;
}

bool tqGrid::SetCellStrPos(int ARow, int ACol, StrPosX x, StrPosY y) {
    CellStateCL* state = GetCellState(ARow, ACol, true);
    state->PosX = x;
    state->PosY = y;
    return true;
}

bool tqGrid::MergeCells(int top, int bottom, int left, int right) {
    for (int col = left; col <= right; ++col) {
        for (int row = top; row <= bottom; ++row) {
            CellStateCL* state = GetCellState(row, col, false);
            if (state != nullptr && state->CellMerge) {
                return false;
            }
        }
    }
    for (int col = left; col <= right; ++col) {
        for (int row = top; row <= bottom; ++row) {
            CellStateCL* state = GetCellState(row, col, true);
            state->CellMerge = true;
            state->cmLeft = left;
            state->cmRight = right;
            state->cmTop = top;
            state->cmBottom = bottom;
        }
    }
    return true;
}

bool tqGrid::ClearCellStates() {
    CellStates.Clear();
    return true;
}

QFont tqGrid::GetFontFromNumber(int n) const {
    if (n >= 1 && n <= 3 && mCustomFonts[n - 1]) {
        return *mCustomFonts[n - 1];
    }
    return GridFont();
}

const QFont& tqGrid::CustomFont(int n) {
    if (n < 1 || n > 3) {
        return GridFont();
    }
    std::unique_ptr<QFont>& font = mCustomFonts[n - 1];
    if (!font) {
        font = std::make_unique<QFont>(GridFont());
    }
    return *font;
}

bool tqGrid::SetCustomFont(int n, const QFont& font) {
    if (n < 1 || n > 3) {
        return false;
    }
    CustomFont(n);
    *mCustomFonts[n - 1] = font;
    return true;
}

bool tqGrid::WriteCell(int ARow, int ACol, std::string_view text) {
    SetCells(ACol, ARow, text);
    return true;
}

bool tqGrid::WriteCellWithEvent(int ARow, int ACol, std::string_view text) {
    if (OnSetEditText) {
        OnSetEditText(*this, ACol, ARow, std::string(text));
    }
    return WriteCell(ARow, ACol, text);
}

bool tqGrid::WriteCellShift(int dataRow, int dataCol, std::string_view text) {
    return WriteCell(dataRow + FixedRows(), dataCol + FixedCols(), text);
}

bool tqGrid::WriteCellShiftWithEvent(int dataRow, int dataCol, std::string_view text) {
    return WriteCellWithEvent(dataRow + FixedRows(), dataCol + FixedCols(), text);
}
