// Exit statuses and messages of qrlx-batch.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "batch_fixture.h"
#include "platform/version.h"
#include "tests/support/unprivileged.h"

namespace {

const std::string kGoodMap = std::string(kMapTitles) + "A,B,1\n";
const std::string kGoodDrf = std::string(kDrfTitles) + "x,A,B\n";

TEST_F(BatchTest, WrongUsageSaysWhatIsWrongInOneLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "expected 3 files or tables (map, instructions, result), got 0"},
        {"map.csv drf.csv", "expected 3 files or tables (map, instructions, result), got 2"},
        {"map.csv drf.csv a b", "expected 3 files or tables (map, instructions, result), got 4"},
        {"map.csv drf.csv result.csv --warnings", "option '--warnings' needs a value"},
        {"map.csv drf.csv result.csv --bogus", "unknown option '--bogus'"},
        {"map.csv drf.csv result.csv -x", "unknown option '-x'"},
        {"map.csv drf.csv result.csv --threads", "option '--threads' needs a value"},
        {"map.csv drf.csv result.csv --threads 0",
         "--threads takes a whole number from 1 to 1024, not '0'"},
        {"map.csv drf.csv result.csv --threads=2x",
         "--threads takes a whole number from 1 to 1024, not '2x'"},
        {"map.csv drf.csv result.csv --threads -1",
         "--threads takes a whole number from 1 to 1024, not '-1'"},
        {"map.csv drf.csv result.csv --threads 1025",
         "--threads takes a whole number from 1 to 1024, not '1025'"},
        {"map.csv drf.csv result.csv --warnings a --warnings b", "option '--warnings' given twice"},
        {"- - result.csv", "only one input can come from standard input ('-')"},
        {"--db net.db map - result", "'-' names no table: with --db all three are tables"},
    };
    for (const auto& [arguments, line] : cases) {
        BatchRun run = Run(kGoodMap, kGoodDrf, arguments);
        EXPECT_EQ(run.exit, 2) << arguments;
        EXPECT_EQ(run.err, std::string("qrlx-batch: ") + line +
                               "\nTry 'qrlx-batch --help' for more information.\n")
            << arguments;
        EXPECT_EQ(run.result, "") << arguments;
    }
    EXPECT_EQ(Run(kGoodMap, kGoodDrf, "--warnings log.txt map.csv drf.csv result.csv").exit, 0);
    EXPECT_EQ(Run(kGoodMap, kGoodDrf, "map.csv --threads 1024 drf.csv result.csv").exit, 0);
    EXPECT_EQ(
        Run(kGoodMap, kGoodDrf, "--threads=2 --warnings=log.txt -- map.csv drf.csv result.csv")
            .exit,
        0);
    EXPECT_NE(RunTool("--help").out.find("--name=VALUE"), std::string::npos);
}

TEST_F(BatchTest, ADashIsStandardInputOrOutputAndTheCountsKeepOutOfTheStream) {
    dir.Write("map.csv", Cp932File(kGoodMap));
    dir.Write("drf.csv", Cp932File(kGoodDrf));
    const std::string csv =
        codepage::Utf8ToCp932(std::string(kResultTitles) + "1,x,A,B,1,2,A,B,,,\r\n");
    const std::string counts = "ノード数: 2\n検索指示数: 1\n検索成功数: 1\n";
    // The result piped on: the stream is the CSV alone, the counts go to standard error.
    for (const char* target : {"-", "/dev/stdout"}) {
        BatchRun piped = RunTool(std::string("map.csv drf.csv ") + target);
        EXPECT_EQ(piped.exit, 0) << piped.err;
        EXPECT_EQ(piped.out, csv) << target;
        EXPECT_EQ(piped.err, counts) << target;
    }
    // The map from standard input; the log to standard output.
    BatchRun fromPipe = RunTool("cat map.csv | '" QRLX_BATCH "' - drf.csv result.csv --warnings -",
                                /*prefixed=*/true);
    EXPECT_EQ(fromPipe.exit, 0) << fromPipe.err;
    EXPECT_EQ(fromPipe.result, codepage::Cp932ToUtf8(csv));
    EXPECT_EQ(fromPipe.out, "");  // no warnings: an empty log
    EXPECT_EQ(fromPipe.err, counts);
    EXPECT_EQ(dir.Listing().find(" - "), std::string::npos);  // no file named "-"
    EXPECT_EQ(RunTool("map.csv drf.csv - --warnings -").exit, 2);
}

