// qrlx-batch on the tables of an SQLite database.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "batch_fixture.h"
#include "db/tsltabdb.h"

namespace {

const std::string kMap = std::string(kMapTitles) +
                         "東京,品川,7\n品川,横浜,22\n横浜,東京,30\n東京,東京,1\n品川,川崎,5\n"
                         "横浜,品川,22\n";
const std::string kDrf =
    std::string(kDrfTitles) + "通勤,東京,横浜\n帰り,横浜,品川\n通勤,品川,東京\n島,東京,川崎\n";

class BatchDbTest : public BatchTest {
protected:
    // A database holding the two files as tables "地図" and "指示".
    void MakeDatabase() {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(dir.Path("net.db").c_str(), &raw), SQLITE_OK);
        sqlite3_close(raw);
        tqDAODatabase db(dir.Path("net.db"));
        db.Execute(
            codepage::Utf8ToCp932("CREATE TABLE 地図 (M_始点ノード名 TEXT, M_終点ノード名 TEXT, "
                                  "M_ノード間距離 INTEGER)"));
        db.Execute(codepage::Utf8ToCp932(
            "CREATE TABLE 指示 (D_検索名称 TEXT, D_始点ノード名 TEXT, D_終点ノード名 TEXT)"));
        for (const auto& [file, table] : {std::pair{"map.csv", "地図"}, {"drf.csv", "指示"}}) {
            TSLtabDbCL rows;
            ASSERT_TRUE(rows.LoadCsvFile(dir.Path(file)));
            ASSERT_TRUE(rows.ReplaceDbTable(db, codepage::Utf8ToCp932(table)));
        }
    }
    // Runs UTF-8 SQL on the database directly, apart from the layers under test.
    void Sql(const std::string& utf8) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(dir.Path("net.db").c_str(), &raw), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, utf8.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(raw);
    }
    // The result table read back and saved as CSV bytes.
    std::string ResultTableAsCsv() {
        tqDAODatabase db(dir.Path("net.db"));
        TSLtabDbCL rows;
        EXPECT_TRUE(rows.LoadFromDbTable(db, codepage::Utf8ToCp932("結果")));
        EXPECT_TRUE(rows.SaveCsvFile(dir.Path("back.csv")));
        return TempDir::Read(dir.Path("back.csv"));
    }
};

TEST_F(BatchDbTest, TablesGiveTheResultRowsAndWarningsOfTheFiles) {
    const BatchRun files = Run(kMap, kDrf);
    ASSERT_EQ(files.exit, 0) << files.err;
    const std::string result = TempDir::Read(dir.Path("result.csv"));
    const std::string log = TempDir::Read(dir.Path("log.txt"));
    ASSERT_NE(log, "");
    MakeDatabase();

    const BatchRun tables = RunTool("--db net.db 地図 指示 結果 --warnings log.txt");
    ASSERT_EQ(tables.exit, 0) << tables.err;
    EXPECT_EQ(tables.out, files.out);
    EXPECT_EQ(TempDir::Read(dir.Path("log.txt")), log);
    EXPECT_EQ(ResultTableAsCsv(), result);

    // Run again: the result table's rows are replaced, not added to.
    ASSERT_EQ(RunTool("--db net.db 地図 指示 結果").exit, 0);
    EXPECT_EQ(ResultTableAsCsv(), result);
}

