#include "platform/qt/stringgrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "platform/qt/paintercanvas.h"
#include "platform/qt/qttext.h"

GridRect GridRect::Normalized() const {
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right),
            std::max(Top, Bottom)};
}

bool GridRect::Contains(int col, int row) const {
    GridRect n = Normalized();
    return col >= n.Left && col <= n.Right && row >= n.Top && row <= n.Bottom;
}

StringGrid::StringGrid(QWidget* parent) : QAbstractScrollArea(parent), mFont(font()) {
    mCols.SetDefaultSize(64);
    mRows.SetDefaultSize(24);
    SetColCount(5);
    SetRowCount(5);
    SetFixedCols(1);
    SetFixedRows(1);
    SetCurrentCell(1, 1);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

StringGrid::~StringGrid() = default;

StringGrid::Cell* StringGrid::At(int col, int row) {
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount()) {
        return nullptr;
    }
    return &mCells[row][col];
}

const StringGrid::Cell* StringGrid::At(int col, int row) const {
    return const_cast<StringGrid*>(this)->At(col, row);
}

const char* StringGrid::Cells(int col, int row) const {
    const Cell* cell = At(col, row);
    return cell ? cell->text.c_str() : "";
}

void StringGrid::SetCells(int col, int row, std::string_view text) {
    if (Cell* cell = At(col, row)) {
        cell->text.assign(text);
        InvalidateCell(col, row);
    }
}

void* StringGrid::Objects(int col, int row) const {
    const Cell* cell = At(col, row);
    return cell ? cell->object : nullptr;
}

void StringGrid::SetObjects(int col, int row, void* object) {
    if (Cell* cell = At(col, row)) {
        cell->object = object;
    }
}

