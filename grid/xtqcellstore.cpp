#include "grid/xtqcellstore.h"

#include <algorithm>
#include <utility>

void XtqCellStore::UpdateColMap(int col) const {
    while (static_cast<int>(mColMap.size()) <= col) {
        ColMapCL entry;
        entry.Col = static_cast<int32_t>(mColMap.size());
        mColMap.push_back(entry);
    }
}

void XtqCellStore::ExpandRow(int row) const {
    if (static_cast<int>(mRows.size()) <= row) {
        mRows.resize(row + 1);
    }
}

XtqCellStore::Cell* XtqCellStore::At(int col, int row) const {
    if (col < 0 || row < 0) {
        return nullptr;
    }
    ExpandRow(row);
    UpdateColMap(col);
    std::vector<Cell>& cells = mRows[row];
    const int stored = mColMap[col].Col;
    if (static_cast<int>(cells.size()) <= stored) {
        cells.resize(stored + 1);
    }
    return &cells[stored];
}

const char* XtqCellStore::Text(int col, int row) const {
    const Cell* cell = At(col, row);
    return cell ? cell->text.c_str() : "";
}

void XtqCellStore::SetText(int col, int row, std::string_view text) {
    if (Cell* cell = At(col, row)) {
        cell->text.assign(text);
    }
}

void* XtqCellStore::Object(int col, int row) const {
    const Cell* cell = At(col, row);
    return cell ? cell->object : nullptr;
}

void XtqCellStore::SetObject(int col, int row, void* object) {
    if (Cell* cell = At(col, row)) {
        cell->object = object;
    }
}

void XtqCellStore::InsertRows(int at, int count) {
    mRows.insert(mRows.begin() + at, count, std::vector<Cell>());
}

void XtqCellStore::DeleteRows(int first, int last) {
    mRows.erase(mRows.begin() + first, mRows.begin() + last + 1);
}

void XtqCellStore::SwapColumns(int c1, int c2) {
    UpdateColMap(std::max(c1, c2));
    std::swap(mColMap[c1].Col, mColMap[c2].Col);
}
