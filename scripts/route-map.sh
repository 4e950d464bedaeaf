#!/usr/bin/env bash
# Draws the sample's routes over its roads into a PNG (docs/route-map.png by default), as a
# GIS user gets them: the road layer examples/roads.csv and the sample instructions go into
# a GeoPackage with ogr2ogr, qrlx-batch writes its result table there, and GDAL burns the
# roads (grey), the nodes and every found route (one colour each) into an image.
# Needs a build (scripts/build.sh), gdal-bin and sqlite3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/route-map.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

iconv -f CP932 -t UTF-8 "$root/examples/instructions.csv" >"$work/指示.csv"
cp "$root/examples/roads.csv" "$work/道.csv"
cd "$work"
ogr2ogr -f GPKG net.gpkg 道.csv -oo GEOM_POSSIBLE_NAMES=WKT -oo KEEP_GEOM_COLUMNS=NO -a_srs EPSG:4326
ogr2ogr -update net.gpkg 指示.csv
"$root/build/batch/qrlx-batch" --db net.gpkg 道 指示 結果 >/dev/null

gdal_create -q -of GTiff -outsize 960 760 -bands 3 -burn 255 -ot Byte -a_srs EPSG:4326 \
    -a_ullr 134.9 38.3 140.1 34.2 map.tif
burn() {  # R G B SQL
    gdal_rasterize -q -b 1 -b 2 -b 3 -burn "$1" -burn "$2" -burn "$3" -dialect sqlite \
        -sql "$4" net.gpkg map.tif
}
burn 200 200 200 "SELECT ST_Buffer(geom, 0.012) FROM 道"
# Widest first, so that a route sharing roads with an earlier one still shows beside it.
width=0.05
colours=("230 80 40" "40 110 220" "30 160 80" "150 60 190" "240 170 0" "0 170 190")
k=0
while IFS= read -r name; do
    read -r r g b <<<"${colours[k % ${#colours[@]}]}"
    burn "$r" "$g" "$b" "SELECT ST_Buffer(geom, $width) FROM 結果 WHERE fid = $name"
    width=$(awk -v w="$width" 'BEGIN { print w * 0.72 }')
    k=$((k + 1))
done < <(sqlite3 net.gpkg "SELECT fid FROM 結果 WHERE geom IS NOT NULL ORDER BY fid")
burn 40 40 40 "SELECT ST_Buffer(ST_StartPoint(geom), 0.035) FROM 道 UNION ALL \
SELECT ST_Buffer(ST_EndPoint(geom), 0.035) FROM 道"
gdal_translate -q -of PNG map.tif "$out"
echo "$out"
