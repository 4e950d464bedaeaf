#include "data/tqlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "data/tqstring.h"

namespace {

// Counts live instances so that ownership can be checked.
struct Counted {
    static inline int live = 0;
    explicit Counted(int v) : value(v) { ++live; }
    ~Counted() { --live; }
    bool operator>(const Counted& other) const { return value > other.value; }
    bool operator==(const Counted& other) const { return value == other.value; }
    int value;
};

std::string Texts(const tqList<tqString>& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        out += list.Get(i) ? list.Get(i)->GetText() : "_";
        out += i + 1 < list.Count() ? " " : "";
    }
    return out;
}

void AddTexts(tqList<tqString>& list, std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        list.Add(std::make_unique<tqString>(text));
    }
}

TEST(tqListTest, AddNullChangesNothing) {
    tqList<tqString> list;
    list.sorted = 1;
    EXPECT_EQ(list.Add(nullptr), -1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.sorted, 1);
}

TEST(tqListTest, GrowsByFixedStepsWithNullSlots) {
    tqList<Counted> list;
    list.Add(std::make_unique<Counted>(0));
    EXPECT_EQ(list.capacity, 1024);
    for (int i = 1; i < 1025; ++i) {
        EXPECT_EQ(list.Add(std::make_unique<Counted>(i)), i);
    }
    EXPECT_EQ(list.capacity, 2048);
    EXPECT_EQ(list.Get(1024)->value, 1024);
    for (int i = 1025; i < 2048; ++i) {
        ASSERT_EQ(list.items[i], nullptr);
    }
    list.step = 0;  // a zero step falls back to the default
    for (int i = 1025; i < 2049; ++i) {
        list.Add(std::make_unique<Counted>(i));
    }
    EXPECT_EQ(list.capacity, 3072);
}

TEST(tqListTest, ReserveMakesRoomOnceAndKeepsWhatIsThere) {
    tqList<Counted> list;
    list.Add(std::make_unique<Counted>(7));
    list.Reserve(5000);
    EXPECT_EQ(list.capacity, 5000);
    EXPECT_EQ(list.Get(0)->value, 7);
    Counted** slots = list.items.get();
    for (int i = 1; i < 5000; ++i) {
        list.Add(std::make_unique<Counted>(i));
    }
    EXPECT_EQ(list.items.get(), slots);  // never copied again
    list.Reserve(10);                    // never shrinks
    EXPECT_EQ(list.capacity, 5000);
    list.Add(std::make_unique<Counted>(5000));
    EXPECT_EQ(list.capacity, 5000 + tqList<Counted>::kDefaultStep);
    EXPECT_EQ(list.Get(4999)->value, 4999);
}

TEST(tqListTest, OwningListDestroysWhatItDropsAndNonOwningDoesNot) {
    {
        tqList<Counted> owning;
        owning.Add(std::make_unique<Counted>(1));
        owning.Add(std::make_unique<Counted>(2));
        owning.Add(std::make_unique<Counted>(3));
        EXPECT_TRUE(owning.Delete(0, 1));
        EXPECT_EQ(Counted::live, 2);
        owning.Clear();
        EXPECT_EQ(Counted::live, 0);
        EXPECT_EQ(owning.capacity, 1024);  // the slot array is kept
        owning.Add(std::make_unique<Counted>(4));
    }
    EXPECT_EQ(Counted::live, 0);

    Counted kept(7);
    {
        tqList<Counted> borrowing(false);
        borrowing.Add(&kept);
        borrowing.Delete(0, 1);
        borrowing.Add(&kept);
    }
    EXPECT_EQ(Counted::live, 1);
}

TEST(tqListTest, DeleteLeavesHoleThatFindPacksAway) {
    tqList<tqString> list;
    AddTexts(list, {"a", "b", "c", "d"});
    list.Sort();
    EXPECT_TRUE(list.Delete(1, 0));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Get(1), nullptr);
    EXPECT_EQ(list.sorted, 0);
    EXPECT_EQ(Texts(list), "a _ c d");

    int first = 0;
    int last = 0;
    EXPECT_TRUE(list.Find(tqString("c"), first, last));
    EXPECT_EQ(Texts(list), "a c d");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(list.sorted, 1);

    EXPECT_TRUE(list.Delete(0, 1));
    EXPECT_EQ(Texts(list), "c d");
    EXPECT_EQ(list.items[2], nullptr);
    EXPECT_FALSE(list.Delete(2, 1));
    EXPECT_FALSE(list.Delete(-1, 0));
}