TEST_F(BatchTest, HelpAndVersionGoToStandardOutput) {
    const BatchRun help = RunTool("--help");
    EXPECT_EQ(help.exit, 0);
    EXPECT_EQ(help.out.rfind("usage: qrlx-batch", 0), 0u);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(help.err, "");
    const BatchRun version = RunTool("--version");
    EXPECT_EQ(version.exit, 0);
    EXPECT_EQ(version.out, "qrlx-batch " QRLX_VERSION "\n");
    // Wherever they stand, whatever else is wrong; the first one asked wins.
    for (const char* line : {"--version --bogus", "x --version", "--threads 0 --version --help"}) {
        EXPECT_EQ(RunTool(line).out, version.out) << line;
    }
    EXPECT_EQ(RunTool("x --help --version").out, help.out);
    // A value or a word after "--" is no request: "--help" is then a file's name.
    EXPECT_EQ(RunTool("--warnings --help map.csv drf.csv result.csv").exit, 3);
    EXPECT_EQ(RunTool("-- --version drf.csv result.csv").exit, 3);
}

TEST_F(BatchTest, UnreadableOrEmptyFilesExitWithThreeAndSayWhy) {
    BatchRun missing = Run(kGoodMap, kGoodDrf, "absent.csv drf.csv result.csv");
    EXPECT_EQ(missing.exit, 3);
    EXPECT_EQ(missing.err, "指定されたファイル[absent.csv]は存在しません。\n");
    dir.Write("empty.csv", "");
    BatchRun empty = RunTool("map.csv empty.csv result.csv");
    EXPECT_EQ(empty.exit, 3);
    EXPECT_EQ(empty.err, "指定されたファイル[empty.csv]を読込めません。(空のファイルです)\n");
    EXPECT_EQ(empty.result, "");
    ASSERT_EQ(::mkdir(dir.Path("folder.csv").c_str(), 0755), 0);
    BatchRun folder = RunTool("folder.csv drf.csv result.csv");
    EXPECT_EQ(folder.err, "指定されたファイル[folder.csv]を読込めません。(フォルダです)\n");
    // Mode 000 as a user without rights.
    ::chmod(dir.Dir().c_str(), 0777);
    ::chmod(dir.Path("map.csv").c_str(), 0);
    const ReachableProgram tool(QRLX_BATCH);
    BatchRun locked =
        RunTool(UnprivilegedPrefix() + "'" + tool.Path() + "' map.csv drf.csv result.csv",
                /*prefixed=*/true);
    EXPECT_EQ(locked.exit, 3);
    EXPECT_EQ(locked.err,
              "指定されたファイル[map.csv]を読込めません。(読込みの権限がありません)\n");
}

TEST_F(BatchTest, AnUnusableTemporaryFolderIsBlamedWithItsOwnStatus) {
    dir.Write("map.csv", Cp932File(kGoodMap));
    dir.Write("drf.csv", Cp932File(kGoodDrf));
    dir.Write("plain-file", "");
    for (const std::string& folder :
         {dir.Path("no-such-folder"), dir.Path("plain-file"), dir.Path(std::string(5000, 'x'))}) {
        BatchRun run =
            RunTool("TMPDIR='" + folder + "' '" QRLX_BATCH "' map.csv drf.csv result.csv",
                    /*prefixed=*/true);
        EXPECT_EQ(run.exit, 7) << folder;
        EXPECT_EQ(run.err,
                  "一時フォルダ[" + folder + "/]の作業ファイルを作成または読み書きできません。\n");
        EXPECT_EQ(run.result, "");
    }
}

