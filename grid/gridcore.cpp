// The cell and column model of the grid family.
#include "grid/gridcore.h"

template <typename State>
GridCore<State>::GridCore(QWidget* parent, int customFonts)
    : StringGrid(parent), mCustomFonts(customFonts) {}

template <typename State>
GridCore<State>::~GridCore() = default;

template <typename State>
QFont GridCore<State>::GetFontFromNumber(int n) const {
    if (n >= 1 && n <= static_cast<int>(mCustomFonts.size()) && mCustomFonts[n - 1]) {
        return *mCustomFonts[n - 1];
    }
    return GridFont();
}

template <typename State>
const QFont& GridCore<State>::CustomFont(int n) {
    if (n < 1 || n > static_cast<int>(mCustomFonts.size())) {
        return GridFont();
    }
    std::unique_ptr<QFont>& font = mCustomFonts[n - 1];
    if (!font) {
        font = std::make_unique<QFont>(GridFont());
    }
    return *font;
}

template <typename State>
bool GridCore<State>::SetCustomFont(int n, const QFont& font) {
    if (n < 1 || n > static_cast<int>(mCustomFonts.size())) {
        return false;
    }
    CustomFont(n);
    *mCustomFonts[n - 1] = font;
    return true;
}

template <typename State>
bool GridCore<State>::WriteCell(int ARow, int ACol, std::string_view text) {
    SetCells(ACol, ARow, text);
    return true;
}

template <typename State>
bool GridCore<State>::WriteCellWithEvent(int ARow, int ACol, std::string_view text) {
    if (OnSetEditText) {
        OnSetEditText(*this, ACol, ARow, std::string(text));
    }
    return WriteCell(ARow, ACol, text);
}

template class GridCore<CellStateCL>;
template class GridCore<XtqCellStateCL>;
