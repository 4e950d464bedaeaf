// The records of the grid family: the display state of a cell (one kind for each grid),
// the input rule of a column, and their position and type codes.
#pragma once

#include <cstdint>

#include "platform/color.h"

enum StrPosX : uint8_t {
    spLeft = 0,
    spCenter = 1,
    spRight = 2,
    spLeftWrap = 3,
    spRightWrap = 4,
    spCenterWrap = 5
};
enum StrPosY : uint8_t { spTop = 0, spMiddle = 1, spBottom = 2 };
enum CSTyp : uint8_t { csText = 0, csDigits = 2, csDecimal = 3 };

// The display state of one cell, the fields both grids' records share, in their order.
// Ordered by (Row, Col).
struct GridCellStateFields {
    int32_t Row = 0;
    int32_t Col = 0;
    TColor BackColor = clBlack;
    int32_t FontNumber = 0;  // 0: the grid's font; 1 ..: its custom fonts
    StrPosX PosX = spLeft;
    StrPosY PosY = spTop;
    bool CellMerge = false;
    int32_t cmLeft = 0;
    int32_t cmRight = 0;
    int32_t cmTop = 0;
    int32_t cmBottom = 0;
    bool ImgView = false;  // draw the cell's image instead of its text

    bool operator>(const GridCellStateFields& other) const {
        return Row > other.Row || (Row == other.Row && Col > other.Col);
    }
    bool operator==(const GridCellStateFields& other) const {
        return Row == other.Row && Col == other.Col;
    }
};

// The state of a tqGrid cell: its image is image ImgIndex of the grid's image list.
struct CellStateCL : GridCellStateFields {
    uint8_t ImgIndex = 0;
    void ClearImage() { ImgIndex = 0; }
};

// The state of an XtqGrid cell: its image is the loaded bitmap ImgID; fonts 0-4.
struct XtqCellStateCL : GridCellStateFields {
    int32_t ImgID = 0;
    void ClearImage() { ImgID = 0; }
};

// The input rule of one column. Ordered by Col.
struct ColumnStatusCL {
    int32_t Col = 0;
    bool Editable = true;
    CSTyp Type = csText;

    bool operator>(const ColumnStatusCL& other) const { return Col > other.Col; }
    bool operator==(const ColumnStatusCL& other) const { return Col == other.Col; }
};
