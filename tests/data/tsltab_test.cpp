#include "data/tsltab.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/iofault.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

// "titles/row 1/row 2…", cells joined by ','.
std::string Dump(TSLtabCL& table) {
    std::string out;
    for (uint32_t col = 1; col <= table.GetColCount(); ++col) {
        out += std::string(col > 1 ? "," : "") + table.GetTitle(col);
    }
    for (uint32_t row = 1; row <= table.GetRowCount(); ++row) {
        out += "/";
        for (uint32_t col = 1; col <= table.GetColCount(); ++col) {
            out += std::string(col > 1 ? "," : "") + table.ReadCell(row, col);
        }
    }
    return out;
}

class TSLtabCLTest : public testing::Test {
protected:
    // Loads into the emptied table, so that no earlier titles are remembered.
    std::string Load(const std::string& bytes) {
        table.Clear();
        return LoadAgain(bytes);
    }
    std::string LoadAgain(const std::string& bytes) {
        if (!table.LoadCsvFile(dir.Write("in.csv", bytes))) {
            return "<load failed>";
        }
        return Dump(table);
    }
    std::string Save() {
        std::string path = dir.Path("out.csv");
        if (!table.SaveCsvFile(path)) {
            return "<save failed>";
        }
        return TempDir::Read(path);
    }

    TempDir dir;
    TSLtabCL table;
};

TEST_F(TSLtabCLTest, LoadsTitlesAndRows) {
    EXPECT_EQ(Load("X,Y,Z\n1,2,3,4\n1\n"), "X,Y,Z/1,2,3/1,,");
    EXPECT_EQ(table.GetRowCount(), 2u);
    EXPECT_EQ(table.GetColCount(), 3u);
    EXPECT_EQ(Load("X,Y\r\na,b\r\n"), "X,Y/a,b");
    EXPECT_EQ(Load("X,Y\na,b"), "X,Y/a,b");
    EXPECT_EQ(Load("X,Y\n"), "X,Y");
    EXPECT_EQ(table.GetRowCount(), 0u);
}

TEST_F(TSLtabCLTest, EmptyMiddleLinesAreRowsAndTrailingOnesAreNot) {
    EXPECT_EQ(Load("X\na\n\n\nb\n\n\n"), "X/a///b");
    EXPECT_EQ(table.GetRowCount(), 4u);
}

TEST_F(TSLtabCLTest, ControlZEndsTheFileAndAByteOrderMarkMakesItUtfEight) {
    EXPECT_EQ(Load("X\na\n\x1A"
                   "b\n"),
              "X/a");
    // The mark goes; the UTF-8 text arrives as CP932.
    EXPECT_EQ(Load("\xEF\xBB\xBFX,Y\n\xE6\x9D\xB1,2\n"), "X,Y/\x93\x8C,2");
    EXPECT_EQ(table.FindTitle("X"), 1u);
    EXPECT_EQ(table.Unconvertible().Column, 0u);
    // Without the mark at the very start, the bytes are CP932 as they stand.
    EXPECT_EQ(Load("X\n\xEF\xBB\xBF\n"), "X/\xEF\xBB\xBF");
}

TEST_F(TSLtabCLTest, UtfEightWithoutTheMarkIsToldByTheNeededTitles) {
    const std::string utf8 = "\xE6\x9D\xB1,Y\n\xE6\x9D\xB1,2\n";  // 東,Y as UTF-8
    // Without needed titles the bytes stand as they are.
    EXPECT_EQ(Load(utf8), "\xE6\x9D\xB1,Y/\xE6\x9D\xB1,2");
    // Titles missing as CP932 but there as UTF-8: the whole file is UTF-8.
    table.SetNeededTitles({"\x93\x8C", "Y"});
    EXPECT_EQ(Load(utf8), "\x93\x8C,Y/\x93\x8C,2");
    // Titles found as CP932: read byte for byte, even where the rows are valid UTF-8.
    EXPECT_EQ(Load("\x93\x8C,Y\n\xE6\x9D\xB1,2\n"), "\x93\x8C,Y/\xE6\x9D\xB1,2");
    // Titles in neither: CP932, and the caller finds them missing.
    EXPECT_EQ(Load("A,Y\n\xE6\x9D\xB1,2\n"), "A,Y/\xE6\x9D\xB1,2");
}

