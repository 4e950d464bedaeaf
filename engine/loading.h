// What the map and instruction loaders share: the engine's table and the reading of a
// source into it. For the engine's own files only.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "data/tqlist.h"
#include "data/tqstring.h"
#include "data/tsltab.h"
#include "engine/routesrchinterface.h"

namespace RSIF::loading {

// The table both file reads use; only needed while loading.
TSLtabCL& SharedTable();
// The shared table, made anew when its scratch file has failed (the folder may have room
// again); null when even a new one has no scratch file.
TSLtabCL* UsableTable();
// Why a load into the table failed: the file, or the scratch file behind the table.
typReadOutcome LoadFailure(const TSLtabCL& table, const typSource& source);
// A code alone.
typReadOutcome Outcome(int code);
// rrRead when the table carries every one of `titles`.
int CheckTitles(TSLtabCL& table, std::initializer_list<const char*> titles);
// Loads the input into the table, the display moving through the reading, converting and
// checking only the columns `read` says the engine reads; when memory runs out, empties
// the table and passes the failure on.
bool LoadOrClear(TSLtabCL& table, const TableLoader& load,
                 std::function<bool(std::string_view title)> read);
// Whether a column is one of `titles`.
std::function<bool(std::string_view)> OneOf(std::initializer_list<const char*> titles);
// Loads the file with the titles it needs, which tell a UTF-8 file without a mark.
bool LoadCsvWithTitles(TSLtabCL& table, const std::string& path,
                       std::initializer_list<const char*> titles);
// Takes back the warnings of a build that could not read its rows.
void DropWarningsFrom(tqList<tqString>& warnings, int count);

}  // namespace RSIF::loading
