// The batch tool's progress line.
#include "batch/terminalprogress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string Written(FILE* file) {
    std::string out(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(out.data(), 1, out.size(), file), out.size());
    return out;
}

TEST(TerminalProgressTest, TheLineIsRedrawnOnlyWhenItsPercentageChanges) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    TerminalProgress line(file);
    {
        ProgressRun run(&line, 20000);  // each percentage reported 20 times
        for (int i = 0; i < 20000; ++i) {
            run.Item(i);
        }
    }
    const std::string out = Written(file);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\r'), 100 + 1);  // 0 to 99, then cleared
    EXPECT_NE(out.find("\r進捗状況  99%"), std::string::npos);
    std::fclose(file);
}

}  // namespace
