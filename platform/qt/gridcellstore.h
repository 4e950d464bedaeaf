// The texts and object references of a string grid's cells, kept apart from the widget so
// that a derived grid can keep its texts its own way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Cells are addressed column first, from 0, fixed ones counted.
class GridCellStore {
public:
    virtual ~GridCellStore() = default;
    // Makes room for `cols` x `rows` cells; the cells that stay keep what they hold.
    virtual void Resize(int cols, int rows) = 0;
    // Outside the store a text reads "" and an object null, and writes are ignored.
    virtual const char* Text(int col, int row) const = 0;
    virtual void SetText(int col, int row, std::string_view text) = 0;
    virtual void* Object(int col, int row) const = 0;
    virtual void SetObject(int col, int row, void* object) = 0;
};

// The usual store: a table of texts (CP932 bytes) and object references.
class TableCellStore final : public GridCellStore {
public:
    void Resize(int cols, int rows) override;
    const char* Text(int col, int row) const override;
    void SetText(int col, int row, std::string_view text) override;
    void* Object(int col, int row) const override;
    void SetObject(int col, int row, void* object) override;

private:
    struct Cell {
        std::string text;
        void* object = nullptr;
    };
    const Cell* At(int col, int row) const;
    Cell* At(int col, int row);

    int mCols = 0;
    std::vector<std::vector<Cell>> mRows;
};
