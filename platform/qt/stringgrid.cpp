#include "platform/qt/stringgrid.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "platform/qt/paintercanvas.h"
#include "platform/qt/qttext.h"

StringGrid::StringGrid(QWidget* parent)
    : QAbstractScrollArea(parent), mStore(std::make_unique<TableCellStore>()), mFont(font()) {
    mCols.SetDefaultSize(64);
    mRows.SetDefaultSize(24);
    SetColCount(5);
    SetRowCount(5);
    SetFixedCols(1);
    SetFixedRows(1);
    SetCurrentCell(1, 1);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
}

StringGrid::~StringGrid() {
    if (mEditor != nullptr) {
        mEditor->ForgetGrid();
    }
}

void StringGrid::SetCellStore(std::unique_ptr<GridCellStore> store) {
    mStore = std::move(store);
    mStore->Resize(ColCount(), RowCount());
    InvalidateGrid();
}

const char* StringGrid::Cells(int col, int row) const { return mStore->Text(col, row); }

void StringGrid::SetCells(int col, int row, std::string_view text) {
    mStore->SetText(col, row, text);
    InvalidateCell(col, row);
}

void* StringGrid::Objects(int col, int row) const { return mStore->Object(col, row); }

void StringGrid::SetObjects(int col, int row, void* object) { mStore->SetObject(col, row, object); }

GridLimits StringGrid::Limits() const { return {ColCount(), RowCount(), FixedCols(), FixedRows()}; }

