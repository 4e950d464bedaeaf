// qrlx-batch --part: a run split into slices, as a scheduler runs it.
#include <string>

#include "batch_fixture.h"

namespace {

class BatchPartsTest : public BatchTest {
protected:
    void SetUp() override {
        std::string map = std::string(kMapTitles);
        std::string drf = std::string(kDrfTitles);
        for (int i = 0; i < 12; ++i) {
            map += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + "," +
                   std::to_string(i + 1) + "\n";
            drf += "s" + std::to_string(i) + ",N0,N" + std::to_string(i % 7 + 1) + "\n";
        }
        drf += "bad,N0,X\ns0,N1,N2\n";  // two rejected rows: every part logs them
        Run(map, drf, "--version");
        RunTool("map.csv drf.csv whole.csv --warnings whole.txt");
    }

    // Runs the README's recipe with GNU parallel for `parts` parts; gives the joined result.
    std::string Recipe(int parts) {
        const std::string n = std::to_string(parts);
        const BatchRun run = RunTool("(seq " + n +
                                         " | parallel --will-cite -j 2 '" QRLX_BATCH
                                         "' map.csv drf.csv part{}.csv --part {}/" +
                                         n +
                                         " --warnings log{}.txt && "
                                         "{ head -n 1 part1.csv; for k in $(seq " +
                                         n +
                                         "); do tail -n +2 part$k.csv; done; } "
                                         ">joined.csv)",
                                     /*prefixed=*/true);
        EXPECT_EQ(run.exit, 0) << run.err;
        return TempDir::Read(dir.Path("joined.csv"));
    }
};

TEST_F(BatchPartsTest, ThePartsJoinedAreTheWholeRunByteForByte) {
    const std::string whole = TempDir::Read(dir.Path("whole.csv"));
    ASSERT_NE(whole, "");
    EXPECT_EQ(Recipe(3), whole);
    EXPECT_EQ(TempDir::Read(dir.Path("log2.txt")), TempDir::Read(dir.Path("whole.txt")));
    // More parts than instructions: some parts hold the title line only.
    EXPECT_EQ(Recipe(20), whole);
    EXPECT_EQ(TempDir::Read(dir.Path("part1.csv")), codepage::Utf8ToCp932(kResultTitles));
}

TEST_F(BatchPartsTest, APartOutsideTheSlicesIsWrongUsage) {
    for (const char* part : {"0/3", "4/3", "3", "1/0", "a/b", "1/2/3", "-1/3"}) {
        const BatchRun run = RunTool(std::string("map.csv drf.csv out.csv --part ") + part);
        EXPECT_EQ(run.exit, 2) << part;
        EXPECT_EQ(run.err.rfind("qrlx-batch: --part takes K/N with 1 <= K <= N", 0), 0u) << run.err;
    }
    EXPECT_EQ(RunTool("--db net.db a b c --part 1/2").exit, 2);
}

}  // namespace
