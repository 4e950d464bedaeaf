// The instruction loader: the instruction file's titles and rows into the list.
#include <algorithm>
#include <climits>
#include <memory>
#include <memory_resource>
#include <new>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "data/formattext.h"
#include "data/systemtext.h"
#include "data/tsltab.h"
#include "engine/loading.h"
#include "engine/routesrchinterface.h"
#include "engine/warnings.h"

namespace RSIF {

using namespace loading;

namespace {

const char* DRFNameTitle() { return SystemText("D_検索名称"); }
// Followed by 1, 2, ... in the titles of the via columns.
const char* DRFViaTitle() { return SystemText("D_経由ノード名"); }
const char* DRFStartTitle() { return SystemText("D_始点ノード名"); }
const char* DRFEndTitle() { return SystemText("D_終点ノード名"); }

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

bool BuildDRFList(tqList<tqString>& warnings);

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
    TSLtabCL& table = SharedTable();
    const SfNodes& nodes = GetNodes();
    tqList<typDRFInf> list;  // the engine's list until it is complete
    const int warningsBefore = warnings.Count();
    const uint32_t rows = table.GetRowCount();
    ProgressRun progress(GetProgressDisplay(), rows);
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
            AddWarning(warnings,
                       FormatText(SystemText("[%04d]行:検索名称は空白に出来ません。"), row));
        } else if (acceptedNames.count(std::string_view(name.GetText(), name.Length())) > 0) {
            AddWarning(warnings, FormatText(SystemText("[%04d]行:検索名称[%s]は既に存在します。"),
                                            row, name.GetText()));
        } else if (start.IsEmpty()) {
            AddWarning(warnings,
                       FormatText(SystemText("[%04d]行:始点ノード名称は空白に出来ません。"), row));
        } else if (end.IsEmpty()) {
            AddWarning(warnings,
                       FormatText(SystemText("[%04d]行:終点ノード名称は空白に出来ません。"), row));
        } else if (start == end) {
            AddWarning(
                warnings,
                FormatText(SystemText("[%04d]行:始点及び終点のノード名称は同一には出来ません。"),
                           row));
        } else if (!nodes.IsNode(start)) {
            AddWarning(
                warnings,
                FormatText(SystemText("[%04d]行:始点ノード名称[%s]はＭＡＰ情報に存在しません。"),
                           row, start.GetText()));
        } else if (!nodes.IsNode(end)) {
            AddWarning(
                warnings,
                FormatText(SystemText("[%04d]行:終点ノード名称[%s]はＭＡＰ情報に存在しません。"),
                           row, end.GetText()));
        } else if (const std::string refusal = ViaRefusal(nodes, start, end, vias, row);
                   !refusal.empty()) {
            AddWarning(warnings, refusal);
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
        GetDRFList().Clear();
        DropWarningsFrom(warnings, warningsBefore);
        return false;
    }
    table.Clear();  // the rows are in the list now: the searches get the memory
    GetDRFList() = std::move(list);
    return true;
}

}  // namespace

bool MakeDRFList(tqList<tqString>& warnings) {
    const int warningsBefore = warnings.Count();
    try {
        return BuildDRFList(warnings);
    } catch (const std::bad_alloc&) {
        GetDRFList().Clear();
        DropWarningsFrom(warnings, warningsBefore);
        throw;
    } catch (const WorkStopped&) {
        DropWarningsFrom(warnings, warningsBefore);
        throw;
    }
}

}  // namespace RSIF
