// Tests of ZxBaseList growth and ownership and of ZxStringList join and sort.
#include "model/zx_string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int g_destroyed = 0;
struct Counted {
  virtual ~Counted() { ++g_destroyed; }
};

TEST(ZxBaseList, GrowsTwicePlusOneAndOwnsItems) {
  g_destroyed = 0;
  {
    ZxBaseList<Counted> list;
    EXPECT_EQ(list.get(0), nullptr);
    std::vector<int> capacities;
    for (int i = 0; i < 8; ++i) {
      list.append(new Counted);
      capacities.push_back(list.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{1, 3, 3, 7, 7, 7, 7, 15}));
    list.append(nullptr);  // stored like any other
    EXPECT_EQ(list.count(), 9);
    EXPECT_EQ(list.get(8), nullptr);
    EXPECT_EQ(list.get(9), nullptr);
    EXPECT_EQ(list.get(-1), nullptr);
    list.clear();
    EXPECT_EQ(g_destroyed, 8);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 15);
    Counted* kept = new Counted;
    list.append(kept);
    list.forget();  // handed elsewhere: not destroyed
    EXPECT_EQ(g_destroyed, 8);
    delete kept;
    list.append(new Counted);
  }
  EXPECT_EQ(g_destroyed, 10);
}

ZxStringList listOf(const std::vector<std::string>& items) {
  ZxStringList l;
  for (const auto& s : items) l.add(ZxString(s.c_str()));
  return l;
}

std::vector<std::string> itemsOf(const ZxStringList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.count(); ++i) v.push_back(l.get(i)->c_str());
  return v;
}

TEST(ZxStringList, Join) {
  EXPECT_EQ(listOf({"1-5", "7"}).join(","), "1-5,7");
  EXPECT_EQ(listOf({}).join(","), "");
  EXPECT_EQ(listOf({"a"}).join(", "), "a");
  EXPECT_EQ(listOf({"", ""}).join("-"), "-");
}

TEST(ZxStringList, SortOrdersLikeStringComparisons) {
  struct Case {
    std::vector<std::string> in, want;
  };
  const Case cases[] = {
      {{}, {}},
      {{"b"}, {"b"}},
      {{"b", "", "a", "c", "a"}, {"", "a", "a", "b", "c"}},
      {{"5", "4", "3", "2", "1", "0"}, {"0", "1", "2", "3", "4", "5"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    ZxStringList l = listOf(c.in);
    l.sort();
    EXPECT_EQ(itemsOf(l), c.want);
  }
  ZxStringList l = listOf({"a", "c", "b"});
  l.sort([](const ZxString& x, const ZxString& y) { return -ZxStringList::defaultCompare(x, y); });
  EXPECT_EQ(itemsOf(l), (std::vector<std::string>{"c", "b", "a"}));
}

TEST(ZxStringList, SortOfSortedLargeListStaysShallow) {
  // Already sorted and reverse sorted inputs: the worst cases of a naive quicksort.
  ZxStringList l;
  for (int i = 0; i < 100000; ++i) l.append(new ZxString(ZxString().appendPadded(99999 - i, 6)));
  l.sort();
  for (int i = 0; i < l.count(); ++i) ASSERT_EQ(l.get(i)->toInt(), i);
}

TEST(ZxStringList, CopyIsDeep) {
  ZxStringList a = listOf({"x", "y"});
  ZxStringList b(a);
  b.get(0)->assign("changed");
  EXPECT_EQ(itemsOf(a), (std::vector<std::string>{"x", "y"}));
  b = a;
  EXPECT_EQ(itemsOf(b), (std::vector<std::string>{"x", "y"}));
}

}  // namespace
