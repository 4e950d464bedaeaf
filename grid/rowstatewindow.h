// The stored cell states of a window of rows, taken out of a grid's list while the rows are
// copied, cleared and swapped, and put back with their new row numbers at the end. Moving
// many rows then costs the states once instead of once per row.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "grid/cellstate.h"

template <typename State>
class RowStateWindow {
public:
    // Takes out the states at indexes run.first .. run.second - 1 of `states`, which must
    // be every state of the window's rows.
    RowStateWindow(tqList<State>& states, std::pair<int, int> run);
    // Puts the states back with the rows they ended on; the list is sorted again lazily.
    ~RowStateWindow();
    RowStateWindow(const RowStateWindow&) = delete;
    RowStateWindow& operator=(const RowStateWindow&) = delete;

    // Row dst's states become copies of row src's.
    void Copy(int src, int dst);
    void Clear(int row);
    void Swap(int r1, int r2);

private:
    tqList<State>& mStates;
    std::map<int, std::vector<State>> mRows;
};

// Template members: both grids' state records use the window.
template <typename State>
RowStateWindow<State>::RowStateWindow(tqList<State>& states, std::pair<int, int> run)
    : mStates(states) {
    for (int i = run.first; i < run.second; ++i) {
        mRows[states.Get(i)->Row].push_back(*states.Get(i));
    }
    states.DeleteRange(run.first, run.second - run.first);
}

template <typename State>
RowStateWindow<State>::~RowStateWindow() {
    for (auto& [row, states] : mRows) {
        for (State& state : states) {
            state.Row = row;
            mStates.Add(std::make_unique<State>(state));
        }
    }
}

template <typename State>
void RowStateWindow<State>::Copy(int src, int dst) {
    if (auto found = mRows.find(src); found != mRows.end()) {
        mRows[dst] = found->second;
    } else {
        mRows.erase(dst);
    }
}

template <typename State>
void RowStateWindow<State>::Clear(int row) {
    mRows.erase(row);
}

template <typename State>
void RowStateWindow<State>::Swap(int r1, int r2) {
    std::vector<State> first = std::move(mRows[r1]);
    mRows[r1] = std::move(mRows[r2]);
    mRows[r2] = std::move(first);
}
