// A GeoPackage's layers as the route lines need them: the geometry a table lists, a table
// made a line layer, and a geometry column written in row order. Names are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/tqdao.h"

namespace gpkg {

// A table's row of gpkg_geometry_columns.
struct Geometry {
    std::string column;
    int32_t srs = 0;
    int z = 0;  // 0 none, 1 every geometry, 2 some
    int m = 0;
};

// The geometry gpkg_geometry_columns lists for `table`; none when it lists none, or the
// database has no such list.
std::optional<Geometry> GeometryOf(tqDAODatabase& db, const std::string& table);

// Adds a geom column to `table` and lists the table as a line layer in `srs`, with `z` and
// `m` as given.
void MakeLineLayer(tqDAODatabase& db, const std::string& table, int32_t srs, int z, int m);

// Writes blobs[i] into `column` of the i-th row of `table` in rowid order; rows with an
// empty blob are left as they are. False, with nothing written, when the table has not as
// many rows as there are blobs.
bool WriteInRowOrder(tqDAODatabase& db, const std::string& table, const std::string& column,
                     const std::vector<std::string>& blobs);

}  // namespace gpkg
