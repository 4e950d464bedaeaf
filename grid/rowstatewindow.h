// The stored cell states of a window of rows, taken out of a grid's list while the rows are
// copied, cleared and swapped, and put back with their new row numbers at the end. Moving
// many rows then costs the states once instead of once per row.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "grid/tqgrid.h"

class RowStateWindow {
public:
    // Takes out the states at indexes run.first .. run.second - 1 of `states`, which must
    // be every state of the window's rows.
    RowStateWindow(tqList<CellStateCL>& states, std::pair<int, int> run);
    // Puts the states back with the rows they ended on; the list is sorted again lazily.
    ~RowStateWindow();
    RowStateWindow(const RowStateWindow&) = delete;
    RowStateWindow& operator=(const RowStateWindow&) = delete;

    // Row dst's states become copies of row src's.
    void Copy(int src, int dst);
    void Clear(int row);
    void Swap(int r1, int r2);

private:
    tqList<CellStateCL>& mStates;
    std::map<int, std::vector<CellStateCL>> mRows;
};
