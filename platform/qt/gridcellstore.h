// The texts and object references of a string grid's cells, kept apart from the widget so
// that a derived grid can keep its texts its own way.
#pragma once

#include <cstdint>
#include <memory>
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

// Rows whose cells are read from data kept elsewhere, when they are asked for, instead of
// being copied into a grid. A text stays valid as long as the source; columns past the
// source's read "" and null.
class GridRowSource {
public:
    virtual ~GridRowSource() = default;
    virtual int Rows() const = 0;
    virtual const char* Text(int col, int row) const = 0;
    virtual void* Object(int col, int row) const = 0;
};

// The usual store: a table of texts (CP932 bytes) and object references, whose later rows
// may be those of a row source. A source row costs four bytes until a cell of it is
// written: the row then takes a copy of its cells and holds them as its own.
class TableCellStore final : public GridCellStore {
public:
    void Resize(int cols, int rows) override;
    const char* Text(int col, int row) const override;
    void SetText(int col, int row, std::string_view text) override;
    void* Object(int col, int row) const override;
    void SetObject(int col, int row, void* object) override;

    // Rows from `first` on become the source's rows, in its order (none for a null
    // source); the rows before stay, each with its own copy of cells an earlier source
    // gave it. The store then has first + source rows.
    void ShowSource(int first, std::shared_ptr<const GridRowSource> source);
    // While withheld, the source is never read: the rows that show it read "" and null and
    // take no writes, so that what the source reads may change meanwhile (on another
    // thread). Rows with cells of their own are unaffected.
    void WithholdSource(bool withheld) { mWithheld = withheld; }

private:
    struct Cell {
        std::string text;
        void* object = nullptr;
    };
    using Row = std::vector<Cell>;

    // What each row holds: nothing yet (kEmpty), row n of the source (n < kOwn), or the
    // cells of mOwn[n] (kOwn + n).
    static constexpr uint32_t kOwn = 1u << 31;
    static constexpr uint32_t kEmpty = UINT32_MAX;

    bool Inside(int col, int row) const;
    // A row of the source while the source is withheld.
    bool WithheldRow(int row) const { return mWithheld && mRows[row] < kOwn; }
    // The row's own cells, made from what the row showed when it had none.
    Row& Own(int row);
    // The row holds nothing again; its own cells go.
    void Release(int row);

    int mCols = 0;
    std::vector<uint32_t> mRows;
    std::vector<Row> mOwn;
    std::vector<uint32_t> mFreeOwn;  // indexes of mOwn that no row holds
    std::shared_ptr<const GridRowSource> mSource;
    bool mWithheld = false;
};
