// Ordering over reference lists: sorting, insertion in order, key search,
// ranges and the duplicate-key test.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "table_bytes.h"

using namespace notarra;

using namespace tt;

namespace {

class Ordering : public ::testing::Test {
protected:
  void SetUp() override {
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Subject", TVelaFieldKind::String, 256);
    c.AddField("Num", TVelaFieldKind::Integer);
    c.AddField("Key", TVelaFieldKind::AutoInc);
  }

  TVelaRecord* Add(std::string_view group, std::string_view subject, int num = 0) {
    Area a(c);
    a.text("Group", group).text("Subject", subject).set<int32_t>("Num", num);
    std::string error;
    TVelaRecord* r = nullptr;
    EXPECT_TRUE(c.WriteRecord(a, nullptr, error, &r)) << error;
    return r;
  }
  std::string Label(const TVelaRecord* r) {
    return Str(c, r->Data, "Group") + "/" + Str(c, r->Data, "Subject");
  }
  std::vector<std::string> Labels(const TVelaRecordList& list) {
    std::vector<std::string> out;
    for (const TVelaRecord* r : list) out.push_back(Label(r));
    return out;
  }
  std::vector<int> Nums(const TVelaRecordList& list) {
    std::vector<int> out;
    for (const TVelaRecord* r : list) out.push_back(Get<int32_t>(c, r->Data, "Num"));
    return out;
  }
  // A list of records holding the given numbers, in that order.
  TVelaRecordList NumList(std::initializer_list<int> nums) {
    TVelaRecordList list;
    for (int n : nums) list.push_back(Add("", "", n));
    return list;
  }

