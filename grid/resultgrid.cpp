#include "grid/resultgrid.h"

#include "platform/qt/fonts.h"

void ConfigureResultGrid(tqGrid& grid) {
    grid.SetColCount(kResultGridColumns);
    grid.SetRowCount(kResultGridHeaderRows + 1);
    grid.SetFixedCols(0);
    grid.SetFixedRows(kResultGridHeaderRows);
    grid.SetDefaultColWidth(64);
    grid.SetColWidths(0, 45);
    grid.SetDefaultRowHeight(20);
    grid.SetGridLineWidth(0);
    grid.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
    grid.SetGridFont(GothicFont(12));
    grid.ActiveCellColor = clAqua;
    grid.SelectCellColor = clAqua;
    grid.EditBackColor = clAqua;
    grid.DefaultCellBackColor = clWhite;
    grid.DefaultCellY = spMiddle;
    // Results can be copied into a spreadsheet; they are never edited in place.
    grid.EnableCtrlC = true;
    for (int n = 1; n <= 3; ++n) {
        grid.SetCustomFont(n, GothicFont(12));
    }
}
