// StringGrid: a scrollable grid of text cells (CP932 bytes) with one object reference per
// cell, fixed rows and columns that stay in view, a current cell and a selection, an
// in-place editor, and a per-cell paint operation that subclasses take over.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QLineEdit>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/canvas.h"
#include "platform/qt/gridaxis.h"

// A rectangle of cells in column and row numbers, bounds included. A selection set from
// it may have Left > Right or Top > Bottom: (Left, Top) is the anchor, (Right, Bottom) the
// current cell.
struct GridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    GridRect Normalized() const;
    bool Contains(int col, int row) const;  // of the normalized rectangle
    bool operator==(const GridRect&) const = default;
};

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
    int DefaultRowHeight() const { return mRows.DefaultSize(); }
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const { return mCols.LineWidth(); }
    void SetGridLineWidth(int width);

    // The current cell; setting it also moves the selection anchor there.
    int Col() const { return mCurrentCol; }
    int Row() const { return mCurrentRow; }
    void SetCurrentCell(int col, int row);
    // The normalized selection; setting it puts the anchor at (Left, Top) and the current
    // cell at (Right, Bottom). An unchanged selection repaints nothing.
    GridRect Selection() const;
    void SetSelection(const GridRect& selection);

    unsigned Options() const { return mOptions; }
    void SetOptions(unsigned options) { mOptions = options; }

    bool EditorMode() const;
    void SetEditorMode(bool on);
    QLineEdit* InplaceEditor() const { return mEditor; }

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

    // Called, when set, each time the in-place editor changes a cell's text.
    std::function<void(StringGrid& sender, int col, int row, const std::string& text)>
        OnSetEditText;

protected:
    virtual void DrawCell(int ACol, int ARow, const PixelRect& rect, GridDrawState state);
    virtual QLineEdit* CreateEditor();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Cell {
        std::string text;
        void* object = nullptr;
    };

    Cell* At(int col, int row);
    const Cell* At(int col, int row) const;
    GridDrawState DrawStateOf(int col, int row) const;
    void PaintOne(Canvas& canvas, int col, int row);
    // Moves the current cell, extending the selection when `extend` and range selection.
    void MoveTo(int col, int row, bool extend);
    void ScrollIntoView(int col, int row);
    void UpdateScrollBars();
    void PlaceEditor();

    GridAxis mCols;
    GridAxis mRows;
    std::vector<std::vector<Cell>> mCells;  // [row][col]
    int mCurrentCol = 0;
    int mCurrentRow = 0;
    int mAnchorCol = 0;
    int mAnchorRow = 0;
    unsigned mOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
    QFont mFont;
    TColor mFixedColor = 0xF0F0F0;
    Canvas* mCanvas = nullptr;
    unsigned mPaintPass = 0;
    QLineEdit* mEditor = nullptr;  // owned by the viewport
};