TEST_F(BatchTest, AKilledRunLeavesNoScratchFileBehind) {
    dir.Write("drf.csv", Cp932File(kGoodDrf));
    ASSERT_EQ(
        std::system(
            ("mkdir '" + dir.Path("tmp") + "' && mkfifo '" + dir.Path("map.csv") + "'").c_str()),
        0);
    // The tool waits at the map, a pipe nobody writes to, with its scratch file made.
    const std::string command = "cd '" + dir.Dir() +
                                "' && (TMPDIR=tmp '" QRLX_BATCH
                                "' map.csv drf.csv result.csv & echo $! >pid; wait) 2>/dev/null &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string pid;
    for (int i = 0; i < 500 && pid.empty(); ++i) {
        ::usleep(10000);
        pid = TempDir::Read(dir.Path("pid"));
    }
    ::usleep(200000);
    ASSERT_EQ(std::system(("kill -9 " + pid).c_str()), 0);
    ::usleep(100000);
    EXPECT_EQ(TempDir::Read(dir.Path("result.csv")), "");
    EXPECT_EQ(dir.Listing("tmp"), "");
}

TEST_F(BatchTest, SpecialTargetsAreWrittenIntoAndOneFileCannotTakeBoth) {
    dir.Write("map.csv", Cp932File(kGoodMap));
    dir.Write("drf.csv", Cp932File(kGoodDrf));
    BatchRun same = RunTool("map.csv drf.csv out.csv --warnings ./out.csv");
    EXPECT_EQ(same.exit, 2);
    EXPECT_EQ(same.err, "出力ファイル[out.csv]と[./out.csv]は同じファイルです。\n");

    // "-" is the file behind the standard stream: an input fed through it is never written
    // over, nor is a file that standard output already writes into.
    const std::string map = TempDir::Read(dir.Path("map.csv"));
    const BatchRun overInput = RunTool("- drf.csv map.csv < map.csv");
    EXPECT_EQ(overInput.exit, 2);
    EXPECT_EQ(overInput.err, "出力ファイル[map.csv]は入力ファイル[-]と同じファイルです。\n");
    EXPECT_EQ(RunTool("map.csv - out.csv --warnings drf.csv < drf.csv").exit, 2);
    EXPECT_EQ(TempDir::Read(dir.Path("map.csv")), map);
    const BatchRun intoOne = RunTool("map.csv drf.csv - --warnings stdout.txt");  // its own
    EXPECT_EQ(intoOne.exit, 2);
    EXPECT_EQ(intoOne.err, "出力ファイル[-]と[stdout.txt]は同じファイルです。\n");
    EXPECT_EQ(RunTool("- drf.csv out.csv < map.csv").exit, 0);  // a copy may come through it

    // Counts that cannot be written are a failure.
    RunTool("'" QRLX_BATCH
            "' map.csv drf.csv out.csv >/dev/full 2>full-err.txt; "
            "echo $? >full-status.txt; true",
            /*prefixed=*/true);
    EXPECT_EQ(TempDir::Read(dir.Path("full-status.txt")), "6\n");
    EXPECT_EQ(TempDir::Read(dir.Path("full-err.txt")), "標準出力に書込めません。\n");
}

// Started with a standard stream closed: no file of the run takes its place, and output
// meant for a closed standard output is a failure.
TEST_F(BatchTest, ClosedStandardStreamsAreNeitherFilesOfTheRunNorWrittenInto) {
    dir.Write("map.csv", Cp932File(kGoodMap));
    dir.Write("drf.csv", Cp932File(kGoodDrf));
    const std::string expected = RunTool("map.csv drf.csv result.csv").result;
    const std::string tool = "'" QRLX_BATCH "' ";
    RunTool(tool + "map.csv drf.csv result.csv >&- <&-; echo $? >status.txt; " + tool +
                "map.csv drf.csv - >&- 2>dash-err.txt; echo $? >>status.txt; " + tool +
                "map.csv drf.csv out.csv --warnings - >&- 2>/dev/null; echo $? >>status.txt; " +
                tool + "- drf.csv out.csv <&- 2>/dev/null; echo $? >>status.txt; true",
            /*prefixed=*/true);
    EXPECT_EQ(TempDir::Read(dir.Path("status.txt")), "0\n6\n6\n3\n");
    EXPECT_EQ(codepage::Cp932ToUtf8(TempDir::Read(dir.Path("result.csv"))), expected);
    EXPECT_EQ(TempDir::Read(dir.Path("dash-err.txt")), "標準出力に書込めません。\n");
}

