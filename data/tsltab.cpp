// Cells and titles of the titled table; CSV loading and saving are in tsltab_csv.cpp.
#include "data/tsltab.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "data/numbertext.h"
#include "data/tqarray.h"

namespace {

constexpr uint32_t kTitleRow = 0;

uint32_t GridRow(uint32_t row) { return row + 1; }

}  // namespace

void TSLtabCL::Clear() {
    textStore.Reset();
    cellIndex.Clear();
    gridRowsUsed = 0;
    colsUsed = 0;
    titleCache.Clear();
}

bool TSLtabCL::WriteGridCell(uint32_t gridRow, uint32_t col, std::string_view text) {
    textStore.Release(cellIndex.GetValue(gridRow, col - 1));
    int32_t offset = textStore.AppendText(text);
    cellIndex.SetValue(gridRow, col - 1, offset);
    gridRowsUsed = std::max(gridRowsUsed, gridRow + 1);
    if (col > colsUsed) {
        colsUsed = col;
        titleCache.Clear();
    }
    return true;
}

const char* TSLtabCL::ReadGridCell(uint32_t gridRow, uint32_t col) {
    if (col == 0 || !textStore.Read(cellIndex.GetValue(gridRow, col - 1), readBuffer)) {
        return "";
    }
    return readBuffer.data.get();
}

int32_t TSLtabCL::CellOffset(uint32_t row, uint32_t col) const {
    return cellIndex.GetValue(row == 0 ? kTitleRow : GridRow(row), col - 1);
}

std::string_view TSLtabCL::CellText(uint32_t row, uint32_t col) {
    const std::string_view record =
        col == 0 ? std::string_view() : textStore.Peek(CellOffset(row, col), readBuffer);
    return record.substr(0, record.find('\0'));  // as far as a C text reads
}

void TSLtabCL::SetTitle(uint32_t col, std::string_view text) {
    if (col == 0) {
        return;
    }
    titleCache.Clear();
    WriteGridCell(kTitleRow, col, text);
}

const char* TSLtabCL::GetTitle(uint32_t col) { return ReadGridCell(kTitleRow, col); }

uint32_t TSLtabCL::FindTitle(std::string_view title) {
    if (titleCache.Count() == 0) {
        for (uint32_t col = 1; col <= GetColCount(); ++col) {
            auto unit = std::make_unique<TitleCacheUnitCL>();
            unit->Title.SetText(GetTitle(col));
            unit->Column = col;
            titleCache.Add(std::move(unit), 1);
        }
    }
    TitleCacheUnitCL key;
    key.Title = tqString(title.data(), title.size());
    TitleCacheUnitCL* found = titleCache.FindItem(key);
    return found ? found->Column : 0;
}

const char* TSLtabCL::ReadCell(uint32_t row, uint32_t col) {
    return row == 0 ? "" : ReadGridCell(GridRow(row), col);
}

const char* TSLtabCL::ReadCellByTitle(uint32_t row, std::string_view title) {
    uint32_t col = FindTitle(title);
    return col == 0 ? "" : ReadCell(row, col);
}

int32_t TSLtabCL::ReadIntByTitle(uint32_t row, std::string_view title) {
    const char* text = ReadCellByTitle(row, title);
    if (*text == '\0') {
        return NO_VALUE;
    }
    int64_t value = ReadLeadingInteger(text);
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool TSLtabCL::WriteCell(uint32_t row, uint32_t col, std::string_view text) {
    if (row == 0 || col == 0) {
        return false;
    }
    return WriteGridCell(GridRow(row), col, text);
}

bool TSLtabCL::WriteCellByTitle(uint32_t row, std::string_view title, std::string_view text) {
    uint32_t col = FindTitle(title);
    return col != 0 && WriteCell(row, col, text);
}

bool TSLtabCL::WriteIntByTitle(uint32_t row, std::string_view title, int32_t value) {
    char text[16] = "";
    if (value != NO_VALUE) {
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    }
    return WriteCellByTitle(row, title, text);
}

void TSLtabCL::ClearRowsKeepTitles() {
    tqArray<tqString> titles;
    for (uint32_t col = 1; col <= GetColCount(); ++col) {
        titles.Add(GetTitle(col));
    }
    Clear();
    for (int i = 0; i < titles.Count(); ++i) {
        SetTitle(i + 1, titles.Get(i).GetText());
    }
}
