// XtqGrid's drawing: the owner's hooks around each cell, bitmaps drawn as they are, and text
// wrapped over several lines in cells whose position is a wrap value.
#include <algorithm>

#include "data/cp932text.h"
#include "grid/xtqgrid.h"

namespace {

bool IsWrap(StrPosX x) { return x == spLeftWrap || x == spRightWrap || x == spCenterWrap; }

}  // namespace

void DivideString(std::vector<std::string>& list, const std::string& text, int W,
                  const std::function<int(const std::string&)>& width) {
    list.clear();
    // The end of the whole character that begins at `i`.
    auto characterEnd = [&text](size_t i) {
        return i + (IsCp932LeadByte(text[i]) && i + 1 < text.size() ? 2 : 1);
    };
    for (size_t start = 0; start < text.size();) {
        size_t end = characterEnd(start);  // one character even when it does not fit
        while (end < text.size() && width(text.substr(start, characterEnd(end) - start)) < W) {
            end = characterEnd(end);
        }
        list.push_back(text.substr(start, end - start));
        start = end;
    }
}

void XtqGrid::DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state) {
    XtqCellStateCL* cell = GetCellState(ARow, ACol, false);
    if (cell == nullptr) {
        cell = GetstdCellState(ARow, ACol);
    }
    if (OnCellAttr) {
        int16_t merge = cell->CellMerge ? -1 : 0;
        int16_t view = cell->ImgView ? -1 : 0;
        OnCellAttr(*this, ARow, ACol, cell->BackColor, cell->FontNumber, cell->PosX, cell->PosY,
                   merge, cell->cmLeft, cell->cmRight, cell->cmTop, cell->cmBottom, view,
                   cell->ImgID);
        cell->CellMerge = merge == -1;
        cell->ImgView = view == -1;
    }
    const bool image = cell->ImgView;
    const int32_t id = cell->ImgID;
    DrawCellFunc(ACol, ARow, rect, state, *cell);
    if (OnAfterDrawCell) {
        OnAfterDrawCell(*this, ACol, ARow, rect, state);
    }
    if (image && OnImageFree) {
        bool isFree = false;
        OnImageFree(*this, id, isFree);
        BitmapImgCL key;
        key.ImgID = id;
        int first = 0;
        int last = 0;
        if (isFree && Bitmaps.Find(key, first, last)) {
            Bitmaps.Delete(first, 1);
        }
    }
}

std::string XtqGrid::DisplayText(int ARow, int ACol) {
    std::string text = Cells(ACol, ARow);
    if (OnDispCellStr) {
        OnDispCellStr(*this, ARow, ACol, text);
    }
    return text;
}

int XtqGrid::HorizontalShift(StrPosX x, int room, int content) const {
    const int free = std::max(room - content, 0);
    if (x == spCenter || x == spCenterWrap) {
        return free / 2;
    }
    return x == spRight || x == spRightWrap ? free : 0;
}

QSize XtqGrid::ImageSize(const XtqCellStateCL& state) {
    const QImage* bitmap = Bitmap(state.ImgID);
    return bitmap ? bitmap->size() : QSize(0, 0);
}

void XtqGrid::DrawImage(const XtqCellStateCL& state, int x, int y) {
    if (const QImage* bitmap = Bitmap(state.ImgID)) {
        GetCanvas().Draw(x, y, *bitmap, roSrcCopy);
    }
}

bool XtqGrid::DrawWrapped(const PixelRect& textRect, const std::string& text,
                          const XtqCellStateCL& state) {
    Canvas& canvas = GetCanvas();
    const int W = textRect.Width();
    if (!IsWrap(state.PosX) ||
        (canvas.TextWidth(text.c_str()) <= W && text.find('\n') == std::string::npos)) {
        return false;
    }
    auto width = [&](const std::string& segment) { return canvas.TextWidth(segment.c_str()); };
    std::vector<std::string> segments;
    std::vector<std::string> divided;
    if (text.find('\n') != std::string::npos) {
        for (const std::string& line : SplitLines(text, FinalLineEnd::kAnotherEmptyLine)) {
            DivideString(divided, line, W, width);
            segments.insert(segments.end(), divided.begin(), divided.end());
        }
    } else {
        DivideString(segments, text, W, width);
    }
    const int h = std::max(canvas.TextHeight(text.c_str()), 1);
    const int H = textRect.Height();
    const int n = std::min(static_cast<int>(segments.size()), H / h);
    const int block = n * h;
    const int top = state.PosY == spBottom   ? H - block
                    : state.PosY == spMiddle ? (H - block) / 2
                                             : 0;
    for (int j = 0; j < n; ++j) {
        const int segmentWidth = width(segments[j]);
        const int shift = state.PosX == spLeftWrap     ? 0
                          : state.PosX == spCenterWrap ? (W - segmentWidth) / 2
                                                       : W - segmentWidth;
        const int y = textRect.Top + top + j * h;
        canvas.TextRect({textRect.Left, y, textRect.Right, y + h}, textRect.Left + shift, y,
                        segments[j].c_str());
    }
    return true;
}