TEST_F(TSLtabCLTest, AMarkBeforeShiftJisBytesIsPartOfTheFirstTitle) {
    // The mark, then CP932 that is no UTF-8: read as before the mark was understood.
    EXPECT_EQ(Load("\xEF\xBB\xBF"
                   "X,\x93\x8C\n1,\x93\x8C\n"),
              "\xEF\xBB\xBF"
              "X,\x93\x8C/1,\x93\x8C");
    EXPECT_EQ(table.FindTitle("X"), 0u);
    EXPECT_EQ(table.Unconvertible().Column, 0u);
    // Valid UTF-8 after the mark that CP932 cannot hold is still refused with its place.
    EXPECT_EQ(Load("\xEF\xBB\xBFX\n\xF0\x9F\x9A\x97\n"), "<load failed>");
    EXPECT_EQ(table.Unconvertible().Row, 1u);
}

TEST(TSLtabCLMarkTest, ATitleBeginningWithTheMarksBytesSavesAndReadsBackUnchanged) {
    TempDir dir;
    TSLtabCL table;
    const std::string title = "\xEF\xBB\xBFX";  // a CP932 text that looks like the mark
    table.SetTitle(1, title);
    table.SetTitle(2, "Y");
    table.WriteCell(1, 1, "1");
    ASSERT_TRUE(table.SaveCsvFile(dir.Path("out.csv")));
    TSLtabCL again;
    ASSERT_TRUE(again.LoadCsvFile(dir.Path("out.csv")));
    EXPECT_EQ(std::string(again.GetTitle(1)), title);
    EXPECT_STREQ(again.GetTitle(2), "Y");
    EXPECT_STREQ(again.ReadCell(1, 1), "1");
}

TEST_F(TSLtabCLTest, FindsColumnsByExactTitleInAnyOrder) {
    Load("extra,M_b,other,M_a\n1,2,3,4\n");
    EXPECT_EQ(table.FindTitle("M_a"), 4u);
    EXPECT_EQ(table.FindTitle("M_b"), 2u);
    EXPECT_EQ(table.FindTitle("m_a"), 0u);
    EXPECT_EQ(table.FindTitle("M_a "), 0u);
    EXPECT_STREQ(table.ReadCellByTitle(1, "M_a"), "4");
    EXPECT_STREQ(table.ReadCellByTitle(1, "missing"), "");
    table.Clear();
    EXPECT_EQ(table.FindTitle("M_a"), 0u);
}

TEST_F(TSLtabCLTest, RememberedTitlesFollowTheNextFilesColumns) {
    Load("A,B,C\n1,2,3\n");
    EXPECT_EQ(LoadAgain("C,D\nx,y\n"), "C,D,A,B/x,y,,");
    EXPECT_EQ(table.FindTitle("B"), 4u);
    EXPECT_EQ(LoadAgain("A\nz\n"), "A,C,D,B/z,,,");
}

TEST_F(TSLtabCLTest, FailedLoadsLeaveOrClearTheTable) {
    Load("A\n1\n");
    EXPECT_FALSE(table.LoadCsvFile(dir.Path("missing.csv")));
    EXPECT_EQ(Dump(table), "A/1");  // unchanged
    EXPECT_EQ(LoadAgain(""), "<load failed>");
    EXPECT_EQ(Dump(table), "");  // an empty file clears the table
    EXPECT_EQ(table.FindTitle("A"), 0u);
}