void StringGrid::KeepCurrentInside() {
    const GridRect raw = mSelection.Raw();
    mSelection.MoveTo(std::min(raw.Right, ColCount() - 1), std::min(raw.Bottom, RowCount() - 1),
                      false, Limits());
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetRowCount(int count) {
    mRows.SetCount(std::max(count, 1));  // may leave only fixed rows
    mStore->Resize(ColCount(), RowCount());
    KeepCurrentInside();
}

void StringGrid::SetColCount(int count) {
    mCols.SetCount(std::max(count, 1));
    mStore->Resize(ColCount(), RowCount());
    KeepCurrentInside();
}

void StringGrid::SetFixedRows(int count) {
    mRows.SetFixed(std::min(count, RowCount()));
    KeepCurrentInside();
}

void StringGrid::SetFixedCols(int count) {
    mCols.SetFixed(std::min(count, ColCount()));
    KeepCurrentInside();
}

void StringGrid::SetColWidths(int col, int width) {
    mCols.SetSize(col, width);
    UpdateScrollBars();
    InvalidateGrid();
}

void StringGrid::SetRowHeights(int row, int height) {
    mRows.SetSize(row, height);
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

void StringGrid::SetCurrentCell(int col, int row) {
    mSelection.MoveTo(col, row, false, Limits());
    InvalidateGrid();
}

void StringGrid::SetSelection(const GridRect& selection) {
    if (mSelection.Set(selection)) {
        InvalidateGrid();
    }
}

bool StringGrid::SelectCell(int, int) { return true; }

void StringGrid::MoveTo(int col, int row, bool extend) {
    GridSelection moved = mSelection;
    moved.MoveTo(col, row, extend && (mOptions & goRangeSelect), Limits());
    if ((moved.Col() != Col() || moved.Row() != Row()) && !SelectCell(moved.Col(), moved.Row())) {
        return;
    }
    if (moved.Col() != Col() || moved.Row() != Row()) {
        SetEditorMode(false);  // the editor stays with its cell
    }
    mSelection = moved;
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

void StringGrid::SetEditorMode(bool on) {
    if (on == mEditorMode) {
        return;
    }
    mEditorMode = on;
    if (!on) {
        if (mEditor != nullptr && mEditor->isVisible()) {
            const bool hadFocus = mEditor->hasFocus();
            mEditor->hide();
            if (hadFocus) {
                setFocus();
            }
        }
        return;
    }
    if (mEditor == nullptr) {
        mEditor = CreateEditor();
        mEditor->setParent(viewport());
        QObject::connect(mEditor, &QLineEdit::textEdited, mEditor, [this](const QString& text) {
            SetEditText(Col(), Row(), qttext::ToCp932(text));
        });
    }
    mEditor->setText(qttext::FromCp932(Cells(Col(), Row())));
    if (!CanEditShow()) {  // which may give the editor another text
        return;
    }
    PlaceEditor();
    mEditor->show();
    mEditor->setFocus();
}

GridInplaceEdit* StringGrid::CreateEditor() { return new GridInplaceEdit(*this); }

void StringGrid::SetEditText(int col, int row, const std::string& text) {
    if (OnSetEditText) {
        OnSetEditText(*this, col, row, text);
    }
    SetCells(col, row, text);
}

bool StringGrid::CanEditShow() { return (mOptions & goEditing) != 0; }

void StringGrid::TopLeftChanged() {
    if (mEditor != nullptr && mEditor->isVisible()) {
        PlaceEditor();
    }
}

void StringGrid::PlaceEditor() {
    PixelRect rect = CellRect(Col(), Row());
    mEditor->setGeometry(rect.Left, rect.Top, rect.Width(), rect.Height());
    mEditor->setFont(mFont);
}

GridDrawState StringGrid::DrawStateOf(int col, int row) const {
    GridDrawState state = 0;
    if (col < FixedCols() || row < FixedRows()) {
        state |= gdFixed;
    } else if (Selection().Contains(col, row)) {
        state |= gdSelected;
        if (col == Col() && row == Row() && hasFocus()) {
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
    TopLeftChanged();
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
    MoveTo(col, row, (event->modifiers() & Qt::ShiftModifier) != 0);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !(mOptions & goRangeSelect)) {
        return;
    }
    const QPoint at = event->position().toPoint();
    int col = mCols.ItemAt(at.x(), viewport()->width());
    int row = mRows.ItemAt(at.y(), viewport()->height());
    if (col >= FixedCols() && row >= FixedRows() && (col != Col() || row != Row())) {
        MoveTo(col, row, true);
    }
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        DblClick();
    }
}

void StringGrid::KeyDown(VirtualKey& key, ShiftState shift) {
    const bool extend = (shift & ssShift) != 0;
    const bool wholeGrid = (shift & ssCtrl) != 0;
    const int page = std::max(1, mRows.FullyVisible(viewport()->height()));
    int col = Col();
    int row = Row();
    switch (key) {
        case vkLeft:
            --col;
            break;
        case vkRight:
            ++col;
            break;
        case vkUp:
            --row;
            break;
        case vkDown:
            ++row;
            break;
        case vkPrior:
            row -= page;
            break;
        case vkNext:
            row += page;
            break;
        case vkHome:  // with Ctrl: the first cell
            col = FixedCols();
            row = wholeGrid ? FixedRows() : row;
            break;
        case vkEnd:  // with Ctrl: the last cell
            col = ColCount() - 1;
            row = wholeGrid ? RowCount() - 1 : row;
            break;
        default:
            return;
    }
    key = 0;
    MoveTo(col, row, extend);
    ScrollIntoView(Col(), Row());
}

void StringGrid::KeyPress(char&) {}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    VirtualKey key = VirtualKeyOf(*event);
    if (key != 0) {
        KeyDown(key, ShiftStateOf(*event));
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && (text.at(0).isPrint() || text.at(0) == u'\b') &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!typed) {
        if (key != 0) {
            QAbstractScrollArea::keyPressEvent(event);
        }
        return;
    }
    if (mEditorMode && mEditor != nullptr && mEditor->isVisible()) {
        mEditor->Type(text);  // the editor opened on this key: the character goes into it
        return;
    }
    // A character typed on the grid itself: the grid hears it first; with the editing
    // option on, it opens the editor and goes into it.
    const std::string bytes = qttext::ToCp932(text);
    char first = bytes.empty() ? 0 : bytes[0];
    KeyPress(first);
    const unsigned char byte = static_cast<unsigned char>(first);
    if ((mOptions & goEditing) && (byte == 0x08 || byte >= 0x20)) {
        SetEditorMode(true);
        if (mEditor != nullptr && mEditor->isVisible() && byte != 0x08) {
            mEditor->Type(text);
        }
    }
}

void StringGrid::inputMethodEvent(QInputMethodEvent* event) {
    // Composing Japanese text on the grid: the key the input method processes.
    VirtualKey key = vkProcessKey;
    KeyDown(key, 0);
    if (mEditorMode && mEditor != nullptr && mEditor->isVisible()) {
        QApplication::sendEvent(mEditor, event);
        return;
    }
    event->ignore();
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (mEditor == nullptr || QApplication::focusWidget() != mEditor) {
        DoExit();
    }
}
