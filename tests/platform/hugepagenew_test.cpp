#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

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

TEST(HugePageNewTest, OnlyLargeBlocksAreOfferedForHugePages) {
    const auto small = std::make_unique<char[]>(size_t{12} << 20);  // holds whole huge pages
    EXPECT_EQ(MappingFlags(small.get() + (size_t{6} << 20)).find(" hg"), std::string::npos);

    const auto large = std::make_unique<char[]>(size_t{32} << 20);
    const std::string flags = MappingFlags(large.get() + (size_t{16} << 20));
    ASSERT_FALSE(flags.empty());
    EXPECT_NE(flags.find(" hg"), std::string::npos) << flags;
}

}  // namespace
