#include "batch/routelines.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "data/systemtext.h"
#include "data/tqstring.h"
#include "db/gpkgline.h"
#include "db/tsltabdb.h"
#include "engine/mappiece.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "platform/codepage.h"

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement Prepared(tqDAODatabase& db, const std::string& utf8) {
    return {db.Prepare(utf8, "RouteLines"), &sqlite3_finalize};
}

void BindText(tqDAODatabase& db, sqlite3_stmt* statement, int index, const std::string& utf8) {
    db.Check(sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()),
                               SQLITE_TRANSIENT),
             "RouteLines", __LINE__);
}

// A link of the network: its two node ids.
uint64_t LinkKey(int32_t from, int32_t to) {
    return (uint64_t{static_cast<uint32_t>(from)} << 32) | static_cast<uint32_t>(to);
}

// The link keys of each searched route, in route order; a route without a node pair gets
// none.
std::vector<std::vector<uint64_t>> RouteLinks() {
    const SfNodes& nodes = RSIF::GetNodes();
    const tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    std::vector<std::vector<uint64_t>> routes(list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const RSIF::typDRFInf& record = *list.Get(i);
        for (int step = 1; !record.Failed && step < record.RouteNames.Count(); ++step) {
            routes[i].push_back(LinkKey(nodes.FindNode(record.RouteNames.items[step - 1]),
                                        nodes.FindNode(record.RouteNames.items[step])));
        }
    }
    return routes;
}

// The position of a title among a query's column names from `first` on; -1 for none.
int ColumnOf(const std::vector<std::string>& names, const char* titleCp932, size_t first) {
    const std::string title = codepage::Cp932ToUtf8(titleCp932);
    for (size_t i = first; i < names.size(); ++i) {
        if (names[i] == title) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The table's row of gpkg_geometry_columns (column_name, srs_id, z, m), stepped onto it;
// none when the database lists no geometry for the table.
Statement GeometryOf(tqDAODatabase& db, const std::string& table) {
    if (!db.HasTable("gpkg_geometry_columns")) {
        return {nullptr, &sqlite3_finalize};
    }
    Statement statement = Prepared(db,
                                   "SELECT column_name, srs_id, z, m FROM gpkg_geometry_columns "
                                   "WHERE table_name = ? COLLATE NOCASE");
    BindText(db, statement.get(), 1, table);
    const int code = sqlite3_step(statement.get());
    db.Check(code, "RouteLines", __LINE__);
    return code == SQLITE_ROW ? std::move(statement) : Statement(nullptr, &sqlite3_finalize);
}

}  // namespace

std::optional<RouteLines> RouteLines::OfMap(tqDAODatabase& db, const std::string& mapTable) {
    if (!db.IsGeoPackage()) {
        return std::nullopt;
    }
    Statement geometry = GeometryOf(db, mapTable);
    if (!geometry) {
        return std::nullopt;
    }
    sqlite3_stmt* row = geometry.get();
    const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(row, 0));
    return RouteLines(mapTable, column ? column : "", sqlite3_column_int(row, 1),
                      sqlite3_column_int(row, 2), sqlite3_column_int(row, 3));
}

std::optional<std::string> RouteLines::LayerColumn(tqDAODatabase& db,
                                                   const std::string& resultTable) {
    Statement geometry = GeometryOf(db, resultTable);
    if (!geometry) {
        return std::nullopt;
    }
    const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(geometry.get(), 0));
    return std::string(column ? column : "");
}

void RouteLines::MakeLayer(tqDAODatabase& db, const std::string& resultTable) const {
    db.Check(sqlite3_exec(
                 db.Handle(),
                 ("ALTER TABLE " + QuotedName(resultTable) + " ADD COLUMN geom LINESTRING").c_str(),
                 nullptr, nullptr, nullptr),
             "RouteLines", __LINE__);
    Statement contents = Prepared(
        db, "UPDATE gpkg_contents SET data_type = 'features', srs_id = ? WHERE table_name = ?");
    sqlite3_bind_int(contents.get(), 1, mSrs);
    BindText(db, contents.get(), 2, resultTable);
    db.Check(sqlite3_step(contents.get()), "RouteLines", __LINE__);
    Statement columns = Prepared(db,
                                 "INSERT INTO gpkg_geometry_columns "
                                 "(table_name, column_name, geometry_type_name, srs_id, z, m) "
                                 "VALUES (?, 'geom', 'LINESTRING', ?, ?, ?)");
    BindText(db, columns.get(), 1, resultTable);
    sqlite3_bind_int(columns.get(), 2, mSrs);
    sqlite3_bind_int(columns.get(), 3, mZ);
    sqlite3_bind_int(columns.get(), 4, mM);
    db.Check(sqlite3_step(columns.get()), "RouteLines", __LINE__);
}

