// A tqGrid set up as the result grid of the main window, and helpers to paint one cell
// onto a recording canvas.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "grid/tqgrid.h"
#include "tests/support/recording_canvas.h"

class GridTest : public testing::Test {
protected:
    void SetUp() override {
        grid.resize(800, 400);
        grid.SetColCount(11);
        grid.SetRowCount(6);
        grid.SetFixedRows(2);
        grid.SetFixedCols(0);
        grid.SetDefaultColWidth(64);
        grid.SetColWidths(0, 45);
        grid.SetDefaultRowHeight(20);
        grid.SetGridLineWidth(0);
        grid.ActiveCellColor = clAqua;
        grid.SelectCellColor = clAqua;
        grid.EditBackColor = clAqua;
        grid.DefaultCellBackColor = clWhite;
        grid.DefaultCellY = spMiddle;
        grid.SetFixedColor(clSilver);
    }

    // The calls that painting cell (col, row) makes.
    std::string Paint(int col, int row, const std::string& prefix = "") {
        canvas.Clear();
        grid.PaintCell(canvas, col, row);
        return prefix.empty() ? canvas.Calls() : canvas.Calls(prefix);
    }

    tqGrid grid;
    RecordingCanvas canvas;
};
