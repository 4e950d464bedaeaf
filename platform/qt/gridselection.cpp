#include "platform/qt/gridselection.h"

#include <algorithm>

GridRect GridRect::Normalized() const {
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right),
            std::max(Top, Bottom)};
}

bool GridRect::Contains(int col, int row) const {
    GridRect n = Normalized();
    return col >= n.Left && col <= n.Right && row >= n.Top && row <= n.Bottom;
}

void GridSelection::MoveTo(int col, int row, bool extend, const GridLimits& limits) {
    // With no scrollable row (or column) left, the current cell stays just past the fixed ones.
    mCol = std::max(limits.FixedCols, std::min(col, limits.Cols - 1));
    mRow = std::max(limits.FixedRows, std::min(row, limits.Rows - 1));
    if (!extend) {
        mAnchorCol = mCol;
        mAnchorRow = mRow;
    }
}

bool GridSelection::Set(const GridRect& selection) {
    if (selection == Raw()) {
        return false;
    }
    mAnchorCol = selection.Left;
    mAnchorRow = selection.Top;
    mCol = selection.Right;
    mRow = selection.Bottom;
    return true;
}
