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
#include "platform/qt/canvas.h"
#include "platform/qt/imagelist.h"
#include "platform/qt/stringgrid.h"

enum StrPosX : uint8_t {
    spLeft = 0,
    spCenter = 1,
    spRight = 2,
    spLeftWrap = 3,
    spRightWrap = 4,
    spCenterWrap = 5
};
enum StrPosY : uint8_t { spTop = 0, spMiddle = 1, spBottom = 2 };
enum CSTyp : uint8_t { csText = 0, csDigits = 2, csDecimal = 3 };

// The display state of one cell. Ordered by (Row, Col).
struct CellStateCL {
    int32_t Row = 0;
    int32_t Col = 0;
    TColor BackColor = clBlack;
    int32_t FontNumber = 0;  // 0: the grid's font; 1-3: CustomFont1-3
    StrPosX PosX = spLeft;
    StrPosY PosY = spTop;
    bool CellMerge = false;
    int32_t cmLeft = 0;
    int32_t cmRight = 0;
    int32_t cmTop = 0;
    int32_t cmBottom = 0;
    bool ImgView = false;  // draw image ImgIndex of the ImageList instead of the text
    uint8_t ImgIndex = 0;

    bool operator>(const CellStateCL& other) const {
        return Row > other.Row || (Row == other.Row && Col > other.Col);
    }
    bool operator==(const CellStateCL& other) const { return Row == other.Row && Col == other.Col; }
};

// The input rule of one column. Ordered by Col.
struct ColumnStatusCL {
    int32_t Col = 0;
    bool Editable = true;
    CSTyp Type = csText;

    bool operator>(const ColumnStatusCL& other) const { return Col > other.Col; }
    bool operator==(const ColumnStatusCL& other) const { return Col == other.Col; }
};

// The in-place editor of tqGrid, whose background colour the grid sets.
class TInplaceEditEX : public GridInplaceEdit {
public:
    using GridInplaceEdit::GridInplaceEdit;
    void SetBrushColor(TColor color);
};

// Character classes of one CP932 byte.
bool aIsalnum(char c);
bool aIsHifun(char c);  // '-'
bool aIsSlush(char c);  // '/'
bool aIsEdit(char c);   // control characters 0x01-0x1F
bool aIsDigit(char c);
bool aIsAlpha(char c);
bool aIsKanji(char c);  // 0x80-0xFF: part of a double-byte character or half-width kana
// Drops the last byte of `text` (of a double-byte character, only its trail byte).
void DeleteLastChar(std::string& text);

// Rows and columns are grid numbers from 0, fixed ones counted; every tqGrid operation
// takes the row before the column. "Data" numbers leave the fixed rows/columns out.
class tqGrid : public StringGrid {
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

    tqList<CellStateCL> CellStates;         // at most one per cell, found by bisection
    tqList<ColumnStatusCL> ColumnStatuses;  // found by bisection
    tqList<int> ExtractList;                // used by sorting; empty otherwise
    CellStateCL StdCellState;               // refilled for every cell without a state
    ColumnStatusCL StdColumnStatus;

    // Published properties.
    bool EnableCtrlC = false;
    bool EnableCtrlV = false;
    bool CanEdit = false;
    int DataRowCount = 0;
    int DataColCount = 0;
    int ExtractNum = 0;
    int ExtractNumCol = 0;
    TColor ActiveCellColor = clBlack;
    TColor SelectCellColor = clBlack;
    TColor EditBackColor = clBlack;
    TColor DefaultCellBackColor = clBlack;
    TColor CellBorderColor = clBlack;
    StrPosX DefaultCellX = spLeft;
    StrPosY DefaultCellY = spTop;
    const ::ImageList* ImageList = nullptr;  // not owned
    CellStateEvent OnCellState;
    ExtractEvent OnExtract;
    ExtractEvent OnExtractColumn;
    SortEvent OnSort;
    SortEvent OnSortColumn;

    // The stored state of a cell; without one, null, or with `create` a new one with the
    // standard settings. The grid keeps ownership.
    CellStateCL* GetCellState(int ARow, int ACol, bool create);
    // StdCellState refilled for the cell; every call overwrites the same record.
    CellStateCL* GetstdCellState(int ARow, int ACol);
    void SetNowStandardSettingCellState(int ARow, int ACol, CellStateCL* out) const;
    ColumnStatusCL* GetColumnStatus(int ACol, bool create);
    ColumnStatusCL* GetstdColumnStatus(int ACol);
    void SetNowStandardSettingColumnStatus(int ACol, ColumnStatusCL* out) const;
    bool SetColumnType(int ACol, CSTyp type, bool editable);

