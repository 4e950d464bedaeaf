// XtqGrid: the extended grid of the family. It keeps its cell texts itself behind a column
// map, wraps text in cells whose position is a wrap value, draws bitmaps it loads and
// numbers itself, has a fourth custom font, and hands its owner more hooks: the cell's
// attributes, the text shown, after-draw, start and end of editing, column widths, image
// release.
#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/tqlist.h"
#include "grid/gridcore.h"
#include "grid/xtqcellstore.h"

// A bitmap the grid loaded, with its identifier. Ordered by ImgID.
struct BitmapImgCL {
    std::unique_ptr<QImage> Bitmap;
    int32_t ImgID = 0;
    bool operator>(const BitmapImgCL& other) const { return ImgID > other.ImgID; }
    bool operator==(const BitmapImgCL& other) const { return ImgID == other.ImgID; }
};

// Input-method modes, in their order from 0.
enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};

// Breaks `text` (CP932) into segments: each the longest run of whole characters from its
// start whose width, by `width`, stays below `W` pixels, and one character where even that
// does not fit. No segment is empty; a double-byte character is never split.
void DivideString(std::vector<std::string>& list, const std::string& text, int W,
                  const std::function<int(const std::string&)>& width);

// Rows and columns are grid numbers from 0, fixed ones counted; the operations take the row
// before the column. Truth values of OnCellAttr are 16-bit: -1 true, 0 false.
class XtqGrid : public GridCore<XtqCellStateCL> {
public:
    using CellAttrEvent =
        std::function<void(XtqGrid& sender, int ARow, int ACol, TColor& BackColor, int& FontNumber,
                           StrPosX& PosX, StrPosY& PosY, int16_t& CellMerge, int& cmLeft,
                           int& cmRight, int& cmTop, int& cmBottom, int16_t& ImgView, int& ImgID)>;
    using DispCellStrEvent =
        std::function<void(XtqGrid& sender, int ARow, int ACol, std::string& DispStr)>;
    using AfterDrawCellEvent = std::function<void(XtqGrid& sender, int ACol, int ARow,
                                                  const PixelRect& ARect, GridDrawState AState)>;
    using NotifyEvent = std::function<void(XtqGrid& sender)>;
    using ImageFreeEvent = std::function<void(XtqGrid& sender, int ImgID, bool& IsFree)>;
    using StartEditEvent = std::function<void(XtqGrid& sender, int ARow, int ACol,
                                              std::string& EditStr, TImeMode& imode)>;
    using AfterEditEvent =
        std::function<void(XtqGrid& sender, int ARow, int ACol, std::string& DispStr)>;
    using SortEvent = std::function<void(XtqGrid& sender, int Row1, int Row2, int& iSort)>;
    using SortColumnEvent = std::function<void(XtqGrid& sender, int Col1, int Col2, int& iSort)>;

    explicit XtqGrid(QWidget* parent = nullptr);
    ~XtqGrid() override;

    tqList<BitmapImgCL> Bitmaps;          // found by identifier
    TImeMode EditorImeMode = imDontCare;  // the mode OnStartEdit gave the open editor
    CellAttrEvent OnCellAttr;
    DispCellStrEvent OnDispCellStr;
    AfterDrawCellEvent OnAfterDrawCell;
    NotifyEvent OnColWidthsChanged;
    ImageFreeEvent OnImageFree;
    StartEditEvent OnStartEdit;
    AfterEditEvent OnAfterEdit;
    SortEvent OnSort;
    SortColumnEvent OnSortColumn;

    // The grid control's own input-method mode. This platform can only switch the input
    // method on or off for a control: imDisable turns it off, every other mode leaves it to
    // the user (as for the editor's mode).
    TImeMode ImeMode() const { return mImeMode; }
    void SetImeMode(TImeMode mode);

    // Colours whose change repaints the whole grid.
    void SetActiveCellColor(TColor color);
    void SetSelectCellColor(TColor color);
    void SetDefaultCellBackColor(TColor color);
    void SetCellBorderColor(TColor color);

    // Cell texts of the own store, through the column map.
    std::string GetCells(int ACol, int ARow) const { return Cells(ACol, ARow); }
    std::string ReadCell(int ARow, int ACol) const { return Cells(ACol, ARow); }
    XtqCellStore& Store() { return *mStore; }

    void GridReDraw() { InvalidateGrid(); }
    void CellReDraw(int ACol, int ARow) { InvalidateCell(ACol, ARow); }

    // Loads a bitmap and gives its identifier, taken from one counter of the process (the
    // first is 1). LoadBitmapFile gives 0, taking no identifier, when the file cannot be
    // read as a picture; LoadBitmapFromClipboard when the clipboard holds none.
    int32_t LoadBitmapObject(const QImage& bitmap);
    int32_t LoadBitmapFile(const std::string& path);
    int32_t LoadBitmapFromClipboard();
    // The loaded bitmap with this identifier, or null.
    const QImage* Bitmap(int32_t id);

    // The clipboard with the rectangle as four numbers; the cut clears the selection.
    bool CopyOnClipboard(int left, int right, int top, int bottom);
    bool CutOnClipboard(int left, int right, int top, int bottom);

    // Sorts rows (columns) first..last by OnSort (OnSortColumn), else by number; false when
    // first lies in the fixed rows (columns) or first >= last.
    bool SortRow(int first, int last);
    bool SortColumn(int first, int last);

    // Row and column operations on the own store (states renumbered with their rows).
    bool InsertRow(int at, int count);
    bool DeleteRows(int first, int last);
    bool SwapCol(int c1, int c2);  // through the column map; widths stay
    bool FixColumnWidth(int col);  // the widest text plus 6 pixels
    // Sets a column's width, then tells OnColWidthsChanged.
    void SetColWidths(int col, int width);
    void ColWidthsChanged();

    void KeyDown(VirtualKey& key, ShiftState shift) override;
    bool CanEditShow() override;
    void EndEditorMode() override;

protected:
    void DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state) override;
    TColor StandardBackColor(int ARow, int ACol) const override;
    bool FixedCellColourRule() const override { return false; }
    int HorizontalShift(StrPosX x, int room, int content) const override;
    std::string DisplayText(int ARow, int ACol) override;
    QSize ImageSize(const XtqCellStateCL& state) override;
    void DrawImage(const XtqCellStateCL& state, int x, int y) override;
    bool DrawWrapped(const PixelRect& textRect, const std::string& text,
                     const XtqCellStateCL& state) override;

private:
    TImeMode mImeMode = imDontCare;
    int32_t AddBitmap(const QImage& bitmap);
    void SwapColumnTexts(int c1, int c2);

    XtqCellStore* mStore;  // owned by the string grid
};
