// tqGrid's own parts: the data-row text writes, the owner's OnCellState before each
// drawing, and images from its image list.
#include <QPainter>

#include <climits>
#include <utility>

#include "grid/tqgrid.h"

tqGrid::tqGrid(QWidget* parent) : GridCore<CellStateCL>(parent, 3) {
    auto table = std::make_unique<TableCellStore>();
    mTable = table.get();
    SetCellStore(std::move(table));
}

tqGrid::~tqGrid() = default;

bool tqGrid::WriteCellShift(int dataRow, int dataCol, std::string_view text) {
    return WriteCell(dataRow + FixedRows(), dataCol + FixedCols(), text);
}

bool tqGrid::WriteCellShiftWithEvent(int dataRow, int dataCol, std::string_view text) {
    return WriteCellWithEvent(dataRow + FixedRows(), dataCol + FixedCols(), text);
}

void tqGrid::ShowRows(int first, std::shared_ptr<const GridRowSource> source) {
    const auto [begin, end] = StateRunOfRows(first, INT_MAX);
    CellStates.DeleteRange(begin, end - begin);
    const int rows = first + (source ? source->Rows() : 0);
    mTable->ShowSource(first, std::move(source));
    SetRowCount(rows);
    InvalidateGrid();
}

void tqGrid::WithholdRows(bool withheld) {
    mTable->WithholdSource(withheld);
    InvalidateGrid();
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

QSize tqGrid::ImageSize(const CellStateCL&) {
    return ImageList ? QSize(ImageList->Width(), ImageList->Height()) : QSize(0, 0);
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