TEST_F(BatchTest, RunningOutOfMemoryIsReportedWithItsOwnStatus) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    dir.Write("drf.csv", Cp932File(kGoodDrf));
    ASSERT_EQ(std::system(("mkdir '" + dir.Path("tmp") + "'").c_str()), 0);
    // An endless map under a limit on the address space.
    BatchRun run =
        RunTool("ulimit -v 600000 && TMPDIR=tmp '" QRLX_BATCH "' /dev/zero drf.csv result.csv",
                /*prefixed=*/true);
    EXPECT_EQ(run.exit, 8);
    EXPECT_EQ(run.err, "メモリが不足しています。\n");
    EXPECT_EQ(dir.Listing("tmp"), "");
}

TEST_F(BatchTest, ThreadsThatCannotBeStartedLeaveTheWorkToOneThread) {
    // A grid of 12 x 12 nodes, and enough searches from different starts for landmarks:
    // every stage that would run side by side is reached.
    std::string map = kMapTitles;
    std::string drf = kDrfTitles;
    auto node = [](int x, int y) { return "N" + std::to_string(x) + "_" + std::to_string(y); };
    for (int x = 0; x < 12; ++x) {
        for (int y = 0; y < 12; ++y) {
            for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
                if (x + dx < 12 && y + dy < 12) {
                    const int length = 1 + (x * 7 + y * 3) % 9;
                    map += node(x, y) + "," + node(x + dx, y + dy) + "," + std::to_string(length) +
                           "\n";
                    map += node(x + dx, y + dy) + "," + node(x, y) + "," +
                           std::to_string(length + 1) + "\n";
                }
            }
            drf +=
                "S" + std::to_string(x * 12 + y) + "," + node(x, y) + "," + node(11 - y, x) + "\n";
        }
    }
    const BatchRun one = Run(map, drf, "map.csv drf.csv result.csv --threads 1");
    ASSERT_EQ(one.exit, 0) << one.err;
    ::chmod(dir.Dir().c_str(), 0777);
    ::unlink(dir.Path("result.csv").c_str());  // the other user could not replace it
    // As a user allowed one process: no thread can be started.
    const ReachableProgram tool(QRLX_BATCH);
    const BatchRun limited = RunTool(UnprivilegedPrefix() + "prlimit --nproc=1 '" + tool.Path() +
                                         "' map.csv drf.csv result.csv --threads 2",
                                     /*prefixed=*/true);
    EXPECT_EQ(limited.exit, 0) << limited.err;
    EXPECT_EQ(limited.err, "");
    EXPECT_EQ(limited.result, one.result);
}

TEST_F(BatchTest, MissingTitlesExitWithFour) {
    BatchRun mapAsInstructions = Run(kGoodMap, kGoodDrf, "map.csv map.csv result.csv");
    EXPECT_EQ(mapAsInstructions.exit, 4);
    EXPECT_EQ(mapAsInstructions.err,
              "指定されたファイル[map.csv]は検索指示ファイルのフォーマットと適合しません。\n");
    BatchRun instructionsAsMap = Run(kGoodMap, kGoodDrf, "drf.csv drf.csv result.csv");
    EXPECT_EQ(instructionsAsMap.exit, 4);
    EXPECT_EQ(instructionsAsMap.err,
              "指定されたファイル[drf.csv]はＭＡＰファイルのフォーマットと適合しません。\n");
    BatchRun noDistance = Run("M_始点ノード名,M_終点ノード名\nA,B\n", kGoodDrf);
    EXPECT_EQ(noDistance.exit, 4);
    BatchRun noEnd = Run(kGoodMap, "D_検索名称,D_始点ノード名\nx,A\n");
    EXPECT_EQ(noEnd.exit, 4);
    EXPECT_EQ(noEnd.result, "");
}

