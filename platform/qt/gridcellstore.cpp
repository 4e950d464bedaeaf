#include "platform/qt/gridcellstore.h"

#include <algorithm>

void TableCellStore::Resize(int cols, int rows) {
    // Only rows that are new need their cells when the columns stay: a grid that grows in
    // steps does not walk all its rows at every step.
    const size_t unchanged = cols == mCols ? std::min(mRows.size(), static_cast<size_t>(rows)) : 0;
    mCols = cols;
    mRows.resize(rows);
    for (size_t row = unchanged; row < mRows.size(); ++row) {
        mRows[row].resize(cols);
    }
}

const TableCellStore::Cell* TableCellStore::At(int col, int row) const {
    if (row < 0 || row >= static_cast<int>(mRows.size()) || col < 0 || col >= mCols) {
        return nullptr;
    }
    return &mRows[row][col];
}

TableCellStore::Cell* TableCellStore::At(int col, int row) {
    return const_cast<Cell*>(static_cast<const TableCellStore*>(this)->At(col, row));
}

const char* TableCellStore::Text(int col, int row) const {
    const Cell* cell = At(col, row);
    return cell ? cell->text.c_str() : "";
}

void TableCellStore::SetText(int col, int row, std::string_view text) {
    if (Cell* cell = At(col, row)) {
        cell->text.assign(text);
    }
}

void* TableCellStore::Object(int col, int row) const {
    const Cell* cell = At(col, row);
    return cell ? cell->object : nullptr;
}

void TableCellStore::SetObject(int col, int row, void* object) {
    if (Cell* cell = At(col, row)) {
        cell->object = object;
    }
}