TEST(tqListTest, SearchGivesNeighboursWhenNotFound) {
    tqList<tqString> list;
    int first = 42;
    int last = 43;
    EXPECT_FALSE(list.Search(tqString("x"), first, last));
    EXPECT_EQ(first, 42);  // an empty list leaves both alone
    EXPECT_EQ(last, 43);
    EXPECT_FALSE(list.Find(tqString("x"), first, last));
    EXPECT_EQ(list.sorted, 0);  // nothing was sorted

    AddTexts(list, {"d", "b", "f"});
    list.Sort();
    EXPECT_FALSE(list.Search(tqString("a"), first, last));
    EXPECT_EQ(first, -1);
    EXPECT_EQ(last, 0);
    EXPECT_FALSE(list.Search(tqString("z"), first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 3);
    EXPECT_FALSE(list.Search(tqString("c"), first, last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 1);
}

TEST(tqListTest, SearchReportsTheWholeRunOfEqualItems) {
    tqList<tqString> list;
    AddTexts(list, {"b", "a", "b", "c", "b", "b", "a"});
    int first = 0;
    int last = 0;
    EXPECT_TRUE(list.Find(tqString("b"), first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 5);
    EXPECT_STREQ(list.FindItem(tqString("c"))->GetText(), "c");
    EXPECT_EQ(list.FindItem(tqString("bb")), nullptr);
}

TEST(tqListTest, AddSortedInsertsBeforeEqualItems) {
    tqList<tqString> list;
    EXPECT_EQ(list.AddSorted(new tqString("m")), 0);
    EXPECT_EQ(list.AddSorted(new tqString("c")), 1);
    EXPECT_EQ(list.AddSorted(new tqString("x")), 1);
    auto* twin = new tqString("m");
    EXPECT_EQ(list.AddSorted(twin), 1);
    EXPECT_EQ(Texts(list), "c m m x");
    EXPECT_EQ(list.Get(1), twin);
    EXPECT_EQ(list.sorted, 1);
}

TEST(tqListTest, InsertChecksItsIndex) {
    tqList<tqString> list;
    AddTexts(list, {"a", "c"});
    list.Sort();
    EXPECT_EQ(list.Insert(1, new tqString("b"), 0), 1);
    EXPECT_EQ(list.sorted, 1);
    EXPECT_EQ(list.Insert(3, new tqString("d"), 0), 1);  // at count: appended
    EXPECT_EQ(list.sorted, 1);
    EXPECT_EQ(list.Insert(4, nullptr, 1), 0);
    EXPECT_EQ(list.Insert(0, new tqString("0"), 1), 1);
    EXPECT_EQ(list.sorted, 0);
    tqString stray("never stored");
    EXPECT_EQ(list.Insert(7, &stray, 1), -1);
    EXPECT_EQ(list.Insert(-1, &stray, 1), -1);
    EXPECT_EQ(Texts(list), "0 a b c d");
}

TEST(tqListTest, HeapSortOrdersLikeAReferenceSort) {
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 3, 10, 1000, 2500}) {
        tqList<tqString> list;
        std::vector<std::string> reference;
        for (int i = 0; i < size; ++i) {
            std::string text = std::to_string(random() % 300);
            reference.push_back(text);
            list.Add(std::make_unique<tqString>(text.c_str()));
        }
        list.Sort();
        std::sort(reference.begin(), reference.end());
        ASSERT_EQ(list.Count(), size);
        for (int i = 0; i < size; ++i) {
            ASSERT_EQ(list.Get(i)->GetText(), reference[i]) << "size " << size << " index " << i;
        }
    }
}

TEST(tqListTest, SortWithAComparisonOrdersByItAndFindSortsAgainByTheItems) {
    tqList<Counted> list;
    for (int value : {5, 1, 4, 2, 3, 2}) {
        list.Add(std::make_unique<Counted>(value));
    }
    list.Delete(1, 0);  // a hole, packed away by the sort
    list.Sort([](const Counted& a, const Counted& b) { return b.value - a.value; });
    std::string order;
    for (int i = 0; i < list.Count(); ++i) {
        order += std::to_string(list.Get(i)->value);
    }
    EXPECT_EQ(order, "54322");
    // Lookups need the items' own order: Find sorts the list again first.
    EXPECT_EQ(list.FindItem(Counted(3))->value, 3);
    EXPECT_EQ(list.Get(0)->value, 2);
}

TEST(tqListTest, DeleteRangeDropsARunAndChecksItsBounds) {
    tqList<Counted> empty;
    EXPECT_TRUE(empty.DeleteRange(0, 0));  // a list without slots
    EXPECT_FALSE(empty.DeleteRange(0, 1));
    tqList<Counted> list;
    for (int value : {1, 2, 3, 4, 5}) {
        list.Add(std::make_unique<Counted>(value));
    }
    const int live = Counted::live;
    EXPECT_FALSE(list.DeleteRange(3, 3));
    ASSERT_TRUE(list.DeleteRange(1, 2));
    EXPECT_EQ(Counted::live, live - 2);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(1)->value, 4);
    EXPECT_EQ(list.Get(3), nullptr);
}

TEST(tqListTest, IndexOfScansFromTheStartIndexAndTreatsHolesAsEmpty) {
    tqList<tqString> list;
    AddTexts(list, {"a", "b", "a", "c"});
    EXPECT_EQ(list.IndexOf(tqString("a"), 0), 0);
    EXPECT_EQ(list.IndexOf(tqString("a"), 1), 2);
    EXPECT_EQ(list.IndexOf(tqString("a"), 3), -1);
    EXPECT_EQ(list.IndexOf(tqString(""), 0), -1);
    list.Delete(1, 0);
    EXPECT_EQ(list.IndexOf(tqString(""), 0), 1);
}

TEST(tqListTest, ExchangeNeedsTwoValidIndexes) {
    tqList<tqString> list;
    AddTexts(list, {"a", "b"});
    EXPECT_TRUE(list.Exchange(0, 1));
    EXPECT_FALSE(list.Exchange(1, 2));
    EXPECT_EQ(Texts(list), "b a");
}

}  // namespace
