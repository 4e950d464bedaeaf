// The engine objects, what the loaders share, and the map loader.
#include "engine/routesrchinterface.h"

#include <algorithm>
#include <cassert>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "data/systemtext.h"
#include "data/tsltab.h"
#include "engine/loading.h"
#include "engine/mapbuild.h"
#include "platform/scratchfile.h"

namespace RSIF {

using namespace loading;

namespace {

struct Engine {
    // Held apart, so that a load builds a new network beside the one searched until then.
    std::unique_ptr<SfNodes> nodes = std::make_unique<SfNodes>();
    tqList<typDRFInf> drfList;
    // Shared by both file reads; only needed while loading.
    std::unique_ptr<TSLtabCL> table = std::make_unique<TSLtabCL>();
};

std::unique_ptr<Engine> gEngine;
ProgressDisplay* gProgress = nullptr;

Engine& TheEngine() {
    assert(gEngine && "CreateEngine has not run");
    return *gEngine;
}

const char* MapFromTitle() { return SystemText("M_始点ノード名"); }
const char* MapToTitle() { return SystemText("M_終点ノード名"); }
const char* MapDistanceTitle() { return SystemText("M_ノード間距離"); }

typReadOutcome ReadMapTitles(const typSource& source, TSFileStreamCL& rows);
typReadOutcome BuildMap(TSFileStreamCL& rows, tqList<tqString>& warnings, int threads);

}  // namespace

namespace loading {

TSLtabCL& SharedTable() { return *TheEngine().table; }

TSLtabCL* UsableTable() {
    std::unique_ptr<TSLtabCL>& table = TheEngine().table;
    if (table->IsFull()) {
        table->Clear();  // its file is fine: emptying makes it usable again
    }
    if (!table->IsUsable()) {
        table = std::make_unique<TSLtabCL>();
    }
    return table->IsUsable() ? table.get() : nullptr;
}

typReadOutcome LoadFailure(const TSLtabCL& table, const typSource& source) {
    typReadOutcome outcome;
    if (table.IsFull()) {
        outcome.code = rrTooLarge;
    } else if (!table.IsUsable()) {
        outcome.code = rrScratchFailed;
    } else if (table.Unconvertible().Column != 0) {
        outcome.code = rrNotCp932;
        outcome.unconvertible = table.Unconvertible();
    } else {
        outcome.code = rrCannotRead;
        if (!source.load) {
            outcome.failure = table.LoadFailure();
        }
    }
    return outcome;
}

typReadOutcome Outcome(int code) {
    typReadOutcome outcome;
    outcome.code = code;
    return outcome;
}

int CheckTitles(TSLtabCL& table, std::initializer_list<const char*> titles) {
    for (const char* title : titles) {
        if (table.FindTitle(title) == 0) {
            return rrTitleMissing;
        }
    }
    return rrRead;
}

bool LoadOrClear(TSLtabCL& table, const TableLoader& load,
                 std::function<bool(std::string_view title)> read) {
    ProgressRun progress(gProgress, 100);
    table.SetProgressHook([&](uint64_t done, uint64_t total) { progress.Part(done, total); });
    table.SetColumnsRead(std::move(read));
    auto reset = [&table] {
        table.SetProgressHook({});
        table.SetColumnsRead({});
    };
    try {
        const bool loaded = load(table);
        reset();
        return loaded;
    } catch (const std::bad_alloc&) {
        reset();
        table.Clear();
        throw;
    }
}

std::function<bool(std::string_view)> OneOf(std::initializer_list<const char*> titles) {
    return [titles = std::vector<std::string>(titles.begin(), titles.end())](std::string_view t) {
        return std::find(titles.begin(), titles.end(), t) != titles.end();
    };
}

bool LoadCsvWithTitles(TSLtabCL& table, const std::string& path,
                       std::initializer_list<const char*> titles) {
    table.SetNeededTitles(std::vector<std::string>(titles.begin(), titles.end()));
    const bool loaded = table.LoadCsvFile(path);
    table.SetNeededTitles({});
    return loaded;
}

void DropWarningsFrom(tqList<tqString>& warnings, int count) {
    if (warnings.Count() > count) {
        warnings.Delete(count, warnings.Count() - count);
    }
}

}  // namespace loading

void CreateEngine() { gEngine = std::make_unique<Engine>(); }

void DestroyEngine() { gEngine.reset(); }

SfNodes& GetNodes() { return *TheEngine().nodes; }

tqList<typDRFInf>& GetDRFList() { return TheEngine().drfList; }

void SetProgressDisplay(ProgressDisplay* display) { gProgress = display; }

ProgressDisplay* GetProgressDisplay() { return gProgress; }

std::string ScratchFolder() { return scratchfile::TempDirectory(); }

typMapLoad LoadMap(const typSource& source, int threads, const std::function<bool()>& building) {
    typMapLoad load;
    TSFileStreamCL rows;
    static_cast<typReadOutcome&>(load) = ReadMapTitles(source, rows);
    if (load.code != rrRead) {
        return load;
    }
    if (building && !building()) {
        load.code = rrStopped;
        TheEngine().table->Clear();  // the titles and any rows read
        return load;
    }
    static_cast<typReadOutcome&>(load) = BuildMap(rows, load.warnings, threads);
    return load;
}

namespace {

// Reads the source's titles into the shared table and checks them. A CP932 file's rows
// are left in `rows` (their text, or the file they stand in); a UTF-8 file's rows and a
// table's are in the table, with `rows` closed.
typReadOutcome ReadMapTitles(const typSource& source, TSFileStreamCL& rows) {
    rows.Close();
    TSLtabCL* table = UsableTable();
    if (table == nullptr) {
        return Outcome(rrScratchFailed);
    }
    table->Clear();
    const std::initializer_list<const char*> titles = {MapFromTitle(), MapToTitle(),
                                                       MapDistanceTitle()};
    const bool loaded = LoadOrClear(
        *table,
        source.load ? source.load : [&](TSLtabCL& into) {
            // The rows go from the file's text straight into the network: storing them in the
            // table first would cost more than building the network does.
            into.SetNeededTitles(std::vector<std::string>(titles.begin(), titles.end()));
            const bool read = into.LoadCsvTitles(source.path, rows);
            into.SetNeededTitles({});
            return read;
        },
        OneOf(titles));
    if (!loaded) {
        rows.Close();
        return LoadFailure(*table, source);
    }
    const int code = CheckTitles(*table, titles);
    if (code != rrRead) {
        rows.Close();
    }
    return Outcome(code);
}

// Progress as the rows of a text are read: every tenth row of the first piece. With no
// display the lines go uncounted.
std::function<void(int32_t, int32_t)> RowProgress(ProgressRun& progress) {
    if (gProgress == nullptr) {
        return {};
    }
    return [&progress](int32_t row, int32_t rows) {
        progress.Part(static_cast<uint64_t>(row), static_cast<uint64_t>(rows));
    };
}

// The rows the table holds.
bool AddTableRows(TSLtabCL& table, const MapColumns& columns, MapBuild& build) {
    const uint32_t rows = table.GetRowCount();
    ProgressRun progress(gProgress, rows);
    for (uint32_t i = 1; i <= rows && table.IsUsable(); ++i) {
        progress.Item(i);
        const tqString from = table.ReadCell(i, columns.from);
        const tqString to = table.ReadCell(i, columns.to);
        const tqString distance = table.ReadCell(i, columns.distance);
        build.AddRow(static_cast<int>(i), std::string_view(from.GetText(), from.Length()),
                     std::string_view(to.GetText(), to.Length()),
                     std::string_view(distance.GetText(), distance.Length()));
    }
    return table.IsUsable();  // false: the rows read back were not the file's
}

// Builds a network from the rows ReadMapTitles left: in `rows` while it is open, else in
// the table. `rows` is closed afterwards. The engine's network is replaced by it when built,
// emptied when the rows cannot be read, and kept when the work is stopped.
typReadOutcome BuildMap(TSFileStreamCL& rows, tqList<tqString>& warnings, int threads) {
    TSLtabCL& table = *TheEngine().table;
    const int warningsBefore = warnings.Count();
    auto nodes = std::make_unique<SfNodes>();
    typReadOutcome outcome;
    try {
        // Nothing writes to the table while it is read, so the columns are found once.
        const MapColumns columns{table.FindTitle(MapFromTitle()), table.FindTitle(MapToTitle()),
                                 table.FindTitle(MapDistanceTitle())};
        MapBuild build(*nodes, threads,
                       [] { return gProgress != nullptr && gProgress->StopAsked(); });
        if (rows.mode == TSFileStreamCL::fmRead) {
            ProgressRun progress(gProgress, 0);
            if (!rows.RestInFile()) {
                build.AddLines(rows.Unread(), columns, RowProgress(progress));
            } else {
                outcome.failure =
                    build.AddFile(rows.File(), rows.RestOffset(), columns, RowProgress(progress));
            }
            rows.Close();
            outcome.code = outcome.failure ? rrCannotRead : rrRead;
        } else if (!AddTableRows(table, columns, build)) {
            outcome.code = rrScratchFailed;
        }
        if (outcome.code != rrRead) {
            TheEngine().nodes->Clear();
            return outcome;
        }
        table.Clear();  // the rows are in the build now: the network gets the memory
        // Joining the pieces and laying the links out for searching count no rows; the
        // window stays alive meanwhile.
        RunBeside(gProgress, [&build, &warnings] { build.Finish(warnings); });
        RunBeside(gProgress, [&nodes, threads] {
            nodes->SortLinks(threads, [] {
                if (gProgress != nullptr && gProgress->StopAsked()) {
                    throw WorkStopped{};
                }
            });
        });
        TheEngine().nodes.swap(nodes);  // the old network goes with `nodes`
        return outcome;
    } catch (const std::bad_alloc&) {  // nothing half-built stays behind
        rows.Close();
        nodes.reset();
        TheEngine().nodes->Clear();
        DropWarningsFrom(warnings, warningsBefore);
        throw;
    } catch (const WorkStopped&) {
        rows.Close();
        DropWarningsFrom(warnings, warningsBefore);
        throw;
    }
}

}  // namespace

bool SearchDRF(int index) {
    tqList<typDRFInf>& list = TheEngine().drfList;
    if (!list.IsValidIndex(index)) {
        return false;
    }
    SfNodes& nodes = *TheEngine().nodes;
    typDRFInf* record = list.Get(index);
    int code = nodes.SearchRoute(record->StartName, record->EndName, record->ViaNames,
                                 record->RouteNames, record->Distance);
    record->Failed = code != SfNodes::srFound;
    return true;
}

}  // namespace RSIF