TEST_F(TSLtabCLTest, WritingAHighRowMakesTheRowsBelowItEmpty) {
    table.WriteCell(5, 1, "x");
    EXPECT_EQ(table.GetRowCount(), 5u);
    EXPECT_STREQ(table.ReadCell(3, 1), "");
    EXPECT_STREQ(table.ReadCell(5, 1), "x");
    EXPECT_STREQ(table.ReadCell(5, 2), "");
    EXPECT_STREQ(table.ReadCell(0, 1), "");
    EXPECT_FALSE(table.WriteCell(1, 0, "never"));
    EXPECT_FALSE(table.WriteCell(0, 1, "never"));
    table.WriteCell(5, 1, "overwritten");
    EXPECT_STREQ(table.ReadCell(5, 1), "overwritten");
}

TEST_F(TSLtabCLTest, EachReadReusesTheOneReadBuffer) {
    table.WriteCell(1, 1, "first");
    table.WriteCell(1, 2, "other");
    const char* first = table.ReadCell(1, 1);
    table.ReadCell(1, 2);
    EXPECT_STREQ(first, "other");
}

TEST_F(TSLtabCLTest, IntegersByTitle) {
    table.SetTitle(1, "N");
    EXPECT_TRUE(table.WriteIntByTitle(1, "N", -42));
    EXPECT_TRUE(table.WriteIntByTitle(2, "N", TSLtabCL::NO_VALUE));
    EXPECT_FALSE(table.WriteIntByTitle(1, "none", 1));
    table.WriteCell(3, 1, " +17km");
    table.WriteCell(4, 1, "abc");
    table.WriteCell(5, 1, "99999999999");
    EXPECT_EQ(table.ReadIntByTitle(1, "N"), -42);
    EXPECT_EQ(table.ReadIntByTitle(2, "N"), TSLtabCL::NO_VALUE);
    EXPECT_EQ(table.ReadIntByTitle(3, "N"), 17);
    EXPECT_EQ(table.ReadIntByTitle(4, "N"), 0);
    EXPECT_EQ(table.ReadIntByTitle(5, "N"), 2147483647);
}

TEST_F(TSLtabCLTest, ClearRowsKeepTitles) {
    Load("A,B\n1,2\n");
    table.ClearRowsKeepTitles();
    EXPECT_EQ(Dump(table), "A,B");
    EXPECT_EQ(table.FindTitle("B"), 2u);
}

TEST_F(TSLtabCLTest, SavesQuotedFieldsTrailingCommasAndCrLf) {
    table.SetTitle(1, "T,1");
    table.SetTitle(2, "T2");
    table.WriteCell(1, 1, "1,5");
    table.WriteCell(1, 2, "say \"hi\"");
    table.WriteCell(2, 1, " lead");
    table.WriteCell(4, 1, "value");
    EXPECT_EQ(Save(), "\"T,1\",T2\r\n\"1,5\",\"say \"\"hi\"\"\"\r\n lead,\r\n,\r\nvalue,\r\n");
}

TEST_F(TSLtabCLTest, SavedCellsAreTheTextsReadCellGivesWhateverTheirLength) {
    table.SetTitle(1, "T");
    std::string expected = "T\r\n";
    uint32_t row = 1;
    // Around the store's 16 KB page, each length starting at three places in a page.
    for (size_t length : {1, 16382, 16383, 16384, 16385, 40000}) {
        for (char k = 'a'; k < 'd'; ++k, ++row) {
            table.WriteCell(row, 1, std::string(length, k));
            expected += std::string(length, k) + "\r\n";
        }
    }
    table.WriteCell(row, 1, std::string_view("x\0y", 3));  // a NUL ends the text read
    expected += "x\r\n";
    EXPECT_EQ(Save(), expected);
    EXPECT_STREQ(table.ReadCell(row, 1), "x");
    EXPECT_EQ(table.ReadCell(row - 1, 1), std::string(40000, 'c'));
}

TEST_F(TSLtabCLTest, SavedFileLoadsBackTheSame) {
    std::string original = "名称,値\r\n\"a,b\",\"x\"\"y\"\r\n,\r\n\x83\x5C,3\r\n";
    Load(original);
    EXPECT_EQ(Save(), original);
}

