#include "data/tsmemory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/iofault.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int32_t kPage = TSBinaryFileCL::kPageSize;

std::string Pattern(int length, int seed) {
    std::string bytes(length, '\0');
    for (int i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 31 + seed * 7) & 0xFF);
    }
    return bytes;
}

std::string ReadBack(TSMemoryCL& store, int32_t offset) {
    TSMemUnitCL unit;
    if (!store.Read(offset, unit)) {
        return "<none>";
    }
    return std::string(unit.data.get(), unit.length);
}

TEST(TSMemoryCLTest, OffsetsFollowTheZeroRecord) {
    TSMemoryCL store;
    ASSERT_TRUE(store.IsUsable());
    EXPECT_EQ(store.total, 8);
    EXPECT_EQ(store.Append(5, "hello"), 8);
    EXPECT_EQ(store.Append(3, "abc"), 8 + 4 + 5);
    EXPECT_EQ(ReadBack(store, 8), "hello");
    EXPECT_EQ(ReadBack(store, 17), "abc");
    EXPECT_EQ(ReadBack(store, 0), "<none>");
}

TEST(TSMemoryCLTest, ReadOfNoneLeavesTheUnitUnchanged) {
    TSMemoryCL store;
    TSMemUnitCL unit;
    unit.Set("keep", 4);
    EXPECT_FALSE(store.Read(TSMemoryCL::kNone, unit));
    EXPECT_EQ(std::string(unit.data.get(), unit.length), "keep");
    unit.Set("ab", 2);  // a shorter text reuses the buffer
    EXPECT_EQ(unit.capacity, 4);
}

TEST(TSMemoryCLTest, RecordStraddlingTwoPagesReadsBackIntact) {
    TSMemoryCL store;
    // Fill up to 8 bytes before the end of page 0: the next record's length sits in the
    // last 4 bytes of page 0 and its data runs into page 1.
    std::string filler = Pattern(kPage - 8 - 4 - 8, 1);
    store.Append(static_cast<int32_t>(filler.size()), filler.data());
    EXPECT_EQ(store.total, kPage - 8);
    int32_t lengthAtEnd = store.Append(10, "0123456789");
    // One whose data starts 4 bytes before the end of page 1.
    std::string filler2 = Pattern(2 * kPage - 8 - store.total - 4, 2);
    store.Append(static_cast<int32_t>(filler2.size()), filler2.data());
    EXPECT_EQ(store.total % kPage, kPage - 8);
    int32_t dataAcross = store.Append(10, "abcdefghij");
    EXPECT_EQ(ReadBack(store, lengthAtEnd), "0123456789");
    EXPECT_EQ(ReadBack(store, dataAcross), "abcdefghij");
}

TEST(TSMemoryCLTest, ManyRecordsAcrossManyPagesReadBackInAnyOrder) {
    TSMemoryCL store;
    std::mt19937 random(3);
    std::vector<std::pair<int32_t, std::string>> records;
    int32_t straddling = 0;
    for (int i = 0; i < 4000; ++i) {
        int length = 1 + random() % 300;
        if (i % 500 == 0) {
            length = 20000 + random() % 30000;  // longer than a page
        }
        std::string bytes = Pattern(length, i);
        int32_t before = store.total;
        int32_t offset = store.Append(length, bytes.data());
        ASSERT_NE(offset, 0);
        if (before / kPage >= 5 && (before + 4) / kPage != (before + 4 + length - 1) / kPage) {
            ++straddling;
        }
        records.emplace_back(offset, bytes);
    }
    EXPECT_GT(store.total / kPage, 50);
    EXPECT_GT(straddling, 10);
    std::shuffle(records.begin(), records.end(), random);
    for (const auto& [offset, bytes] : records) {
        ASSERT_EQ(ReadBack(store, offset), bytes) << "offset " << offset;
    }
    ASSERT_TRUE(store.IsUsable());
}

TEST(TSMemoryCLTest, ReadingPagesBackWritesNothing) {
    TSMemoryCL store;
    std::vector<std::pair<int32_t, std::string>> records;
    for (int i = 0; i < 400; ++i) {  // about 25 pages
        std::string bytes = Pattern(1 + i * 37 % 2000, i);
        records.emplace_back(store.Append(static_cast<int32_t>(bytes.size()), bytes.data()), bytes);
    }
    for (const auto& [offset, bytes] : records) {  // the last pages written go back to the file
        ASSERT_EQ(ReadBack(store, offset), bytes);
    }
    iofault::Fail(iofault::opWrite);
    std::reverse(records.begin(), records.end());
    for (const auto& [offset, bytes] : records) {
        EXPECT_EQ(ReadBack(store, offset), bytes) << "offset " << offset;
    }
    EXPECT_TRUE(store.IsUsable());
    iofault::Reset();
}

TEST(TSMemoryCLTest, ResetStartsOverInTheSameFile) {
    TSMemoryCL store;
    for (int i = 0; i < 100; ++i) {
        store.Append(1000, Pattern(1000, i).data());
    }
    store.Reset();
    EXPECT_EQ(store.total, 8);
    EXPECT_EQ(store.Append(2, "xy"), 8);
    EXPECT_EQ(ReadBack(store, 8), "xy");
}

TEST(ScratchFileTest, LiveStoresHaveDistinctFilesThatLeaveNoNameBehind) {
    TempDir dir;
    ScopedTmpDir tmp(dir.Dir());
    TSMemoryCL a;
    TSMemoryCL b;
    ASSERT_TRUE(a.IsUsable());
    ASSERT_TRUE(b.IsUsable());
    EXPECT_NE(a.file.Path(), b.file.Path());
    EXPECT_EQ(std::filesystem::path(a.file.Path()).parent_path(), dir.Dir());
    EXPECT_EQ(std::filesystem::path(a.file.Path()).extension(), ".TMP");
    // The names are gone while the files are in use: a killed process leaves nothing.
    EXPECT_EQ(dir.Listing(), "");

    for (int i = 0; i < 200; ++i) {
        a.Append(500, Pattern(500, i).data());
        b.Append(500, Pattern(500, i + 1).data());
    }
    EXPECT_EQ(ReadBack(a, 8), Pattern(500, 0));
    EXPECT_EQ(ReadBack(b, 8), Pattern(500, 1));
}

TEST(ScratchFileTest, NamesAreNotPredictableFromEachOther) {
    TempDir dir;
    ScopedTmpDir tmp(dir.Dir());
    std::vector<unsigned long> numbers;
    for (int i = 0; i < 20; ++i) {
        TSMemoryCL store;
        ASSERT_TRUE(store.IsUsable());
        numbers.push_back(std::stoul(std::filesystem::path(store.file.Path()).stem(), nullptr, 16));
    }
    int neighbours = 0;
    for (size_t i = 1; i < numbers.size(); ++i) {
        neighbours += numbers[i] == numbers[i - 1] + 1 ? 1 : 0;
    }
    EXPECT_EQ(neighbours, 0);
}

TEST(ScratchFileTest, FileThatCannotBeCreatedMakesTheStoreUnusable) {
    TempDir dir;
    ScopedTmpDir tmp(dir.Path("missing"));
    TSMemoryCL store;
    EXPECT_FALSE(store.IsUsable());
    EXPECT_EQ(store.Append(3, "abc"), TSMemoryCL::kNone);
    EXPECT_EQ(ReadBack(store, 8), "<none>");
}

}  // namespace
