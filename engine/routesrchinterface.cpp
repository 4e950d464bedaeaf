// The engine objects and the map and instruction loaders.
#include "engine/routesrchinterface.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <memory>
#include <memory_resource>
#include <new>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "data/formattext.h"
#include "data/numbertext.h"
#include "data/systemtext.h"
#include "data/tsltab.h"
#include "engine/mapbuild.h"
#include "engine/warnings.h"
#include "platform/scratchfile.h"

namespace RSIF {
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
const char* DRFNameTitle() { return SystemText("D_検索名称"); }
// Followed by 1, 2, ... in the titles of the via columns.
const char* DRFViaTitle() { return SystemText("D_経由ノード名"); }
const char* DRFStartTitle() { return SystemText("D_始点ノード名"); }
const char* DRFEndTitle() { return SystemText("D_終点ノード名"); }

// rrRead when the table carries every one of `titles`.
int CheckTitles(TSLtabCL& table, std::initializer_list<const char*> titles) {
    for (const char* title : titles) {
        if (table.FindTitle(title) == 0) {
            return rrTitleMissing;
        }
    }
    return rrRead;
}

void Warn(tqList<tqString>& warnings, const std::string& text) { AddWarning(warnings, text); }

// The via columns of the instruction table, titled D_経由ノード名1, D_経由ノード名2, ... in
// that order, as far as the numbers run without a gap.
std::vector<uint32_t> ViaColumns(TSLtabCL& table) {
    const std::string title = DRFViaTitle();
    std::vector<uint32_t> columns;
    for (uint32_t col; (col = table.FindTitle(title + std::to_string(columns.size() + 1))) != 0;) {
        columns.push_back(col);
    }
    return columns;
}

// Whether a numbered via column stands after a gap in the numbers (D_経由ノード名2 without
// D_経由ノード名1, say): its via points would be left out of the searches.
bool ViaColumnAfterGap(TSLtabCL& table) {
    const std::string_view prefix = DRFViaTitle();
    const std::vector<uint32_t> used = ViaColumns(table);
    for (uint32_t col = 1; col <= table.GetColCount(); ++col) {
        const std::string_view title = table.GetTitle(col);
        const std::string_view number = title.substr(std::min(prefix.size(), title.size()));
        if (title.starts_with(prefix) && !number.empty() &&
            number.find_first_not_of("0123456789") == std::string_view::npos &&
            std::find(used.begin(), used.end(), col) == used.end()) {
            return true;
        }
    }
    return false;
}

// The shared table, made anew when its scratch file has failed (the folder may have room
// again); null when even a new one has no scratch file.
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

// Why a load into the table failed: the file, or the scratch file behind the table.
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

// A code alone.
typReadOutcome Outcome(int code) {
    typReadOutcome outcome;
    outcome.code = code;
    return outcome;
}

typReadOutcome ReadMapTitles(const typSource& source, TSFileStreamCL& rows);
typReadOutcome BuildMap(TSFileStreamCL& rows, tqList<tqString>& warnings, int threads);
bool BuildDRFList(tqList<tqString>& warnings);

// Loads the input into the table, the display moving through the reading, converting and
// checking only the columns `read` says the engine reads; when memory runs out, empties
// the table and passes the failure on.
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

// Whether a column is one of `titles`.
std::function<bool(std::string_view)> OneOf(std::initializer_list<const char*> titles) {
    return [titles = std::vector<std::string>(titles.begin(), titles.end())](std::string_view t) {
        return std::find(titles.begin(), titles.end(), t) != titles.end();
    };
}

// Loads the file with the titles it needs, which tell a UTF-8 file without a mark.
bool LoadCsvWithTitles(TSLtabCL& table, const std::string& path,
                       std::initializer_list<const char*> titles) {
    table.SetNeededTitles(std::vector<std::string>(titles.begin(), titles.end()));
    const bool loaded = table.LoadCsvFile(path);
    table.SetNeededTitles({});
    return loaded;
}

// Takes back the warnings of a build that could not read its rows.
void DropWarningsFrom(tqList<tqString>& warnings, int count) {
    if (warnings.Count() > count) {
        warnings.Delete(count, warnings.Count() - count);
    }
}

}  // namespace

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

