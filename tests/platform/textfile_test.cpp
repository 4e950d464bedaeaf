#include "platform/textfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace {

using textfile::ReadTextFile;
using textfile::TextFileWriter;

struct ReadCase {
    const char* name;
    std::string bytes;
    std::string content;
};

class TextModeReading : public testing::TestWithParam<ReadCase> {};

TEST_P(TextModeReading, DropsCrAndEndsAtControlZ) {
    TempDir dir;
    std::string content = "stale";
    ASSERT_TRUE(ReadTextFile(dir.Write("f.csv", GetParam().bytes), content));
    EXPECT_EQ(content, GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextModeReading,
    testing::Values(ReadCase{"Empty", "", ""}, ReadCase{"CrLf", "a,b\r\nc\r\n", "a,b\nc\n"},
                    ReadCase{"LoneCr", "a\rb\n", "ab\n"},
                    ReadCase{"ControlZEndsContent",
                             "a\n\x1A"
                             "b\n",
                             "a\n"},
                    ReadCase{"NulIsKept", std::string("a\0b", 3), std::string("a\0b", 3)},
                    ReadCase{"ShiftJisBytesUntouched", "\x93\x8C\x8B\x9E\r\n",
                             "\x93\x8C\x8B\x9E\n"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(TextFileTest, MissingFileCannotBeRead) {
    TempDir dir;
    std::string content;
    EXPECT_FALSE(ReadTextFile(dir.Path("absent.csv"), content));
    EXPECT_FALSE(ReadTextFile(dir.Dir(), content));
}

TEST(TextFileTest, WriterTurnsLfIntoCrLfAndReplacesOnCommit) {
    TempDir dir;
    std::string target = dir.Write("out.csv", "old");
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    EXPECT_TRUE(writer.Write("a,b\nc"));
    EXPECT_TRUE(writer.Write("\n"));
    EXPECT_EQ(TempDir::Read(target), "old");  // untouched until committed
    EXPECT_TRUE(writer.Commit());
    EXPECT_EQ(TempDir::Read(target), "a,b\r\nc\r\n");
    EXPECT_EQ(dir.Listing(), "out.csv");
}

TEST(TextFileTest, DiscardKeepsTheOldFileAndLeavesNothingBehind) {
    TempDir dir;
    std::string target = dir.Write("out.csv", "old");
    {
        TextFileWriter writer;
        ASSERT_TRUE(writer.Open(target));
        writer.Write("new\n");
    }  // never committed
    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(dir.Listing(), "out.csv");
}

TEST(TextFileTest, ReplacementKeepsThePermissionsOfTheOldFile) {
    TempDir dir;
    std::string target = dir.Write("out.csv", "old");
    ::chmod(target.c_str(), 0640);
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    ASSERT_TRUE(writer.Commit());
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(TextFileTest, WriteFailureHalfWayKeepsTheOldFile) {
    TempDir dir;
    std::string target = dir.Write("out.csv", "old content\r\n");
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));

    bool allWritten = true;
    bool committed = false;
    {
        ScopedFileSizeLimit limit(65536);
        for (int i = 0; i < 100000; ++i) {
            allWritten = writer.Write("row,of,some,length\n") && allWritten;
        }
        committed = writer.Commit();
    }

    EXPECT_FALSE(allWritten);
    EXPECT_FALSE(committed);
    EXPECT_EQ(TempDir::Read(target), "old content\r\n");
    EXPECT_EQ(dir.Listing(), "out.csv");
}

TEST(TextFileTest, WriterCannotStartInAMissingDirectory) {
    TempDir dir;
    TextFileWriter writer;
    EXPECT_FALSE(writer.Open(dir.Path("missing/out.csv")));
    EXPECT_FALSE(writer.Write("x"));
    EXPECT_FALSE(writer.Commit());
}

}  // namespace
