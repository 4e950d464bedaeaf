// Lines in a GeoPackage's geometry blobs: a header ("GP", flags, spatial reference system,
// an optional envelope) followed by the geometry in well-known binary. Reads the lines of
// a road layer, joins them end to end into a route's line, and writes that line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gpkg {

// A line's points, each of `Stride()` coordinates: x, y, then z and m when it has them.
struct Line {
    bool hasZ = false;
    bool hasM = false;
    std::vector<double> coordinates;

    size_t Stride() const { return 2 + (hasZ ? 1 : 0) + (hasM ? 1 : 0); }
    size_t Points() const { return coordinates.size() / Stride(); }
};

// The line of a blob holding a LineString, or a MultiLineString (its parts one after the
// other); nothing for an empty geometry, any other geometry or a blob cut short.
std::optional<Line> ReadLine(std::string_view blob);

// The blob of `line` in the spatial reference system `srs`: little-endian, with its XY
// envelope, the geometry an ISO LineString (Z, M or ZM as the line has them).
std::string LineBlob(const Line& line, int32_t srs);

// Each of `lines`, in order, turned to run on from where the one before it ends: the
// first so that it ends at the end of the second nearest to it, every other so that it
// starts at its end nearest to the end of the one before. A road drawn once serves both
// directions of a link this way. Nothing when the lines differ in Z or M.
std::optional<std::vector<Line>> Oriented(const std::vector<const Line*>& lines);

// The oriented lines as one line, a point where one ends and the next starts kept once.
std::optional<Line> Joined(const std::vector<const Line*>& lines);

}  // namespace gpkg
