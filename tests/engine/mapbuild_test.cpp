#include "engine/mapbuild.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/node.h"
#include "network_fixture.h"
#include "platform/iofault.h"
#include "platform/textfile.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr MapColumns kColumns{1, 2, 3};

// The warnings, the node ids in the order the rows first name them and the links as
// searched, of a build that `add` fills.
std::string Built(int threads, const std::function<void(MapBuild&)>& add) {
    SfNodes nodes;
    MapBuild build(nodes, threads);
    add(build);
    tqList<tqString> warnings;
    build.Finish(warnings);
    nodes.SortLinks(threads);
    std::string text;
    for (int i = 0; i < warnings.Count(); ++i) {
        text += std::string(warnings.Get(i)->GetText()) + "\n";
    }
    return text + NetworkText(nodes);
}

// A file read a few bytes at a time, in pieces side by side, gives the network and the
// warnings of its text read whole: lines and CR LF pairs cut by the reads, names longer than
// a read, and a 0x1A byte that ends the text in any piece.
TEST(MapBuildTest, AFileReadInStretchesBuildsWhatItsWholeTextBuilds) {
    const std::vector<std::string> pieces = {
        "A,B,1\r\n", "B,A,2\r\n",    "A,B,3\n",   "A,A,1\n",
        "C,\r,1\n",  "C\rD,E,7\n",   "\r\n",      "\n",
        "C,D,0\n",   "\"A,\",B,5\n", "D,E,7,x\n", "LongNameOfAPlace,AnotherLongName,12\r\n",
        "E,F\n",     "\x1A"};
    std::mt19937 random(5);
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        std::string bytes = "titles\r\n";
        const size_t begin = bytes.size();
        const int count = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < count; ++i) {
            // The end byte now and then only, so that most texts run to their end.
            const size_t last = round % 4 == 0 ? pieces.size() - 1 : pieces.size() - 2;
            bytes += pieces[std::uniform_int_distribution<size_t>(0, last)(random)];
        }
        if (round % 3 == 0 && !bytes.empty()) {
            bytes.pop_back();  // the last line without its LF
        }
        std::string text;
        textfile::AppendText(bytes.data() + begin, bytes.size() - begin, text);
        // The rows' progress as told: on one thread, every tenth row of all the rows.
        std::string toldWhole;
        const std::string whole = Built(1, [&](MapBuild& build) {
            build.AddLines(text, kColumns, [&](int32_t row, int32_t rows) {
                toldWhole += std::to_string(row) + "/" + std::to_string(rows) + " ";
            });
        });
        textfile::FileAtOffsets file;
        ASSERT_TRUE(file.Open(dir.Write("map.csv", bytes)));
        for (const size_t stretch : {1, 2, 3, 7, 64}) {
            for (const int threads : {1, 2, 4}) {
                std::string told;
                std::function<void(int32_t, int32_t)> tell = [&](int32_t row, int32_t rows) {
                    told += std::to_string(row) + "/" + std::to_string(rows) + " ";
                };
                EXPECT_EQ(
                    Built(threads,
                          [&](MapBuild& build) {
                              // Lines are counted only for progress: half the builds.
                              ASSERT_FALSE(build.AddFile(
                                  file, begin, kColumns,
                                  stretch % 2 == 1 ? tell : std::function<void(int32_t, int32_t)>(),
                                  stretch));
                          }),
                    whole)
                    << threads << " threads, reads of " << stretch << " bytes:\n"
                    << bytes;
                if (threads == 1 && stretch % 2 == 1) {
                    EXPECT_EQ(told, toldWhole) << "reads of " << stretch << " bytes:\n" << bytes;
                }
            }
        }
    }
}

TEST(MapBuildTest, AFileIsReadToItsEndThoughItGrewAfterItWasOpened) {
    TempDir dir;
    const std::string path = dir.Write("map.csv", "A,B,1\nB,C,2\n");
    textfile::FileAtOffsets file;
    ASSERT_TRUE(file.Open(path));
    dir.Write("map.csv", "A,B,1\nB,C,2\nC,D,3\n,E,4\n");  // the same file, longer
    const std::string whole = Built(1, [](MapBuild& build) {
        build.AddLines("A,B,1\nB,C,2\nC,D,3\n,E,4\n", kColumns, nullptr);
    });
    EXPECT_NE(whole.find("[0004]"), std::string::npos);
    for (const int threads : {1, 2}) {
        EXPECT_EQ(Built(threads,
                        [&](MapBuild& build) {
                            ASSERT_FALSE(build.AddFile(file, 0, kColumns, nullptr));
                        }),
                  whole);
    }
}

// Cut while it is read, before the last piece's stretch: a failure, never the rows after
// the cut without those before it. A cut in the last piece leaves a prefix.
TEST(MapBuildTest, AFileCutShortWhileItIsReadFailsTheBuildOrGivesAPrefix) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 400; ++i) {
        text += "N" + std::to_string(i) + ",N" + std::to_string(i + 1) + ",1\n";
    }
    const std::string path = dir.Write("map.csv", text);
    for (const size_t kept : {text.size() / 3, text.size() - 10}) {
        textfile::FileAtOffsets file;
        ASSERT_TRUE(file.Open(path));  // shares the work out by this size
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kept)), 0);
        SfNodes nodes;
        MapBuild build(nodes, 2);
        const FileFailure failure = build.AddFile(file, 0, kColumns, nullptr, 16);
        if (kept < text.size() / 2) {
            EXPECT_EQ(failure.error, ENODATA);
            EXPECT_EQ(FileFailureReason(failure), "読込みの途中でファイルが短くなりました");
        } else {
            EXPECT_FALSE(failure);
            tqList<tqString> warnings;
            build.Finish(warnings);
            EXPECT_EQ(nodes.GetCount(), 400);  // the last line, cut, names no new node
        }
        dir.Write("map.csv", text);
    }
}

TEST(MapBuildTest, AFileThatCannotBeReadFailsTheBuild) {
    TempDir dir;
    textfile::FileAtOffsets file;
    ASSERT_TRUE(file.Open(dir.Write("map.csv", "A,B,1\nB,C,2\n")));
    SfNodes nodes;
    MapBuild build(nodes, 2);
    iofault::Fail(iofault::opRead);
    const FileFailure failure = build.AddFile(file, 0, kColumns, nullptr);
    iofault::Reset();
    EXPECT_EQ(failure.doing, FileFailure::fdReading);
    EXPECT_EQ(failure.error, EIO);
}

}  // namespace