  TVelaCursor c;
};

TEST_F(Ordering, SortByGroupThenSubject) {
  Add("b", "x");
  Add("", "z");
  Add("B", "y");
  Add("a", "Q");
  Add("a", "p");
  Add("", "A");
  c.SortBy("Group;Subject", false);
  EXPECT_EQ(Labels(c.Records()), (std::vector<std::string>{"/A", "/z", "B/y", "a/Q", "a/p", "b/x"}));
  c.SortBy(" group ; subject ", true);
  EXPECT_EQ(Labels(c.Records()), (std::vector<std::string>{"/A", "/z", "a/p", "a/Q", "b/x", "B/y"}));
}

TEST_F(Ordering, SortRecordsDescendingAppliesToEveryField) {
  TVelaRecordList list{Add("a", "1"), Add("b", "2"), Add("a", "3"), Add("b", "1")};
  TVelaFieldList fields = c.ResolveFieldList("Group;Subject");
  c.SortRecords(list, fields, false, true);
  EXPECT_EQ(Labels(list), (std::vector<std::string>{"b/2", "b/1", "a/3", "a/1"}));
  c.SortRecords(list, fields, false, false);
  EXPECT_EQ(Labels(list), (std::vector<std::string>{"a/1", "a/3", "b/1", "b/2"}));
  // The store's own order is not touched by sorting a list.
  EXPECT_EQ(Label(c.Records()[0]), "a/1");
  EXPECT_EQ(Label(c.Records()[1]), "b/2");
}

TEST_F(Ordering, SortRecordsNumbersNotTexts) {
  TVelaRecordList list = NumList({10, -3, 9, 100, 0});
  c.SortRecords(list, c.ResolveFieldList("Num"), false, false);
  EXPECT_EQ(Nums(list), (std::vector<int>{-3, 0, 9, 10, 100}));
}

TEST_F(Ordering, ManyDeletedRecordsInALargeSortLoseNothing) {
  // Dead records compare equal to anything; the sort must still only permute.
  std::mt19937 rng(7);
  TVelaRecordList list;
  for (int i = 0; i < 2000; ++i) list.push_back(Add("", "", static_cast<int>(rng() % 500)));
  c.CommitChanges();
  std::string error;
  for (int i = 0; i < 2000; i += 3) EXPECT_TRUE(c.DeleteRecord(list[i], error));  // kept as deleted
  for (int i = 0; i < 300; ++i) {
    TVelaRecord* r = Add("", "", static_cast<int>(rng() % 500));
    EXPECT_TRUE(c.DeleteRecord(r, error));  // inserted: purged at once
    list.insert(list.begin() + static_cast<long>(rng() % list.size()), r);
  }
  TVelaRecordList before = list;
  c.SortRecords(list, c.ResolveFieldList("Num"), false, false);
  c.SortRecords(list, c.ResolveFieldList("Num;Group"), true, true);
  std::sort(before.begin(), before.end());
  TVelaRecordList after = list;
  std::sort(after.begin(), after.end());
  EXPECT_EQ(before, after);
  c.SortBy("Num", false);
  EXPECT_EQ(c.RecordCount(), 2300);
}

TEST_F(Ordering, FindInsertPositionGoesBeforeEqualKeys) {
  TVelaFieldList num = c.ResolveFieldList("Num");
  auto position = [&](std::initializer_list<int> sorted, int value, bool descending) {
    TVelaRecordList list = NumList(sorted);
    list.push_back(Add("", "", value));
    return c.FindInsertPosition(list, num, descending);
  };
  EXPECT_EQ(position({1, 3, 3, 5}, 3, false), 1);
  EXPECT_EQ(position({1, 3, 3, 5}, 0, false), 0);
  EXPECT_EQ(position({1, 3, 3, 5}, 4, false), 3);
  EXPECT_EQ(position({1, 3, 3, 5}, 9, false), -1);
  EXPECT_EQ(position({3, 3, 3, 3, 3, 3, 3}, 3, false), 0);
  EXPECT_EQ(position({5, 3, 3, 1}, 3, true), 1);
  EXPECT_EQ(position({5, 3, 3, 1}, 9, true), 0);
  EXPECT_EQ(position({5, 3, 3, 1}, 0, true), -1);
  EXPECT_EQ(position({}, 4, false), -1);
}

TEST_F(Ordering, FindInsertPositionIsCaseSensitive) {
  TVelaFieldList group = c.ResolveFieldList("Group");
  TVelaRecordList list{Add("A", ""), Add("B", ""), Add("a", ""), Add("b", "")};
  // In byte order "b" comes after all of them, whatever letter case would say.
  EXPECT_EQ(c.FindInsertPosition(list, group, false), -1);
}

TEST_F(Ordering, SearchKeyOrderedFindsTheLeftmost) {
  TVelaRecordList list = NumList({1, 2, 2, 2, 3, 5});
  TVelaFieldList num = c.ResolveFieldList("Num");
  Area key(c);
  auto search = [&](int value, int start) {
    key.set<int32_t>("Num", value);
    return c.SearchKey(list, TVelaKey{key, num, 1}, start, true, false);
  };
  EXPECT_EQ(search(2, 0), 1);
  EXPECT_EQ(search(1, 0), 0);
  EXPECT_EQ(search(5, 0), 5);
  EXPECT_EQ(search(4, 0), -1);
  EXPECT_EQ(search(0, 0), -1);
  EXPECT_EQ(search(2, 2), 2);
  EXPECT_EQ(search(1, 1), -1);

  TVelaRecordList down = NumList({5, 3, 2, 2, 1});
  key.set<int32_t>("Num", 2);
  EXPECT_EQ(c.SearchKey(down, TVelaKey{key, num, 1}, 0, true, true), 2);
  key.set<int32_t>("Num", 4);
  EXPECT_EQ(c.SearchKey(down, TVelaKey{key, num, 1}, 0, true, true), -1);
}

TEST_F(Ordering, SearchKeyWithPartialKey) {
  TVelaRecordList list{Add("a", "x"), Add("b", "a"), Add("b", "m"), Add("c", "a")};
  TVelaFieldList fields = c.ResolveFieldList("Group;Subject");
  Area key(c);
  key.text("Group", "b").text("Subject", "zzz");
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, fields, 1}, 0, true, false), 1);
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, fields, 2}, 0, true, false), -1);
  key.text("Subject", "m");
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, fields, 2}, 0, true, false), 2);
}

