// The current cell and the selection of a string grid, kept among its scrollable cells.
// Pure cell arithmetic, apart from the widget.
#pragma once

// A rectangle of cells in column and row numbers, bounds included. A selection set from
// it may have Left > Right or Top > Bottom: (Left, Top) is the anchor, (Right, Bottom) the
// current cell.
struct GridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    GridRect Normalized() const;
    bool Contains(int col, int row) const;  // of the normalized rectangle
    bool operator==(const GridRect&) const = default;
};

// The cells a current cell may be on: the scrollable ones of a grid of this size.
struct GridLimits {
    int Cols = 1;
    int Rows = 1;
    int FixedCols = 0;
    int FixedRows = 0;
};

class GridSelection {
public:
    int Col() const { return mCol; }
    int Row() const { return mRow; }
    // The selection with the anchor at (Left, Top) and the current cell at (Right, Bottom).
    GridRect Raw() const { return {mAnchorCol, mAnchorRow, mCol, mRow}; }
    GridRect Rect() const { return Raw().Normalized(); }

    // Moves the current cell to (col, row), brought inside `limits`; the anchor follows
    // unless `extend`.
    void MoveTo(int col, int row, bool extend, const GridLimits& limits);
    // Takes the anchor and current cell from `selection`; false when nothing changed.
    bool Set(const GridRect& selection);

private:
    int mCol = 0;
    int mRow = 0;
    int mAnchorCol = 0;
    int mAnchorRow = 0;
};
