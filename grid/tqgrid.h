// tqGrid: the string grid with per-cell display states (colour, font, text position,
// merged blocks, images), per-column input rules, and its own cell painting.
#pragma once

#include <QFont>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "grid/gridcore.h"
#include "platform/qt/canvas.h"
#include "platform/qt/imagelist.h"

// Rows and columns are grid numbers from 0, fixed ones counted; every tqGrid operation
// takes the row before the column. "Data" numbers leave the fixed rows/columns out.
class tqGrid : public GridCore<CellStateCL> {
public:
    using CellStateEvent = std::function<void(tqGrid& sender, int ARow, int ACol, bool Standard,
                                              CellStateCL& CellState)>;
    // The extraction check of a row (column) during a sort: `IsFree` (preset true) answers
    // whether it is accepted.
    using ExtractEvent = std::function<void(tqGrid& sender, int ImgID, bool& IsFree)>;
    // Comparison of two rows (columns) for a sort: negative puts the first one first.
    using SortEvent = std::function<void(tqGrid& sender, int Row1, int Row2, int& iSort)>;

    explicit tqGrid(QWidget* parent = nullptr);
    ~tqGrid() override;

    tqList<int> ExtractList;  // used by sorting; empty otherwise

    // Set by the grid's owner: the data area's size, the images of the cells and the
    // events the grid raises (none set: nothing is called).
    int DataRowCount = 0;
    int DataColCount = 0;
    int ExtractNum = 0;
    int ExtractNumCol = 0;
    const ::ImageList* ImageList = nullptr;  // not owned
    CellStateEvent OnCellState;
    ExtractEvent OnExtract;
    ExtractEvent OnExtractColumn;
    SortEvent OnSort;
    SortEvent OnSortColumn;

    bool WriteCellShift(int dataRow, int dataCol, std::string_view text);
    bool WriteCellShiftWithEvent(int dataRow, int dataCol, std::string_view text);
    int GetDataColFromCol(int col) const { return col - FixedCols(); }
    int GetColFromDataCol(int dataCol) const { return dataCol + FixedCols(); }
    void SetDataRowCount(int count) { DataRowCount = count; }
    void SetDataColCount(int count) { DataColCount = count; }
    // Row and column operations (tqgrid_rows.cpp) on the data rows: cell states and object
    // references go with their rows and columns.
    bool InsertRow(int at, int count);
    bool DeleteRows(int first, int last);
    bool SwapCol(int c1, int c2);  // widths go with the columns
    bool FixColumnWidth(int col);  // the widest text plus 4 pixels
    bool RowMoved(int from, int to);
    // Rows from `first` on show `source`'s rows (none for a null source), read from it
    // whenever they are drawn, copied or sorted, and their cell states go; the row count
    // follows. Writing a cell of such a row gives the row a copy of its cells. What the
    // source reads must stay unchanged while the grid shows it.
    void ShowRows(int first, std::shared_ptr<const GridRowSource> source);
    // Told before what the source reads changes (true) and after (false), as a Qt model is
    // reset: meanwhile the source is never read, its rows read "" and take no writes.
    void WithholdRows(bool withheld);

    // Sorting (tqgrid_sort.cpp): data rows (columns) by OnSort (OnSortColumn), the rows
    // that the extraction check accepts first.
    bool Sort();
    bool SortColumn();
    bool HeapSort(int first, int last);
    bool HeapSortCol(int first, int last);
    int ListCompare(int Row1, int Row2);
    int ListCompareCol(int Col1, int Col2);
    bool ExtractCheck(int row);
    bool ExtractCheckCol(int col);

protected:
    void DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state) override;
    QSize ImageSize(const CellStateCL& state) override;
    void DrawImage(const CellStateCL& state, int x, int y) override;

private:
    bool ExtractCheckBy(const ExtractEvent& check, int number);

    TableCellStore* mTable;  // the grid's cell store
};
