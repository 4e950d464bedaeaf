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
        row.start = mEnd;
    }
    if (row.start + row.capacity == mEnd) {  // the last row: grow where it is
        MakeRoom(row.start + width);
        row.capacity = width;
        mEnd = row.start + width;
        return;
    }
    const uint32_t capacity = std::max(width, 2 * row.capacity);
    const uint64_t start = mEnd;
    MakeRoom(start + capacity);
    std::copy_n(mPool.begin() + static_cast<ptrdiff_t>(row.start), row.width,
                mPool.begin() + static_cast<ptrdiff_t>(start));
    row.start = start;
    row.capacity = capacity;
    mEnd = start + capacity;
}

void TSLtabArray2DCL::MakeRoom(uint64_t end) {
    if (end > mPool.size()) {
        mPool.resize(std::max<uint64_t>(end, mPool.size() + kRoomStep), 0);
    }
}

bool TSLtabArray2DCL::Clear() {
    std::deque<RowCL>().swap(mRows);
    std::deque<int32_t>().swap(mPool);
    mEnd = 0;
    rowsUsed = 0;
    colsUsed = 0;
    return true;
}

size_t TSLtabArray2DCL::AllocatedBytes() const {
    return mRows.size() * sizeof(RowCL) + mPool.size() * sizeof(int32_t);
}