bool MakeDRFList(tqList<tqString>& warnings) {
    const int warningsBefore = warnings.Count();
    try {
        return BuildDRFList(warnings);
    } catch (const std::bad_alloc&) {
        TheEngine().drfList.Clear();
        DropWarningsFrom(warnings, warningsBefore);
        throw;
    } catch (const WorkStopped&) {
        DropWarningsFrom(warnings, warningsBefore);
        throw;
    }
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

typReadOutcome ReadDRF(const typSource& source) {
    TSLtabCL* table = UsableTable();
    if (table == nullptr) {
        return Outcome(rrScratchFailed);
    }
    // A title counts only when the file just read has it: titles the table kept from an
    // earlier file would let a map file pass for an instruction file.
    table->Clear();
    const auto needed = OneOf({DRFNameTitle(), DRFStartTitle(), DRFEndTitle()});
    const bool loaded = LoadOrClear(
        *table,
        source.load ? source.load : [&](TSLtabCL& into) {
            return LoadCsvWithTitles(into, source.path,
                                     {DRFNameTitle(), DRFStartTitle(), DRFEndTitle()});
        },
        [&needed](std::string_view title) {
            return needed(title) || title.starts_with(DRFViaTitle());
        });
    if (!loaded) {
        return LoadFailure(*table, source);
    }
    const int code = CheckTitles(*table, {DRFNameTitle(), DRFStartTitle(), DRFEndTitle()});
    return Outcome(code == rrRead && ViaColumnAfterGap(*table) ? rrTitleMissing : code);
}

int ReadDRFFile(const std::string& path) { return ReadDRF({path, {}}).code; }

namespace {

// The warning that refuses a row for its via points, or nothing: the first via point, in
// order, that is not a node; else the first that repeats the start, the end or an earlier
// via point.
std::string ViaRefusal(const SfNodes& nodes, const tqString& start, const tqString& end,
                       const tqArray<tqString>& vias, int row) {
    for (int k = 0; k < vias.Count(); ++k) {
        if (!nodes.IsNode(vias.items[k])) {
            return FormatText(SystemText("[%04d]行:経由ノード名称[%s]はＭＡＰ情報に存在しません。"),
                              row, vias.items[k].GetText());
        }
    }
    for (int k = 0; k < vias.Count(); ++k) {
        const tqString& via = vias.items[k];
        bool repeats = via == start || via == end;
        for (int j = 0; j < k && !repeats; ++j) {
            repeats = via == vias.items[j];
        }
        if (repeats) {
            return FormatText(SystemText("[%04d]行:経由ノード名称[%s]は経路上で重複しています。"),
                              row, via.GetText());
        }
    }
    return {};
}

bool BuildDRFList(tqList<tqString>& warnings) {
    TSLtabCL& table = *TheEngine().table;
    const SfNodes& nodes = *TheEngine().nodes;
    tqList<typDRFInf> list;  // the engine's list until it is complete
    const int warningsBefore = warnings.Count();
    const uint32_t rows = table.GetRowCount();
    ProgressRun progress(gProgress, rows);
    // Sized for every row at once, its nodes in one arena: neither growing nor freeing it
    // stops the rows for a while on a million instructions.
    list.Reserve(static_cast<int32_t>(std::min<uint32_t>(rows, INT32_MAX)));
    std::pmr::monotonic_buffer_resource arena;
    std::pmr::unordered_set<std::string_view> acceptedNames(&arena);  // the records' names
    acceptedNames.reserve(rows);
    const uint32_t nameCol = table.FindTitle(DRFNameTitle());
    const uint32_t startCol = table.FindTitle(DRFStartTitle());
    const uint32_t endCol = table.FindTitle(DRFEndTitle());
    const std::vector<uint32_t> viaCols = ViaColumns(table);
    tqArray<tqString> vias;
    for (uint32_t i = 1; i <= rows && table.IsUsable(); ++i) {
        progress.Item(i);
        const tqString name = table.ReadCell(i, nameCol);
        const tqString start = table.ReadCell(i, startCol);
        const tqString end = table.ReadCell(i, endCol);
        vias.Clear();
        for (uint32_t col : viaCols) {
            const tqString via = table.ReadCell(i, col);
            if (!via.IsEmpty()) {  // a row may use fewer via points than there are columns
                vias.Add(via);
            }
        }
        const int row = static_cast<int>(i);
        if (name.IsEmpty()) {
            Warn(warnings, FormatText(SystemText("[%04d]行:検索名称は空白に出来ません。"), row));
        } else if (acceptedNames.count(std::string_view(name.GetText(), name.Length())) > 0) {
            Warn(warnings, FormatText(SystemText("[%04d]行:検索名称[%s]は既に存在します。"), row,
                                      name.GetText()));
        } else if (start.IsEmpty()) {
            Warn(warnings,
                 FormatText(SystemText("[%04d]行:始点ノード名称は空白に出来ません。"), row));
        } else if (end.IsEmpty()) {
            Warn(warnings,
                 FormatText(SystemText("[%04d]行:終点ノード名称は空白に出来ません。"), row));
        } else if (start == end) {
            Warn(warnings,
                 FormatText(SystemText("[%04d]行:始点及び終点のノード名称は同一には出来ません。"),
                            row));
        } else if (!nodes.IsNode(start)) {
            Warn(warnings,
                 FormatText(SystemText("[%04d]行:始点ノード名称[%s]はＭＡＰ情報に存在しません。"),
                            row, start.GetText()));
        } else if (!nodes.IsNode(end)) {
            Warn(warnings,
                 FormatText(SystemText("[%04d]行:終点ノード名称[%s]はＭＡＰ情報に存在しません。"),
                            row, end.GetText()));
        } else if (const std::string refusal = ViaRefusal(nodes, start, end, vias, row);
                   !refusal.empty()) {
            Warn(warnings, refusal);
        } else {
            auto record = std::make_unique<typDRFInf>();
            record->Name = name;
            record->StartName = start;
            record->EndName = end;
            if (vias.Count() > 0) {
                record->ViaNames = vias;
                record->ViaNames.step = 1;  // holds its own names and no more
            }
            acceptedNames.insert(std::string_view(record->Name.GetText(), record->Name.Length()));
            list.Add(std::move(record));
        }
    }
    if (!table.IsUsable()) {  // the rows read back were not the file's
        TheEngine().drfList.Clear();
        DropWarningsFrom(warnings, warningsBefore);
        return false;
    }
    table.Clear();  // the rows are in the list now: the searches get the memory
    TheEngine().drfList = std::move(list);
    return true;
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