TEST_F(TSLtabCLTest, LongFieldsAndLinesLoadWhole) {
    std::string name(5000, 'n');
    std::string longLine = "A,B\n" + name + "," + std::string(40000, 'v') + "\n";
    EXPECT_EQ(Load(longLine), "A,B/" + name + "," + std::string(40000, 'v'));
}

TEST_F(TSLtabCLTest, TableWithoutColumnsIsNotSavedAndTheOldFileStays) {
    std::string path = dir.Write("out.csv", "old\r\n");
    EXPECT_FALSE(table.SaveCsvFile(path));
    EXPECT_EQ(TempDir::Read(path), "old\r\n");
}

TEST_F(TSLtabCLTest, SaveThatFailsHalfWayKeepsTheOldFile) {
    // Quotes double when written, so the file outgrows the table's own scratch file and
    // the size limit below hits the save alone.
    table.SetTitle(1, "A");
    const std::string quotes(1000, '"');
    for (uint32_t row = 1; row <= 40; ++row) {
        table.WriteCell(row, 1, quotes);
    }
    std::string path = dir.Write("out.csv", "A\r\nprevious\r\n");

    bool savedWithLimit = false;
    {
        ScopedFileSizeLimit limit(65536);
        savedWithLimit = table.SaveCsvFile(path);
    }

    EXPECT_FALSE(savedWithLimit);
    EXPECT_EQ(TempDir::Read(path), "A\r\nprevious\r\n");
    EXPECT_EQ(dir.Listing(), "out.csv");
    ASSERT_TRUE(table.IsUsable());
    EXPECT_TRUE(table.SaveCsvFile(path));
    EXPECT_EQ(TempDir::Read(path).size(), 3u + 40u * (2002 + 2));
}

// A table of many rows, large enough to be saved in several blocks; gives the file it
// should save as, each field quoted where needed and every line ended by CR LF.
std::string FillLargeTable(TSLtabCL& table, uint32_t rows) {
    table.SetTitle(1, "A");
    table.SetTitle(2, "B,b");
    table.SetTitle(3, "C");
    std::string expected = "A,\"B,b\",C\r\n";
    for (uint32_t row = 1; row <= rows; ++row) {
        const std::string a = std::to_string(row);
        const std::string b = row % 7 == 0 ? "say \"" + a + "\"" : "b" + a;
        const std::string c = row % 1000 == 0 ? std::string(20000, 'c') : "";  // or none
        table.WriteCell(row, 1, a);
        table.WriteCell(row, 2, b);
        if (!c.empty()) {
            table.WriteCell(row, 3, c);
        }
        expected += a + "," + (row % 7 == 0 ? "\"say \"\"" + a + "\"\"\"" : b) + "," + c + "\r\n";
    }
    return expected;
}

TEST_F(TSLtabCLTest, ALargeTableSavesEveryRowInOrder) {
    const std::string expected = FillLargeTable(table, 9000);
    ASSERT_GT(table.textStore.total, 4 * 64 * 1024);  // several blocks of rows
    std::vector<uint64_t> told;
    table.SetProgressHook([&](uint64_t done, uint64_t total) {
        EXPECT_EQ(total, 9000u);
        told.push_back(done);
    });
    EXPECT_EQ(Save(), expected);
    EXPECT_EQ(told, (std::vector<uint64_t>{4096, 8192}));
    EXPECT_EQ(Save(), expected);  // the table is unchanged by a save
}

TEST_F(TSLtabCLTest, ALargeSaveThatFailsKeepsTheOldFile) {
    FillLargeTable(table, 9000);
    const std::string path = dir.Write("out.csv", "old\r\n");
    {
        ScopedFileSizeLimit limit(100000);
        EXPECT_FALSE(table.SaveCsvFile(path));
    }
    iofault::Fail(iofault::opRead);
    EXPECT_FALSE(table.SaveCsvFile(path));
    iofault::Reset();
    EXPECT_EQ(TempDir::Read(path), "old\r\n");
    EXPECT_EQ(dir.Listing(), "out.csv");
}

