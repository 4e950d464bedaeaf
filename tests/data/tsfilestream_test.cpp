#include "data/tsfilestream.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "tests/support/temp_dir.h"

namespace {

// The lines ReadLine hands out, each followed by '|'. With `firstLine`, the file is opened
// for its first line and the rest read after that line was handed out.
std::string Lines(const std::string& bytes, bool firstLine = false) {
    TempDir dir;
    TSFileStreamCL stream;
    const std::string path = dir.Write("f.csv", bytes);
    if (!(firstLine ? stream.OpenFirstLine(path) : stream.Open(path, TSFileStreamCL::fmRead))) {
        return "<cannot open>";
    }
    std::string out;
    std::string_view line;
    for (bool first = true; stream.ReadLine(line); first = false) {
        out += std::string(line) + "|";
        if (first && firstLine) {
            // Lines after the first stay in the file until ReadRest: when an LF ends the
            // first line before any 0x1A byte.
            const size_t lineEnd = bytes.find('\n');
            const bool rowsInFile = lineEnd < bytes.find('\x1A');
            if (stream.RestInFile() != rowsInFile ||
                (rowsInFile && stream.RestOffset() != lineEnd + 1)) {
                return "<file open: " + std::to_string(stream.RestInFile()) + ">";
            }
            if (!stream.ReadRest() || stream.RestInFile()) {
                return "<cannot read the rest>";
            }
        }
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

TEST(TSFileStreamCLTest, TheFirstLineAloneThenTheRestGiveTheSameLines) {
    const std::string longLine(size_t{64} << 10, 'x');  // beyond the first read
    for (const std::string& bytes :
         {std::string(), std::string("a"), std::string("a\r\n"), std::string("a\r\nb\r\nc"),
          std::string("\n\nb\n"), std::string("a\x1A\nb\n"), std::string("a\nb\x1A\nc\n"),
          longLine + "\r\nb\n", longLine + "y\rz\nb\n", longLine + "\x1A" + "b\n", longLine}) {
        EXPECT_EQ(Lines(bytes, true), Lines(bytes)) << bytes.substr(0, 20);
    }
}

// A FIFO must be opened once: a second open would wait for a writer that has gone.
TEST(TSFileStreamCLTest, AFifoIsReadWholeAndOpenedOnce) {
    TempDir dir;
    const std::string path = dir.Path("fifo.csv");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    // Not opened to be read at offsets: that open would wait here, with no writer.
    auto tried =
        std::async(std::launch::async, [&path] { return textfile::FileAtOffsets().Open(path); });
    if (tried.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));  // lets it end
        ADD_FAILURE() << "the FIFO was opened";
    }
    EXPECT_FALSE(tried.get());

    std::thread writer([&path] { std::ofstream(path, std::ios::binary) << "t\r\na\nb\n"; });
    auto read = std::async(std::launch::async, [&path] {
        TSFileStreamCL stream;
        std::string out;
        std::string_view line;
        if (stream.OpenFirstLine(path)) {
            while (stream.ReadLine(line)) {
                out += std::string(line) + "|";
            }
        }
        return out;
    });
    const bool done = read.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    writer.join();
    if (!done) {
        std::ofstream(path, std::ios::binary) << "";  // a writer, so that the reader ends
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(read.get(), "t|a|b|");
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
