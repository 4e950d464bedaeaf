// The titled table's exchange with real SQLite database files in a temporary folder.
#include "db/tsltabdb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

namespace {

class DbTest : public testing::Test {
protected:
    void SetUp() override {
        path = dir.Path("test.db");
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        sqlite3_close(raw);
        db = std::make_unique<tqDAODatabase>(path);
    }
    // Runs UTF-8 SQL directly, apart from the layer under test.
    void Sql(const std::string& utf8) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, utf8.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(raw);
    }
    // The rows of a query, fields joined by '|' (NULL as ~), rows by '/', UTF-8.
    std::string Rows(const std::string& utf8) {
        sqlite3* raw = nullptr;
        sqlite3_open(path.c_str(), &raw);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(raw, utf8.c_str(), -1, &statement, nullptr);
        std::string out;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            out += out.empty() ? "" : "/";
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* text = sqlite3_column_text(statement, i);
                out += (i ? "|" : "") +
                       (text ? std::string(reinterpret_cast<const char*>(text)) : std::string("~"));
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(raw);
        return out;
    }
    static std::string Cp(const char* utf8) { return codepage::Utf8ToCp932(utf8); }
    void SetRow(TSLtabDbCL& table, uint32_t row, std::initializer_list<const char*> cells) {
        uint32_t col = 1;
        for (const char* cell : cells) {
            table.WriteCell(row, col++, Cp(cell));
        }
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<tqDAODatabase> db;
};

TEST_F(DbTest, BuiltStatementsFollowTheFieldTypesAndDoubleQuotes) {
    Sql("CREATE TABLE T (K VARCHAR(20), N INTEGER)");
    TSLtabDbCL table;
    table.SetTitle(1, "K");
    table.SetTitle(2, "N");
    SetRow(table, 1, {"A", ""});
    SetRow(table, 2, {"x", "5"});
    SetRow(table, 3, {"O'Hare", ""});
    std::string sql;
    ASSERT_TRUE(table.BuildInsertSql(*db, 1, "T", sql));
    EXPECT_EQ(sql, "INSERT INTO T VALUES('A',NULL)");
    tqList<tqString> keys;
    keys.Add(std::make_unique<tqString>("K"));
    ASSERT_TRUE(table.BuildUpdateSql(*db, 2, "T", keys, sql));
    EXPECT_EQ(sql, "UPDATE T SET N = 5 WHERE K = 'x'");
    ASSERT_TRUE(table.BuildUpdateSql(*db, 3, "T", keys, sql));
    EXPECT_EQ(sql, "UPDATE T SET N = NULL WHERE K = 'O''Hare'");
    SetRow(table, 4, {"", "7"});  // an empty text key is quoted all the same
    ASSERT_TRUE(table.BuildUpdateSql(*db, 4, "T", keys, sql));
    EXPECT_EQ(sql, "UPDATE T SET N = 7 WHERE K = 'NULL'");
    // Further keys: a text one ends with a blank, a number without.
    Sql("CREATE TABLE T2 (K VARCHAR(20), N INTEGER, L TEXT, M INTEGER)");
    TSLtabDbCL keyed;
    for (uint32_t col = 1; col <= 4; ++col) {
        keyed.SetTitle(col, std::string(1, "KNLM"[col - 1]));
    }
    SetRow(keyed, 1, {"k", "1", "l", "2"});
    for (const char* key : {"L", "N"}) {
        keys.Add(std::make_unique<tqString>(key));
    }
    ASSERT_TRUE(keyed.BuildUpdateSql(*db, 1, "T2", keys, sql));
    EXPECT_EQ(sql, "UPDATE T2 SET M = 2 WHERE K = 'k' AND N = 1 AND L = 'l' ");
    ASSERT_TRUE(table.BuildInsertSql(*db, 3, "T", sql));
    EXPECT_TRUE(db->Execute(sql));  // a quote in a value no longer breaks the statement
    EXPECT_EQ(Rows("SELECT K FROM T"), "O'Hare");
    EXPECT_FALSE(table.BuildInsertSql(*db, 1, "missing", sql));
}

TEST_F(DbTest, CsvToDatabaseAndBackKeepsEveryCellByteForByte) {
    Sql("CREATE TABLE 経路 (名前 TEXT, 距離 INTEGER, メモ VARCHAR(50))");
    const std::string csv =
        Cp("名前,距離,メモ\r\n東京～品川,7,\"a,b\"\r\n,,\r\n ,0,\"He said \"\"hi\"\"\"\r\n"
           "①②,-3,x'); DROP TABLE 経路; --\r\n");
    TSLtabDbCL table;
    ASSERT_TRUE(table.LoadCsvFile(dir.Write("in.csv", csv)));
    ASSERT_TRUE(table.ReplaceDbTable(*db, Cp("経路")));
    EXPECT_EQ(Rows("SELECT count(*) FROM sqlite_schema WHERE name = '経路'"), "1");
    EXPECT_EQ(Rows("SELECT 距離 FROM 経路"), "7/~/0/-3");

    TSLtabDbCL back;
    ASSERT_TRUE(back.LoadFromDbTable(*db, Cp("経路")));
    ASSERT_TRUE(back.SaveCsvFile(dir.Path("out.csv")));
    EXPECT_EQ(TempDir::Read(dir.Path("out.csv")), csv);
}

TEST_F(DbTest, MergeUpdatesAddsAndDeletesByTheMark) {
    Sql("CREATE TABLE T (K TEXT, V TEXT)");
    Sql("INSERT INTO T VALUES ('a', 'old'), ('b', 'keep'), ('c', 'gone')");
    TSLtabDbCL table;
    table.SetTitle(1, "K");
    table.SetTitle(2, "V");
    table.SetTitle(3, Cp("削除"));
    SetRow(table, 1, {"a", "new", ""});
    SetRow(table, 2, {"c", "", "1"});
    SetRow(table, 3, {"d", "added", "0"});
    SetRow(table, 4, {"e", "never", "1"});
    tqList<tqString> keys;
    keys.Add(std::make_unique<tqString>("K"));
    ASSERT_TRUE(table.MergeToDbTable(*db, "T", keys));
    EXPECT_EQ(Rows("SELECT K, V FROM T ORDER BY K"), "a|new/b|keep/d|added");
}

TEST_F(DbTest, MergeByKeysThatNameNoFieldChangesNothing) {
    Sql("CREATE TABLE T (K TEXT, V INTEGER)");
    Sql("INSERT INTO T VALUES ('a', 1), ('b', 2), ('c', 3)");
    TSLtabDbCL table;
    table.SetTitle(1, "K");
    table.SetTitle(2, "V");
    SetRow(table, 1, {"b", "20"});
    SetRow(table, 2, {"d", "40"});
    tqList<tqString> mistyped;
    mistyped.Add(std::make_unique<tqString>("Key"));
    EXPECT_FALSE(table.MergeToDbTable(*db, "T", mistyped));
    tqList<tqString> none;
    EXPECT_FALSE(table.MergeToDbTable(*db, "T", none));
    tqList<tqString> oneOfTwo;
    oneOfTwo.Add(std::make_unique<tqString>("K"));
    oneOfTwo.Add(std::make_unique<tqString>("Key"));
    EXPECT_FALSE(table.MergeToDbTable(*db, "T", oneOfTwo));
    EXPECT_EQ(Rows("SELECT K, V FROM T ORDER BY rowid"), "a|1/b|2/c|3");
}

TEST_F(DbTest, ValuesComeInUnchangedOrTheLoadNamesWhereItCannot) {
    Sql("CREATE TABLE T (N TEXT, D)");
    Sql("INSERT INTO T VALUES ('東京', 2000000000000000.0), ('x', 1e20), ('y', -2.5), "
        "('z', 7)");
    TSLtabDbCL table;
    ASSERT_TRUE(table.LoadFromDbTable(*db, "T"));
    // Numbers in positional notation: their leading digits are their whole part.
    EXPECT_STREQ(table.ReadCell(1, 2), "2000000000000000.0");
    EXPECT_STREQ(table.ReadCell(2, 2), "100000000000000000000.0");
    EXPECT_STREQ(table.ReadCell(3, 2), "-2.5");
    EXPECT_STREQ(table.ReadCell(4, 2), "7");
    EXPECT_EQ(table.Unconvertible().Column, 0u);

    Sql("INSERT INTO T VALUES ('ok', 1), ('東京😀', 7)");
    EXPECT_FALSE(table.LoadFromDbTable(*db, "T"));
    EXPECT_EQ(table.Unconvertible().Row, 6u);
    EXPECT_EQ(table.Unconvertible().Column, 1u);
    EXPECT_EQ(table.GetColCount(), 0u);  // nothing half-loaded stays

    Sql("DELETE FROM T WHERE rowid > 4");
    Sql("INSERT INTO T VALUES ('H', 'I' || char(0) || 'J')");  // a NUL would cut the name
    EXPECT_FALSE(table.LoadFromDbTable(*db, "T"));
    EXPECT_EQ(table.Unconvertible().Row, 5u);
    EXPECT_EQ(table.Unconvertible().Column, 2u);

    Sql("CREATE TABLE U (\"名🙂\" TEXT)");
    EXPECT_FALSE(table.LoadFromDbTable(*db, "U"));
    EXPECT_EQ(table.Unconvertible().Row, 0u);  // the title line
    EXPECT_EQ(table.Unconvertible().Column, 1u);
}

TEST_F(DbTest, NamesMatchAsSqliteMatchesThemAndCountsAreThisStatements) {
    Sql("CREATE TABLE Map (A TEXT)");
    EXPECT_TRUE(db->HasTable("MAP"));
    EXPECT_TRUE(db->HasTable("map"));
    EXPECT_FALSE(db->HasTable("Maps"));
    EXPECT_TRUE(db->Execute("INSERT INTO Map VALUES ('x')"));
    EXPECT_FALSE(db->Execute("CREATE TABLE Other (B TEXT)"));  // nothing was changed
    TSLtabDbCL table;
    ASSERT_TRUE(table.LoadFromDbTable(*db, "MAP"));
    EXPECT_STREQ(table.ReadCell(1, 1), "x");
}

TEST_F(DbTest, AFileThatIsNoDatabaseSaysSoWithoutTheBuildsPaths) {
    const std::string text =
        dir.Write("text.db", "M_始点ノード名,M_終点ノード名\nA,B,1\n" + std::string(2000, 'x'));
    try {
        tqDAODatabase notADatabase(text);
        ADD_FAILURE() << "opened";
    } catch (const tqDaoError& error) {
        EXPECT_EQ(error.Code(), SQLITE_NOTADB);
        const std::string what = error.what();
        EXPECT_NE(what.find("not a database @ tqdao.cpp/"), std::string::npos) << what;
        EXPECT_EQ(what.find("/tqdao.cpp"), std::string::npos) << what;
    }
}

TEST_F(DbTest, AFailedWriteRollsBackAndLeavesTheTableAsItWas) {
    Sql("CREATE TABLE T (K TEXT UNIQUE, V TEXT)");
    Sql("INSERT INTO T VALUES ('before', '1')");
    TSLtabDbCL table;
    table.SetTitle(1, "K");
    table.SetTitle(2, "V");
    SetRow(table, 1, {"p", "1"});
    SetRow(table, 2, {"q", "2"});
    SetRow(table, 3, {"p", "3"});  // the third row breaks the unique key
    EXPECT_FALSE(table.ReplaceDbTable(*db, "T"));
    EXPECT_EQ(Rows("SELECT K, V FROM T"), "before|1");
    EXPECT_FALSE(table.AppendToDbTable(*db, "T"));
    EXPECT_EQ(Rows("SELECT K, V FROM T"), "before|1");
    tqList<tqString> keys;
    keys.Add(std::make_unique<tqString>("V"));
    EXPECT_FALSE(table.MergeToDbTable(*db, "T", keys));
    EXPECT_EQ(Rows("SELECT K, V FROM T"), "before|1");
    EXPECT_FALSE(table.ReplaceDbTable(*db, "nosuchtable"));
}

TEST_F(DbTest, QueriesLoadWithTheirNamesOrIntoTheTitlesByPosition) {
    Sql("CREATE TABLE T (A TEXT, B INTEGER)");
    Sql("INSERT INTO T VALUES ('x', 1), (NULL, 2), (' ', NULL)");
    TSLtabDbCL table;
    ASSERT_TRUE(table.LoadFromDbQuery(*db, "SELECT B, A FROM T ORDER BY rowid", true));
    EXPECT_STREQ(table.GetTitle(1), "B");
    EXPECT_EQ(table.GetRowCount(), 3u);
    EXPECT_STREQ(table.ReadCell(1, 2), "x");
    EXPECT_STREQ(table.ReadCell(2, 2), "");  // NULL
    EXPECT_STREQ(table.ReadCell(3, 2), "");  // a single space of a text field
    EXPECT_STREQ(table.ReadCell(3, 1), "");
    ASSERT_TRUE(table.LoadFromDbQuery(*db, "SELECT A, B FROM T WHERE B = 1", false));
    EXPECT_STREQ(table.GetTitle(1), "B");  // titles stay; values by position
    EXPECT_STREQ(table.ReadCell(1, 1), "x");
    EXPECT_EQ(table.GetRowCount(), 1u);
    EXPECT_FALSE(table.LoadFromDbQuery(*db, "SELECT nonsense FROM", true));
    EXPECT_FALSE(table.LoadFromDbTable(*db, "missing"));
}

TEST_F(DbTest, TransactionsNestAndAnInnerRollbackKeepsTheOuterWork) {
    Sql("CREATE TABLE T (V TEXT)");
    db->BeginTrans();
    EXPECT_TRUE(db->Execute("INSERT INTO T VALUES ('outer')"));
    db->BeginTrans();
    db->Execute("INSERT INTO T VALUES ('inner')");
    db->Rollback();
    db->CommitTrans();
    EXPECT_EQ(Rows("SELECT V FROM T"), "outer");
    EXPECT_FALSE(db->Execute("DELETE FROM T WHERE V = 'none'"));
    EXPECT_THROW(db->Execute("NOT SQL"), tqDaoError);
    EXPECT_THROW(tqDAODatabase(dir.Path("absent.db")), tqDaoError);
}

}  // namespace
