#include "data/tqarray.h"

#include <gtest/gtest.h>

#include "data/tqstring.h"

namespace {

TEST(tqArrayTest, ReadingPastTheEndExtendsWithDefaults) {
    tqArray<tqString> texts;
    EXPECT_STREQ(texts.Get(5).GetText(), "");
    EXPECT_EQ(texts.Count(), 6);
    EXPECT_EQ(texts.capacity, 64);

    tqArray<int*> pointers;
    EXPECT_EQ(pointers.Get(70), nullptr);
    EXPECT_EQ(pointers.Count(), 71);
    EXPECT_EQ(pointers.capacity, 128);
}

TEST(tqArrayTest, ReserveAllocatesTheNextMultipleOfStepStrictlyAbove) {
    tqArray<int> a;
    a.Reserve(63);
    EXPECT_EQ(a.capacity, 64);
    a.Reserve(64);
    EXPECT_EQ(a.capacity, 64);  // already enough
    tqArray<int> b;
    b.Reserve(64);
    EXPECT_EQ(b.capacity, 128);
    EXPECT_EQ(b.Count(), 0);
}

TEST(tqArrayTest, AddCopiesAndKeepsElementsAcrossGrowth) {
    tqArray<tqString> texts;
    tqString name("A");
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(texts.Add(name), i);
    }
    name.SetText("B");
    EXPECT_STREQ(texts.Get(0).GetText(), "A");
    EXPECT_STREQ(texts.Get(199).GetText(), "A");
    EXPECT_EQ(texts.capacity, 256);
}

TEST(tqArrayTest, ExchangeAssignAndClear) {
    tqArray<int> a;
    a.Add(1);
    a.Add(2);
    EXPECT_TRUE(a.Exchange(0, 1));
    EXPECT_FALSE(a.Exchange(0, 2));
    EXPECT_EQ(a.Get(0), 2);
    tqArray<int> b;
    b.Add(9);
    b.Assign(a);
    EXPECT_EQ(b.Count(), 2);
    EXPECT_EQ(b.Get(1), 1);
    b.Clear();
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(b.capacity, 0);
}

}  // namespace
