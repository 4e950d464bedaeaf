#include "grid/rowstatewindow.h"

RowStateWindow::RowStateWindow(tqList<CellStateCL>& states, std::pair<int, int> run)
    : mStates(states) {
    for (int i = run.first; i < run.second; ++i) {
        mRows[states.Get(i)->Row].push_back(*states.Get(i));
    }
    states.DeleteRange(run.first, run.second - run.first);
}

RowStateWindow::~RowStateWindow() {
    for (auto& [row, states] : mRows) {
        for (CellStateCL& state : states) {
            state.Row = row;
            mStates.Add(std::make_unique<CellStateCL>(state));
        }
    }
}

void RowStateWindow::Copy(int src, int dst) {
    if (auto found = mRows.find(src); found != mRows.end()) {
        mRows[dst] = found->second;
    } else {
        mRows.erase(dst);
    }
}

void RowStateWindow::Clear(int row) { mRows.erase(row); }

void RowStateWindow::Swap(int r1, int r2) {
    std::vector<CellStateCL> first = std::move(mRows[r1]);
    mRows[r1] = std::move(mRows[r2]);
    mRows[r2] = std::move(first);
}
