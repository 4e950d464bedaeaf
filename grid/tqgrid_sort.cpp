// Sorting the rows (columns) of tqGrid: a heap sort of their numbers by the owner's
// comparison, rows accepted by the extraction check first, then the order applied to the
// grid by at most one swap per position.
#include <algorithm>

#include "grid/rowstatewindow.h"
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

int Compare(tqGrid& grid, const tqGrid::SortEvent& onSort, int a, int b, bool extractedA,
            bool extractedB) {
    int result = 0;
    if (onSort) {
        onSort(grid, a, b, result);
    }
    if (result == 0) {
        result = a - b;  // equal rows keep their order
    }
    if (extractedA != extractedB) {
        result = extractedA ? -1 : 1;
    }
    return result;
}

}  // namespace

int tqGrid::ListCompare(int Row1, int Row2) {
    return Compare(*this, OnSort, Row1, Row2, ExtractCheck(Row1), ExtractCheck(Row2));
}

int tqGrid::ListCompareCol(int Col1, int Col2) {
    return Compare(*this, OnSortColumn, Col1, Col2, ExtractCheckCol(Col1), ExtractCheckCol(Col2));
}

tqGrid::Units tqGrid::SortedUnits(int first, int last,
                                  const std::function<int(int, int)>& compare) {
    tqList<int> units;
    for (int n = first; n <= last; ++n) {
        units.Add(new int(n));
    }
    units.Sort([&](const int& a, const int& b) { return compare(a, b); });
    Units order;
    for (int i = 0; i < units.Count(); ++i) {
        order.push_back(*units.Get(i));
    }
    return order;
}

namespace {

// Puts unit order[k] at position first + k with `swap`, finding where each unit is now.
void ApplyOrder(const std::vector<int>& order, int first,
                const std::function<void(int, int)>& swap) {
    const int n = static_cast<int>(order.size());
    std::vector<int> at(n);     // at[k]: the unit now at position first + k
    std::vector<int> where(n);  // where[u - first]: the position of unit u
    for (int k = 0; k < n; ++k) {
        at[k] = where[k] = first + k;
    }
    for (int j = 0; j < n; ++j) {
        const int i = where[order[j] - first] - first;
        if (i > j) {
            swap(first + i, first + j);
            std::swap(at[i], at[j]);
            where[at[i] - first] = first + i;
            where[at[j] - first] = first + j;
        }
    }
}

}  // namespace

bool tqGrid::HeapSort(int first, int last) {
    if (last <= first) {
        return true;
    }
    const Units order =
        SortedUnits(first, last, [this](int a, int b) { return ListCompare(a, b); });
    // As SwapRow for each exchange, with the states of the range moved once.
    RowStateWindow states(CellStates, StateRunOfRows(first, last + 1));
    ApplyOrder(order, first, [&](int i, int j) {
        SwapRowTexts(i, j);
        states.Swap(i, j);
    });
    return true;
}

bool tqGrid::HeapSortCol(int first, int last) {
    if (last <= first) {
        return true;
    }
    const Units order =
        SortedUnits(first, last, [this](int a, int b) { return ListCompareCol(a, b); });
    ApplyOrder(order, first, [this](int i, int j) { SwapCol(i, j); });
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
