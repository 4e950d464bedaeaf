#include "db/gpkgline.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace gpkg {

namespace {

constexpr uint32_t kLineString = 2;
constexpr uint32_t kMultiLineString = 5;
// The extended WKB flags some writers use instead of the ISO type codes.
constexpr uint32_t kExtendedZ = 0x80000000u;
constexpr uint32_t kExtendedM = 0x40000000u;
constexpr uint32_t kExtendedSrid = 0x20000000u;

// Reads the numbers of a blob in the byte order its geometry names.
class Reader {
public:
    explicit Reader(std::string_view bytes) : mBytes(bytes) {}

    bool Skip(size_t count) {
        if (mBytes.size() < count) {
            return false;
        }
        mBytes.remove_prefix(count);
        return true;
    }
    bool ByteOrder() {
        if (mBytes.empty() || static_cast<unsigned char>(mBytes[0]) > 1) {
            return false;
        }
        mLittle = mBytes[0] == 1;
        return Skip(1);
    }
    bool Uint32(uint32_t& value) { return Number(value); }
    bool Double(double& value) {
        uint64_t bits = 0;
        if (!Number(bits)) {
            return false;
        }
        value = std::bit_cast<double>(bits);
        return true;
    }
    size_t Left() const { return mBytes.size(); }

private:
    template <typename Unsigned>
    bool Number(Unsigned& value) {
        if (mBytes.size() < sizeof(Unsigned)) {
            return false;
        }
        value = 0;
        for (size_t i = 0; i < sizeof(Unsigned); ++i) {
            const auto byte = static_cast<Unsigned>(static_cast<unsigned char>(mBytes[i]));
            value |= byte << (8 * (mLittle ? i : sizeof(Unsigned) - 1 - i));
        }
        mBytes.remove_prefix(sizeof(Unsigned));
        return true;
    }

    std::string_view mBytes;
    bool mLittle = true;
};

// A geometry's header: its kind, whether it has Z and M; false when it cannot be read.
bool ReadType(Reader& reader, uint32_t& kind, bool& hasZ, bool& hasM) {
    uint32_t type = 0;
    if (!reader.ByteOrder() || !reader.Uint32(type)) {
        return false;
    }
    hasZ = (type & kExtendedZ) != 0;
    hasM = (type & kExtendedM) != 0;
    if ((type & kExtendedSrid) != 0 && !reader.Skip(4)) {
        return false;
    }
    type &= ~(kExtendedZ | kExtendedM | kExtendedSrid);
    const uint32_t dimensions = type / 1000;  // ISO: 1 Z, 2 M, 3 ZM
    hasZ = hasZ || dimensions == 1 || dimensions == 3;
    hasM = hasM || dimensions == 2 || dimensions == 3;
    kind = type % 1000;
    return dimensions <= 3;
}

// Appends the points of a LineString whose header was read.
bool ReadPoints(Reader& reader, Line& line) {
    uint32_t points = 0;
    if (!reader.Uint32(points) || points > reader.Left() / (8 * line.Stride())) {
        return false;
    }
    const size_t count = size_t{points} * line.Stride();
    line.coordinates.reserve(line.coordinates.size() + count);
    for (size_t i = 0; i < count; ++i) {
        double value = 0;
        if (!reader.Double(value)) {
            return false;
        }
        line.coordinates.push_back(value);
    }
    return true;
}

void PutBytes(std::string& out, const void* data, size_t size) {
    // Little-endian out whatever the machine's order.
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        out +=
            static_cast<char>(bytes[std::endian::native == std::endian::little ? i : size - 1 - i]);
    }
}

template <typename Number>
void Put(std::string& out, Number value) {
    PutBytes(out, &value, sizeof value);
}

double SquaredGap(const Line& a, size_t pointA, const Line& b, size_t pointB) {
    const double dx = a.coordinates[pointA * a.Stride()] - b.coordinates[pointB * b.Stride()];
    const double dy =
        a.coordinates[pointA * a.Stride() + 1] - b.coordinates[pointB * b.Stride() + 1];
    return dx * dx + dy * dy;
}

Line Reversed(const Line& line) {
    Line reversed = line;
    const size_t stride = line.Stride();
    for (size_t i = 0, j = line.Points() - 1; i < j; ++i, --j) {
        std::swap_ranges(reversed.coordinates.begin() + i * stride,
                         reversed.coordinates.begin() + (i + 1) * stride,
                         reversed.coordinates.begin() + j * stride);
    }
    return reversed;
}

}  // namespace

