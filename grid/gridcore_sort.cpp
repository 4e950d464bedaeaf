// Sorting rows and columns of the grid family: a heap sort of their numbers by the grid's
// comparison, then the order applied by at most one swap per position.
#include "grid/gridcore.h"
#include "grid/rowstatewindow.h"

template <typename State>
std::vector<int> GridCore<State>::SortedUnits(int first, int last,
                                              const std::function<int(int, int)>& compare) {
    tqList<int> units;
    for (int n = first; n <= last; ++n) {
        units.Add(new int(n));
    }
    units.Sort([&](const int& a, const int& b) { return compare(a, b); });
    std::vector<int> order;
    for (int i = 0; i < units.Count(); ++i) {
        order.push_back(*units.Get(i));
    }
    return order;
}

template <typename State>
void GridCore<State>::ApplyOrder(const std::vector<int>& order, int first,
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

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
