// qrlx-batch never writes over what it reads, nor over a file its user may not write.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "batch_fixture.h"
#include "tests/support/unprivileged.h"

namespace {

const std::string kMap = std::string(kMapTitles) + "A,B,1\n";
const std::string kDrf = std::string(kDrfTitles) + "x,A,B\n";

class BatchOutputsTest : public BatchTest {
protected:
    void SetUp() override {
        dir.Write("map.csv", Cp932File(kMap));
        dir.Write("drf.csv", Cp932File(kDrf));
        dir.Write("net.db", "");
    }
    // The run is refused with `line` and leaves both inputs and the database as they were.
    void ExpectRefused(const std::string& arguments, const std::string& line) {
        const BatchRun run = RunTool(arguments);
        EXPECT_EQ(run.exit, 2) << arguments;
        EXPECT_EQ(run.err, line + "\n") << arguments;
        EXPECT_EQ(TempDir::Read(dir.Path("map.csv")), Cp932File(kMap)) << arguments;
        EXPECT_EQ(TempDir::Read(dir.Path("drf.csv")), Cp932File(kDrf)) << arguments;
        EXPECT_EQ(TempDir::Read(dir.Path("net.db")), "") << arguments;
    }
};

TEST_F(BatchOutputsTest, AnOutputThatIsAnInputIsWrongUsage) {
    ExpectRefused("map.csv drf.csv map.csv",
                  "出力ファイル[map.csv]は入力ファイル[map.csv]と同じファイルです。");
    ExpectRefused("map.csv drf.csv result.csv --warnings ./drf.csv",
                  "出力ファイル[./drf.csv]は入力ファイル[drf.csv]と同じファイルです。");
    ExpectRefused("--db net.db map drf result --warnings net.db",
                  "出力ファイル[net.db]は入力ファイル[net.db]と同じファイルです。");
    ASSERT_EQ(::symlink("map.csv", dir.Path("link.csv").c_str()), 0);
    ExpectRefused("map.csv drf.csv link.csv",
                  "出力ファイル[link.csv]は入力ファイル[map.csv]と同じファイルです。");
    // A dangling link to the result: both outputs would be one file.
    ASSERT_EQ(::symlink("later.csv", dir.Path("log.txt").c_str()), 0);
    ExpectRefused("map.csv drf.csv later.csv --warnings log.txt",
                  "出力ファイル[later.csv]と[log.txt]は同じファイルです。");
    EXPECT_EQ(dir.Listing(), "drf.csv link.csv log.txt map.csv net.db stderr.txt stdout.txt");
    // Reading one file twice is no danger.
    EXPECT_EQ(RunTool("map.csv drf.csv result.csv --warnings /dev/null").exit, 0);
}

TEST_F(BatchOutputsTest, AResultFileReadOnlyToItsUserStaysAndTheReasonIsGiven) {
    ::chmod(dir.Dir().c_str(), 0777);
    const std::string kept = dir.Write("result.csv", "kept");
    ::chmod(kept.c_str(), 0444);
    const ReachableProgram tool(QRLX_BATCH);
    const BatchRun run =
        RunTool(UnprivilegedPrefix() + "'" + tool.Path() + "' map.csv drf.csv result.csv",
                /*prefixed=*/true);
    EXPECT_EQ(run.exit, 6) << run.err;
    EXPECT_EQ(run.err,
              "検索結果ファイル[result.csv]の保存に失敗しました。(書込みの権限がありません)\n");
    EXPECT_EQ(TempDir::Read(kept), "kept");
}

}  // namespace
