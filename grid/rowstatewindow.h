// The stored cell states of a window of rows, taken out of a grid's list while the rows are
// copied, cleared and swapped, and put back with their new row numbers at the end. Moving
// many rows then costs the states once instead of once per row.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "grid/tqgrid.h"

// `run` is the index range of the list that holds the states of the window's rows.
class RowStateWindow {
public:
    RowStateWindow(tqList<CellStateCL>& states, std::pair<int, int> run) : mStates(states) {
        for (int i = run.first; i < run.second; ++i) {
            mRows[states.Get(i)->Row].push_back(*states.Get(i));
        }
        states.DeleteRange(run.first, run.second - run.first);
    }
    ~RowStateWindow() {
        for (auto& [row, states] : mRows) {
            for (CellStateCL& state : states) {
                state.Row = row;
                mStates.Add(std::make_unique<CellStateCL>(state));
            }
        }
    }
    RowStateWindow(const RowStateWindow&) = delete;
    RowStateWindow& operator=(const RowStateWindow&) = delete;

    void Copy(int src, int dst) {
        if (auto found = mRows.find(src); found != mRows.end()) {
            mRows[dst] = found->second;
        } else {
            mRows.erase(dst);
        }
    }
    void Clear(int row) { mRows.erase(row); }
    void Swap(int r1, int r2) {
        std::vector<CellStateCL> first = std::move(mRows[r1]);
        mRows[r1] = std::move(mRows[r2]);
        mRows[r2] = std::move(first);
    }

private:
    tqList<CellStateCL>& mStates;
    std::map<int, std::vector<CellStateCL>> mRows;
};
