// qrlx-batch on the tables of an SQLite database.
#include <sqlite3.h>

#include <string>

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

}  // namespace