std::vector<std::string> RouteLines::RowBlobs(tqDAODatabase& db, bool nodeRows) const {
    const std::vector<std::vector<uint64_t>> routes = RouteLinks();
    std::unordered_set<uint64_t> used;
    for (const std::vector<uint64_t>& links : routes) {
        used.insert(links.begin(), links.end());
    }

    // A link is the first map row that gave it, as the load keeps it.
    std::unordered_map<uint64_t, int64_t> linkRows;
    {
        std::unique_ptr<tqDAORecordset> rows = db.OpenRecordset(
            "SELECT rowid, * FROM " + QuotedName(codepage::Utf8ToCp932(mMapTable)));
        const std::vector<std::string>& names = rows->FieldNamesUtf8();
        const int from = ColumnOf(names, SystemText("M_始点ノード名"), 1);
        const int to = ColumnOf(names, SystemText("M_終点ノード名"), 1);
        const int distance = ColumnOf(names, SystemText("M_ノード間距離"), 1);
        if (from < 0 || to < 0 || distance < 0) {
            return {};
        }
        std::vector<bool> read(names.size());
        read[0] = read[from] = read[to] = read[distance] = true;
        std::vector<tqDaoDef::Value> values;
        const SfNodes& nodes = RSIF::GetNodes();
        for (bool any = rows->HasRecords(); any && !rows->AtEnd();) {
            if (!rows->FetchOne(names.size(), values, &read)) {
                return {};
            }
            const std::string fromName = TSLtabDbCL::CellText(values[from]);
            const std::string toName = TSLtabDbCL::CellText(values[to]);
            int64_t linkDistance = 0;
            if (RefusalOfMapRow(fromName, toName, TSLtabDbCL::CellText(values[distance]),
                                linkDistance)) {
                continue;
            }
            const uint64_t key = LinkKey(nodes.FindNode(tqString(fromName.c_str())),
                                         nodes.FindNode(tqString(toName.c_str())));
            if (used.count(key) != 0) {
                linkRows.emplace(key, std::stoll(values[0].bytes));
            }
        }
    }

    std::unordered_map<uint64_t, gpkg::Line> lines;
    Statement blob = Prepared(db, "SELECT " + QuotedName(mColumn) + " FROM " +
                                      QuotedName(mMapTable) + " WHERE rowid = ?");
    for (const auto& [key, rowid] : linkRows) {
        sqlite3_bind_int64(blob.get(), 1, rowid);
        if (sqlite3_step(blob.get()) == SQLITE_ROW &&
            sqlite3_column_type(blob.get(), 0) == SQLITE_BLOB) {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(blob.get(), 0));
            if (std::optional<gpkg::Line> line = gpkg::ReadLine(
                    {data, static_cast<size_t>(sqlite3_column_bytes(blob.get(), 0))})) {
                lines.emplace(key, std::move(*line));
            }
        }
        db.Check(sqlite3_reset(blob.get()), "RouteLines", __LINE__);
    }

    const tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    std::vector<std::string> blobs;
    for (int i = 0; i < list.Count(); ++i) {
        const RSIF::typDRFInf& record = *list.Get(i);
        std::vector<const gpkg::Line*> route;
        for (uint64_t key : routes[i]) {
            const auto line = lines.find(key);
            route.push_back(line == lines.end() ? nullptr : &line->second);
        }
        const bool whole =
            !route.empty() && std::find(route.begin(), route.end(), nullptr) == route.end();
        if (!nodeRows) {
            const std::optional<gpkg::Line> joined = whole ? gpkg::Joined(route) : std::nullopt;
            blobs.push_back(joined ? gpkg::LineBlob(*joined, mSrs) : std::string());
            blobs.resize(blobs.size() + RSIF::RouteRowCount(record) - 1);
            continue;
        }
        blobs.emplace_back();  // the start, or the failed search's one row
        const std::optional<std::vector<gpkg::Line>> oriented =
            whole ? gpkg::Oriented(route) : std::nullopt;
        for (size_t k = 0; k < route.size(); ++k) {
            const gpkg::Line* line = oriented ? &(*oriented)[k] : route[k];
            blobs.push_back(line ? gpkg::LineBlob(*line, mSrs) : std::string());
        }
    }
    return blobs;
}

bool RouteLines::Write(tqDAODatabase& db, const std::string& resultTable, const std::string& column,
                       bool nodeRows) const {
    const std::vector<std::string> blobs = RowBlobs(db, nodeRows);
    std::vector<int64_t> rowids;
    Statement rows =
        Prepared(db, "SELECT rowid FROM " + QuotedName(resultTable) + " ORDER BY rowid");
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(rows.get())) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(rows.get(), 0));
    }
    db.Check(code, "RouteLines", __LINE__);
    if (rowids.size() != blobs.size()) {
        return false;
    }
    Statement update = Prepared(db, "UPDATE " + QuotedName(resultTable) + " SET " +
                                        QuotedName(column) + " = ? WHERE rowid = ?");
    for (size_t i = 0; i < blobs.size(); ++i) {
        if (blobs[i].empty()) {
            continue;
        }
        sqlite3_bind_blob(update.get(), 1, blobs[i].data(), static_cast<int>(blobs[i].size()),
                          SQLITE_STATIC);
        sqlite3_bind_int64(update.get(), 2, rowids[i]);
        db.Check(sqlite3_step(update.get()), "RouteLines", __LINE__);
        db.Check(sqlite3_reset(update.get()), "RouteLines", __LINE__);
    }
    return true;
}
