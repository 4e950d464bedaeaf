// TSLtabArray2DCL: a two-dimensional table of 32-bit values that grows on demand in
// blocks of one column by 1024 rows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Rows and columns count from 0. Reads outside the written area give 0 and allocate
// nothing. Growth adds whole rows and columns of blocks; existing blocks never move. A
// block is one column wide, so the memory follows the columns in use: a three-column map
// of millions of rows costs 12 bytes a row, not the 400 of square 100 x 100 blocks.
class TSLtabArray2DCL {
public:
    static constexpr uint32_t kBlockRows = 1024;
    static constexpr uint32_t kBlockCols = 1;

    uint32_t rowsUsed = 0;                               // highest row written + 1
    uint32_t colsUsed = 0;                               // highest column written + 1
    std::vector<std::unique_ptr<int32_t[]>> blockTable;  // blockRows x blockCols, row-major
    uint32_t blockRows = 0;
    uint32_t blockCols = 0;
    uint32_t rowsPerBlock = kBlockRows;
    uint32_t colsPerBlock = kBlockCols;
    std::vector<uint32_t> colMap;  // physical column of each column
    std::vector<uint32_t> rowMap;  // physical row of each row

    bool SetValue(uint32_t row, uint32_t col, int32_t value);
    int32_t GetValue(uint32_t row, uint32_t col) const;
    // Makes (row, col) addressable, adding rows and columns of blocks as needed.
    bool Reserve(uint32_t row, uint32_t col);
    // Frees every block and map; the block size stays.
    bool Clear();

private:
    int32_t& At(uint32_t row, uint32_t col) const;
};
