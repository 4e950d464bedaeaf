// The main window's result grid: the layout and look a tqGrid takes to show the searches.
#pragma once

#include "grid/tqgrid.h"

// Columns of the result grid, from 0: result, search name, start, end, node count,
// distance, then five route nodes a row.
constexpr int kResultGridColumns = 11;
constexpr int kResultGridHeaderRows = 2;
constexpr int kResultGridFirstRouteColumn = 6;

// Sets `grid` up as the result grid, with its header rows and one empty data row: sizes,
// lines, fonts and colours; copying with Ctrl+C, no editing.
void ConfigureResultGrid(tqGrid& grid);
