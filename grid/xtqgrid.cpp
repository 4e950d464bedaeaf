// XtqGrid's model, bitmaps, editing and row operations; its drawing is in xtqgrid_draw.cpp.
#include "grid/xtqgrid.h"

#include <QFontMetrics>

#include <algorithm>
#include <atomic>

#include "platform/qt/clipboard.h"
#include "platform/qt/qttext.h"

namespace {

// Bitmap identifiers of every XtqGrid of the process.
std::atomic<int32_t> gLastImgID{0};

}  // namespace

XtqGrid::XtqGrid(QWidget* parent) : GridCore<XtqCellStateCL>(parent, 4) {
    auto store = std::make_unique<XtqCellStore>();
    mStore = store.get();
    SetCellStore(std::move(store));
    ActiveCellColor = clBlue;
    SelectCellColor = clBlue;
    EditBackColor = clWhite;
    DefaultCellBackColor = clWhite;
    // Only the grid's own cell frames are drawn.
    SetOptions(Options() & ~(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine));
}

XtqGrid::~XtqGrid() = default;

void XtqGrid::SetActiveCellColor(TColor color) {
    ActiveCellColor = color;
    GridReDraw();
}

void XtqGrid::SetSelectCellColor(TColor color) {
    SelectCellColor = color;
    GridReDraw();
}

void XtqGrid::SetDefaultCellBackColor(TColor color) {
    DefaultCellBackColor = color;
    GridReDraw();
}

void XtqGrid::SetCellBorderColor(TColor color) {
    CellBorderColor = color;
    GridReDraw();
}

TColor XtqGrid::StandardBackColor(int ARow, int ACol) const {
    return ARow < FixedRows() || ACol < FixedCols() ? FixedColor() : DefaultCellBackColor;
}

int32_t XtqGrid::AddBitmap(const QImage& bitmap) {
    auto entry = std::make_unique<BitmapImgCL>();
    entry->Bitmap = std::make_unique<QImage>(bitmap);
    entry->ImgID = ++gLastImgID;
    const int32_t id = entry->ImgID;
    Bitmaps.AddSorted(entry.release());
    return id;
}

int32_t XtqGrid::LoadBitmapObject(const QImage& bitmap) { return AddBitmap(bitmap); }

int32_t XtqGrid::LoadBitmapFile(const std::string& path) {
    QImage bitmap;
    if (!bitmap.load(QString::fromLocal8Bit(path.c_str()))) {
        return 0;
    }
    return AddBitmap(bitmap);
}

int32_t XtqGrid::LoadBitmapFromClipboard() {
    Clipboard clipboard;
    if (!clipboard.Open()) {
        return 0;
    }
    const QImage bitmap = clipboard.GetImage();
    clipboard.Close();
    return bitmap.isNull() ? 0 : AddBitmap(bitmap);
}

const QImage* XtqGrid::Bitmap(int32_t id) {
    BitmapImgCL key;
    key.ImgID = id;
    const BitmapImgCL* entry = Bitmaps.FindItem(key);
    return entry ? entry->Bitmap.get() : nullptr;
}

bool XtqGrid::CopyOnClipboard(int left, int right, int top, int bottom) {
    return CopyToClipboard({left, top, right, bottom});
}

bool XtqGrid::CutOnClipboard(int left, int right, int top, int bottom) {
    CopyToClipboard({left, top, right, bottom});
    ClearCellRect(Selection());
    return true;
}

bool XtqGrid::SortRow(int first, int last) {
    if (first < FixedRows() || first >= last) {
        return false;
    }
    SortRows(first, last, [this](int a, int b) {
        int result = 0;
        if (OnSort) {
            OnSort(*this, a, b, result);
        }
        return result != 0 ? result : a - b;
    });
    GridReDraw();
    return true;
}

bool XtqGrid::SortColumn(int first, int last) {
    if (first < FixedCols() || first >= last) {
        return false;
    }
    SortColumns(
        first, last,
        [this](int a, int b) {
            int result = 0;
            if (OnSortColumn) {
                OnSortColumn(*this, a, b, result);
            }
            return result != 0 ? result : a - b;
        },
        [this](int i, int j) { SwapCol(i, j); });
    GridReDraw();
    return true;
}

bool XtqGrid::InsertRow(int at, int count) {
    if (at < 0 || at >= mStore->StoredRows()) {
        return false;
    }
    mStore->InsertRows(at, count);
    // Adding the same amount to every row from `at` on keeps the states in order.
    for (int i = 0; i < CellStates.Count(); ++i) {
        XtqCellStateCL* state = CellStates.Get(i);
        if (state != nullptr && state->Row >= at) {
            state->Row += count;
        }
    }
    GridReDraw();
    return true;
}

bool XtqGrid::DeleteRows(int first, int last) {
    if (first < 0 || first >= mStore->StoredRows() || last < 0) {
        return false;
    }
    last = std::min(last, mStore->StoredRows() - 1);
    if (last < first) {
        return false;
    }
    mStore->DeleteRows(first, last);
    const int removed = last - first + 1;
    for (int i = CellStates.Count() - 1; i >= 0; --i) {
        XtqCellStateCL* state = CellStates.Get(i);
        if (state == nullptr) {
            continue;
        }
        if (state->Row >= first && state->Row <= last) {
            CellStates.Delete(i, 1);
        } else if (state->Row > last) {
            state->Row -= removed;
        }
    }
    GridReDraw();
    return true;
}

bool XtqGrid::SwapCol(int c1, int c2) {
    mStore->SwapColumns(c1, c2);
    SwapColumnStates(c1, c2);
    GridReDraw();
    return true;
}

void XtqGrid::SetImeMode(TImeMode mode) {
    mImeMode = mode;
    setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
}

bool XtqGrid::FixColumnWidth(int col) {
    SetColWidths(col, WidestText(col) + 6);  // its own SetColWidths: the owner is told
    return true;
}

void XtqGrid::SetColWidths(int col, int width) {
    StringGrid::SetColWidths(col, width);
    ColWidthsChanged();
}

void XtqGrid::ColWidthsChanged() {
    if (OnColWidthsChanged) {
        OnColWidthsChanged(*this);
    }
}

void XtqGrid::KeyDown(VirtualKey& key, ShiftState shift) {
    if (!EditorMode() && key == vkBack) {
        // Backspace empties the current cell and the platform's key handling goes on.
        WriteCellWithEvent(Row(), Col(), "");
        GridReDraw();
        StringGrid::KeyDown(key, shift);
        return;
    }
    GridCore<XtqCellStateCL>::KeyDown(key, shift);
}

bool XtqGrid::CanEditShow() {
    const bool shows = GridCore<XtqCellStateCL>::CanEditShow();
    if (shows && InplaceEditor() != nullptr) {
        std::string text = Cells(Col(), Row());
        TImeMode mode = imDontCare;
        if (OnStartEdit) {
            OnStartEdit(*this, Row(), Col(), text, mode);
        }
        EditorImeMode = mode;
        InplaceEditor()->setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
        InplaceEditor()->setText(qttext::FromCp932(text));
    }
    return shows;
}

void XtqGrid::EndEditorMode() {
    if (!EditorMode()) {
        return;
    }
    GridCore<XtqCellStateCL>::EndEditorMode();
    const std::string text = Cells(Col(), Row());
    if (OnAfterEdit) {
        std::string shown = text;
        OnAfterEdit(*this, Row(), Col(), shown);
        if (shown != text) {
            SetCells(Col(), Row(), shown);
        }
    }
}
