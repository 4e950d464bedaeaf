#include "data/tsltabarray2d.h"

#include <algorithm>

bool TSLtabArray2DCL::SetValue(uint32_t row, uint32_t col, int32_t value) {
    Reserve(row, col);
    RowCL& cells = mRows[row];
    cells.width = std::max(cells.width, col + 1);
    mPool[cells.start + col] = value;
    rowsUsed = std::max(rowsUsed, row + 1);
    colsUsed = std::max(colsUsed, col + 1);
    return true;
}

bool TSLtabArray2DCL::Reserve(uint32_t row, uint32_t col) {
    if (row >= mRows.size()) {
        mRows.resize(size_t{row} + 1);
    }
    RowCL& cells = mRows[row];
    if (col >= cells.capacity) {
        Widen(cells, col + 1);
    }
    return true;
}

void TSLtabArray2DCL::Widen(RowCL& row, uint32_t width) {
    if (row.capacity == 0) {
        row.start = mPool.size();
    }
    if (row.start + row.capacity == mPool.size()) {  // the last row: grow where it is
        mPool.resize(row.start + width, 0);
        row.capacity = width;
        return;
    }
    const uint32_t capacity = std::max(width, 2 * row.capacity);
    const uint64_t start = mPool.size();
    mPool.resize(start + capacity, 0);
    std::copy_n(mPool.begin() + static_cast<ptrdiff_t>(row.start), row.width,
                mPool.begin() + static_cast<ptrdiff_t>(start));
    row.start = start;
    row.capacity = capacity;
}

bool TSLtabArray2DCL::Clear() {
    std::deque<RowCL>().swap(mRows);
    std::deque<int32_t>().swap(mPool);
    rowsUsed = 0;
    colsUsed = 0;
    return true;
}

size_t TSLtabArray2DCL::AllocatedBytes() const {
    return mRows.size() * sizeof(RowCL) + mPool.size() * sizeof(int32_t);
}
