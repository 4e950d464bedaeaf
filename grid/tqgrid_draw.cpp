// The painting of tqGrid: background by precedence, the one-pixel frame, and the text or
// image placed by the cell's position settings. A merged block paints as one cell.
#include <QPainter>

#include <algorithm>

#include "grid/tqgrid.h"

namespace {

// The text sits inside the cell by these many pixels.
constexpr int kInsetLeft = 4;
constexpr int kInsetTop = 2;
constexpr int kInsetRight = 2;
constexpr int kInsetBottom = 2;

int Shift(int room, int content, bool centre, bool far) {
    int free = std::max(room - content, 0);
    return far ? free : centre ? free / 2 : 0;
}

}  // namespace

bool tqGrid::CheckRepeatedAreaExsist(const GridRect& a, const GridRect& b) {
    return a.Contains(b.Left, b.Top) || a.Contains(b.Right, b.Bottom);
}

GridRect tqGrid::TwoGridRectOR(const GridRect& a, const GridRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

void tqGrid::DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state) {
    CellStateCL* cellState = GetCellState(ARow, ACol, false);
    const bool standard = cellState == nullptr;
    if (standard) {
        cellState = GetstdCellState(ARow, ACol);
    }
    if (OnCellState) {
        OnCellState(*this, ARow, ACol, standard, *cellState);
    }
    DrawCellFunc(ACol, ARow, rect, state, *cellState);
}

void tqGrid::DrawCellFunc(int ACol, int ARow, const PixelRect& rect, GridDrawState drawState,
                          CellStateCL& cellState) {
    GridRect area{ACol, ARow, ACol, ARow};
    PixelRect pixels = rect;
    const CellStateCL* paint = &cellState;
    Canvas& canvas = GetCanvas();
    bool clipped = false;
    if (cellState.CellMerge) {
        area = {cellState.cmLeft, cellState.cmTop, cellState.cmRight, cellState.cmBottom};
        if (!FirstOfBlockInPass(area)) {
            return;  // another cell of the block painted it in this pass
        }
        pixels = BlockRect(area);
        // Part of the block scrolled away: it stays out of the fixed cells.
        const PixelRect scroll = ScrollArea(area);
        clipped = pixels.Left < scroll.Left || pixels.Top < scroll.Top;
        if (clipped) {
            canvas.PushClip(scroll);
        }
        paint = GetCellState(cellState.cmTop, cellState.cmLeft, true);
    }
    SetBackGroundColor(*paint, area, pixels, drawState);
    SetCellBorderLine(area, pixels);

    const char* text = Cells(area.Left, area.Top);
    const QFont saved = canvas.Font();
    canvas.SetFont(GetFontFromNumber(paint->FontNumber));
    const PixelRect textRect{pixels.Left + kInsetLeft, pixels.Top + kInsetTop,
                             pixels.Right - kInsetRight, pixels.Bottom - kInsetBottom};
    const bool image = paint->ImgView;
    const int width = image ? (ImageList ? ImageList->Width() : 0) : canvas.TextWidth(text);
    const int height = image ? (ImageList ? ImageList->Height() : 0) : canvas.TextHeight(text);
    // Only spLeft and spCenter keep text off the right edge; every other value aligns right.
    const int x = textRect.Left + Shift(textRect.Width(), width, paint->PosX == spCenter,
                                        paint->PosX != spLeft && paint->PosX != spCenter);
    const int y = textRect.Top + Shift(textRect.Height(), height, paint->PosY == spMiddle,
                                       paint->PosY == spBottom);
    if (image) {
        DrawImage(*paint, x, y);
    } else {
        canvas.TextRect(textRect, x, y, text);
    }
    canvas.SetFont(saved);
    if (clipped) {
        canvas.PopClip();
    }
}

bool tqGrid::FirstOfBlockInPass(const GridRect& block) {
    if (mBlocksPass != PaintPass()) {
        mBlocksPass = PaintPass();
        mBlocksPainted.clear();
    }
    const std::pair<int, int> corner{block.Top, block.Left};
    if (std::find(mBlocksPainted.begin(), mBlocksPainted.end(), corner) != mBlocksPainted.end()) {
        return false;
    }
    mBlocksPainted.push_back(corner);
    return true;
}

void tqGrid::SetBackGroundColor(const CellStateCL& state, const GridRect& area,
                                const PixelRect& rect, GridDrawState drawState) {
    const GridRect selection = Selection();
    bool widen = false;
    TColor color = state.BackColor;
    if (area.Contains(Col(), Row())) {
        color = ActiveCellColor;
        widen = state.CellMerge;
    } else if (CheckRepeatedAreaExsist(selection, area)) {
        color = SelectCellColor;
        widen = state.CellMerge;
    } else if (drawState & gdFixed) {
        color = FixedColor();
    }
    if (widen) {
        // Selecting any cell of a block selects the whole block.
        GridRect u = TwoGridRectOR(selection, area);
        if (u.Right != Col()) {
            std::swap(u.Left, u.Right);
        }
        if (u.Bottom != Row()) {
            std::swap(u.Top, u.Bottom);
        }
        SetSelection(u);
    }
    Canvas& canvas = GetCanvas();
    canvas.SetBrushColor(color);
    canvas.FillRect(rect);
}

void tqGrid::SetCellBorderLine(const GridRect& area, const PixelRect& rect) {
    const int x1 = rect.Left;
    const int y1 = rect.Top;
    // The last row and column keep their frame inside the control; elsewhere the right
    // and bottom lines fall on the next cell, which paints over them.
    const int x2 = area.Right == ColCount() - 1 ? rect.Right - 1 : rect.Right;
    const int y2 = area.Bottom == RowCount() - 1 ? rect.Bottom - 1 : rect.Bottom;
    Canvas& canvas = GetCanvas();
    const CanvasPen saved = canvas.Pen();
    canvas.SetPen({CellBorderColor, 1, true});
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x1, y2);
    canvas.LineTo(x2, y2);
    canvas.LineTo(x2, y1);
    canvas.LineTo(x1, y1);
    canvas.SetPen(saved);
}

void tqGrid::DrawImage(const CellStateCL& state, int x, int y) {
    QImage mask;
    QImage colour;
    if (ImageList == nullptr || !ImageList->GetMask(state.ImgIndex, mask) ||
        !ImageList->GetBitmap(state.ImgIndex, colour)) {
        return;  // no image to show
    }
    Canvas& canvas = GetCanvas();
    canvas.Draw(x, y, mask, roSrcAnd);
    {
        QPainter onMask(&mask);
        onMask.setCompositionMode(QPainter::RasterOp_SourceAndNotDestination);
        onMask.drawImage(0, 0, colour);
    }
    canvas.Draw(x, y, mask, roSrcPaint);
}
