// Sorting the data rows (columns) of tqGrid by the owner's comparison, the rows accepted
// by the extraction check first.
#include <algorithm>
#include <functional>

#include "grid/tqgrid.h"

bool tqGrid::ExtractCheckBy(const ExtractEvent& check, int number) {
    bool accepted = true;
    if (check) {
        check(*this, number, accepted);
    }
    int first = 0;
    int last = 0;
    if (accepted && !ExtractList.Find(number, first, last)) {
        ExtractList.AddSorted(new int(number));
    }
    return accepted;
}

bool tqGrid::ExtractCheck(int row) { return ExtractCheckBy(OnExtract, row); }

bool tqGrid::ExtractCheckCol(int col) { return ExtractCheckBy(OnExtractColumn, col); }

namespace {

// The owner's comparison first, then the extraction check of each unit in turn.
int Compare(tqGrid& grid, const tqGrid::SortEvent& onSort,
            const std::function<bool(int)>& extractCheck, int a, int b) {
    int result = 0;
    if (onSort) {
        onSort(grid, a, b, result);
    }
    if (result == 0) {
        result = a - b;  // equal rows keep their order
    }
    const bool extractedA = extractCheck(a);
    const bool extractedB = extractCheck(b);
    if (extractedA != extractedB) {
        result = extractedA ? -1 : 1;
    }
    return result;
}

}  // namespace

int tqGrid::ListCompare(int Row1, int Row2) {
    return Compare(
        *this, OnSort, [this](int row) { return ExtractCheck(row); }, Row1, Row2);
}

int tqGrid::ListCompareCol(int Col1, int Col2) {
    return Compare(
        *this, OnSortColumn, [this](int col) { return ExtractCheckCol(col); }, Col1, Col2);
}

bool tqGrid::HeapSort(int first, int last) {
    if (last <= first) {
        return true;
    }
    SortRows(first, last, [this](int a, int b) { return ListCompare(a, b); });
    return true;
}

bool tqGrid::HeapSortCol(int first, int last) {
    if (last <= first) {
        return true;
    }
    SortColumns(
        first, last, [this](int a, int b) { return ListCompareCol(a, b); },
        [this](int i, int j) { SwapCol(i, j); });
    return true;
}

bool tqGrid::Sort() {
    ExtractList.Clear();
    HeapSort(FixedRows(), DataRowCount - 1);
    ExtractNum = ExtractList.Count();
    ExtractList.Clear();
    return true;
}

bool tqGrid::SortColumn() {
    ExtractList.Clear();
    HeapSortCol(FixedCols(), DataColCount - 1);
    ExtractNumCol = ExtractList.Count();
    ExtractList.Clear();
    return true;
}