TEST_F(BatchDbTest, AnInstructionTableMayCarryViaColumns) {
    Run(kMap, kDrf, "--version");
    MakeDatabase();
    Sql("CREATE TABLE 経由 (D_経由ノード名1 TEXT, D_検索名称 TEXT, D_始点ノード名 TEXT,"
        " D_終点ノード名 TEXT);"
        "INSERT INTO 経由 VALUES ('品川', '回り道', '横浜', '東京'), (NULL, '直行', '横浜', "
        "'東京'),"
        "('大阪', '無理', '横浜', '東京');");
    const BatchRun run = RunTool("--db net.db 地図 経由 結果 --warnings log.txt");
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(codepage::Cp932ToUtf8(ResultTableAsCsv()),
              // 品川 has no link to 東京: the second leg goes back through 横浜.
              std::string(kResultTitles) + "1,回り道,横浜,東京,74,4,横浜,品川,横浜,東京,\r\n" +
                  "1,直行,横浜,東京,30,2,横浜,東京,,,\r\n");
    EXPECT_NE(codepage::Cp932ToUtf8(TempDir::Read(dir.Path("log.txt")))
                  .find("[0003]行:経由ノード名称[大阪]はＭＡＰ情報に存在しません。"),
              std::string::npos);
}

TEST_F(BatchDbTest, AMissingDatabaseOrTableIsNamed) {
    Run(kMap, kDrf, "--version");
    const BatchRun noFile = RunTool("--db absent.db 地図 指示 結果");
    EXPECT_EQ(noFile.exit, 3);
    EXPECT_NE(noFile.err.find("データベース[absent.db]を開けません。"), std::string::npos);
    MakeDatabase();
    const BatchRun noTable = RunTool("--db net.db 地図 ない 結果");
    EXPECT_EQ(noTable.exit, 3);
    EXPECT_NE(noTable.err.find("データベース[net.db]にテーブル[ない]がありません。"),
              std::string::npos)
        << noTable.err;
    const BatchRun swapped = RunTool("--db net.db 指示 地図 結果");
    EXPECT_EQ(swapped.exit, 4);
    EXPECT_NE(swapped.err.find("[net.db:指示]はＭＡＰファイル"), std::string::npos);
}

TEST_F(BatchDbTest, ValuesAreTakenAsStoredOrTheLoadNamesTableRowAndColumn) {
    Run(kMap, kDrf, "--version");
    MakeDatabase();
    // Distances stored as REAL count by their number, not by the digits of "2.0e+15".
    Sql("CREATE TABLE 実数 (M_始点ノード名 TEXT, M_終点ノード名 TEXT, M_ノード間距離 REAL);"
        "INSERT INTO 実数 VALUES ('A', 'B', 2000000000000000.0), ('B', 'D', 1.0),"
        "('A', 'C', 7.0), ('C', 'D', 1e20);"
        "CREATE TABLE 問 (D_検索名称 TEXT, D_始点ノード名 TEXT, D_終点ノード名 TEXT);"
        "INSERT INTO 問 VALUES ('q', 'A', 'D');");
    const BatchRun real = RunTool("--db net.db 実数 問 結果");
    ASSERT_EQ(real.exit, 0) << real.err;
    EXPECT_EQ(codepage::Cp932ToUtf8(ResultTableAsCsv()),
              std::string(kResultTitles) + "1,q,A,D,2000000000000001,3,A,B,D,,\r\n");

    // Two names that differ only in a character Shift-JIS cannot hold must not merge.
    Sql("CREATE TABLE 絵 (M_始点ノード名 TEXT, M_終点ノード名 TEXT, M_ノード間距離 INTEGER);"
        "INSERT INTO 絵 VALUES ('東京😀', '品川', 7), ('東京🙂', '横浜', 30);");
    const BatchRun emoji = RunTool("--db net.db 絵 指示 結果");
    EXPECT_EQ(emoji.exit, 3);
    EXPECT_EQ(
        emoji.err,
        "指定されたファイル[net.db:絵]の[0001]行1列目に、Shift-JISで表せない文字があります。\n");
    Sql("CREATE TABLE 零 (M_始点ノード名 TEXT, M_終点ノード名 TEXT, M_ノード間距離 INTEGER);"
        "INSERT INTO 零 VALUES ('H', 'X', 1), ('X', 'H' || char(0) || 'I', 2);");
    const BatchRun nul = RunTool("--db net.db 零 指示 結果");
    EXPECT_EQ(nul.exit, 3);
    EXPECT_NE(nul.err.find("[net.db:零]の[0002]行2列目"), std::string::npos) << nul.err;
}