TEST_F(BatchTest, MapWithoutAcceptedRowExitsWithFiveAndLogsWhy) {
    BatchRun run = Run(std::string(kMapTitles) + "A,A,1\n", kGoodDrf);
    EXPECT_EQ(run.exit, 5);
    EXPECT_EQ(run.err, "マップファイルが読込まれていません。\n");
    EXPECT_EQ(run.log, "[0001]行:From及びToのノード名称は同一には出来ません。\r\n");
    EXPECT_EQ(run.result, "");
}

// Only the title line, its end cut off: from a file and through a pipe, a map with no node.
TEST_F(BatchTest, ATitleLineWithoutItsLineEndIsAMapWithoutNodes) {
    std::string titles = Cp932File(kMapTitles);
    titles.resize(titles.size() - 2);  // CR LF
    for (const std::string& ending : {std::string(), std::string("\r"), std::string("\x1a")}) {
        dir.Write("map.csv", titles + ending);
        dir.Write("drf.csv", Cp932File(kGoodDrf));
        for (const char* arguments :
             {"map.csv drf.csv result.csv", "- drf.csv result.csv < map.csv"}) {
            const BatchRun run = RunTool(arguments);
            EXPECT_EQ(run.exit, 5) << arguments << " " << run.err;
        }
    }
}

TEST_F(BatchTest, UnwritableOutputsExitWithSix) {
    BatchRun result = Run(kGoodMap, kGoodDrf, "map.csv drf.csv missing/result.csv");
    EXPECT_EQ(result.exit, 6);
    EXPECT_EQ(result.err,
              "検索結果ファイル[missing/result.csv]の保存に失敗しました。(フォルダがありません)\n");
    BatchRun log = Run(kGoodMap, kGoodDrf, "map.csv drf.csv result.csv --warnings missing/log.txt");
    EXPECT_EQ(log.exit, 6);
    EXPECT_EQ(log.err,
              "警告ログファイル[missing/log.txt]の保存に失敗しました。(フォルダがありません)\n");
}

// The result file is written while the searches run. A write that fails on the way ends
// the run and leaves the file that was there as it was, and says what failed: the result
// file, or the scratch file that holds the table.
TEST_F(BatchTest, AResultThatFailsOnTheWayLeavesTheOldFile) {
    std::string map = kMapTitles;
    auto node = [](int i) { return "東京都千代田区丸の内一丁目交差点" + std::to_string(i); };
    for (int i = 0; i < 400; ++i) {
        map += node(i) + "," + node(i + 1) + ",1\n";
    }
    std::string drf = kDrfTitles;
    for (int i = 0; i < 300; ++i) {
        drf += "s" + std::to_string(i) + "," + node(i) + "," + node(400 - i % 5) + "\n";
    }
    // The last search's route passes a name with a byte that is no Shift-JIS character,
    // which UTF-8 cannot be written with.
    dir.Write("map.csv", Cp932File(map) + "\x81\x20,Z,1\r\nZ,\x81\x20,1\r\n");
    dir.Write("drf.csv", Cp932File(drf) + "last,Z,\x81\x20\r\n" + "after," + Cp932File(node(0)) +
                             "," + Cp932File(node(1)) + "\r\n");
    dir.Write("result.csv", "kept");
    ASSERT_EQ(std::system(("mkdir '" + dir.Path("tmp") + "'").c_str()), 0);
    BatchRun run = RunTool("map.csv drf.csv result.csv --encoding utf-8");
    EXPECT_EQ(run.exit, 6);
    EXPECT_EQ(run.err,
              "検索結果ファイル[result.csv]の保存に失敗しました。(Shift-JISとして読めない"
              "バイトがあり、UTF-8で書けません)\n");
    EXPECT_TRUE(TempDir::Read(dir.Path("result.csv")) == "kept");

    // About 3 MB of table against 1 MB that a file may hold; SIGXFSZ is ignored, so that a
    // write fails instead of the process being killed.
    run = RunTool("trap '' XFSZ && ulimit -f 1024 && TMPDIR=tmp '" QRLX_BATCH
                  "' map.csv drf.csv result.csv",
                  true);
    EXPECT_EQ(run.exit, 7);
    EXPECT_EQ(run.err, "一時フォルダ[tmp/]の作業ファイルを作成または読み書きできません。\n");
    EXPECT_TRUE(TempDir::Read(dir.Path("result.csv")) == "kept");
    EXPECT_EQ(dir.Listing("tmp"), "");
}

