#include "data/csvdialect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Split(std::string_view line) {
    std::vector<std::string> fields = {"stale", "fields"};
    csv::SplitCsvLine(line, fields);
    std::string out = std::to_string(fields.size()) + ":";
    for (const std::string& field : fields) {
        out += "[" + field + "]";
    }
    return out;
}

struct SplitCase {
    const char* name;
    std::string line;
    std::string fields;
};

class CsvSplitting : public testing::TestWithParam<SplitCase> {};

TEST_P(CsvSplitting, FollowsTheTwoStateMachine) {
    EXPECT_EQ(Split(GetParam().line), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CsvSplitting,
    testing::Values(SplitCase{"QuotedCommaDoubledQuoteAndTrailingEmpty", R"(a,"b,c","d""e",)",
                              R"(4:[a][b,c][d"e][])"},
                    SplitCase{"QuoteBeforeOtherByteIsDropped", R"("abc"def,g)", "1:[abcdef,g]"},
                    SplitCase{"BlankAfterClosingQuoteStaysInside", R"("a" ,b)", "1:[a ,b]"},
                    SplitCase{"QuoteInTheMiddleStartsAQuotedPart", R"(ab"c,d",e)", "2:[abc,d][e]"},
                    SplitCase{"EmptyLineHasNoFields", "", "0:"},
                    SplitCase{"LoneCommaHasTwoEmptyFields", ",", "2:[][]"},
                    SplitCase{"BlanksAreKept", " a , b ", "2:[ a ][ b ]"},
                    SplitCase{"UnclosedQuoteRunsToTheEnd", R"("a,b)", "1:[a,b]"},
                    SplitCase{"LoneQuote", R"(")", "1:[]"},
                    SplitCase{"NulEndsTheLine", std::string("a,b\0,c", 6), "2:[a][b]"},
                    SplitCase{"ShiftJisBytes", "\x93\x8C\x8B\x9E,\x83\x5C",
                              "2:[\x93\x8C\x8B\x9E][\x83\x5C]"}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(CsvDialectTest, LongLinesFieldsAndFieldCountsAreKeptWhole) {
    std::string longField(40000, 'x');
    std::vector<std::string> fields;
    csv::SplitCsvLine(longField + ",y", fields);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0], longField);

    std::string manyFields;
    for (int i = 0; i < 2000; ++i) {
        manyFields += std::to_string(i) + ",";
    }
    csv::SplitCsvLine(manyFields, fields);
    ASSERT_EQ(fields.size(), 2001u);
    EXPECT_EQ(fields[1999], "1999");
    EXPECT_EQ(fields[2000], "");
}

struct EncodeCase {
    const char* name;
    std::string value;
    std::string encoded;
};

class CsvEncoding : public testing::TestWithParam<EncodeCase> {};

TEST_P(CsvEncoding, QuotesOnlyWhatNeedsIt) {
    std::string out = "<";
    csv::EncodeCsvField(GetParam().value, out);
    EXPECT_EQ(out, "<" + GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(Values, CsvEncoding,
                         testing::Values(EncodeCase{"Empty", "", ""},
                                         EncodeCase{"Plain", "abc", "abc"},
                                         EncodeCase{"Comma", "1,5", R"("1,5")"},
                                         EncodeCase{"Quotes", R"(say "hi")", R"("say ""hi""")"},
                                         EncodeCase{"LeadingBlankBare", " x", " x"},
                                         EncodeCase{"LineBreakBare", "a\nb", "a\nb"}),
                         [](const testing::TestParamInfo<EncodeCase>& info) {
                             return info.param.name;
                         });

}  // namespace