// A road layer as GIS tools write it: a key, a geometry blob (NUL bytes in it), notes
// under a title Shift-JIS cannot hold. Only the three map columns are read.
TEST_F(BatchDbTest, ColumnsTheLoadDoesNotReadMayHoldAnything) {
    Run(kMap, kDrf, "--version");
    MakeDatabase();
    Sql("CREATE TABLE 道 (fid INTEGER PRIMARY KEY, geom BLOB, M_始点ノード名 TEXT,"
        " M_終点ノード名 TEXT, M_ノード間距離 INTEGER, \"メモ🚧\" TEXT);"
        "INSERT INTO 道 (geom, M_始点ノード名, M_終点ノード名, M_ノード間距離, \"メモ🚧\")"
        " SELECT X'4750000300000000', *, '🚧' FROM 地図;"
        "CREATE TABLE 指示2 AS SELECT *, '〜' AS 備考 FROM 指示;");
    const BatchRun plain = RunTool("--db net.db 地図 指示 結果");
    ASSERT_EQ(plain.exit, 0) << plain.err;
    const std::string expected = ResultTableAsCsv();
    const BatchRun layer = RunTool("--db net.db 道 指示2 結果");
    EXPECT_EQ(layer.exit, 0) << layer.err;
    EXPECT_EQ(ResultTableAsCsv(), expected);
}

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Result tables as users make them: without rowids, as wide as SQLite allows, or with a
// constraint that the results break (named, the table unchanged).
TEST_F(BatchDbTest, AnyResultTableWithTheColumnsIsWrittenOrTheReasonNamed) {
    Run(kMap, kDrf, "--version");
    MakeDatabase();
    ASSERT_EQ(RunTool("--db net.db 地図 指示 結果").exit, 0);
    const std::string expected = ResultTableAsCsv();
    const std::string columns =
        "R_検索結果 INTEGER, R_検索名称 TEXT, R_始点ノード名 TEXT, R_終点ノード名 TEXT, "
        "R_距離 INTEGER, R_ノード数 INTEGER, R_N1 TEXT, R_N2 TEXT, R_N3 TEXT, R_N4 TEXT, R_N5 TEXT";
    std::string wide;
    for (int i = 11; i < 2000; ++i) {
        wide += ", c" + std::to_string(i);
    }
    for (const std::string& shape :
         {"(" + columns + ", PRIMARY KEY (R_検索名称, R_N1, R_N2, R_N3, R_N4, R_N5)) WITHOUT ROWID",
          "(" + columns + wide + ")"}) {
        Sql("DROP TABLE 結果; CREATE TABLE 結果 " + shape + ";");
        const BatchRun run = RunTool("--db net.db 地図 指示 結果");
        EXPECT_EQ(run.exit, 0) << run.err;
        tqDAODatabase db(dir.Path("net.db"));
        TSLtabDbCL rows;
        ASSERT_TRUE(rows.LoadFromDbQuery(
            db,
            codepage::Utf8ToCp932("SELECT R_検索結果, R_検索名称, R_始点ノード名, R_終点ノード名, "
                                  "R_距離, R_ノード数, R_N1, R_N2, R_N3, R_N4, R_N5 FROM 結果"),
            true));
        ASSERT_TRUE(rows.SaveCsvFile(dir.Path("back.csv")));
        // A table without rowids keeps its rows in its key's order.
        EXPECT_EQ(SortedLines(TempDir::Read(dir.Path("back.csv"))), SortedLines(expected));
    }
    Sql("DROP TABLE 結果; CREATE TABLE 結果 (" + columns +
        ", CHECK (R_距離 < 10)); INSERT INTO 結果 (R_検索名称) VALUES ('mine');");
    const BatchRun checked = RunTool("--db net.db 地図 指示 結果");
    EXPECT_EQ(checked.exit, 6);
    EXPECT_EQ(checked.err,
              "検索結果ファイル[net.db:結果]の保存に失敗しました。(テーブルの制約(CHECK、NOT NULL、"
              "UNIQUEなど)に合わない検索結果があります)\n");
    tqDAODatabase db(dir.Path("net.db"));
    TSLtabDbCL kept;
    ASSERT_TRUE(kept.LoadFromDbTable(db, codepage::Utf8ToCp932("結果")));
    ASSERT_EQ(kept.GetRowCount(), 1u);
    EXPECT_STREQ(kept.ReadCell(1, 2), "mine");
}

