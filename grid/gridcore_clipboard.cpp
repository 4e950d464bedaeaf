// The clipboard operations of the grid family: a rectangle of cells as TAB-separated fields in
// LF-separated lines, and such a text written back from a cell on.
#include <string>
#include <vector>

#include "data/cp932text.h"
#include "grid/gridcore.h"
#include "platform/qt/clipboard.h"

template <typename State>
bool GridCore<State>::CopyToClipboard(const GridRect& rect) {
    std::string text;
    for (int row = rect.Top; row <= rect.Bottom; ++row) {
        for (int col = rect.Left; col <= rect.Right; ++col) {
            text += Cells(col, row);
            text += col < rect.Right ? "\t" : "";
        }
        text += row < rect.Bottom ? "\n" : "";
    }
    Clipboard clipboard;
    if (clipboard.Open()) {
        clipboard.SetText(text);
        clipboard.Close();
    }
    return true;
}

template <typename State>
bool GridCore<State>::CutToClipboard(const GridRect&) {
    // Every caller passes the selection; the selection is what is cut.
    CopyToClipboard(Selection());
    ClearCellRect(Selection());
    return true;
}

template <typename State>
bool GridCore<State>::PasteFromClipboard(int row, int col) {
    Clipboard clipboard;
    if (!clipboard.Open()) {
        return true;
    }
    const std::string text = clipboard.GetText();
    clipboard.Close();
    // Lines and fields of any length are pasted whole; fields outside the grid are dropped.
    const std::vector<std::string> lines = SplitLines(text, FinalLineEnd::kNothing);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int r = row + static_cast<int>(i);
        if (lines[i].empty() || r >= RowCount()) {
            continue;
        }
        size_t start = 0;
        for (int c = col; c < ColCount(); ++c) {
            const size_t tab = lines[i].find('\t', start);
            WriteCellWithEvent(r, c, lines[i].substr(start, tab - start));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
    }
    return true;
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
