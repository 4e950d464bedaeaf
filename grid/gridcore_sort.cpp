// Sorting rows and columns of the grid family: a heap sort of their numbers by the grid's
// comparison, then the order applied by at most one swap per position.
#include "grid/gridcore.h"
#include "grid/rowstatewindow.h"

template <typename State>
void GridCore<State>::SortRows(int first, int last, const std::function<int(int, int)>& compare) {
    const std::vector<int> order = SortedUnits(first, last, compare);
    // As SwapRow for each exchange, with the states of the range moved once.
    RowStateWindow<State> states(CellStates, StateRunOfRows(first, last + 1));
    ApplyOrder(order, first, [&](int i, int j) {
        SwapRowTexts(i, j);
        states.Swap(i, j);
    });
}

template <typename State>
void GridCore<State>::SortColumns(int first, int last, const std::function<int(int, int)>& compare,
                                  const std::function<void(int, int)>& swap) {
    ApplyOrder(SortedUnits(first, last, compare), first, swap);
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