TEST_F(BatchDbTest, TheResultTableNeverReplacesAnInputOrAForeignTable) {
    Run(kMap, kDrf, "--version");
    MakeDatabase();
    Sql("CREATE TABLE map (M_始点ノード名 TEXT, M_終点ノード名 TEXT, M_ノード間距離 INTEGER);"
        "INSERT INTO map SELECT * FROM 地図;"
        "CREATE TABLE keep (id INTEGER, note TEXT); INSERT INTO keep VALUES (1, 'mine');");
    const BatchRun itself = RunTool("--db net.db 地図 指示 地図");
    EXPECT_EQ(itself.exit, 2);
    EXPECT_EQ(itself.err, "出力テーブル[地図]は入力テーブル[地図]と同じテーブルです。\n");
    const BatchRun anyCase = RunTool("--db net.db map 指示 MAP");
    EXPECT_EQ(anyCase.exit, 2);
    const BatchRun foreign = RunTool("--db net.db MAP 指示 keep");
    EXPECT_EQ(foreign.exit, 6);
    EXPECT_EQ(foreign.err,
              "検索結果ファイル[net.db:keep]の保存に失敗しました。(テーブル[keep]に検索結果の列が"
              "ありません)\n");
    // SQLite deletes or rewrites the database's companion files: no log goes there.
    for (const char* companion : {"net.db-wal", "net.db-journal", "net.db-shm"}) {
        const BatchRun log =
            RunTool(std::string("--db net.db map 指示 結果 --warnings ") + companion);
        EXPECT_EQ(log.exit, 2) << companion;
        EXPECT_EQ(log.err, std::string("出力ファイル[") + companion + "]は入力ファイル[" +
                               companion + "]と同じファイルです。\n");
    }
    const BatchRun altered = RunTool("--db net.db map 指示 keep😀");
    EXPECT_EQ(altered.exit, 2);
    EXPECT_EQ(altered.err, "テーブル名[keep😀]にShift-JISで表せない文字があります。\n");

    tqDAODatabase db(dir.Path("net.db"));
    TSLtabDbCL rows;
    ASSERT_TRUE(rows.LoadFromDbTable(db, "keep"));
    EXPECT_EQ(rows.GetRowCount(), 1u);
    EXPECT_STREQ(rows.ReadCell(1, 2), "mine");
    ASSERT_TRUE(rows.LoadFromDbTable(db, codepage::Utf8ToCp932("地図")));
    EXPECT_EQ(rows.GetRowCount(), 6u);
    EXPECT_FALSE(db.HasTable(codepage::Utf8ToCp932("結果")));
}

TEST_F(BatchDbTest, ABusyDatabaseIsWaitedForThenNamedAsBusy) {
    Run(kMap, kDrf, "--version");
    MakeDatabase();
    // Eight runs at once all get their turn.
    std::vector<std::future<int>> runs;
    for (int i = 0; i < 8; ++i) {
        runs.push_back(std::async(std::launch::async, [this, i] {
            const std::string command = "cd '" + dir.Dir() +
                                        "' && '" QRLX_BATCH "' --db net.db 地図 指示 結果 >out" +
                                        std::to_string(i) + ".txt 2>&1";
            return std::system(command.c_str());
        }));
    }
    for (auto& run : runs) {
        EXPECT_EQ(run.get(), 0);
    }
    const std::string result = ResultTableAsCsv();
    EXPECT_NE(result, "");

    // Another connection in the middle of writing: the run waits for it.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(dir.Path("net.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    const BatchRun waited = RunTool("--db net.db 地図 指示 結果");
    release.join();
    EXPECT_EQ(waited.exit, 0) << waited.err;

    // A lock held past the wait is named, not taken for a missing table.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const BatchRun busy = RunTool("--db net.db 地図 指示 結果");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(busy.exit, 3);
    EXPECT_NE(busy.err.find("(他のプログラムが使用中です)"), std::string::npos) << busy.err;
    EXPECT_EQ(ResultTableAsCsv(), result);
}