TEST_F(BatchTest, NoProgressLineWhenStandardErrorIsNotATerminal) {
    std::string drf = kDrfTitles;
    for (int i = 0; i < 50; ++i) {
        drf += "s" + std::to_string(i) + ",A,B\n";
    }
    BatchRun run = Run(kGoodMap, drf);
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.err, "");
}

}  // namespace

namespace {

// The same rows with rejected lines among them, as CP932 and as spreadsheets save "CSV
// UTF-8": a byte-order mark, then UTF-8 (with CR LF like the CP932 twin).
const std::string kTwinMap = std::string(kMapTitles) +
                             "東京,品川,7\n品川,横浜,22\n\"横浜,港\",東京,30\n東京,東京,1\n"
                             "品川,川崎～,5\n";
const std::string kTwinDrf = std::string(kDrfTitles) + "通勤,東京,横浜\n帰り,横浜,品川\n";

std::string Utf8File(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return "\xEF\xBB\xBF" + crlf;
}

}  // namespace

TEST_F(BatchTest, UtfEightFilesWithTheMarkGiveTheBytesOfTheirShiftJisTwins) {
    const BatchRun cp932 = Run(kTwinMap, kTwinDrf);
    ASSERT_EQ(cp932.exit, 0) << cp932.err;
    const std::string result = TempDir::Read(dir.Path("result.csv"));
    const std::string log = TempDir::Read(dir.Path("log.txt"));
    ASSERT_NE(log, "");

    dir.Write("map.csv", Utf8File(kTwinMap));
    dir.Write("drf.csv", Utf8File(kTwinDrf));
    const BatchRun utf8 = RunTool("map.csv drf.csv result.csv --warnings log.txt");
    EXPECT_EQ(utf8.exit, 0) << utf8.err;
    EXPECT_EQ(TempDir::Read(dir.Path("result.csv")), result);
    EXPECT_EQ(TempDir::Read(dir.Path("log.txt")), log);
    EXPECT_EQ(utf8.out, cp932.out);

    // As a spreadsheet's "CSV UTF-8" on Linux, pandas and sqlite3 write them: no mark, LF.
    dir.Write("map.csv", kTwinMap);
    dir.Write("drf.csv", kTwinDrf);
    const BatchRun unmarked = RunTool("map.csv drf.csv result.csv --warnings log.txt");
    EXPECT_EQ(unmarked.exit, 0) << unmarked.err;
    EXPECT_EQ(TempDir::Read(dir.Path("result.csv")), result);
    EXPECT_EQ(TempDir::Read(dir.Path("log.txt")), log);
}

TEST_F(BatchTest, AMarkBeforeShiftJisIsPartOfTheFirstTitle) {
    const std::string mark = "\xEF\xBB\xBF";
    // Before the titles: the first one is not found, as before the mark was understood.
    dir.Write("map.csv", mark + Cp932File(kTwinMap));
    dir.Write("drf.csv", Cp932File(kTwinDrf));
    const BatchRun titles = RunTool("map.csv drf.csv result.csv");
    EXPECT_EQ(titles.exit, 4);
    EXPECT_EQ(titles.err,
              "指定されたファイル[map.csv]はＭＡＰファイルのフォーマットと適合しません。\n");
    // Before an extra first column: the same files as without the mark.
    const BatchRun plain = Run("番号," + std::string(kMapTitles) + "1,東京,品川,7\n", kTwinDrf);
    ASSERT_EQ(plain.exit, 0) << plain.err;
    const std::string result = TempDir::Read(dir.Path("result.csv"));
    dir.Write("map.csv", mark + Cp932File("番号," + std::string(kMapTitles) + "1,東京,品川,7\n"));
    const BatchRun marked = RunTool("map.csv drf.csv result.csv --warnings log.txt");
    EXPECT_EQ(marked.exit, 0) << marked.err;
    EXPECT_EQ(TempDir::Read(dir.Path("result.csv")), result);
}