TEST_F(Ordering, SearchKeyUnordered) {
  TVelaRecordList list = NumList({3, 1, 2, 1});
  TVelaFieldList num = c.ResolveFieldList("Num");
  Area key(c);
  key.set<int32_t>("Num", 1);
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, num, 1}, 0, false, false), 1);
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, num, 1}, 2, false, false), 3);
  key.set<int32_t>("Num", 5);
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, num, 1}, 0, false, false), -1);
  key.set<int32_t>("Num", 3);
  EXPECT_EQ(c.SearchKey(list, TVelaKey{key, num, 1}, 1, false, false), -1);
}

TEST_F(Ordering, InRangeIsInclusive) {
  TVelaFieldList fields = c.ResolveFieldList("Group;Num");
  Area lo(c), hi(c);
  lo.text("Group", "b").set<int32_t>("Num", 5);
  hi.text("Group", "d").set<int32_t>("Num", 1);

  auto in = [&](std::string_view g, int n, int count) {
    TVelaRecord* r = Add(g, "", n);
    return c.InRange(r, TVelaKey{lo, fields, count}, TVelaKey{hi, fields, count});
  };
  // Leading field only: every Num of b, c and d is in.
  EXPECT_FALSE(in("a", 100, 1));
  EXPECT_TRUE(in("b", -100, 1));
  EXPECT_TRUE(in("c", 0, 1));
  EXPECT_TRUE(in("d", 100, 1));
  EXPECT_FALSE(in("e", 0, 1));
  // Both fields.
  EXPECT_FALSE(in("b", 4, 2));
  EXPECT_TRUE(in("b", 5, 2));
  EXPECT_TRUE(in("c", 1000, 2));
  EXPECT_TRUE(in("d", 1, 2));
  EXPECT_FALSE(in("d", 2, 2));
  // Case-sensitive: "B" comes before "b".
  EXPECT_FALSE(in("B", 5, 1));
}

TEST_F(Ordering, KeyExistsIgnoresTheGivenAndDeadRecords) {
  TVelaRecord* x1 = Add("x", "s", 1);
  TVelaRecord* y = Add("y", "s", 1);
  Area probe(c);
  probe.text("Group", "x").set<int32_t>("Num", 1);

  EXPECT_TRUE(c.KeyExists(probe, nullptr, "Group;Num"));
  EXPECT_FALSE(c.KeyExists(probe, x1, "Group;Num"));
  EXPECT_TRUE(c.KeyExists(probe, x1, "Num"));  // y has Num 1 too
  EXPECT_FALSE(c.KeyExists(probe, nullptr, "Group;Subject"));
  EXPECT_FALSE(c.KeyExists(probe, nullptr, "group;NUM;subject"));
  probe.text("Subject", "s");
  EXPECT_TRUE(c.KeyExists(probe, nullptr, "group;NUM;subject"));

  // A deleted (kept) and a purged record never count.
  c.CommitChanges();
  std::string error;
  ASSERT_TRUE(c.DeleteRecord(x1, error)) << error;
  ASSERT_EQ(x1->Status, rsDeleted);
  EXPECT_FALSE(c.KeyExists(probe, nullptr, "Group;Num"));
  ASSERT_TRUE(c.DeleteRecord(y, error)) << error;
  TVelaRecord* z = Add("z", "s", 1);
  ASSERT_TRUE(c.DeleteRecord(z, error)) << error;
  ASSERT_EQ(z->Status, rsPurged);
  EXPECT_FALSE(c.KeyExists(probe, nullptr, "Num"));
}

}  // namespace