TEST_F(BatchDbTest, AFileThatIsNoDatabaseIsNamedAsSuch) {
    Run(kMap, kDrf, "--version");
    const BatchRun text = RunTool("--db map.csv 地図 指示 結果");
    EXPECT_EQ(text.exit, 3);
    EXPECT_EQ(text.err, "データベース[map.csv]を開けません。(データベースではありません)\n");
    EXPECT_EQ(TempDir::Read(dir.Path("map.csv")), Cp932File(kMap));
}

// Each feature of a layer as ogrinfo prints it: its geometry's WKT, "-" for none.
std::vector<std::string> FeatureLines(const std::string& ogrinfo) {
    std::vector<std::string> features;
    std::istringstream lines(ogrinfo);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("OGRFeature(", 0) == 0) {
            features.emplace_back("-");
        } else if (line.rfind("  LINESTRING", 0) == 0 && !features.empty()) {
            features.back() = line.substr(2);
        }
    }
    return features;
}

// ogr2ogr makes the GeoPackage from UTF-8 CSV files, as a GIS user would: a road layer with
// line geometries from WKT in a projected system and a notes column, which the load does
// not read. The roads are drawn either way; a refused row and a repeated link carry lines
// no route may take.
TEST_F(BatchDbTest, AGeoPackageRoadLayerGivesTheResultTableTheRoutesAsLines) {
    dir.Write("道.csv",
              "WKT,M_始点ノード名,M_終点ノード名,M_ノード間距離,メモ\n"
              "\"LINESTRING (9 9,8 8)\",東京,品川,0,距離なし\n"
              "\"LINESTRING (0 0,1 0)\",東京,品川,7,🚧 工事中\n"
              "\"LINESTRING (2 1,1 0)\",品川,横浜,22,\n"
              "\"LINESTRING (7 7,6 6)\",品川,横浜,1,重複\n"
              "\"LINESTRING (2 1,1 0)\",横浜,品川,22,\n"
              "\"LINESTRING (2 1,3 1)\",横浜,大船,1,\n"
              "\"LINESTRING (4 1,3 1)\",大船,藤沢,1,\n"
              "\"LINESTRING (4 1,5 1)\",藤沢,茅ヶ崎,1,\n"
              "\"LINESTRING (5 1,6 1)\",茅ヶ崎,平塚,1,\n");
    dir.Write("指示.csv",
              "D_検索名称,D_始点ノード名,D_終点ノード名\n通勤,東京,横浜\n遠出,東京,平塚\n"
              "帰れない,横浜,東京\n戻り,横浜,品川\n");
    ASSERT_EQ(std::system(("cd '" + dir.Dir() +
                           "' && ogr2ogr -f GPKG net.gpkg 道.csv -oo GEOM_POSSIBLE_NAMES=WKT "
                           "-oo KEEP_GEOM_COLUMNS=NO -a_srs EPSG:6677 && ogr2ogr -update net.gpkg "
                           "指示.csv >/dev/null 2>&1")
                              .c_str()),
              0);
    const std::vector<std::string> routes = {"LINESTRING (0 0,1 0,2 1)",
                                             "LINESTRING (0 0,1 0,2 1,3 1,4 1,5 1,6 1)",
                                             "-",  // the second row of the six nodes
                                             "-",  // the failed search
                                             "LINESTRING (2 1,1 0)"};
    for (int run = 0; run < 2; ++run) {  // made, then replaced
        const BatchRun made = RunTool("--db net.gpkg 道 指示 結果");
        ASSERT_EQ(made.exit, 0) << made.err;
        const BatchRun info = RunTool("ogrinfo -ro -al -q net.gpkg 結果", /*prefixed=*/true);
        EXPECT_EQ(FeatureLines(info.out), routes) << info.out;
        EXPECT_NE(info.out.find("R_距離 (Integer64) = 29"), std::string::npos) << info.out;
    }
    // GDAL's GeoPackage validator (python3-gdal, which gdal-bin depends on) finds no fault.
    const BatchRun valid = RunTool(
        "/usr/bin/python3 /usr/lib/python3/dist-packages/osgeo_utils/samples/validate_gpkg.py "
        "net.gpkg",
        /*prefixed=*/true);
    EXPECT_EQ(valid.exit, 0) << valid.out << valid.err;
    const BatchRun layer = RunTool("ogrinfo -ro -so net.gpkg 結果", /*prefixed=*/true);
    EXPECT_NE(layer.out.find("Geometry: Line String"), std::string::npos) << layer.out;
    EXPECT_NE(layer.out.find("ID[\"EPSG\",6677]]"), std::string::npos) << layer.out;

    // One row per node: each row the line of the link that reached its node.
    ASSERT_EQ(RunTool("--db net.gpkg 道 指示 経路 --layout nodes").exit, 0);
    const std::vector<std::string> links =
        FeatureLines(RunTool("ogrinfo -ro -al -q net.gpkg 経路", /*prefixed=*/true).out);
    const std::vector<std::string> expected = {"-",
                                               "LINESTRING (0 0,1 0)",
                                               "LINESTRING (1 0,2 1)",  // 通勤
                                               "-",
                                               "LINESTRING (0 0,1 0)",
                                               "LINESTRING (1 0,2 1)",
                                               "LINESTRING (2 1,3 1)",
                                               "LINESTRING (3 1,4 1)",
                                               "LINESTRING (4 1,5 1)",
                                               "LINESTRING (5 1,6 1)",  // 遠出
                                               "-",                     // 帰れない
                                               "-",
                                               "LINESTRING (2 1,1 0)"};  // 戻り
    EXPECT_EQ(links, expected);

    // The same roads through a spatial view, which has no rowid, and as a table with a column
    // named rowid that repeats one value: a map row is known by its place in what was read.
    ASSERT_EQ(RunTool("sqlite3 net.gpkg \"CREATE VIEW 道ビュー AS SELECT * FROM 道; "
                      "CREATE TABLE 道2 (rowid INTEGER, geom LINESTRING, M_始点ノード名 TEXT, "
                      "M_終点ノード名 TEXT, M_ノード間距離 INTEGER); "
                      "INSERT INTO 道2 SELECT 1, geom, M_始点ノード名, M_終点ノード名, "
                      "M_ノード間距離 FROM 道 ORDER BY fid; "
                      "INSERT INTO gpkg_contents (table_name, data_type, identifier, srs_id) "
                      "VALUES ('道ビュー', 'features', '道ビュー', 6677), "
                      "('道2', 'features', '道2', 6677); "
                      "INSERT INTO gpkg_geometry_columns VALUES "
                      "('道ビュー', 'geom', 'LINESTRING', 6677, 0, 0), "
                      "('道2', 'geom', 'LINESTRING', 6677, 0, 0);\"",
                      /*prefixed=*/true)
                  .exit,
              0);
    for (const std::string roads : {"道ビュー", "道2"}) {
        const BatchRun drawn = RunTool("--db net.gpkg " + roads + " 指示 結果" + roads);
        ASSERT_EQ(drawn.exit, 0) << roads << ": " << drawn.err;
        const BatchRun info =
            RunTool("ogrinfo -ro -al -q net.gpkg 結果" + roads, /*prefixed=*/true);
        EXPECT_EQ(FeatureLines(info.out), routes) << roads << ": " << info.out;
    }
}

}  // namespace
