// A tqGrid set up as the result grid of the main window, and helpers to paint one cell
// onto a recording canvas.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "grid/resultgrid.h"
#include "tests/support/recording_canvas.h"

class GridTest : public testing::Test {
protected:
    void SetUp() override {
        ConfigureResultGrid(grid);
        grid.resize(800, 400);
        grid.SetRowCount(6);
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
