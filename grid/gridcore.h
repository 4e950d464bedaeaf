// GridCore: what tqGrid and XtqGrid share on top of their cell model — custom fonts, the
// cell drawing, the editing rules and keys, the row operations that move states with their
// rows, and the clipboard. `State` is the grid's cell state record; the grids differ through the
// protected hooks.
#pragma once

#include <QFont>
#include <QSize>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/gridcellmodel.h"
#include "platform/qt/canvas.h"
#include "platform/qt/stringgrid.h"

// Rows and columns are grid numbers from 0, fixed ones counted; every operation takes the
// row before the column.
template <typename State>
class GridCore : public StringGrid, public GridCellModel<State> {
    using Model = GridCellModel<State>;

public:
    using Model::CellStates, Model::ColumnStatuses, Model::DefaultCellBackColor,
        Model::DefaultCellX, Model::DefaultCellY, Model::GetCellState, Model::GetstdCellState,
        Model::GetColumnStatus, Model::GetstdColumnStatus, Model::SortedUnits, Model::ApplyOrder;

    // A grid with `customFonts` custom fonts (numbers 1 .. customFonts).
    GridCore(QWidget* parent, int customFonts);
    ~GridCore() override;

    // Set by the grid's owner: the clipboard keys and editing allowed, and the colours the
    // cells are drawn with.
    bool EnableCtrlC = false;
    bool EnableCtrlV = false;
    bool CanEdit = false;
    TColor ActiveCellColor = clBlack;
    TColor SelectCellColor = clBlack;
    TColor EditBackColor = clBlack;
    TColor CellBorderColor = clBlack;

    // 0: the grid's font; 1 .. custom fonts: that font if it exists, else the grid's font.
    QFont GetFontFromNumber(int n) const;
    // Custom fonts: created as a copy of the grid's font on first use. Other numbers read
    // the grid's font and are refused for writing.
    const QFont& CustomFont(int n);
    bool SetCustomFont(int n, const QFont& font);

    bool WriteCell(int ARow, int ACol, std::string_view text);
    // Tells OnSetEditText first, then writes.
    bool WriteCellWithEvent(int ARow, int ACol, std::string_view text);
    // Empties every text of the row and deletes the row's cell states; object references
    // stay.
    void ClearRow(int row);

    // Row operations (gridcore_rows.cpp): states and object references go with their rows.
    bool ClearCellRect(const GridRect& rect);
    bool CopyRow(int src, int dst);
    bool SwapRow(int r1, int r2);

    // Clipboard (gridcore_clipboard.cpp): cells as TAB-separated fields, rows as lines.
    bool CopyToClipboard(const GridRect& rect);
    bool CutToClipboard(const GridRect& rect);
    bool PasteFromClipboard(int row, int col);

    // Editing (gridcore_edit.cpp).
    void StartEditorMode(bool clear);
    virtual void EndEditorMode();
    void KeyDown(VirtualKey& key, ShiftState shift) override;
    void KeyPress(char& key) override;
    void DblClick() override;
    bool SelectCell(int ACol, int ARow) override;
    void DoExit() override;
    bool CanEditShow() override;
    void TopLeftChanged() override {}

    // Drawing steps, exposed for their rules.
    static bool CheckRepeatedAreaExsist(const GridRect& a, const GridRect& b);
    static GridRect TwoGridRectOR(const GridRect& a, const GridRect& b);

protected:
    GridInplaceEdit* CreateEditor() override;

    using Model::RowStateRun, Model::StateRunOfRows, Model::SwapColumnStates;

    // Hooks of the two grids, beside the model's StandardBackColor.
    // Whether fixed cells are painted in the fixed-cell colour (over their state's colour).
    virtual bool FixedCellColourRule() const { return true; }
    // How far content of width `content` moves right in `room` pixels for `x`.
    virtual int HorizontalShift(StrPosX x, int room, int content) const;
    // The text the cell (top-left cell of an area) shows.
    virtual std::string DisplayText(int ARow, int ACol) { return Cells(ACol, ARow); }
    // The size of a cell's image (empty without one) and its drawing.
    virtual QSize ImageSize(const State& state) = 0;
    virtual void DrawImage(const State& state, int x, int y) = 0;
    // Draws text over several lines when the grid wraps it; false to draw one line.
    virtual bool DrawWrapped(const PixelRect&, const std::string&, const State&) { return false; }

    // Paints a cell (a merged block whole) with `state` (gridcore_draw.cpp).
    void DrawCellFunc(int ACol, int ARow, const PixelRect& rect, GridDrawState drawState,
                      State& cellState);
    void CopyRowTexts(int src, int dst);
    // Exchanges the texts and object references of two cells.
    void SwapCellContents(int col1, int row1, int col2, int row2);
    void SwapRowTexts(int r1, int r2);
    void ClearRowTexts(int row);
    // The width of the column's widest text, each in its cell's font.
    int WidestText(int col);
    // Sorts rows first..last by `compare`, moving texts and states.
    void SortRows(int first, int last, const std::function<int(int, int)>& compare);
    // Sorts columns first..last by `compare`, moving them with `swap` (each grid's SwapCol).
    void SortColumns(int first, int last, const std::function<int(int, int)>& compare,
                     const std::function<void(int, int)>& swap);

private:
    void SetBackGroundColor(const State& state, const GridRect& area, const PixelRect& rect,
                            GridDrawState drawState);
    void SetCellBorderLine(const GridRect& area, const PixelRect& rect);
    // True for the first cell of `block` painted in the current painting pass.
    bool FirstOfBlockInPass(const GridRect& block);

    std::vector<std::unique_ptr<QFont>> mCustomFonts;
    unsigned mBlocksPass = 0;
    std::vector<std::pair<int, int>> mBlocksPainted;  // (top, left) of blocks this pass
};
