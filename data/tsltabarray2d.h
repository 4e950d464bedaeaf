// TSLtabArray2DCL: a two-dimensional table of 32-bit values that grows on demand, row by
// row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// Rows and columns count from 0. Reads outside the written area give 0 and allocate
// nothing. Each row holds its values side by side, as far as its highest written column,
// in one shared pool: memory follows what is stored, whether the table is long and narrow
// (a map of millions of three-column rows costs about 28 bytes a row) or has one very wide
// row (a title line of a million columns costs 4 bytes a title). A row that must widen
// where it is not the last in the pool moves to the end with room to double, so widening
// any row one column at a time costs amortised constant time.
class TSLtabArray2DCL {
public:
    uint32_t rowsUsed = 0;  // highest row written + 1
    uint32_t colsUsed = 0;  // highest column written + 1

    bool SetValue(uint32_t row, uint32_t col, int32_t value);
    int32_t GetValue(uint32_t row, uint32_t col) const {
        if (row + 1 > rowsUsed || col + 1 > colsUsed || row >= mRows.size()) {
            return 0;
        }
        const RowCL& cells = mRows[row];
        return col < cells.width ? mPool[cells.start + col] : 0;
    }
    // Makes (row, col) addressable without writing it.
    bool Reserve(uint32_t row, uint32_t col);
    // Frees everything.
    bool Clear();
    // Bytes held for the rows and their values, for checking what the table costs.
    size_t AllocatedBytes() const;

private:
    struct RowCL {
        uint64_t start = 0;     // first value in the pool
        uint32_t width = 0;     // values in use: the highest column written + 1
        uint32_t capacity = 0;  // values the row owns in the pool
    };

    // Values in the pool past mEnd are room made ahead, still 0: the pool grows by
    // kRoomStep values or more at a time, not by each column written.
    static constexpr uint64_t kRoomStep = 4096;

    void Widen(RowCL& row, uint32_t width);
    // Makes the pool at least `end` values long.
    void MakeRoom(uint64_t end);

    std::deque<RowCL> mRows;  // deques grow without copying what they hold
    std::deque<int32_t> mPool;
    uint64_t mEnd = 0;  // the values the rows own
};
