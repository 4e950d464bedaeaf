#include "data/tsfilestream.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace {

// The lines ReadLine hands out, each followed by '|'.
std::string Lines(const std::string& bytes) {
    TempDir dir;
    TSFileStreamCL stream;
    if (!stream.Open(dir.Write("f.csv", bytes), TSFileStreamCL::fmRead)) {
        return "<cannot open>";
    }
    std::string out;
    std::string_view line;
    while (stream.ReadLine(line)) {
        out += std::string(line) + "|";
    }
    return out;
}

TEST(TSFileStreamCLTest, ServesLinesWithoutTheirEnds) {
    EXPECT_EQ(Lines(""), "");
    EXPECT_EQ(Lines("a\nb"), "a|b|");
    EXPECT_EQ(Lines("a\n"), "a|");
    EXPECT_EQ(Lines("\n\n"), "||");
    EXPECT_EQ(Lines("a\r\nb\r\n"), "a|b|");
    EXPECT_EQ(Lines("a\rb\n"), "ab|");
    EXPECT_EQ(Lines("a\n\x1A"
                    "b\n"),
              "a|");
}

TEST(TSFileStreamCLTest, ModesAreExclusive) {
    TempDir dir;
    std::string path = dir.Write("f.csv", "x\n");
    TSFileStreamCL stream;
    EXPECT_FALSE(stream.Close());
    std::string_view line;
    EXPECT_FALSE(stream.ReadLine(line));
    EXPECT_FALSE(stream.WriteText("x"));
    ASSERT_TRUE(stream.Open(path, TSFileStreamCL::fmRead));
    EXPECT_FALSE(stream.Open(path, TSFileStreamCL::fmRead));
    EXPECT_FALSE(stream.WriteText("x"));
    EXPECT_TRUE(stream.ReadLine(line));  // still open
    EXPECT_TRUE(stream.Close());
    EXPECT_FALSE(stream.Open(dir.Path("absent.csv"), TSFileStreamCL::fmRead));
}

TEST(TSFileStreamCLTest, WritesCrLfAndReplacesTheFileOnClose) {
    TempDir dir;
    std::string path = dir.Write("out.csv", "old");
    {
        TSFileStreamCL stream;
        ASSERT_TRUE(stream.Open(path, TSFileStreamCL::fmWrite));
        EXPECT_TRUE(stream.WriteText("a\nb"));
        EXPECT_TRUE(stream.WriteText("\n"));
        std::string_view line;
        EXPECT_FALSE(stream.ReadLine(line));
        EXPECT_TRUE(stream.Close());
    }
    EXPECT_EQ(TempDir::Read(path), "a\r\nb\r\n");

    TSFileStreamCL discarded;
    ASSERT_TRUE(discarded.Open(path, TSFileStreamCL::fmWrite));
    discarded.WriteText("lost\n");
    discarded.Discard();
    EXPECT_EQ(TempDir::Read(path), "a\r\nb\r\n");
    EXPECT_EQ(dir.Listing(), "out.csv");
}

}  // namespace
