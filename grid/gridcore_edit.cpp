// Editing and keys of the grid family: when the in-place editor may open, what may be typed into a
// column, and the clipboard and clearing keys outside the editor.
#include "grid/charclass.h"
#include "grid/gridcore.h"
#include "grid/inplaceeditex.h"
#include "platform/qt/paintercanvas.h"

void TInplaceEditEX::SetBrushColor(TColor color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, PainterCanvas::ToQColor(color));
    setPalette(colours);
}

namespace {

// Keys that open the editor on an emptied cell: letters, digits, the numeric pad, the
// punctuation keys and the input method's processing key.
bool IsStartKey(VirtualKey key) {
    return (key >= vkA && key <= vkZ) || (key >= vk0 && key <= vk9) ||
           (key >= vkNumPad0 && key <= vkDivide) ||
           (key >= vkFirstPunctuation && key <= vkLastPunctuation);
}

}  // namespace

template <typename State>
GridInplaceEdit* GridCore<State>::CreateEditor() {
    return new TInplaceEditEX(*this);
}

template <typename State>
void GridCore<State>::StartEditorMode(bool clear) {
    const int col = Selection().Left;
    const ColumnStatusCL* status = GetColumnStatus(col, false);
    if (status == nullptr) {
        status = GetstdColumnStatus(col);
    }
    if (!CanEdit || EditorMode() || !status->Editable) {
        return;
    }
    SetOptions(Options() | goEditing);
    if (clear) {
        // Emptied before the editor takes the cell's text, so that what is typed replaces it.
        SetCells(Col(), Row(), "");
    }
    SetEditorMode(true);
}

template <typename State>
void GridCore<State>::EndEditorMode() {
    if (EditorMode()) {
        SetEditorMode(false);
        SetOptions(Options() & ~goEditing);
    }
}

template <typename State>
void GridCore<State>::KeyDown(VirtualKey& key, ShiftState shift) {
    if (!EditorMode()) {
        const bool ctrl = (shift & ssCtrl) != 0;
        if (EnableCtrlC && key == vkC && ctrl) {
            CopyToClipboard(Selection());
            return;
        }
        if (EnableCtrlV && key == vkV && ctrl) {
            PasteFromClipboard(Selection().Top, Selection().Left);
            return;
        }
        if (key == vkX && ctrl) {
            CutToClipboard(Selection());
            return;
        }
        if (key == vkBack) {
            WriteCellWithEvent(Row(), Col(), "");
            return;
        }
        if (key == vkDelete) {
            ClearCellRect(Selection());
            InvalidateGrid();
            return;
        }
        if (IsStartKey(key)) {
            StartEditorMode(true);
        }
    }
    StringGrid::KeyDown(key, shift);
}

template <typename State>
void GridCore<State>::KeyPress(char& key) {
    if (!EditorMode()) {
        return;
    }
    if (key == '\r') {
        EndEditorMode();
        return;
    }
    if (aIsEdit(key)) {
        return;
    }
    const int col = Selection().Left;
    const ColumnStatusCL* status = GetColumnStatus(col, false);
    const CSTyp type = status ? status->Type : GetstdColumnStatus(col)->Type;
    if (type == csDigits && !aIsDigit(key)) {
        key = 0;
    } else if (type == csDecimal && !aIsDigit(key) && key != '.') {
        key = 0;
    }
}

template <typename State>
void GridCore<State>::DblClick() {
    if (CanEdit && !EditorMode()) {
        SetOptions(Options() | goEditing);
        SetEditorMode(true);
        return;
    }
    StringGrid::DblClick();
}

template <typename State>
bool GridCore<State>::SelectCell(int ACol, int ARow) {
    EndEditorMode();
    return StringGrid::SelectCell(ACol, ARow);
}

template <typename State>
void GridCore<State>::DoExit() {
    EndEditorMode();
    StringGrid::DoExit();
}

template <typename State>
bool GridCore<State>::CanEditShow() {
    const bool shows = StringGrid::CanEditShow();
    if (shows && InplaceEditor() != nullptr) {
        static_cast<TInplaceEditEX*>(InplaceEditor())->SetBrushColor(EditBackColor);
    }
    return shows;
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
