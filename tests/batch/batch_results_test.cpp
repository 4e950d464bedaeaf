// The result file: rows per instruction, route names five to a row, numbers in full.
#include <cstdio>
#include <filesystem>
#include <string>

#include "batch_fixture.h"

namespace {

// A chain N1 -> N2 -> ... -> Nn with links of length 1.
std::string Chain(int nodes) {
    std::string rows;
    for (int i = 1; i < nodes; ++i) {
        rows += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",1\n";
    }
    return rows;
}

TEST_F(BatchTest, RoutesSpreadFiveNamesToARow) {
    BatchRun run = Run(std::string(kMapTitles) + Chain(12),
                       std::string(kDrfTitles) +
                           "five,N1,N5\nsix,N1,N6\neleven,N1,N11\ntwelve,N1,N12\nnone,N12,N1\n"
                           "two,N3,N4\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.result, std::string(kResultTitles) +
                              "1,five,N1,N5,4,5,N1,N2,N3,N4,N5\r\n"
                              "1,six,N1,N6,5,6,N1,N2,N3,N4,N5\r\n"
                              ",,,,,,N6,,,,\r\n"
                              "1,eleven,N1,N11,10,11,N1,N2,N3,N4,N5\r\n"
                              ",,,,,,N6,N7,N8,N9,N10\r\n"
                              ",,,,,,N11,,,,\r\n"
                              "1,twelve,N1,N12,11,12,N1,N2,N3,N4,N5\r\n"
                              ",,,,,,N6,N7,N8,N9,N10\r\n"
                              ",,,,,,N11,N12,,,\r\n"
                              "0,none,N12,N1,,,,,,,\r\n"
                              "1,two,N3,N4,1,2,N3,N4,,,\r\n");
    EXPECT_EQ(run.out, "ノード数: 12\n検索指示数: 6\n検索成功数: 5\n");
}

TEST_F(BatchTest, ResultsAreTheSameOnAnyNumberOfThreads) {
    std::string drf = kDrfTitles;
    for (int i = 0; i < 50; ++i) {  // enough searches to bring in the landmarks
        drf += "s" + std::to_string(i) + ",N" + std::to_string(1 + i % 6) + "," +
               (i % 5 == 4 ? "X1" : "N" + std::to_string(7 + (i * 7) % 6)) + "\n";
    }
    const std::string map = std::string(kMapTitles) + Chain(12) + "N2,N8,5\nN5,N9,4\nX1,X2,1\n";
    BatchRun one = Run(map, drf, "map.csv drf.csv result.csv --threads 1");
    EXPECT_EQ(one.exit, 0) << one.err;
    EXPECT_EQ(one.out, "ノード数: 14\n検索指示数: 50\n検索成功数: 40\n");
    for (const char* threads : {"2", "7"}) {
        BatchRun many =
            Run(map, drf, std::string("map.csv drf.csv result.csv --threads ") + threads);
        EXPECT_EQ(many.result, one.result) << threads;
        EXPECT_EQ(many.out, one.out) << threads;
    }
}

TEST_F(BatchTest, DistancesBeyondThirtyTwoBitsAreWrittenInFull) {
    BatchRun run = Run(std::string(kMapTitles) +
                           "A,B,2147483648\nB,C,3000000000\n"
                           "C,D,99999999999999999999\n",  // beyond 64 bits: the largest value
                       std::string(kDrfTitles) + "ac,A,C\ncd,C,D\nad,A,D\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.result, std::string(kResultTitles) +
                              "1,ac,A,C,5147483648,3,A,B,C,,\r\n"
                              "1,cd,C,D,9223372036854775807,2,C,D,,,\r\n"
                              "0,ad,A,D,,,,,,,\r\n");
}

TEST_F(BatchTest, TiesFollowTheMapRowOrder) {
    BatchRun first = Run(std::string(kMapTitles) + "S,A,1\nS,B,1\nA,E,1\nB,E,1\n",
                         std::string(kDrfTitles) + "t,S,E\n");
    EXPECT_EQ(first.result, std::string(kResultTitles) + "1,t,S,E,2,3,S,A,E,,\r\n");
    BatchRun second = Run(std::string(kMapTitles) + "S,A,1\nS,B,1\nB,E,1\nA,E,1\n",
                          std::string(kDrfTitles) + "t,S,E\n");
    EXPECT_EQ(second.result, std::string(kResultTitles) + "1,t,S,E,2,3,S,B,E,,\r\n");
}

TEST_F(BatchTest, NoAcceptedInstructionGivesTheTitleLineOnly) {
    BatchRun run = Run(std::string(kMapTitles) + "A,B,1\n", std::string(kDrfTitles) + "x,A,A\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.result, kResultTitles);
    EXPECT_EQ(run.out, "ノード数: 2\n検索指示数: 0\n検索成功数: 0\n");

    BatchRun empty = Run(std::string(kMapTitles) + "A,B,1\n", kDrfTitles);
    EXPECT_EQ(empty.result, kResultTitles);
    EXPECT_EQ(empty.log, "");
}

TEST_F(BatchTest, WrittenBytesAreCp932WithCrLf) {
    BatchRun run =
        Run(std::string(kMapTitles) + "東京,品川,7\n", std::string(kDrfTitles) + "線,東京,品川\n");
    std::string bytes = TempDir::Read(dir.Path("result.csv"));
    EXPECT_EQ(bytes, Cp932File(std::string(kResultTitles).erase(strlen(kResultTitles) - 2) + "\n" +
                               "1,線,東京,品川,7,2,東京,品川,,,\n"));
    EXPECT_EQ(TempDir::Read(dir.Path("log.txt")), "");
}

TEST_F(BatchTest, ExistingOutputFilesAreOverwritten) {
    dir.Write("result.csv", "old result that is much longer than the new one\r\n");
    dir.Write("log.txt", "old log\r\n");
    BatchRun run = Run(std::string(kMapTitles) + "A,B,1\n", std::string(kDrfTitles) + "x,A,B\n");
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.result, std::string(kResultTitles) + "1,x,A,B,1,2,A,B,,,\r\n");
    EXPECT_EQ(run.log, "");
}

}  // namespace

