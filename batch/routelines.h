// The lines of the routes, when the map is a GeoPackage road layer: the result table
// becomes a line layer in the map's spatial reference system, each route drawn by joining
// the lines of the map rows that gave its links.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/gpkglayer.h"
#include "db/gpkgline.h"
#include "db/tqdao.h"

class RouteLines {
public:
    // The map table's geometry as gpkg_geometry_columns lists it; nothing when the
    // database is no GeoPackage or lists no geometry for the table. Names are UTF-8.
    static std::optional<RouteLines> OfMap(tqDAODatabase& db, const std::string& mapTable);

    // Adds the geometry column to the result table made for this run and lists the table
    // as a line layer.
    void MakeLayer(tqDAODatabase& db, const std::string& resultTable) const;
    // The geometry column of an existing result table, when it is listed as a layer.
    static std::optional<std::string> LayerColumn(tqDAODatabase& db,
                                                  const std::string& resultTable);

    // Writes the lines of the searched routes into the result table's rows (in rowid order,
    // as the results were added): in the routes layout a route's line on its first row, in
    // the nodes layout each node's row the line of the link that reached it. A row without
    // a line (a failed search, a start node, a link whose map row has no line) stays NULL.
    // False when the table's rows are not the results'.
    bool Write(tqDAODatabase& db, const std::string& resultTable, const std::string& column,
               bool nodeRows) const;

private:
    RouteLines(std::string mapTable, gpkg::Geometry geometry)
        : mMapTable(std::move(mapTable)), mGeometry(std::move(geometry)) {}
    // One blob per result row, in row order; empty for none.
    std::vector<std::string> RowBlobs(tqDAODatabase& db, bool nodeRows) const;
    // The line of each `used` link: the geometry of the first map row that gave it, as the
    // load keeps it, when that row holds a line. None when the map's rows cannot be read.
    std::optional<std::unordered_map<uint64_t, gpkg::Line>> LinesOfLinks(
        tqDAODatabase& db, const std::unordered_set<uint64_t>& used) const;
    // The blobs of the result rows from the routes' links and their lines.
    std::vector<std::string> RouteBlobs(const std::vector<std::vector<uint64_t>>& routes,
                                        const std::unordered_map<uint64_t, gpkg::Line>& lines,
                                        bool nodeRows) const;

    std::string mMapTable;     // UTF-8
    gpkg::Geometry mGeometry;  // the map's
};
