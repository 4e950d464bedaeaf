#include "data/tqstring.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(tqStringTest, EmptyAndNullReadAsEmptyText) {
    tqString empty;
    tqString fromNull(nullptr);
    tqString fromEmpty("");
    for (const tqString* s : {&empty, &fromNull, &fromEmpty}) {
        EXPECT_STREQ(s->GetText(), "");
        EXPECT_TRUE(s->IsEmpty());
    }
    tqString text("abc");
    text.SetText("");
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text, empty);
}

TEST(tqStringTest, CopiesAreDeep) {
    tqString original("東京");
    tqString copy(original);
    tqString assigned;
    assigned = original;
    original.SetText("大阪");
    EXPECT_STREQ(copy.GetText(), "東京");
    EXPECT_STREQ(assigned.GetText(), "東京");
    EXPECT_NE(copy.GetText(), original.GetText());
}

TEST(tqStringTest, ComparesBytesAsUnsignedWithoutFolding) {
    EXPECT_LT(tqString("A"), tqString("a"));
    EXPECT_LT(tqString("z"), tqString("\x82\x60"));  // a lead byte above every ASCII byte
    EXPECT_LT(tqString("AB"), tqString("ABC"));      // a prefix sorts first
    EXPECT_LT(tqString(""), tqString("\x01"));
    EXPECT_FALSE(tqString("A ") == tqString("A"));  // blanks are not trimmed
    EXPECT_EQ(tqString("x").CompareTo(tqString("x")), 0);
}

// Short texts live in the object and long ones apart; every way of handing a text over
// must keep it whole on both sides of that line.
TEST(tqStringTest, TextsOfEveryLengthSurviveCopiesMovesAndThemselves) {
    for (size_t length : {0, 1, 14, 15, 16, 17, 40}) {
        SCOPED_TRACE(length);
        std::string text;
        for (size_t i = 0; i < length; ++i) {
            text.push_back(static_cast<char>('a' + i % 26));
        }
        tqString original(text.c_str());
        EXPECT_EQ(original.Length(), length);
        EXPECT_EQ(std::string(original.GetText()), text);

        tqString moved(std::move(original));
        EXPECT_EQ(std::string(moved.GetText()), text);
        EXPECT_TRUE(original.IsEmpty());  // NOLINT(bugprone-use-after-move): left empty
        EXPECT_STREQ(original.GetText(), "");

        for (const char* other : {"", "short", "a text well beyond the inline room"}) {
            tqString target(other);
            target = moved;
            EXPECT_EQ(std::string(target.GetText()), text);
            tqString taken(other);
            taken = tqString(text.c_str());
            EXPECT_EQ(std::string(taken.GetText()), text);
        }
        moved.SetText(moved.GetText());  // its own text
        EXPECT_EQ(std::string(moved.GetText()), text);
        moved = tqString(moved.GetText() + length / 2);  // a part of its own text
        EXPECT_EQ(std::string(moved.GetText()), text.substr(length / 2));
    }
}

}  // namespace