TEST_F(BatchTest, ACharacterShiftJisCannotHoldStopsTheLoadNamingItsPlace) {
    dir.Write("map.csv", Utf8File(std::string(kMapTitles) + "東京,品川,7\n品川,横浜🚗,22\n"));
    dir.Write("drf.csv", Utf8File(kTwinDrf));
    const BatchRun run = RunTool("map.csv drf.csv result.csv");
    EXPECT_EQ(run.exit, 3);
    EXPECT_NE(run.err.find("map.csv]の[0002]行2列目に、Shift-JISで表せない文字があります。"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.result, "");  // nothing written

    // A via column is read: a via name is checked as the start and end are.
    dir.Write("map.csv", Cp932File(kTwinMap));
    dir.Write("drf.csv", Utf8File("D_検索名称,D_始点ノード名,D_終点ノード名,D_経由ノード名1\n"
                                  "通勤,東京,横浜,品川🚗\n"));
    const BatchRun via = RunTool("map.csv drf.csv result.csv");
    EXPECT_EQ(via.exit, 3);
    EXPECT_NE(via.err.find("drf.csv]の[0001]行4列目"), std::string::npos) << via.err;
}

// Columns the load does not read are neither converted nor checked, their titles neither:
// the notes a spreadsheet keeps beside the rows never refuse a file.
TEST_F(BatchTest, ColumnsNoOneReadsMayHoldAnything) {
    const BatchRun plain = Run(kTwinMap, kTwinDrf);
    ASSERT_EQ(plain.exit, 0) << plain.err;
    std::string map;
    std::istringstream lines(kTwinMap);
    for (std::string line; std::getline(lines, line);) {
        map += (map.empty() ? "メモ🚧," : "🚧 工事中,") + line + "\n";
    }
    dir.Write("map.csv", Utf8File(map));
    dir.Write("drf.csv", Utf8File("D_検索名称,D_始点ノード名,D_終点ノード名,備考\n"
                                  "通勤,東京,横浜,≒🚗\n帰り,横浜,品川,〜\n"));
    const BatchRun noted = RunTool("map.csv drf.csv result.csv --warnings log.txt");
    EXPECT_EQ(noted.exit, 0) << noted.err;
    EXPECT_EQ(noted.result, plain.result);
    EXPECT_EQ(noted.log, plain.log);
}

// A file size limit (ulimit -f) fails the run with a message, the old file kept, instead of
// ending it by SIGXFSZ without a word (the scratch file may meet the limit first).
TEST_F(BatchTest, AFileSizeLimitFailsTheRunWithAMessage) {
    std::string map = kMapTitles;
    std::string drf = kDrfTitles;
    for (int i = 0; i < 400; ++i) {
        map += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",1\n";
        drf += "s" + std::to_string(i) + ",N0,N" + std::to_string(i + 1) + "\n";
    }
    dir.Write("map.csv", Cp932File(map));
    dir.Write("drf.csv", Cp932File(drf));
    dir.Write("result.csv", "old");
    const BatchRun run =
        RunTool("ulimit -f 16 && '" QRLX_BATCH "' map.csv drf.csv result.csv", true);
    EXPECT_TRUE(run.exit == 6 || run.exit == 7) << run.exit;  // not 153, killed by the signal
    EXPECT_NE(run.err, "");
    EXPECT_EQ(run.result, "old");
}
