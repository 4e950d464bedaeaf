// TInplaceEditEX: the in-place editor of the grids, whose background colour the grid sets.
#pragma once

#include "platform/color.h"
#include "platform/qt/gridinplaceedit.h"

class TInplaceEditEX : public GridInplaceEdit {
public:
    using GridInplaceEdit::GridInplaceEdit;
    void SetBrushColor(TColor color);
};
