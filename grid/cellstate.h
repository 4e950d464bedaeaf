// The records of the grid family: the display state of a cell (one kind for each grid),
// the input rule of a column, and their position and type codes.
#pragma once

#include <cstdint>

#include "platform/qt/canvas.h"

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

// The display state of one cell. Ordered by (Row, Col).
struct CellStateCL {
    int32_t Row = 0;
    int32_t Col = 0;
    TColor BackColor = clBlack;
    int32_t FontNumber = 0;  // 0: the grid's font; 1-3: CustomFont1-3
    StrPosX PosX = spLeft;
    StrPosY PosY = spTop;
    bool CellMerge = false;
    int32_t cmLeft = 0;
    int32_t cmRight = 0;
    int32_t cmTop = 0;
    int32_t cmBottom = 0;
    bool ImgView = false;  // draw image ImgIndex of the ImageList instead of the text
    uint8_t ImgIndex = 0;

    void ClearImage() { ImgIndex = 0; }

    bool operator>(const CellStateCL& other) const {
        return Row > other.Row || (Row == other.Row && Col > other.Col);
    }
    bool operator==(const CellStateCL& other) const { return Row == other.Row && Col == other.Col; }
};

// The display state of one cell of XtqGrid: the fields of CellStateCL, with the identifier
// of a loaded bitmap in place of the image index, and fonts 0-4. Ordered by (Row, Col).
struct XtqCellStateCL {
    int32_t Row = 0;
    int32_t Col = 0;
    TColor BackColor = clBlack;
    int32_t FontNumber = 0;  // 0: the grid's font; 1-4: CustomFont1-4
    StrPosX PosX = spLeft;
    StrPosY PosY = spTop;
    bool CellMerge = false;
    int32_t cmLeft = 0;
    int32_t cmRight = 0;
    int32_t cmTop = 0;
    int32_t cmBottom = 0;
    bool ImgView = false;  // draw the bitmap ImgID instead of the text
    int32_t ImgID = 0;

    void ClearImage() { ImgID = 0; }
    bool operator>(const XtqCellStateCL& other) const {
        return Row > other.Row || (Row == other.Row && Col > other.Col);
    }
    bool operator==(const XtqCellStateCL& other) const {
        return Row == other.Row && Col == other.Col;
    }
};

// The input rule of one column. Ordered by Col.
struct ColumnStatusCL {
    int32_t Col = 0;
    bool Editable = true;
    CSTyp Type = csText;

    bool operator>(const ColumnStatusCL& other) const { return Col > other.Col; }
    bool operator==(const ColumnStatusCL& other) const { return Col == other.Col; }
};