    // Attribute setters: create the cell's state if needed; no repaint.
    bool SetCellBackColor(int ARow, int ACol, TColor color);
    bool SetCellFont(int ARow, int ACol, int fontNumber);
    bool SetCellStrPos(int ARow, int ACol, StrPosX x, StrPosY y);
    // Makes rows top..bottom x columns left..right one block, shown with the top-left
    // cell's text and attributes. False, with nothing changed, when a cell of the block
    // already belongs to a block.
    bool MergeCells(int top, int bottom, int left, int right);
    // Deletes every stored cell state; column statuses stay.
    bool ClearCellStates();

    // 0: the grid's font; 1-3: that custom font if it exists, else the grid's font.
    QFont GetFontFromNumber(int n) const;
    // Custom fonts 1-3: created as a copy of the grid's font on first use. Other numbers
    // read the grid's font and are refused for writing.
    const QFont& CustomFont(int n);
    bool SetCustomFont(int n, const QFont& font);

    bool WriteCell(int ARow, int ACol, std::string_view text);
    // Tells OnSetEditText first, then writes.
    bool WriteCellWithEvent(int ARow, int ACol, std::string_view text);
    bool WriteCellShift(int dataRow, int dataCol, std::string_view text);
    bool WriteCellShiftWithEvent(int dataRow, int dataCol, std::string_view text);
    int GetDataColFromCol(int col) const { return col - FixedCols(); }
    int GetColFromDataCol(int dataCol) const { return dataCol + FixedCols(); }
    void SetDataRowCount(int count) { DataRowCount = count; }
    void SetDataColCount(int count) { DataColCount = count; }
    // Empties every text of the row and deletes the row's cell states; object references
    // stay.
    void ClearRow(int row);

    // Row and column operations (tqgrid_rows.cpp). Cell states and object references go
    // with their rows and columns.
    bool ClearCellRect(const GridRect& rect);
    bool CopyRow(int src, int dst);
    bool InsertRow(int at, int count);
    bool DeleteRows(int first, int last);
    bool SwapRow(int r1, int r2);
    bool SwapCol(int c1, int c2);
    bool FixColumnWidth(int col);
    bool RowMoved(int from, int to);

    // Clipboard (tqgrid_clipboard.cpp): cells as TAB-separated fields, rows as lines.
    bool CopyToClipboard(const GridRect& rect);
    bool CutToClipboard(const GridRect& rect);
    bool PasteFromClipboard(int row, int col);

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

    // Editing (tqgrid_edit.cpp).
    void StartEditorMode(bool clear);
    void EndEditorMode();
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
    void DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state) override;
    GridInplaceEdit* CreateEditor() override;

private:
    void DrawCellFunc(int ACol, int ARow, const PixelRect& rect, GridDrawState state,
                      CellStateCL& cellState);
    void SetBackGroundColor(const CellStateCL& state, const GridRect& area, const PixelRect& rect,
                            GridDrawState drawState);
    void SetCellBorderLine(const GridRect& area, const PixelRect& rect);
    void DrawImage(const CellStateCL& state, int x, int y);
    // The index range [first, end) of the row's stored states in CellStates.
    std::pair<int, int> RowStateRun(int row);
    // The index range of the stored states of rows lo..hi-1.
    std::pair<int, int> StateRunOfRows(int lo, int hi);
    // Copies the texts and object references of row src into row dst.
    void CopyRowTexts(int src, int dst);
    void SwapRowTexts(int r1, int r2);
    void ClearRowTexts(int row);
    // Orders units first..last by `compare` and applies the order to the rows (columns)
    // with `swap`.
    using Units = std::vector<int>;
    Units SortedUnits(int first, int last, const std::function<int(int, int)>& compare);
    bool ExtractCheckBy(const ExtractEvent& check, int number);

    // True for the first cell of `block` painted in the current painting pass.
    bool FirstOfBlockInPass(const GridRect& block);

    std::unique_ptr<QFont> mCustomFonts[3];
    unsigned mBlocksPass = 0;
    std::vector<std::pair<int, int>> mBlocksPainted;  // (top, left) of blocks this pass
};