void StringGrid::SetRowCount(int count) {
    mRows.SetCount(std::max(count, 1));  // may leave only fixed rows
    mCells.resize(mRows.Count(), std::vector<Cell>(mCols.Count()));
    MoveTo(std::min(mCurrentCol, ColCount() - 1), std::min(mCurrentRow, RowCount() - 1), false);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetColCount(int count) {
    mCols.SetCount(std::max(count, 1));
    for (std::vector<Cell>& row : mCells) {
        row.resize(mCols.Count());
    }
    MoveTo(std::min(mCurrentCol, ColCount() - 1), std::min(mCurrentRow, RowCount() - 1), false);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetFixedRows(int count) {
    mRows.SetFixed(std::min(count, RowCount()));
    MoveTo(std::max(mCurrentCol, FixedCols()), std::max(mCurrentRow, FixedRows()), false);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetFixedCols(int count) {
    mCols.SetFixed(std::min(count, ColCount()));
    MoveTo(std::max(mCurrentCol, FixedCols()), std::max(mCurrentRow, FixedRows()), false);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetColWidths(int col, int width) {
    mCols.SetSize(col, width);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetDefaultColWidth(int width) {
    mCols.SetDefaultSize(width);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetDefaultRowHeight(int height) {
    mRows.SetDefaultSize(height);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetGridLineWidth(int width) {
    mCols.SetLineWidth(width);
    mRows.SetLineWidth(width);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetCurrentCell(int col, int row) { MoveTo(col, row, false); }

GridRect StringGrid::Selection() const {
    return GridRect{mAnchorCol, mAnchorRow, mCurrentCol, mCurrentRow}.Normalized();
}

void StringGrid::SetSelection(const GridRect& selection) {
    if (selection == GridRect{mAnchorCol, mAnchorRow, mCurrentCol, mCurrentRow}) {
        return;
    }
    mAnchorCol = selection.Left;
    mAnchorRow = selection.Top;
    mCurrentCol = selection.Right;
    mCurrentRow = selection.Bottom;
    InvalidateGrid();
}

void StringGrid::MoveTo(int col, int row, bool extend) {
    // With no scrollable row (or column) left, the current cell stays just past the fixed ones.
    col = std::max(FixedCols(), std::min(col, ColCount() - 1));
    row = std::max(FixedRows(), std::min(row, RowCount() - 1));
    mCurrentCol = col;
    mCurrentRow = row;
    if (!extend || !(mOptions & goRangeSelect)) {
        mAnchorCol = col;
        mAnchorRow = row;
    }
    InvalidateGrid();
}

PixelRect StringGrid::CellRect(int col, int row) const {
    int left = 0;
    int top = 0;
    if (!mCols.Start(col, left) || !mRows.Start(row, top)) {
        return {};
    }
    return {left, top, left + mCols.Size(col), top + mRows.Size(row)};
}

PixelRect StringGrid::BlockRect(const GridRect& block) const {
    GridRect n = block.Normalized();
    return {mCols.Offset(n.Left), mRows.Offset(n.Top), mCols.Offset(n.Right) + mCols.Size(n.Right),
            mRows.Offset(n.Bottom) + mRows.Size(n.Bottom)};
}

PixelRect StringGrid::ScrollArea(const GridRect& block) const {
    GridRect n = block.Normalized();
    return {n.Left >= FixedCols() ? mCols.FixedExtent() : 0,
            n.Top >= FixedRows() ? mRows.FixedExtent() : 0, viewport()->width(),
            viewport()->height()};
}

void StringGrid::InvalidateCell(int col, int row) {
    // Cheap for the many cells out of view that a long result list writes.
    if (!mRows.IsInView(row, viewport()->height()) || !mCols.IsInView(col, viewport()->width())) {
        return;
    }
    PixelRect rect = CellRect(col, row);
    viewport()->update(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void StringGrid::InvalidateGrid() { viewport()->update(); }

void StringGrid::SetGridFont(const QFont& font) {
    mFont = font;
    InvalidateGrid();
}

void StringGrid::SetFixedColor(TColor color) {
    mFixedColor = color;
    InvalidateGrid();
}

bool StringGrid::EditorMode() const { return mEditor != nullptr && mEditor->isVisible(); }

void StringGrid::SetEditorMode(bool on) {
    if (on == EditorMode()) {
        return;
    }
    if (!on) {
        mEditor->hide();
        setFocus();
        return;
    }
    if (mEditor == nullptr) {
        mEditor = CreateEditor();
        mEditor->setParent(viewport());
        QObject::connect(mEditor, &QLineEdit::textEdited, mEditor, [this](const QString& text) {
            std::string bytes = qttext::ToCp932(text);
            if (OnSetEditText) {
                OnSetEditText(*this, mCurrentCol, mCurrentRow, bytes);
            }
            SetCells(mCurrentCol, mCurrentRow, bytes);
        });
    }
    mEditor->setText(qttext::FromCp932(Cells(mCurrentCol, mCurrentRow)));
    PlaceEditor();
    mEditor->show();
    mEditor->setFocus();
}

QLineEdit* StringGrid::CreateEditor() { return new QLineEdit(); }

void StringGrid::PlaceEditor() {
    PixelRect rect = CellRect(mCurrentCol, mCurrentRow);
    mEditor->setGeometry(rect.Left, rect.Top, rect.Width(), rect.Height());
    mEditor->setFont(mFont);
}

GridDrawState StringGrid::DrawStateOf(int col, int row) const {
    GridDrawState state = 0;
    if (col < FixedCols() || row < FixedRows()) {
        state |= gdFixed;
    } else if (Selection().Contains(col, row)) {
        state |= gdSelected;
        if (col == mCurrentCol && row == mCurrentRow && hasFocus()) {
            state |= gdFocused;
        }
    }
    return state;
}

void StringGrid::DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state) {
    Canvas& canvas = GetCanvas();
    canvas.SetBrushColor((state & gdFixed) ? mFixedColor : clWhite);
    canvas.TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(ACol, ARow));
}

void StringGrid::PaintCell(Canvas& canvas, int col, int row) {
    ++mPaintPass;
    PaintOne(canvas, col, row);
}

void StringGrid::PaintOne(Canvas& canvas, int col, int row) {
    PixelRect rect = CellRect(col, row);
    if (rect.Width() <= 0 && rect.Height() <= 0) {
        return;
    }
    Canvas* previous = mCanvas;
    mCanvas = &canvas;
    canvas.SetFont(mFont);
    DrawCell(col, row, rect, DrawStateOf(col, row));
    mCanvas = previous;
}

void StringGrid::PaintCells(Canvas& canvas, const PixelRect& area) {
    ++mPaintPass;
    const int width = std::min(viewport()->width(), area.Right);
    const int height = std::min(viewport()->height(), area.Bottom);
    for (int row = 0; row < RowCount(); ++row) {
        int top = 0;
        if (!mRows.Start(row, top)) {
            continue;  // scrolled out of view
        }
        if (top >= height) {
            break;
        }
        if (top + mRows.Size(row) + GridLineWidth() <= area.Top) {
            continue;  // above the area
        }
        for (int col = 0; col < ColCount(); ++col) {
            int left = 0;
            if (!mCols.Start(col, left)) {
                continue;
            }
            if (left >= width) {
                break;
            }
            if (left + mCols.Size(col) + GridLineWidth() > area.Left) {
                PaintOne(canvas, col, row);
            }
        }
    }
}

void StringGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect asked = event->rect();
    painter.fillRect(asked, palette().window());
    PainterCanvas canvas(painter);
    if (GridLineWidth() > 0) {
        // The gaps between cells show the grid lines.
        canvas.SetBrushColor(clSilver);
        canvas.FillRect(
            {0, 0, std::min(viewport()->width(), BlockRect({0, 0, ColCount() - 1, 0}).Right),
             std::min(viewport()->height(), BlockRect({0, 0, 0, RowCount() - 1}).Bottom)});
    }
    PaintCells(canvas, {asked.left(), asked.top(), asked.right() + 1, asked.bottom() + 1});
}

void StringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void StringGrid::UpdateScrollBars() {
    const QSize size = viewport()->size();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, mRows.MaxFirst(size.height()) - FixedRows()));
    vertical->setPageStep(std::max(1, mRows.FullyVisible(size.height())));
    vertical->setValue(mRows.First() - FixedRows());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, mCols.MaxFirst(size.width()) - FixedCols()));
    horizontal->setPageStep(std::max(1, mCols.FullyVisible(size.width())));
    horizontal->setValue(mCols.First() - FixedCols());
}

void StringGrid::scrollContentsBy(int, int) {
    mRows.SetFirst(FixedRows() + verticalScrollBar()->value());
    mCols.SetFirst(FixedCols() + horizontalScrollBar()->value());
    if (EditorMode()) {
        PlaceEditor();
    }
    InvalidateGrid();
}

namespace {

// Scrolls `bar` so that item `index` of `axis` shows whole in `extent` pixels.
void ScrollAxisTo(const GridAxis& axis, QScrollBar* bar, int index, int extent) {
    if (index < axis.Fixed()) {
        return;
    }
    const int whole = std::max(1, axis.FullyVisible(extent));
    if (index < axis.First()) {
        bar->setValue(index - axis.Fixed());
    } else if (index >= axis.First() + whole) {
        bar->setValue(index - axis.Fixed() - whole + 1);
    }
}

}  // namespace

void StringGrid::ScrollIntoView(int col, int row) {
    ScrollAxisTo(mRows, verticalScrollBar(), row, viewport()->height());
    ScrollAxisTo(mCols, horizontalScrollBar(), col, viewport()->width());
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    int col = mCols.ItemAt(at.x(), viewport()->width());
    int row = mRows.ItemAt(at.y(), viewport()->height());
    if (col < FixedCols() || row < FixedRows()) {
        return;  // fixed cells and empty space select nothing
    }
    SetEditorMode(false);
    MoveTo(col, row, (event->modifiers() & Qt::ShiftModifier) != 0);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !(mOptions & goRangeSelect)) {
        return;
    }
    const QPoint at = event->position().toPoint();
    int col = mCols.ItemAt(at.x(), viewport()->width());
    int row = mRows.ItemAt(at.y(), viewport()->height());
    if (col >= FixedCols() && row >= FixedRows() && (col != mCurrentCol || row != mCurrentRow)) {
        MoveTo(col, row, true);
    }
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool wholeGrid = (event->modifiers() & Qt::ControlModifier) != 0;
    const int page = std::max(1, mRows.FullyVisible(viewport()->height()));
    int col = mCurrentCol;
    int row = mCurrentRow;
    switch (event->key()) {
        case Qt::Key_Left:
            --col;
            break;
        case Qt::Key_Right:
            ++col;
            break;
        case Qt::Key_Up:
            --row;
            break;
        case Qt::Key_Down:
            ++row;
            break;
        case Qt::Key_PageUp:
            row -= page;
            break;
        case Qt::Key_PageDown:
            row += page;
            break;
        case Qt::Key_Home:  // with Ctrl: the first cell
            col = FixedCols();
            row = wholeGrid ? FixedRows() : row;
            break;
        case Qt::Key_End:  // with Ctrl: the last cell
            col = ColCount() - 1;
            row = wholeGrid ? RowCount() - 1 : row;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    SetEditorMode(false);
    MoveTo(col, row, extend);
    ScrollIntoView(mCurrentCol, mCurrentRow);
}
