// The painting of the grid family: background by precedence, the one-pixel frame, and the
// text or image placed by the cell's position settings. A merged block paints as one cell.
#include <QPainter>

#include <algorithm>

#include "grid/gridcore.h"

namespace {

// The text sits inside the cell by these many pixels.
constexpr int kInsetLeft = 4;
constexpr int kInsetTop = 2;
constexpr int kInsetRight = 2;
constexpr int kInsetBottom = 2;

int VerticalShift(StrPosY y, int room, int content) {
    const int free = std::max(room - content, 0);
    return y == spBottom ? free : y == spMiddle ? free / 2 : 0;
}

}  // namespace

template <typename State>
bool GridCore<State>::CheckRepeatedAreaExsist(const GridRect& a, const GridRect& b) {
    return a.Contains(b.Left, b.Top) || a.Contains(b.Right, b.Bottom);
}

template <typename State>
GridRect GridCore<State>::TwoGridRectOR(const GridRect& a, const GridRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

template <typename State>
void GridCore<State>::DrawCellFunc(int ACol, int ARow, const PixelRect& rect,
                                   GridDrawState drawState, State& cellState) {
    GridRect area{ACol, ARow, ACol, ARow};
    PixelRect pixels = rect;
    const State* paint = &cellState;
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

    const std::string text = DisplayText(area.Top, area.Left);
    const QFont saved = canvas.Font();
    canvas.SetFont(GetFontFromNumber(paint->FontNumber));
    const PixelRect textRect{pixels.Left + kInsetLeft, pixels.Top + kInsetTop,
                             pixels.Right - kInsetRight, pixels.Bottom - kInsetBottom};
    if (paint->ImgView) {
        const QSize size = ImageSize(*paint);
        DrawImage(*paint,
                  textRect.Left + HorizontalShift(paint->PosX, textRect.Width(), size.width()),
                  textRect.Top + VerticalShift(paint->PosY, textRect.Height(), size.height()));
    } else if (!DrawWrapped(textRect, text, *paint)) {
        const int x = textRect.Left + HorizontalShift(paint->PosX, textRect.Width(),
                                                      canvas.TextWidth(text.c_str()));
        const int y = textRect.Top + VerticalShift(paint->PosY, textRect.Height(),
                                                   canvas.TextHeight(text.c_str()));
        canvas.TextRect(textRect, x, y, text.c_str());
    }
    canvas.SetFont(saved);
    if (clipped) {
        canvas.PopClip();
    }
}

template <typename State>
bool GridCore<State>::FirstOfBlockInPass(const GridRect& block) {
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

template <typename State>
void GridCore<State>::SetBackGroundColor(const State& state, const GridRect& area,
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
    } else if ((drawState & gdFixed) && FixedCellColourRule()) {
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

template <typename State>
void GridCore<State>::SetCellBorderLine(const GridRect& area, const PixelRect& rect) {
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

template <typename State>
int GridCore<State>::HorizontalShift(StrPosX x, int room, int content) const {
    // Only spLeft and spCenter keep text off the right edge; every other value aligns right.
    const int free = std::max(room - content, 0);
    return x == spLeft ? 0 : x == spCenter ? free / 2 : free;
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
