// The cell texts of XtqGrid, kept by the grid itself: rows of stored columns, reached
// through a column map so that swapping two columns only exchanges two map entries.
// Reading or writing a cell grows the rows and the map to hold it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/tqstring.h"
#include "platform/qt/gridcellstore.h"

// One entry of the column map: the stored column a visible column shows.
struct ColMapCL {
    int32_t Col = 0;
    tqString Text;  // stays empty
};

class XtqCellStore final : public GridCellStore {
public:
    void Resize(int, int) override {}  // the store grows as cells are used
    const char* Text(int col, int row) const override;
    void SetText(int col, int row, std::string_view text) override;
    void* Object(int col, int row) const override;
    void SetObject(int col, int row, void* object) override;

    // Extends the column map up to `col`, each new entry showing its own stored column.
    void UpdateColMap(int col) const;
    // Extends the rows up to `row`.
    void ExpandRow(int row) const;
    int StoredRows() const { return static_cast<int>(mRows.size()); }

    // Inserts `count` empty rows at `at`; removes rows first..last; exchanges the stored
    // columns two visible columns show.
    void InsertRows(int at, int count);
    void DeleteRows(int first, int last);
    void SwapColumns(int c1, int c2);

private:
    struct Cell {
        std::string text;
        void* object = nullptr;
    };
    // The cell, grown into the store; null for a negative column or row.
    Cell* At(int col, int row) const;

    mutable std::vector<std::vector<Cell>> mRows;  // [row][stored column]
    mutable std::vector<ColMapCL> mColMap;
};