namespace {

// Names that strict Shift-JIS decoders refuse (①, 髙, 﨑) come out as themselves in UTF-8,
// in the result and the log, with a byte-order mark only when asked.
TEST_F(BatchTest, UtfEightOutputsAreTheShiftJisOnesInUtfEight) {
    const BatchRun cp932 = Run(std::string(kMapTitles) + "①,髙,1\n髙,﨑,2\n﨑,﨑,3\n",
                               std::string(kDrfTitles) + "川崎①,①,﨑\n");
    ASSERT_EQ(cp932.exit, 0) << cp932.err;
    EXPECT_NE(cp932.result.find("①,髙,﨑"), std::string::npos) << cp932.result;
    for (const char* encoding : {"utf-8", "UTF-8-SIG", "shift-jis"}) {
        const BatchRun run = RunTool(std::string("map.csv drf.csv result.csv --warnings log.txt "
                                                 "--encoding ") +
                                     encoding);
        ASSERT_EQ(run.exit, 0) << run.err;
        const std::string mark = std::string(encoding) == "UTF-8-SIG" ? "\xEF\xBB\xBF" : "";
        const bool utf8 = std::string(encoding) != "shift-jis";
        const std::string result = TempDir::Read(dir.Path("result.csv"));
        const std::string log = TempDir::Read(dir.Path("log.txt"));
        EXPECT_EQ(result, utf8 ? mark + cp932.result : codepage::Utf8ToCp932(cp932.result))
            << encoding;
        EXPECT_EQ(log, utf8 ? mark + cp932.log : codepage::Utf8ToCp932(cp932.log)) << encoding;
    }
    EXPECT_EQ(RunTool("map.csv drf.csv result.csv --encoding latin-1").exit, 2);

    // Bytes of a Shift-JIS file that are no character have no UTF-8 form: never written as
    // U+FFFD (two such names would become one), the save fails and says why.
    dir.Write("map.csv", Cp932File(kMapTitles) + "A\x81\x20,B,1\r\n");
    dir.Write("drf.csv", Cp932File(kDrfTitles) + "q,A\x81\x20,B\r\n");
    std::remove(dir.Path("result.csv").c_str());
    const BatchRun invalid = RunTool("map.csv drf.csv result.csv --encoding utf-8");
    EXPECT_EQ(invalid.exit, 6);
    EXPECT_EQ(invalid.err,
              "検索結果ファイル[result.csv]の保存に失敗しました。(Shift-JISとして読めない"
              "バイトがあり、UTF-8で書けません)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("result.csv")));
    EXPECT_EQ(RunTool("map.csv drf.csv result.csv").exit, 0);  // as Shift-JIS, kept as read
}

}  // namespace

namespace {

// One row per route node, with its step and its distance from the start (past the 64-bit
// range on the way too); a failed search one row.
TEST_F(BatchTest, TheNodesLayoutGivesEachRouteNodeItsStepAndDistance) {
    const BatchRun run =
        Run(std::string(kMapTitles) + "S,V,9223372036854775807\nV,W,5\nW,E,-10\nA,B,3\nB,C,4\n",
            std::string(kDrfTitles) + "far,S,E\nnear,A,C\nnone,C,A\n",
            "map.csv drf.csv result.csv --layout nodes");
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.result,
              "R_検索名称,R_検索結果,R_始点ノード名,R_終点ノード名,R_順番,R_ノード名,R_累積距離\r\n"
              "far,1,S,E,1,S,0\r\n"
              "far,1,S,E,2,V,9223372036854775807\r\n"
              "far,1,S,E,3,W,9223372036854775812\r\n"
              "far,1,S,E,4,E,9223372036854775802\r\n"
              "near,1,A,C,1,A,0\r\n"
              "near,1,A,C,2,B,3\r\n"
              "near,1,A,C,3,C,7\r\n"
              "none,0,C,A,,,\r\n");
    EXPECT_EQ(RunTool("map.csv drf.csv result.csv --layout wide").exit, 2);
}

}  // namespace
