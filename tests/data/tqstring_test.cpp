#include "data/tqstring.h"

#include <gtest/gtest.h>

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

}  // namespace
