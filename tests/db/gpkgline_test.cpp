// Lines read from and written to GeoPackage geometry blobs, and joined into routes.
#include "db/gpkgline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using gpkg::Line;

Line XY(std::vector<double> coordinates) { return Line{false, false, std::move(coordinates)}; }

// A big-endian blob, as other writers may make it: a header without envelope, then an
// extended-WKB LineString Z of two points.
std::string BigEndianLineZ() {
    std::string blob = {'G', 'P', 0, 0, 0, 0, 0x19, 0x6d};  // big-endian srs 6509
    blob += '\0';                                           // WKB big-endian
    blob += std::string{'\x80', 0, 0, 2} + std::string{0, 0, 0, 2};
    for (double value : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0}) {
        unsigned char bytes[8];
        std::memcpy(bytes, &value, 8);
        for (int i = 7; i >= 0; --i) {
            blob += static_cast<char>(bytes[i]);
        }
    }
    return blob;
}

TEST(GpkgLineTest, AWrittenLineReadsBackAndOtherWritersBlobsAreRead) {
    const Line line{true, false, {0.5, -1, 7, 2, 3, 8, 4, 4, 9}};
    const std::string blob = gpkg::LineBlob(line, 6677);
    EXPECT_EQ(blob.substr(0, 8), std::string("GP\0\x03\x15\x1a\0\0", 8));  // LE, envelope
    const std::optional<Line> back = gpkg::ReadLine(blob);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->hasZ);
    EXPECT_FALSE(back->hasM);
    EXPECT_EQ(back->coordinates, line.coordinates);

    const std::optional<Line> big = gpkg::ReadLine(BigEndianLineZ());
    ASSERT_TRUE(big);
    EXPECT_TRUE(big->hasZ);
    EXPECT_EQ(big->coordinates, (std::vector<double>{1, 2, 3, 4, 5, 6}));

    // Cut short anywhere, empty, or not a line: no line.
    for (size_t size = 0; size < blob.size(); ++size) {
        EXPECT_FALSE(gpkg::ReadLine(blob.substr(0, size))) << size;
    }
    std::string empty = blob;
    empty[3] |= 0x10;
    EXPECT_FALSE(gpkg::ReadLine(empty));
    std::string point = blob;
    point[8 + 32 + 1] = 1;  // the type's low byte: Point Z
    EXPECT_FALSE(gpkg::ReadLine(point));
}

TEST(GpkgLineTest, LinksDrawnEitherWayJoinIntoOneLineInRouteOrder) {
    // A(0,0) -> B(1,0) -> C(2,1) -> D(2,3): the first and third links are drawn backwards.
    const Line ab = XY({1, 0, 0, 0});
    const Line bc = XY({1, 0, 1.5, 0.2, 2, 1});
    const Line cd = XY({2, 3, 2, 1});
    const std::optional<Line> route = gpkg::Joined({&ab, &bc, &cd});
    ASSERT_TRUE(route);
    EXPECT_EQ(route->coordinates, (std::vector<double>{0, 0, 1, 0, 1.5, 0.2, 2, 1, 2, 3}));

    const std::optional<std::vector<Line>> links = gpkg::Oriented({&ab, &bc, &cd});
    ASSERT_TRUE(links);
    EXPECT_EQ((*links)[0].coordinates, (std::vector<double>{0, 0, 1, 0}));
    EXPECT_EQ((*links)[2].coordinates, (std::vector<double>{2, 1, 2, 3}));

    // One link keeps the way it is drawn; lines that do not quite touch join at their
    // nearest ends, each point kept.
    EXPECT_EQ(gpkg::Joined({&ab})->coordinates, ab.coordinates);
    const Line gap = XY({5, 5, 2.1, 1});
    EXPECT_EQ(gpkg::Joined({&bc, &gap})->coordinates,
              (std::vector<double>{1, 0, 1.5, 0.2, 2, 1, 2.1, 1, 5, 5}));

    const Line withZ{true, false, {2, 1, 0, 3, 3, 0}};
    EXPECT_FALSE(gpkg::Joined({&bc, &withZ}));
}

}  // namespace
