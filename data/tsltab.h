// TSLtabCL: the titled table through which every CSV file is read and written.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/tqlist.h"
#include "data/tqstring.h"
#include "data/tsfilestream.h"
#include "data/tsltabarray2d.h"
#include "data/tsmemory.h"
#include "data/tsmemunit.h"
#include "platform/codepage.h"

// Columns count from 1 and carry titles; data rows count from 1. Cell texts live in a
// scratch-file store, so a table holds far more than memory would.
//
// Texts returned by ReadCell, ReadCellByTitle and GetTitle live in the table's single read
// buffer: each such call invalidates the text the previous one returned.
class TSLtabCL {
public:
    static constexpr int32_t NO_VALUE = static_cast<int32_t>(0x80000001);

    struct TitleCacheUnitCL {
        tqString Title;
        uint32_t Column = 0;  // from 1
        bool operator>(const TitleCacheUnitCL& other) const { return Title > other.Title; }
        bool operator==(const TitleCacheUnitCL& other) const { return Title == other.Title; }
    };

    // A place in a loaded file: data row (0 for the title line) and column, from 1.
    struct TextPlaceCL {
        uint32_t Row = 0;
        uint32_t Column = 0;
    };

    TSLtabArray2DCL cellIndex;  // grid row 0: titles; data row r: grid row r + 1
    TSMemoryCL textStore;       // every text written, with its NUL
    uint32_t gridRowsUsed = 0;  // highest grid row written + 1
    uint32_t colsUsed = 0;      // highest column written
    TSMemUnitCL readBuffer;
    tqList<TitleCacheUnitCL> titleCache;

    TSLtabCL() = default;
    TSLtabCL(const TSLtabCL&) = delete;
    TSLtabCL& operator=(const TSLtabCL&) = delete;
    virtual ~TSLtabCL() = default;

    // False when the table's scratch file could not be created or has failed; nothing
    // stored in such a table can be read back, and its loads fail.
    bool IsUsable() const { return textStore.IsUsable(); }
    // False because it was given more text than it can hold (2 GB), not for its file.
    bool IsFull() const { return textStore.IsFull(); }

    // Forgets every title and cell.
    void Clear();
    // The highest data row ever written; rows below it that were never written read empty.
    uint32_t GetRowCount() const { return gridRowsUsed > 2 ? gridRowsUsed - 2 : 0; }
    uint32_t GetColCount() const { return colsUsed; }

    void SetTitle(uint32_t col, std::string_view text);
    const char* GetTitle(uint32_t col);
    // The column carrying exactly this title, or 0.
    uint32_t FindTitle(std::string_view title);

    // The cell's text; empty for a cell never written or outside the table.
    const char* ReadCell(uint32_t row, uint32_t col);
    const char* ReadCellByTitle(uint32_t row, std::string_view title);
    // The cell's leading whole number (saturated to 32 bits); NO_VALUE for an empty cell.
    int32_t ReadIntByTitle(uint32_t row, std::string_view title);

    // Writes a cell; false (nothing written) for row or column 0 or an unknown title.
    bool WriteCell(uint32_t row, uint32_t col, std::string_view text);
    bool WriteCellByTitle(uint32_t row, std::string_view title, std::string_view text);
    // Writes the value in decimal, NO_VALUE as an empty text.
    bool WriteIntByTitle(uint32_t row, std::string_view title, int32_t value);

    // Forgets every data row but keeps the titles.
    void ClearRowsKeepTitles();

