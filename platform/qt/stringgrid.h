// StringGrid: a scrollable grid of text cells (CP932 bytes) with one object reference per
// cell, fixed rows and columns that stay in view, a current cell and a selection, an
// in-place editor with an input chain that derived grids hook, and a per-cell paint
// operation that they take over. The cell texts live in a replaceable store.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QLineEdit>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/qt/canvas.h"
#include "platform/qt/gridaxis.h"
#include "platform/qt/gridcellstore.h"
#include "platform/qt/gridinplaceedit.h"
#include "platform/qt/gridselection.h"
#include "platform/qt/virtualkeys.h"

enum GridDrawFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using GridDrawState = unsigned;

enum GridOption : unsigned {
    goFixedVertLine = 1,
    goFixedHorzLine = 2,
    goVertLine = 4,
    goHorzLine = 8,
    goRangeSelect = 16,
    goEditing = 32,
};

// Columns and rows count from 0, fixed ones included. Platform-style cell access takes the
// column before the row.
class StringGrid : public QAbstractScrollArea {
public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    // Cell texts and object references; reads outside the grid give "" and null.
    const char* Cells(int col, int row) const;
    void SetCells(int col, int row, std::string_view text);
    void* Objects(int col, int row) const;
    void SetObjects(int col, int row, void* object);

    int RowCount() const { return mRows.Count(); }
    void SetRowCount(int count);
    int ColCount() const { return mCols.Count(); }
    void SetColCount(int count);
    int FixedRows() const { return mRows.Fixed(); }
    void SetFixedRows(int count);
    int FixedCols() const { return mCols.Fixed(); }
    void SetFixedCols(int count);

    int ColWidths(int col) const { return mCols.Size(col); }
    void SetColWidths(int col, int width);
    int DefaultColWidth() const { return mCols.DefaultSize(); }
    void SetDefaultColWidth(int width);
    int RowHeights(int row) const { return mRows.Size(row); }
    void SetRowHeights(int row, int height);
    int DefaultRowHeight() const { return mRows.DefaultSize(); }
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const { return mCols.LineWidth(); }
    void SetGridLineWidth(int width);

    // The current cell; setting it also moves the selection anchor there.
    int Col() const { return mSelection.Col(); }
    int Row() const { return mSelection.Row(); }
    void SetCurrentCell(int col, int row);
    // The normalized selection; setting it puts the anchor at (Left, Top) and the current
    // cell at (Right, Bottom). An unchanged selection repaints nothing.
    GridRect Selection() const { return mSelection.Rect(); }
    void SetSelection(const GridRect& selection);

    unsigned Options() const { return mOptions; }
    void SetOptions(unsigned options) { mOptions = options; }

    // Editor mode: the in-place editor shows on the current cell when CanEditShow allows.
    // Turning it off keeps the edited text in the cell.
    bool EditorMode() const { return mEditorMode; }
    void SetEditorMode(bool on);
    GridInplaceEdit* InplaceEditor() const { return mEditor; }

    // Pixel rectangle of a cell in the viewport: empty when it is scrolled out of view.
    PixelRect CellRect(int col, int row) const;
    // Pixel rectangle of a block of cells, also when some of it is scrolled out of view
    // (it then reaches past the viewport's edge or under the fixed cells).
    PixelRect BlockRect(const GridRect& block) const;
    // The viewport area where the cells of a block scroll: right of the fixed columns when
    // the block is right of them, below the fixed rows when it is below them.
    PixelRect ScrollArea(const GridRect& block) const;
    void InvalidateCell(int col, int row);
    void InvalidateGrid();

    const QFont& GridFont() const { return mFont; }
    void SetGridFont(const QFont& font);
    TColor FixedColor() const { return mFixedColor; }
    void SetFixedColor(TColor color);

    // The canvas of the painting under way. Valid only inside DrawCell.
    Canvas& GetCanvas() const { return *mCanvas; }
    // Paints one cell, or every visible cell that meets `area`, on `canvas`, as a repaint
    // would. Each call is one painting pass.
    void PaintCell(Canvas& canvas, int col, int row);
    void PaintCells(Canvas& canvas, const PixelRect& area);
    // Counts the painting passes, so that a cell painter can tell a new pass.
    unsigned PaintPass() const { return mPaintPass; }

    // The editor's text taken over into cell (col, row): OnSetEditText, then the cell.
    virtual void SetEditText(int col, int row, const std::string& text);
    // Called, when set, each time the in-place editor changes a cell's text.
    std::function<void(StringGrid& sender, int col, int row, const std::string& text)>
        OnSetEditText;
    std::function<void(StringGrid& sender)> OnDblClick;  // the owner's double-click event

    // The input chain. The platform's own handling of each step; derived grids override a
    // step and call these where their rules let the platform go on.
    // A key went down (virtual-key code). Moves the current cell for the navigation keys.
    virtual void KeyDown(VirtualKey& key, ShiftState shift);
    // A character (one CP932 byte) typed on the grid or into its editor, before it is
    // inserted; setting it to 0 drops it. The platform changes nothing.
    virtual void KeyPress(char& key);
    // The platform's handling of a double click: tells OnDblClick.
    virtual void DblClick() {
        if (OnDblClick) {
            OnDblClick(*this);
        }
    }
    // Asked before the current cell moves to (col, row); false keeps it where it is.
    virtual bool SelectCell(int col, int row);
    // The focus left the grid and its editor.
    virtual void DoExit() {}
    // Whether the editor may show: the editing option is set.
    virtual bool CanEditShow();
    // The grid scrolled; the platform keeps an open editor on its cell.
    virtual void TopLeftChanged();

protected:
    virtual void DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state);
    // Makes the in-place editor when it is first needed; the grid owns it.
    virtual GridInplaceEdit* CreateEditor();
    // Replaces the cell store (its contents are not carried over).
    void SetCellStore(std::unique_ptr<GridCellStore> store);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    GridLimits Limits() const;
    GridDrawState DrawStateOf(int col, int row) const;
    void PaintOne(Canvas& canvas, int col, int row);
    // Moves the current cell (asking SelectCell), extending the selection when `extend`
    // and range selection is on.
    void MoveTo(int col, int row, bool extend);
    // Keeps the current cell inside the grid after its size changed.
    void KeepCurrentInside();
    void ScrollIntoView(int col, int row);
    void UpdateScrollBars();
    void PlaceEditor();

    std::unique_ptr<GridCellStore> mStore;
    GridAxis mCols;
    GridAxis mRows;
    GridSelection mSelection;
    unsigned mOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
    QFont mFont;
    TColor mFixedColor = 0xF0F0F0;
    Canvas* mCanvas = nullptr;
    unsigned mPaintPass = 0;
    bool mEditorMode = false;
    GridInplaceEdit* mEditor = nullptr;  // a child of the viewport
};
