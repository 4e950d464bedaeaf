// qrlx-batch --part: a run split into slices, as a scheduler runs it.
#include <cstdio>
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

    // Runs the README's recipe with GNU parallel for `parts` parts and joins them with the
    // shipped join script; gives the joined result.
    std::string Recipe(int parts) {
        const std::string n = std::to_string(parts);
        const BatchRun run = RunTool(
            "(seq " + n +
                " | parallel --will-cite -j 2 '" QRLX_BATCH "' map.csv drf.csv part{}-of-" + n +
                ".csv --part {}/" + n + " --threads 1 --warnings log{}.txt && " + Join(n),
            /*prefixed=*/true);
        EXPECT_EQ(run.exit, 0) << run.err;
        return TempDir::Read(dir.Path("joined.csv"));
    }

    static std::string Join(const std::string& n) {
        return "sh '" QRLX_EXAMPLES "/join-parts.sh' " + n + " joined.csv)";
    }
};

TEST_F(BatchPartsTest, ThePartsJoinedAreTheWholeRunByteForByte) {
    const std::string whole = TempDir::Read(dir.Path("whole.csv"));
    ASSERT_NE(whole, "");
    EXPECT_EQ(Recipe(3), whole);
    EXPECT_EQ(TempDir::Read(dir.Path("log2.txt")), TempDir::Read(dir.Path("whole.txt")));
    // More parts than instructions: some parts hold the title line only.
    EXPECT_EQ(Recipe(20), whole);
    EXPECT_EQ(TempDir::Read(dir.Path("part1-of-20.csv")), codepage::Utf8ToCp932(kResultTitles));
}

// The job script runs as sbatch runs an array task: its SLURM_* variables set, qrlx-batch
// on the path.
TEST_F(BatchPartsTest, TheSlurmJobScriptsPartsJoinToTheWholeAndAPartMissingIsRefused) {
    const std::string job = TempDir::Read(QRLX_EXAMPLES "/slurm-job.sh");
    ASSERT_EQ(job.rfind("#!/bin/sh\n", 0), 0u);  // sbatch refuses a script without it
    std::string tasks = "(PATH=\"$(dirname '" QRLX_BATCH
                        "'):$PATH\" && for k in $(seq 16); do "
                        "SLURM_ARRAY_TASK_ID=$k SLURM_ARRAY_TASK_COUNT=16 "
                        "sh '" QRLX_EXAMPLES "/slurm-job.sh' || exit 1; done)";
    ASSERT_EQ(RunTool(tasks, /*prefixed=*/true).exit, 0);
    const std::string whole = TempDir::Read(dir.Path("whole.csv"));
    ASSERT_EQ(RunTool("(" + Join("16"), /*prefixed=*/true).exit, 0);
    EXPECT_EQ(TempDir::Read(dir.Path("joined.csv")), whole);

    // Joined as 4 parts of 16, a part missing, or a part cut short: refused, the result kept.
    dir.Write("joined.csv", "kept");
    const BatchRun fewer = RunTool("(" + Join("4"), /*prefixed=*/true);
    EXPECT_EQ(fewer.exit, 1);
    EXPECT_EQ(fewer.err, "join-parts.sh: part 1 of 4 (part1-of-4.csv) is missing\n");
    const std::string part9 = TempDir::Read(dir.Path("part9-of-16.csv"));
    ASSERT_GT(part9.size(), 2u);
    dir.Write("part9-of-16.csv", part9.substr(0, part9.size() - 2));
    EXPECT_EQ(RunTool("(" + Join("16"), /*prefixed=*/true).err,
              "join-parts.sh: part 9 of 16 (part9-of-16.csv) does not end with a line end: it "
              "was cut short\n");
    std::remove(dir.Path("part16-of-16.csv").c_str());
    EXPECT_EQ(RunTool("(" + Join("16"), /*prefixed=*/true).exit, 1);
    EXPECT_EQ(TempDir::Read(dir.Path("joined.csv")), "kept");
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
