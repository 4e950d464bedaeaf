#include "batch/routelines.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "data/systemtext.h"
#include "data/tqstring.h"
#include "db/gpkglayer.h"
#include "db/gpkgline.h"
#include "db/tsltabdb.h"
#include "engine/mappiece.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "platform/codepage.h"

namespace {

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

// The position of a title among a query's column names; -1 for none.
int ColumnOf(const std::vector<std::string>& names, const char* titleCp932) {
    const std::string title = codepage::Cp932ToUtf8(titleCp932);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == title) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

std::optional<RouteLines> RouteLines::OfMap(tqDAODatabase& db, const std::string& mapTable) {
    if (!db.IsGeoPackage()) {
        return std::nullopt;
    }
    std::optional<gpkg::Geometry> geometry = gpkg::GeometryOf(db, mapTable);
    if (!geometry) {
        return std::nullopt;
    }
    return RouteLines(mapTable, std::move(*geometry));
}

std::optional<std::string> RouteLines::LayerColumn(tqDAODatabase& db,
                                                   const std::string& resultTable) {
    std::optional<gpkg::Geometry> geometry = gpkg::GeometryOf(db, resultTable);
    if (!geometry) {
        return std::nullopt;
    }
    return std::move(geometry->column);
}

void RouteLines::MakeLayer(tqDAODatabase& db, const std::string& resultTable) const {
    gpkg::MakeLineLayer(db, resultTable, mGeometry.srs, mGeometry.z, mGeometry.m);
}

std::vector<std::string> RouteLines::RowBlobs(tqDAODatabase& db, bool nodeRows) const {
    const std::vector<std::vector<uint64_t>> routes = RouteLinks();
    std::unordered_set<uint64_t> used;
    for (const std::vector<uint64_t>& links : routes) {
        used.insert(links.begin(), links.end());
    }
    const std::optional<std::unordered_map<uint64_t, gpkg::Line>> lines = LinesOfLinks(db, used);
    if (!lines) {
        return {};
    }
    return RouteBlobs(routes, *lines, nodeRows);
}

std::optional<std::unordered_map<uint64_t, gpkg::Line>> RouteLines::LinesOfLinks(
    tqDAODatabase& db, const std::unordered_set<uint64_t>& used) const {
    // The rows as the load read them: a row is known by its place there, never by a column
    // (a view has no rowid, and a table may have a column of that name).
    std::unique_ptr<tqDAORecordset> rows = db.OpenRecordset(codepage::Utf8ToCp932(mMapTable));
    const std::vector<std::string>& names = rows->FieldNamesUtf8();
    const int from = ColumnOf(names, SystemText("M_始点ノード名"));
    const int to = ColumnOf(names, SystemText("M_終点ノード名"));
    const int distance = ColumnOf(names, SystemText("M_ノード間距離"));
    const auto geometry =
        static_cast<int>(std::find(names.begin(), names.end(), mGeometry.column) - names.begin());
    if (from < 0 || to < 0 || distance < 0 || geometry == static_cast<int>(names.size())) {
        return std::nullopt;
    }
    std::vector<bool> read(names.size());
    read[from] = read[to] = read[distance] = true;
    std::vector<tqDaoDef::Value> values;
    const SfNodes& nodes = RSIF::GetNodes();
    std::unordered_set<uint64_t> taken;  // the links whose first row has been read
    std::unordered_map<uint64_t, gpkg::Line> lines;
    for (bool any = rows->HasRecords(); any && !rows->AtEnd();) {
        if (!rows->FetchOne(names.size(), values, &read, geometry)) {
            return std::nullopt;
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
        if (used.count(key) == 0 || !taken.insert(key).second) {
            continue;  // a link the routes do not take, or a repeated one
        }
        const tqDaoDef::Value& blob = values[geometry];
        if (blob.kind == tqDaoDef::Value::vkBytes) {
            if (std::optional<gpkg::Line> line = gpkg::ReadLine(blob.bytes)) {
                lines.emplace(key, std::move(*line));
            }
        }
    }
    return lines;
}

std::vector<std::string> RouteLines::RouteBlobs(
    const std::vector<std::vector<uint64_t>>& routes,
    const std::unordered_map<uint64_t, gpkg::Line>& lines, bool nodeRows) const {
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
            blobs.push_back(joined ? gpkg::LineBlob(*joined, mGeometry.srs) : std::string());
            blobs.resize(blobs.size() + RSIF::RouteRowCount(record) - 1);
            continue;
        }
        blobs.emplace_back();  // the start, or the failed search's one row
        const std::optional<std::vector<gpkg::Line>> oriented =
            whole ? gpkg::Oriented(route) : std::nullopt;
        for (size_t k = 0; k < route.size(); ++k) {
            const gpkg::Line* line = oriented ? &(*oriented)[k] : route[k];
            blobs.push_back(line ? gpkg::LineBlob(*line, mGeometry.srs) : std::string());
        }
    }
    return blobs;
}

bool RouteLines::Write(tqDAODatabase& db, const std::string& resultTable, const std::string& column,
                       bool nodeRows) const {
    return gpkg::WriteInRowOrder(db, resultTable, column, RowBlobs(db, nodeRows));
}
