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
#include "platform/filereason.h"

namespace RSIF {

// One search instruction with the result of its last search.
struct typDRFInf {
    bool Failed = false;  // the last search found no route
    tqString Name;        // search name
    tqString StartName;
    tqString EndName;
    tqArray<tqString> ViaNames;  // the via points in order, from the via columns
    // The found route, start first; valid when !Failed, until ReleaseRoute.
    tqArray<tqString> RouteNames;
    int64_t Distance = 0;  // the found route's length; valid when !Failed

    // Frees the route's names once they are kept elsewhere (rows written), for the searches
    // still to come; Failed and Distance stay. Nothing may read RouteNames afterwards.
    void ReleaseRoute() { RouteNames.Clear(); }
};

// When memory runs out, the loads and builds leave the table, the network or the list
// empty and pass std::bad_alloc on to the front end.
//
// Result codes of the file reads. rrScratchFailed: the table's scratch file in the
// temporary folder could not be made, written or read back, so the file's content cannot
// be held (nothing to do with the file itself).
// rrTooLarge: the file holds more cell text than a table can (2 GB).
// rrNotCp932: a UTF-8 file (one with a byte-order mark) holds a character that CP932
// cannot (typReadOutcome tells where).
// rrStopped: the caller stopped the load before anything changed.
enum ReadResult {
    rrRead = 0,
    rrCannotRead = 1,
    rrTitleMissing = 2,
    rrScratchFailed = 3,
    rrTooLarge = 4,
    rrNotCp932 = 5,
    rrStopped = 6,
};

// How the load of a file ended. For rrCannotRead, `failure` says what failed on the file
// and why (nothing, when a database table could not be read: its layer says why); for
// rrNotCp932, `unconvertible` is the data row (0 for the title line) and the column (from 1)
// of the character.
struct typReadOutcome {
    int code = rrRead;  // a ReadResult
    FileFailure failure;
    TSLtabCL::TextPlaceCL unconvertible;
};

// How the load of a map ended, with one warning text (CP932) for each refused row when the
// network was built.
struct typMapLoad : typReadOutcome {
    tqList<tqString> warnings;
};

// Fills the shared table from another source than a CSV file (a database table); false
// when the source cannot be read.
using TableLoader = std::function<bool(TSLtabCL& table)>;

// Where a file's rows come from: the file at `path` (a regular file, or a pipe, FIFO or
// device, which is read whole), or what `load` fills the table with when it is set.
struct typSource {
    std::string path;
    TableLoader load;
};

// The folder that holds the scratch files, for messages about them.
std::string ScratchFolder();

// Creates the network, the instruction list and the shared table, all empty; destroys
// them again. Every other operation needs a created engine. The engine's operations run on
// one thread at a time (the window's worker, the batch tool's main thread), which may
// differ from one operation to the next; DestroyEngine only while none runs.
void CreateEngine();
void DestroyEngine();

// The network and the list: a load replaces them and a search run writes the records, and
// nothing may read them on another thread meanwhile (see SearchAllDRF for the threads a
// run starts itself).
SfNodes& GetNodes();
tqList<typDRFInf>& GetDRFList();

// Installs the progress display the loaders and the search run report to (not owned; null
// shows nothing). Set while no operation runs; the display is called on the operation's
// thread, and StopAsked from the threads it starts.
void SetProgressDisplay(ProgressDisplay* display);
// The display set last (may be null).
ProgressDisplay* GetProgressDisplay();

// Loads a map: reads the source's titles and checks them, then empties the network and
// builds it from the source's rows, with `threads` threads where that helps. `building`, if
// given, is asked once the titles have passed, before the network is touched: false stops
// the load there (rrStopped). Reading the titles gives rrCannotRead when the source cannot
// be read or is empty, rrTitleMissing when one of the three map titles is missing,
// rrScratchFailed when the table's scratch file fails, rrTooLarge when the table cannot hold
// so much text, rrNotCp932 for a character a UTF-8 file cannot give in CP932. The network is
// untouched unless the outcome is rrRead, or rrCannotRead or rrScratchFailed after
// `building` (the rows could not be read to their end): it is then empty, with no warnings.
// When memory runs out, the network is left empty and std::bad_alloc passed on; a stop the
// display asks for (WorkStopped, passed on) leaves the network as it was.
[[nodiscard]] typMapLoad LoadMap(const typSource& source, int threads,
                                 const std::function<bool()>& building = {});

// Empties the shared table and reads the instruction file into it, so that only the titles
// of this file count; the codes as LoadMap's reading, for the three instruction titles.
// The instruction list is untouched.
[[nodiscard]] typReadOutcome ReadDRF(const typSource& source);
[[nodiscard]] int ReadDRFFile(const std::string& path);
// Rebuilds the instruction list from the table's rows, checking them against the network,
// then empties the table; each refused row appends one warning text to `warnings`. False
// when the table's scratch file failed while the rows were read back, with the instruction
// list empty. When memory runs out the list is left empty, and a stop the display asks for
// leaves it as it was; either is passed on, with no warning added.
[[nodiscard]] bool MakeDRFList(tqList<tqString>& warnings);

// Searches instruction `index` (from 0) and stores the outcome in its record. False, with
// nothing done, for an index outside the list.
bool SearchDRF(int index);

}  // namespace RSIF