TEST_F(TSLtabCLTest, ASaveLeftByAnExceptionKeepsTheOldFile) {
    FillLargeTable(table, 9000);
    const std::string path = dir.Write("out.csv", "old\r\n");
    table.SetProgressHook([](uint64_t, uint64_t) { throw std::runtime_error("stopped"); });
    EXPECT_THROW(table.SaveCsvFile(path), std::runtime_error);
    EXPECT_EQ(TempDir::Read(path), "old\r\n");
    EXPECT_EQ(dir.Listing(), "out.csv");
}

TEST(TSLtabCLTitlesTest, ManyTitlesOnBothSidesOfAReloadAreKeptInOrder) {
    TempDir dir;
    std::string first = "A,B";
    std::string second = "B";
    for (int i = 0; i < 40000; ++i) {
        first += ",X" + std::to_string(i);
        second += ",Y" + std::to_string(i);
    }
    TSLtabCL table;
    ASSERT_TRUE(table.LoadCsvFile(dir.Write("first.csv", first + "\n1,2\n")));
    ASSERT_TRUE(table.LoadCsvFile(dir.Write("second.csv", second + "\n3\n")));
    // The file's titles, then the earlier ones it lacks, each once, in their order.
    EXPECT_EQ(table.GetColCount(), 1u + 40000 + 1 + 40000);
    EXPECT_STREQ(table.GetTitle(1), "B");
    EXPECT_STREQ(table.GetTitle(40001), "Y39999");
    EXPECT_STREQ(table.GetTitle(40002), "A");
    EXPECT_STREQ(table.GetTitle(40003), "X0");
    EXPECT_EQ(table.FindTitle("X39999"), 80002u);
    EXPECT_STREQ(table.ReadCell(1, 1), "3");
    EXPECT_STREQ(table.ReadCell(1, 40002), "");
}

TEST(TSLtabCLTitlesTest, AnEmptyOnlyTitleSurvivesASaveAndReload) {
    TempDir dir;
    TSLtabCL table;
    table.SetTitle(1, "");
    table.WriteCell(1, 1, "first");
    table.WriteCell(3, 1, "third");
    ASSERT_TRUE(table.SaveCsvFile(dir.Path("out.csv")));
    EXPECT_EQ(TempDir::Read(dir.Path("out.csv")), "\"\"\r\nfirst\r\n\r\nthird\r\n");
    TSLtabCL again;
    ASSERT_TRUE(again.LoadCsvFile(dir.Path("out.csv")));
    EXPECT_EQ(again.GetColCount(), 1u);
    EXPECT_STREQ(again.GetTitle(1), "");
    EXPECT_EQ(again.GetRowCount(), 3u);
    EXPECT_STREQ(again.ReadCell(1, 1), "first");
    EXPECT_STREQ(again.ReadCell(3, 1), "third");
}

TEST(TSLtabCLScratchTest, TextBeyondTwoGigabytesFailsTheLoadAsTooLarge) {
    TempDir dir;
    TSLtabCL table;
    ASSERT_TRUE(table.LoadCsvFile(dir.Write("in.csv", "Title\nx\n")));
    table.textStore.total = std::numeric_limits<int32_t>::max() - 40;  // as after 2 GB of cells
    table.WriteCell(2, 1, std::string(100, 'x'));
    EXPECT_TRUE(table.IsFull());
    EXPECT_FALSE(table.IsUsable());
    table.Clear();  // the scratch file itself never failed
    EXPECT_FALSE(table.IsFull());
    ASSERT_TRUE(table.LoadCsvFile(dir.Write("small.csv", "A\n1\n")));
    EXPECT_STREQ(table.ReadCell(1, 1), "1");
}

TEST(TSLtabCLScratchTest, TableWithoutScratchFileFailsToLoad) {
    TempDir dir;
    std::string path = dir.Write("in.csv", "A\n1\n");
    ScopedTmpDir tmp(dir.Path("missing"));
    TSLtabCL table;
    EXPECT_FALSE(table.IsUsable());
    EXPECT_FALSE(table.LoadCsvFile(path));
    EXPECT_FALSE(table.SaveCsvFile(dir.Path("out.csv")));
}

}  // namespace
