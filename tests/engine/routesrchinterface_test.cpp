#include "engine/routesrchinterface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/resultfile.h"
#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

namespace {

class RecordingProgress final : public ProgressDisplay {
public:
    void Begin() override { calls += "begin "; }
    void SetPosition(int percent) override { calls += std::to_string(percent) + " "; }
    void ProcessEvents() override { calls += ". "; }
    void End() override { calls += "end "; }
    std::string calls;
};

std::string Texts(const tqList<tqString>& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        out += codepage::Cp932ToUtf8(list.Get(i)->GetText()) + "\n";
    }
    return out;
}

class EngineTest : public testing::Test {
protected:
    void SetUp() override { RSIF::CreateEngine(); }
    void TearDown() override {
        RSIF::SetProgressDisplay(nullptr);
        RSIF::DestroyEngine();
    }

    std::string File(const std::string& name, const std::string& utf8) {
        return dir.Write(name, codepage::Utf8ToCp932(utf8));
    }
    void LoadMap(const std::string& rows) {
        ASSERT_EQ(RSIF::ReadMapFile(
                      File("map.csv", "M_始点ノード名,M_終点ノード名,M_ノード間距離\n" + rows)),
                  RSIF::rrRead);
        tqList<tqString> warnings;
        RSIF::MakeMapNodes(warnings);
        RSIF::GetDRFList().Clear();
    }
    int ReadInstructions(const std::string& text, tqList<tqString>& warnings) {
        int code = RSIF::ReadDRFFile(File("drf.csv", text));
        if (code == RSIF::rrRead) {
            RSIF::MakeDRFList(warnings);
        }
        return code;
    }

    TempDir dir;
};

TEST_F(EngineTest, SearchDRFStoresTheOutcomeInTheRecord) {
    LoadMap("S,A,1\nA,E,2\nX,Y,1\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions(
                  "D_検索名称,D_始点ノード名,D_終点ノード名\nok,S,E\nno,S,Y\nnext,S,A\n", warnings),
              RSIF::rrRead);
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    ASSERT_EQ(list.Count(), 3);
    list.Get(1)->RouteNames.Add("earlier");
    list.Get(1)->Distance = 99;

    EXPECT_FALSE(RSIF::SearchDRF(-1));
    EXPECT_FALSE(RSIF::SearchDRF(3));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(RSIF::SearchDRF(i));
    }
    EXPECT_FALSE(list.Get(0)->Failed);
    EXPECT_EQ(list.Get(0)->Distance, 3);
    EXPECT_EQ(list.Get(0)->RouteNames.Count(), 3);
    EXPECT_TRUE(list.Get(1)->Failed);
    EXPECT_STREQ(list.Get(1)->RouteNames.Get(0).GetText(), "earlier");  // untouched
    EXPECT_EQ(list.Get(1)->Distance, 99);
    EXPECT_EQ(list.Get(2)->RouteNames.Count(), 2);
    EXPECT_EQ(list.Get(2)->Distance, 1);

    // A second run over the same list gives the same records.
    TSLtabCL first;
    RSIF::FillResultTable(first);
    for (int i = 0; i < 3; ++i) {
        RSIF::SearchDRF(i);
    }
    TSLtabCL second;
    RSIF::FillResultTable(second);
    ASSERT_EQ(first.GetRowCount(), second.GetRowCount());
    for (uint32_t row = 1; row <= first.GetRowCount(); ++row) {
        for (uint32_t col = 1; col <= first.GetColCount(); ++col) {
            std::string a = first.ReadCell(row, col);
            EXPECT_EQ(a, second.ReadCell(row, col));
        }
    }
}

TEST_F(EngineTest, EarlierTitlesStayInTheSharedTable) {
    LoadMap("S,E,1\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions("D_検索名称,D_始点ノード名,D_終点ノード名\na,S,E\n", warnings),
              RSIF::rrRead);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 1);
    // A file without any instruction title still reads, because the table keeps the
    // titles of the previous file as empty columns; every row then lacks a name.
    ASSERT_EQ(ReadInstructions("X,Y\n1,2\n3,4\n", warnings), RSIF::rrRead);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 0);
    EXPECT_EQ(Texts(warnings),
              "[0001]行:検索名称は空白に出来ません。\n[0002]行:検索名称は空白に出来ません。\n");
}

TEST_F(EngineTest, ReadsCheckTheirTitlesAndLeaveTheDataAlone) {
    LoadMap("S,E,1\n");
    tqList<tqString> warnings;
    ASSERT_EQ(ReadInstructions("D_検索名称,D_始点ノード名,D_終点ノード名\na,S,E\n", warnings),
              RSIF::rrRead);
    EXPECT_EQ(RSIF::ReadMapFile(File("bad.csv", "M_始点ノード名,M_終点ノード名\nA,B\n")),
              RSIF::rrTitleMissing);
    EXPECT_EQ(RSIF::ReadMapFile(dir.Path("absent.csv")), RSIF::rrCannotRead);
    EXPECT_EQ(RSIF::ReadDRFFile(File("bad.csv", "D_検索名称\nx\n")), RSIF::rrTitleMissing);
    EXPECT_EQ(RSIF::GetNodes().GetCount(), 2);
    EXPECT_EQ(RSIF::GetDRFList().Count(), 1);
}

TEST_F(EngineTest, LoadersReportProgressAtEveryTenthRow) {
    RecordingProgress progress;
    RSIF::SetProgressDisplay(&progress);
    std::string rows;
    for (int i = 0; i < 25; ++i) {
        rows += "A" + std::to_string(i) + ",B,1\n";
    }
    LoadMap(rows);
    EXPECT_EQ(progress.calls, "begin . 40 . 80 . end . ");
    progress.calls.clear();
    LoadMap("A,B,1\n");
    EXPECT_EQ(progress.calls, "begin . end . ");
}

}  // namespace
