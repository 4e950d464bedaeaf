#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using codepage::Cp932ToUtf8;
using codepage::Utf8ToCp932;

struct Pair {
    const char* name;
    std::string cp932;
    std::string utf8;
};

class CodepageRoundTrip : public testing::TestWithParam<Pair> {};

TEST_P(CodepageRoundTrip, ConvertsBothWays) {
    EXPECT_EQ(Cp932ToUtf8(GetParam().cp932), GetParam().utf8);
    EXPECT_EQ(Utf8ToCp932(GetParam().utf8), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CodepageRoundTrip,
    testing::Values(Pair{"Ascii", "Route,12\r\n", "Route,12\r\n"},
                    Pair{"BackslashStaysBackslash", "\x5C", "\\"},
                    Pair{"TildeStaysTilde", "\x7E", "~"},
                    Pair{"WaveDashIsFullwidthTilde", "\x81\x60", "\xEF\xBD\x9E"},
                    Pair{"Kanji", "\x93\x8C\x8B\x9E", "東京"},
                    Pair{"HalfwidthKatakana", "\xB1", "ｱ"},
                    Pair{"NecCircledDigit", "\x87\x40", "①"},
                    Pair{"FullwidthDigitZero", "\x82\x4F", "０"}, Pair{"Empty", "", ""}),
    [](const testing::TestParamInfo<Pair>& info) { return info.param.name; });

TEST(CodepageTest, InvalidCp932BytesShowAsReplacementAndDecodingGoesOn) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(Cp932ToUtf8("A\x81"), "A" + replacement);       // lead byte cut short
    EXPECT_EQ(Cp932ToUtf8("\x81\x20Z"), replacement + " Z");  // bad trail byte
    EXPECT_EQ(Cp932ToUtf8("\xFD"
                          "B"),
              replacement + "B");  // never a lead byte
}

TEST(CodepageTest, EveryDoubleByteSequenceDecodesToOneCharacterOrReplacement) {
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) {
            continue;  // single-byte katakana
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            std::string text = Cp932ToUtf8(bytes);
            ASSERT_FALSE(text.empty()) << lead << "," << trail;
            // At most one character, or the replacement for the lead and then the trail.
            EXPECT_LE(text.size(), 6u) << lead << "," << trail;
        }
    }
}

TEST(CodepageTest, UnmappableOrInvalidUtf8BecomesQuestionMark) {
    EXPECT_EQ(Utf8ToCp932("caf\xC3\xA9!"), "caf?!");  // e-acute has no CP932 form
    EXPECT_EQ(Utf8ToCp932("a\xFF"
                          "b"),
              "a?b");
    EXPECT_EQ(Utf8ToCp932("\xE6\x9D"), "?");  // cut-short sequence
}

// Every character of the Basic Multilingual Plane that the exact encoding accepts comes
// back unchanged, so no two names become one; the characters CP932 holds only as another
// (〜 as ～, ¥ as \, − as －, ‖ as ∥, ¢ as ￠, ...) are refused.
TEST(CodepageTest, TheExactEncodingAcceptsOnlyCharactersThatComeBackUnchanged) {
    std::string refused;
    int accepted = 0;
    for (char32_t c = 0x80; c <= 0xFFFD; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::string utf8;
        if (c < 0x800) {
            utf8 = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            utf8 = {static_cast<char>(0xE0 | (c >> 12)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        }
        std::string cp932;
        if (codepage::Utf8ToCp932Exact(utf8, cp932)) {
            ++accepted;
            ASSERT_EQ(Cp932ToUtf8(cp932), utf8) << std::hex << static_cast<uint32_t>(c);
        } else if (Utf8ToCp932(utf8) != "?") {
            refused += utf8;  // encodable, but only as another character
        }
    }
    EXPECT_GT(accepted, 7000);  // the JIS characters, kana and the vendor extensions
    for (const char* oneWay : {"〜", "¥", "−", "‖", "¢", "£", "¬"}) {
        EXPECT_NE(refused.find(oneWay), std::string::npos) << oneWay;
    }
    std::string cp932;
    EXPECT_TRUE(codepage::Utf8ToCp932Exact("東京～大阪", cp932));
    EXPECT_FALSE(codepage::Utf8ToCp932Exact("東京〜大阪", cp932));
}

// A character CP932 encodes twice decodes to one UTF-8 form: only the form that comes back
// is exact, so that two different names never become one.
TEST(CodepageTest, TheExactDecodingRefusesTheSecondFormOfACharacterEncodedTwice) {
    std::string first;
    std::string second;
    for (const auto& [canonical, other] : {std::pair{"\x81\xE0", "\x87\x90"},     // ≒
                                           std::pair{"\xFA\x5C", "\xED\x40"}}) {  // 纊
        EXPECT_TRUE(codepage::Cp932ToUtf8Exact(std::string("A") + canonical, first)) << canonical;
        EXPECT_FALSE(codepage::Cp932ToUtf8Exact(std::string("A") + other, second)) << other;
        EXPECT_EQ(Cp932ToUtf8(std::string("A") + other), first);  // shown, not written
    }
    EXPECT_TRUE(codepage::Cp932ToUtf8Exact("plain ASCII", first));
}

}  // namespace