    // Replaces the table with the file: its first line gives the titles, every later line
    // (empty ones included) a row. Titles the table had and the file lacks stay, as empty
    // columns after the file's. False when the file cannot be read (table unchanged), is
    // empty (table cleared), or the table is not usable.
    // Files are read as CP932 bytes, except UTF-8 ones: a file that starts with a UTF-8
    // byte-order mark and is valid UTF-8 after it, and a file whose title line lacks one of
    // the needed titles (SetNeededTitles) as CP932 but holds them all read as UTF-8. A UTF-8
    // file is converted to CP932 field by field; a character that CP932 cannot hold fails
    // the load (table cleared) and is placed in Unconvertible(). After a mark that is not
    // followed by UTF-8, the mark's bytes are part of the first title.
    virtual bool LoadCsvFile(const std::string& path);
    // Reads the file as LoadCsvFile does, but a CP932 file only as far as its titles: the
    // table holds the titles (and its earlier ones) and no row, and `lines`, which must be
    // closed, is left open on the file's data lines (see TSFileStreamCL::OpenFirstLine:
    // their text is in `lines`, or still in the file), each line the row that LoadCsvFile
    // would store (a line's cells beyond the file's titles are not the table's; empty lines
    // after the last non-empty one are no rows). A UTF-8 file, whose fields need converting,
    // is loaded whole and `lines` is left closed. False as for LoadCsvFile, with `lines`
    // closed.
    bool LoadCsvTitles(const std::string& path, TSFileStreamCL& lines);
    // Why the last load from a file failed; nothing failed on the file when the load failed
    // for another reason (an unusable table, a character CP932 cannot hold).
    const FileFailure& LoadFailure() const { return mLoadFailure; }
    // The titles a file is meant to have, which tell a UTF-8 file without a mark; none by
    // default.
    void SetNeededTitles(std::vector<std::string> titles) { mNeededTitles = std::move(titles); }
    // The columns a load converts and checks, by title (CP932): a UTF-8 file's or a
    // database table's other columns, their titles included, never fail the load, whatever
    // they hold (what CP932 cannot hold there is stored as '?', or as nothing in a
    // database). Every column when none is set.
    void SetColumnsRead(std::function<bool(std::string_view title)> read) {
        mColumnsRead = std::move(read);
    }
    bool ReadsEveryColumn() const { return !mColumnsRead; }
    bool ReadsColumn(std::string_view title) const { return !mColumnsRead || mColumnsRead(title); }
    // Where the last load met a character that CP932 cannot hold (in a UTF-8 file, or a
    // database table); Column 0 when it met none.
    const TextPlaceCL& Unconvertible() const { return mUnconvertible; }
    // For loads from elsewhere than a file: notes where such a character was met ({} for
    // none).
    void SetUnconvertible(const TextPlaceCL& place) { mUnconvertible = place; }
    // Writes the titles and every row, CR LF after each line. The old file is replaced
    // only when everything was written; false, with the old file intact, otherwise, and
    // when the table has no columns.
    virtual bool SaveCsvFile(const std::string& path);
    // Why the last SaveCsvFile failed on its file (nothing when the table failed).
    const FileFailure& SaveFailure() const { return mSaveFailure; }
    // The encoding SaveCsvFile writes in; CP932 by default.
    void SetSaveEncoding(codepage::TextEncoding encoding) { mSaveEncoding = encoding; }
    codepage::TextEncoding SaveEncoding() const { return mSaveEncoding; }
    // Writes lines `first` to `end` (excluded) of the file SaveCsvFile writes to `stream`,
    // opened for writing in the save encoding: line 0 is the titles, line n row n. So a file
    // can be written while rows are still added below those written, its titles unchanged.
    // A range of more than a block of rows is formatted on two threads. False when the table
    // is not usable or a write failed.
    bool WriteCsvLines(TSFileStreamCL& stream, uint32_t first, uint32_t end);

    // Told how far a long LoadCsvFile (its reading by the byte, then its splitting every
    // kProgressLines lines) or SaveCsvFile (every kProgressLines rows) has come: `done` of
    // `total`. Empty: nobody is told.
    using ProgressHook = std::function<void(uint64_t done, uint64_t total)>;
    static constexpr uint32_t kProgressLines = 4096;
    void SetProgressHook(ProgressHook hook) { mProgress = std::move(hook); }

private:
    // The steps of LoadCsvFile and LoadCsvTitles: opens the file (reading it whole unless
    // `titlesOnly`), reads the title line and whether the file is UTF-8, sets the titles,
    // stores the rows, and appends the earlier titles the file lacks.
    bool LoadCsv(const std::string& path, TSFileStreamCL& stream, bool titlesOnly);
    bool OpenCsv(const std::string& path, TSFileStreamCL& stream, bool titlesOnly);
    // The first line (without a UTF-8 file's mark); false, with the failure noted, for an
    // empty file or one whose rest cannot be read.
    bool ReadTitleLine(TSFileStreamCL& stream, std::string_view& line, bool& utf8);
    // Sets the file's titles from column 1 on; gives the `remembered` titles it lacks, in
    // their order (each title of the file stands for one earlier title).
    std::vector<std::string> SetFileTitles(const std::vector<std::string>& titles,
                                           std::vector<std::string> remembered);
    void AppendTitles(const std::vector<std::string>& titles);
    // The rows from the stream's next line on, each cut to `titleCount` cells; false at a
    // line that cannot be converted (SplitFileLine).
    bool StoreRows(TSFileStreamCL& stream, bool utf8, uint32_t titleCount);
    // Splits a line of the file into fields, converting them to CP932 when `utf8`; false
    // (with the place noted) at a field of a column read (mRead; a title line: when every
    // column is read) that cannot be converted. A title that cannot be is no column read.
    bool SplitFileLine(std::string_view line, bool utf8, uint32_t row,
                       std::vector<std::string>& fields);
    // Whether the file (its whole text and its first line) is to be read as UTF-8.
    bool IsUtf8File(std::string_view content, std::string_view titleLine) const;
    bool WriteGridCell(uint32_t gridRow, uint32_t col, std::string_view text);
    // Where the text of the cell (row 0: the title) stands in the store.
    int32_t CellOffset(uint32_t row, uint32_t col) const;
    // Appends the file's lines of rows [first, end), each ended by LF, the records of the
    // cells read with peek(offset).
    template <typename Peek>
    void AppendLines(uint32_t first, uint32_t end, std::string& text, Peek&& peek);
    const char* ReadGridCell(uint32_t gridRow, uint32_t col);
    // The title (row 0) or cell as GetTitle and ReadCell give it, read where the store holds
    // it: valid until the table is next used.
    std::string_view CellText(uint32_t row, uint32_t col);

    TextPlaceCL mUnconvertible;
    FileFailure mLoadFailure;
    FileFailure mSaveFailure;
    ProgressHook mProgress;
    std::vector<std::string> mNeededTitles;
    std::function<bool(std::string_view)> mColumnsRead;
    codepage::TextEncoding mSaveEncoding = codepage::TextEncoding::cp932;
    std::vector<bool> mRead;  // of each column of the file being loaded
};
