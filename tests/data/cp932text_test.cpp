#include "data/cp932text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Cp932TextTest, LeadBytesAreTheTwoRangesAndHighBytesAllAboveAscii) {
    const std::string lead = "\x81\x9F\xE0\xFC";
    const std::string notLead = std::string("\x7F\x80\xA0\xDF\xFD\xFF") + '\0';
    for (char c : lead) {
        EXPECT_TRUE(IsCp932LeadByte(c)) << int(static_cast<unsigned char>(c));
        EXPECT_TRUE(IsCp932HighByte(c));
    }
    for (char c : notLead) {
        EXPECT_FALSE(IsCp932LeadByte(c)) << int(static_cast<unsigned char>(c));
    }
    EXPECT_TRUE(IsCp932HighByte('\x80'));  // half-width kana and trail bytes count too
    EXPECT_TRUE(IsCp932HighByte('\xDF'));
    EXPECT_FALSE(IsCp932HighByte('\x7F'));
}

TEST(Cp932TextTest, LinesSplitAtEveryLineEndAndTheFinalOneCountsAsChosen) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd", FinalLineEnd::kNothing), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\r\n", FinalLineEnd::kNothing), (Lines{"a", ""}));
    EXPECT_EQ(SplitLines("a\n\r\n", FinalLineEnd::kAnotherEmptyLine), (Lines{"a", "", ""}));
    EXPECT_EQ(SplitLines("", FinalLineEnd::kNothing), Lines{});
    EXPECT_EQ(SplitLines("", FinalLineEnd::kAnotherEmptyLine), Lines{""});
    EXPECT_EQ(SplitLines("\r", FinalLineEnd::kAnotherEmptyLine), (Lines{"", ""}));
}

}  // namespace
