#include "data/tsltabarray2d.h"

#include <algorithm>

namespace {

std::unique_ptr<int32_t[]> NewBlock() {
    return std::make_unique<int32_t[]>(TSLtabArray2DCL::kBlockRows * TSLtabArray2DCL::kBlockCols);
}

// Extends a map to `size` entries, each new entry naming its own index.
void ExtendMap(std::vector<uint32_t>& map, uint32_t size) {
    for (auto i = static_cast<uint32_t>(map.size()); i < size; ++i) {
        map.push_back(i);
    }
}

}  // namespace

bool TSLtabArray2DCL::SetValue(uint32_t row, uint32_t col, int32_t value) {
    Reserve(row, col);
    At(row, col) = value;
    rowsUsed = std::max(rowsUsed, row + 1);
    colsUsed = std::max(colsUsed, col + 1);
    return true;
}

int32_t TSLtabArray2DCL::GetValue(uint32_t row, uint32_t col) const {
    if (row + 1 > rowsUsed || col + 1 > colsUsed) {
        return 0;
    }
    return At(row, col);
}

int32_t& TSLtabArray2DCL::At(uint32_t row, uint32_t col) const {
    uint32_t pr = rowMap[row];
    uint32_t pc = colMap[col];
    int32_t* block = blockTable[(pr / rowsPerBlock) * blockCols + pc / colsPerBlock].get();
    return block[(pr % rowsPerBlock) * colsPerBlock + pc % colsPerBlock];
}

bool TSLtabArray2DCL::Reserve(uint32_t row, uint32_t col) {
    uint32_t needRows = std::max(row / rowsPerBlock + 1, blockRows);
    uint32_t needCols = std::max(col / colsPerBlock + 1, blockCols);
    if (needRows == blockRows && needCols == blockCols) {
        return true;
    }
    if (needCols == blockCols) {
        // Same width: the new rows of blocks simply follow the existing ones.
        while (blockTable.size() < size_t{needRows} * needCols) {
            blockTable.push_back(NewBlock());
        }
    } else {
        std::vector<std::unique_ptr<int32_t[]>> grown(size_t{needRows} * needCols);
        for (uint32_t i = 0; i < needRows; ++i) {
            for (uint32_t j = 0; j < needCols; ++j) {
                std::unique_ptr<int32_t[]>& to = grown[size_t{i} * needCols + j];
                to = i < blockRows && j < blockCols
                         ? std::move(blockTable[size_t{i} * blockCols + j])
                         : NewBlock();
            }
        }
        blockTable = std::move(grown);
    }
    ExtendMap(colMap, needCols * colsPerBlock);
    ExtendMap(rowMap, needRows * rowsPerBlock);
    blockRows = needRows;
    blockCols = needCols;
    return true;
}

bool TSLtabArray2DCL::Clear() {
    std::vector<std::unique_ptr<int32_t[]>>().swap(blockTable);
    std::vector<uint32_t>().swap(colMap);
    std::vector<uint32_t>().swap(rowMap);
    rowsUsed = 0;
    colsUsed = 0;
    blockRows = 0;
    blockCols = 0;
    return true;
}
