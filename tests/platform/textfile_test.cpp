#include "platform/textfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/iofault.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace {

// The flags of the mapping that holds `address`, as /proc/self/smaps tells them.
std::string MappingFlags(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t begin = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> begin >> dash >> end && dash == '-' &&
            line.find(':') > line.find(' ')) {
            inside = begin <= at && at < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return "";
}

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

TEST(TextFileTest, ALongReadTellsHowFarItHasComeAndDropsCrInEveryChunk) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 5000000; ++i) {
        bytes += "ab\r\n";  // CR LF pairs across every chunk boundary
    }
    const std::string path = dir.Write("big.csv", bytes + "\x1A" + "after the end\r\n");
    std::vector<std::pair<uint64_t, uint64_t>> told;
    std::string content;
    ASSERT_TRUE(textfile::ReadTextFile(
        path, content, [&](uint64_t read, uint64_t size) { told.emplace_back(read, size); }));
    EXPECT_EQ(content.size(), 15000000u);
    EXPECT_EQ(content.find('\r'), std::string::npos);
    EXPECT_EQ(content.substr(content.size() - 3), "ab\n");
    // A text this large is offered for huge pages before it is filled.
    EXPECT_NE(MappingFlags(content.data() + content.size() / 2).find(" hg"), std::string::npos);
    ASSERT_EQ(told.size(), 2u);  // at 8 and 16 MB of 20
    EXPECT_GE(told[0].first, textfile::kReadProgressBytes);
    EXPECT_EQ(told[1].second, bytes.size() + 16);
}

TEST(TextFileTest, DropsEveryCrWhereverItStands) {
    TempDir dir;
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 40, '\0');
        for (char& c : bytes) {
            const auto byte = static_cast<char>(random() % 256);
            c = random() % 3 == 0 ? '\r' : byte == '\x1A' ? 'z' : byte;  // 0x1A would end it
        }
        std::string expected = bytes;
        std::erase(expected, '\r');
        std::string content;
        ASSERT_TRUE(ReadTextFile(dir.Write("f.csv", bytes), content));
        EXPECT_EQ(content, expected) << round;
    }
}

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

TEST(TextFileTest, AFileReadOnlyToItsUserIsNeverReplaced) {
    TempDir dir;
    ::chmod(dir.Dir().c_str(), 0777);  // the folder itself would allow the rename
    const std::string target = dir.Write("out.csv", "old");
    ::chmod(target.c_str(), 0444);
    const int refused = RunUnprivileged([&] {
        TextFileWriter writer;
        if (writer.Open(target) || errno != EACCES) {
            return 1;
        }
        return 0;
    });
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(dir.Listing(), "out.csv");
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

namespace {

// Writes `text` through a writer to `path`; gives Commit's answer.
bool Save(const std::string& path, const std::string& text) {
    TextFileWriter writer;
    return writer.Open(path) && writer.Write(text) && writer.Commit();
}

TEST(TextFileTargetTest, AnUnfinishedFileHasNoNameInTheFolder) {
    TempDir dir;
    const std::string path = dir.Write("out.txt", "old");
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    ASSERT_TRUE(writer.Write(std::string(300000, 'x')));  // past the writer's own buffer
    EXPECT_EQ(dir.Listing(), "out.txt");  // a process killed now leaves nothing behind
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(dir.Listing(), "out.txt");
    EXPECT_EQ(TempDir::Read(path).size(), 300000u);
}

TEST(TextFileTargetTest, ALinkIsFollowedAndKept) {
    TempDir dir;
    const std::string file = dir.Write("data.txt", "old");
    ASSERT_EQ(::symlink("data.txt", dir.Path("link.txt").c_str()), 0);
    ASSERT_TRUE(Save(dir.Path("link.txt"), "new\n"));
    EXPECT_EQ(TempDir::Read(file), "new\r\n");
    struct stat link {};
    ASSERT_EQ(::lstat(dir.Path("link.txt").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    // A link to a file not there yet makes that file.
    ASSERT_EQ(::symlink("later.txt", dir.Path("ahead.txt").c_str()), 0);
    ASSERT_TRUE(Save(dir.Path("ahead.txt"), "x"));
    EXPECT_EQ(TempDir::Read(dir.Path("later.txt")), "x");
}

TEST(TextFileTargetTest, APipeIsWrittenIntoNotReplaced) {
    TempDir dir;
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(Save(fifo, "through\n"));
    char got[32] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 9);
    EXPECT_STREQ(got, "through\r\n");
    ::close(reader);
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(TextFileTargetTest, ALongestLegalNameSaves) {
    TempDir dir;
    const std::string path = dir.Path(std::string(250, 'n') + ".csv");  // 254 bytes
    ASSERT_TRUE(Save(path, "a\n"));
    EXPECT_EQ(TempDir::Read(path), "a\r\n");
}

TEST(TextFileTargetTest, AFailedSyncOrRenameKeepsTheOldFileAndLeavesNothing) {
    TempDir dir;
    const std::string path = dir.Write("out.txt", "old");
    for (iofault::Operation operation :
         {iofault::opCreate, iofault::opWrite, iofault::opSync, iofault::opRename}) {
        iofault::Fail(operation);
        EXPECT_FALSE(Save(path, "new")) << operation;
        iofault::Reset();
        EXPECT_EQ(TempDir::Read(path), "old") << operation;
        EXPECT_EQ(dir.Listing(), "out.txt") << operation;
    }
}

}  // namespace