std::optional<Line> ReadLine(std::string_view blob) {
    if (blob.size() < 8 || blob[0] != 'G' || blob[1] != 'P') {
        return std::nullopt;
    }
    const auto flags = static_cast<unsigned char>(blob[3]);
    const unsigned envelope = (flags >> 1) & 7;
    static constexpr size_t kEnvelopeDoubles[] = {0, 4, 6, 6, 8};
    if (envelope >= std::size(kEnvelopeDoubles) || (flags & 0x30) != 0) {
        return std::nullopt;  // an unknown envelope, an empty or an extended geometry
    }
    Reader reader(blob);
    if (!reader.Skip(8 + 8 * kEnvelopeDoubles[envelope])) {
        return std::nullopt;
    }
    Line line;
    uint32_t kind = 0;
    if (!ReadType(reader, kind, line.hasZ, line.hasM)) {
        return std::nullopt;
    }
    if (kind == kLineString) {
        return ReadPoints(reader, line) && line.Points() > 0 ? std::optional(line) : std::nullopt;
    }
    uint32_t parts = 0;
    if (kind != kMultiLineString || !reader.Uint32(parts)) {
        return std::nullopt;
    }
    for (uint32_t part = 0; part < parts; ++part) {
        Line piece;
        if (!ReadType(reader, kind, piece.hasZ, piece.hasM) || kind != kLineString ||
            piece.hasZ != line.hasZ || piece.hasM != line.hasM || !ReadPoints(reader, line)) {
            return std::nullopt;
        }
    }
    return line.Points() > 0 ? std::optional(line) : std::nullopt;
}

std::string LineBlob(const Line& line, int32_t srs) {
    std::string blob = "GP";
    blob += '\0';                     // version 1
    blob += static_cast<char>(0x03);  // little-endian, XY envelope
    Put(blob, srs);
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -minX;
    double minY = minX;
    double maxY = -minX;
    for (size_t point = 0; point < line.Points(); ++point) {
        const double x = line.coordinates[point * line.Stride()];
        const double y = line.coordinates[point * line.Stride() + 1];
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    for (double bound : {minX, maxX, minY, maxY}) {
        Put(blob, bound);
    }
    blob += '\x01';
    Put(blob, kLineString + (line.hasZ ? 1000 : 0) + (line.hasM ? 2000 : 0));
    Put(blob, static_cast<uint32_t>(line.Points()));
    for (double coordinate : line.coordinates) {
        Put(blob, coordinate);
    }
    return blob;
}

std::optional<std::vector<Line>> Oriented(const std::vector<const Line*>& lines) {
    std::vector<Line> oriented;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = *lines[i];
        if (i > 0 && (line.hasZ != lines[0]->hasZ || line.hasM != lines[0]->hasM)) {
            return std::nullopt;
        }
        const size_t last = line.Points() - 1;
        bool reverse = false;
        if (i > 0) {
            const Line& before = oriented.back();
            const size_t end = before.Points() - 1;
            reverse = SquaredGap(line, last, before, end) < SquaredGap(line, 0, before, end);
        } else if (lines.size() > 1) {
            const Line& next = *lines[1];
            const size_t nextLast = next.Points() - 1;
            auto gap = [&](size_t point) {
                return std::min(SquaredGap(line, point, next, 0),
                                SquaredGap(line, point, next, nextLast));
            };
            reverse = gap(0) < gap(last);
        }
        oriented.push_back(reverse ? Reversed(line) : line);
    }
    return oriented;
}

std::optional<Line> Joined(const std::vector<const Line*>& lines) {
    std::optional<std::vector<Line>> oriented = Oriented(lines);
    if (!oriented || oriented->empty()) {
        return std::nullopt;
    }
    Line joined = oriented->front();
    const size_t stride = joined.Stride();
    for (size_t i = 1; i < oriented->size(); ++i) {
        const Line& next = (*oriented)[i];
        const bool touches = std::equal(joined.coordinates.end() - stride, joined.coordinates.end(),
                                        next.coordinates.begin());
        joined.coordinates.insert(joined.coordinates.end(),
                                  next.coordinates.begin() + (touches ? stride : 0),
                                  next.coordinates.end());
    }
    return joined;
}

}  // namespace gpkg
