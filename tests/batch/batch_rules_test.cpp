// Every row rule of the map and instruction files, with its exact warning and row number.
#include <string>

#include "batch_fixture.h"

namespace {

TEST_F(BatchTest, EachMapRuleGivesItsWarningAndRowsKeepCounting) {
    BatchRun run = Run(std::string(kMapTitles) +
                           "A,B,5\n"      // 1
                           "A,,5\n"       // 2: empty To
                           ",B,5\n"       // 3: empty From
                           "C,C,0\n"      // 4: same names (and distance 0)
                           "A,C,abc\n"    // 5: not a number
                           "A,C,０\n"     // 6: full-width digit
                           "A,C,\n"       // 7: empty distance
                           "\n"           // 8: empty line
                           "A,B,7\n"      // 9: A to B again
                           "B,A,7\n"      // 10: the other direction is its own link
                           "A,C,-5\n"     // 11: negative, accepted
                           "A,D,12.5\n",  // 12: fraction cut
                       std::string(kDrfTitles) + "ab,A,B\nba,B,A\nac,A,C\nad,A,D\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.log,
              "[0002]行:From及びToのノード名称は空白に出来ません。\r\n"
              "[0003]行:From及びToのノード名称は空白に出来ません。\r\n"
              "[0004]行:From及びToのノード名称は同一には出来ません。\r\n"
              "[0005]行:ノード間距離(Dist)は０に出来ません。\r\n"
              "[0006]行:ノード間距離(Dist)は０に出来ません。\r\n"
              "[0007]行:ノード間距離(Dist)は０に出来ません。\r\n"
              "[0008]行:From及びToのノード名称は空白に出来ません。\r\n"
              "[0009]行:From[A]-To[B]のノード間リンクは既に定義されています。\r\n");
    EXPECT_EQ(run.result, std::string(kResultTitles) +
                              "1,ab,A,B,5,2,A,B,,,\r\n"
                              "1,ba,B,A,7,2,B,A,,,\r\n"
                              "1,ac,A,C,-5,2,A,C,,,\r\n"
                              "1,ad,A,D,12,2,A,D,,,\r\n");
}

TEST_F(BatchTest, RowNumbersWiderThanFourDigitsArePrintedWhole) {
    std::string map = kMapTitles;
    for (int i = 1; i < 12345; ++i) {
        map += "N" + std::to_string(i) + ",M" + std::to_string(i) + ",1\n";
    }
    map += "X,X,1\n";
    BatchRun run = Run(map, std::string(kDrfTitles) + "s,N1,M1\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.log, "[12345]行:From及びToのノード名称は同一には出来ません。\r\n");
    EXPECT_EQ(run.out, "ノード数: 24688\n検索指示数: 1\n検索成功数: 1\n");
}

TEST_F(BatchTest, EachInstructionRuleGivesItsWarning) {
    BatchRun run = Run(std::string(kMapTitles) + "S,E,1\nS,a,1\n",
                       std::string(kDrfTitles) +
                           ",S,E\n"         // 1: empty name
                           "one,S,E\n"      // 2
                           ",,E\n"          // 3: empty name and start: rule 1 only
                           "two,,E\n"       // 4: empty start
                           "one,S,E\n"      // 5: name of row 2 again
                           "three,S,\n"     // 6: empty end
                           "four,X,X\n"     // 7: same and missing: same wins
                           "five,A,E\n"     // 8: start only in other case
                           "six,S,Ｅ\n"     // 9: end only in full width
                           "seven,Z,E\n"    // 10: rejected, so its name stays free
                           "seven,S,a\n"    // 11
                           "\n"             // 12: empty line
                           "eight,E,S\n");  // 13: accepted, no route
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.log,
              "[0001]行:検索名称は空白に出来ません。\r\n"
              "[0003]行:検索名称は空白に出来ません。\r\n"
              "[0004]行:始点ノード名称は空白に出来ません。\r\n"
              "[0005]行:検索名称[one]は既に存在します。\r\n"
              "[0006]行:終点ノード名称は空白に出来ません。\r\n"
              "[0007]行:始点及び終点のノード名称は同一には出来ません。\r\n"
              "[0008]行:始点ノード名称[A]はＭＡＰ情報に存在しません。\r\n"
              "[0009]行:終点ノード名称[Ｅ]はＭＡＰ情報に存在しません。\r\n"
              "[0010]行:始点ノード名称[Z]はＭＡＰ情報に存在しません。\r\n"
              "[0012]行:検索名称は空白に出来ません。\r\n");
    EXPECT_EQ(run.result, std::string(kResultTitles) +
                              "1,one,S,E,1,2,S,E,,,\r\n"
                              "1,seven,S,a,1,2,S,a,,,\r\n"
                              "0,eight,E,S,,,,,,,\r\n");
    EXPECT_EQ(run.out, "ノード数: 3\n検索指示数: 3\n検索成功数: 2\n");
}

TEST_F(BatchTest, MapWarningsComeBeforeInstructionWarnings) {
    BatchRun run =
        Run(std::string(kMapTitles) + "S,E,1\nS,S,1\n", std::string(kDrfTitles) + "x,S,Q\n");
    EXPECT_EQ(run.log,
              "[0002]行:From及びToのノード名称は同一には出来ません。\r\n"
              "[0001]行:終点ノード名称[Q]はＭＡＰ情報に存在しません。\r\n");
}

TEST_F(BatchTest, LongNamesAndWarningsAreKeptWhole) {
    std::string from(300, 'F');
    std::string to = std::string(150, 'T') + "東京";
    BatchRun run =
        Run(std::string(kMapTitles) + from + "," + to + ",1\n" + from + "," + to + ",2\n",
            std::string(kDrfTitles) + std::string(400, 'n') + "," + from + "," + to + "\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.log, "[0002]行:From[" + from + "]-To[" + to +
                           "]のノード間リンクは既に定義されています。\r\n");
    EXPECT_EQ(run.result, std::string(kResultTitles) + "1," + std::string(400, 'n') + "," + from +
                              "," + to + ",1,2," + from + "," + to + ",,,\r\n");
}

TEST_F(BatchTest, ColumnsAreFoundByTitleInAnyOrder) {
    BatchRun run =
        Run("メモ,M_ノード間距離,M_終点ノード名,x,M_始点ノード名\n"
            "a,3,B,y,A\n"
            "b,4,C,z,B\n",
            "D_終点ノード名,extra,D_始点ノード名,D_検索名称\n"
            "C,1,A,go\n");
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.result, std::string(kResultTitles) + "1,go,A,C,7,3,A,B,C,,\r\n");
    EXPECT_EQ(run.log, "");
}

}  // namespace
