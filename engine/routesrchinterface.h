// The engine's face towards its front ends: the engine objects, loading the map and the
// search instructions, and searching one instruction at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/tqarray.h"
#include "data/tqlist.h"
#include "data/tqstring.h"
#include "data/tsltab.h"
#include "engine/node.h"
#include "engine/progress.h"

namespace RSIF {

// One search instruction with the result of its last search.
struct typDRFInf {
    bool Failed = false;  // the last search found no route
    tqString Name;        // search name
    tqString StartName;
    tqString EndName;
    tqArray<tqString> ViaNames;    // the via points in order, from the via columns
    tqArray<tqString> RouteNames;  // the found route, start first; valid when !Failed
    int64_t Distance = 0;          // the found route's length; valid when !Failed
};

// When memory runs out, the loads and builds leave the table, the network or the list
// empty and pass std::bad_alloc on to the front end.
//
// Result codes of the file reads. rrScratchFailed: the table's scratch file in the
// temporary folder could not be made, written or read back, so the file's content cannot
// be held (nothing to do with the file itself).
// rrTooLarge: the file holds more cell text than a table can (2 GB).
// rrNotCp932: a UTF-8 file (one with a byte-order mark) holds a character that CP932
// cannot; UnconvertiblePlace tells where.
enum ReadResult {
    rrRead = 0,
    rrCannotRead = 1,
    rrTitleMissing = 2,
    rrScratchFailed = 3,
    rrTooLarge = 4,
    rrNotCp932 = 5,
};

// After rrNotCp932: the data row (0 for the title line) and the column (from 1).
TSLtabCL::TextPlaceCL UnconvertiblePlace();

// The folder that holds the scratch files, for messages about them.
std::string ScratchFolder();

// Creates the network, the instruction list and the shared table, all empty; destroys
// them again. Every other operation needs a created engine.
void CreateEngine();
void DestroyEngine();

SfNodes& GetNodes();
tqList<typDRFInf>& GetDRFList();

// Installs the progress display the loaders report to (not owned; null shows nothing).
void SetProgressDisplay(ProgressDisplay* display);
// The display set last (may be null).
ProgressDisplay* GetProgressDisplay();

// Empties the shared table and reads the map file into it. rrCannotRead when the file
// cannot be read or is empty, rrTitleMissing when one of the three map titles is missing,
// rrScratchFailed when the table's scratch file fails, rrTooLarge when the table cannot
// hold so much text; the network is untouched in each case.
[[nodiscard]] int ReadMapFile(const std::string& path);
// Rebuilds the network from the rows read, then empties the table (its memory goes to
// the searches); each refused row appends one warning text (CP932) to `warnings`. With
// `threads` above 1 the rows are read in pieces side by side. rrRead when built;
// rrCannotRead, with errno, when the rest of the map file could not be read; rrScratchFailed when
// the table's scratch file failed while the rows were read back: the network is then empty and
// `warnings` as it was.
[[nodiscard]] int MakeMapNodes(tqList<tqString>& warnings, int threads);

// Fills the shared table from another source than a CSV file (a database table); false
// when the source cannot be read.
using TableLoader = std::function<bool(TSLtabCL& table)>;
// ReadMapFile and ReadDRFFile with the table filled by `load`; the same codes and checks.
[[nodiscard]] int ReadMapWith(const TableLoader& load);
[[nodiscard]] int ReadDRFWith(const TableLoader& load);

// Empties the shared table and reads the instruction file into it, so that only the titles
// of this file count. Codes as ReadMapFile; the instruction list is untouched.
[[nodiscard]] int ReadDRFFile(const std::string& path);
// Rebuilds the instruction list from the table's rows, checking them against the network,
// then empties the table; each refused row appends one warning text to `warnings`. False
// as MakeMapNodes, with the instruction list empty.
[[nodiscard]] bool MakeDRFList(tqList<tqString>& warnings);

// Searches instruction `index` (from 0) and stores the outcome in its record. False, with
// nothing done, for an index outside the list.
bool SearchDRF(int index);

}  // namespace RSIF
