#include "platform/qt/gridcellstore.h"

#include <numeric>
#include <utility>

void TableCellStore::Resize(int cols, int rows) {
    for (size_t row = rows; row < mRows.size(); ++row) {
        Release(static_cast<int>(row));
    }
    mRows.resize(rows, kEmpty);
    if (cols != mCols) {
        mCols = cols;
        for (uint32_t held : mRows) {
            if (held != kEmpty && held >= kOwn) {
                mOwn[held - kOwn].resize(cols);
            }
        }
    }
}

void TableCellStore::ShowSource(int first, std::shared_ptr<const GridRowSource> source) {
    // Rows before `first` that show the old source keep copies of its cells.
    for (int row = 0; row < first && row < static_cast<int>(mRows.size()); ++row) {
        if (mRows[row] < kOwn) {
            Own(row);
        }
    }
    Resize(mCols, first);
    mSource = std::move(source);
    if (mSource) {
        mRows.resize(first + static_cast<size_t>(mSource->Rows()));
        std::iota(mRows.begin() + first, mRows.end(), 0u);
    }
}

bool TableCellStore::Inside(int col, int row) const {
    return row >= 0 && row < static_cast<int>(mRows.size()) && col >= 0 && col < mCols;
}

TableCellStore::Row& TableCellStore::Own(int row) {
    const uint32_t held = mRows[row];
    if (held != kEmpty && held >= kOwn) {
        return mOwn[held - kOwn];
    }
    uint32_t index;
    if (!mFreeOwn.empty()) {
        index = mFreeOwn.back();
        mFreeOwn.pop_back();
    } else {
        index = static_cast<uint32_t>(mOwn.size());
        mOwn.emplace_back();
    }
    Row& cells = mOwn[index];
    cells.resize(mCols);
    if (held != kEmpty) {
        for (int col = 0; col < mCols; ++col) {
            cells[col].text = mSource->Text(col, static_cast<int>(held));
            cells[col].object = mSource->Object(col, static_cast<int>(held));
        }
    }
    mRows[row] = kOwn + index;
    return cells;
}

void TableCellStore::Release(int row) {
    const uint32_t held = mRows[row];
    if (held != kEmpty && held >= kOwn) {
        Row().swap(mOwn[held - kOwn]);  // frees the cells
        mFreeOwn.push_back(held - kOwn);
    }
    mRows[row] = kEmpty;
}

const char* TableCellStore::Text(int col, int row) const {
    if (!Inside(col, row) || mRows[row] == kEmpty || WithheldRow(row)) {
        return "";
    }
    const uint32_t held = mRows[row];
    return held >= kOwn ? mOwn[held - kOwn][col].text.c_str()
                        : mSource->Text(col, static_cast<int>(held));
}

void TableCellStore::SetText(int col, int row, std::string_view text) {
    if (Inside(col, row) && !(text.empty() && mRows[row] == kEmpty) && !WithheldRow(row)) {
        Own(row)[col].text.assign(text);
    }
}

void* TableCellStore::Object(int col, int row) const {
    if (!Inside(col, row) || mRows[row] == kEmpty || WithheldRow(row)) {
        return nullptr;
    }
    const uint32_t held = mRows[row];
    return held >= kOwn ? mOwn[held - kOwn][col].object
                        : mSource->Object(col, static_cast<int>(held));
}

void TableCellStore::SetObject(int col, int row, void* object) {
    if (Inside(col, row) && !(object == nullptr && mRows[row] == kEmpty) && !WithheldRow(row)) {
        Own(row)[col].object = object;
    }
}
