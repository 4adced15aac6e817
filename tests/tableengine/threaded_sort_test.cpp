// Sorting large lists splits the work between two threads. Whatever the
// split, the result must be the one a plain stable sort gives: the field
// order, and equal records in the order they had before. These lists are big
// enough to take the two-thread path, have many equal keys, texts longer than
// the key prefix, deleted records, and run case-insensitive and descending.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "table_bytes.h"

using namespace notarra;
using namespace tt;

namespace {

class ThreadedSort : public ::testing::TestWithParam<std::tuple<bool, bool>> {
protected:
  static constexpr int kRecords = 40000;

  void SetUp() override {
    c.AddField("Group", TVelaFieldKind::SmallStr, 20);
    c.AddField("Subject", TVelaFieldKind::String, 200);
    c.AddField("Amount", TVelaFieldKind::Double);
    c.AddField("Flag", TVelaFieldKind::Boolean);
    c.AddField("Id", TVelaFieldKind::Integer);
    std::mt19937 rng(7);
    // Few distinct values, some differing only in case, and subjects sharing
    // a prefix longer than any key prefix, so that most records tie on some key.
    const std::vector<std::string> groups = {"alpha", "Alpha", "ALPHA", "beta", "\xE9t\xE9", "\xC9T\xC9", ""};
    const std::string longPrefix(60, 'p');
    std::uniform_int_distribution<int> g(0, static_cast<int>(groups.size()) - 1), s(0, 40), small(0, 3);
    for (int i = 0; i < kRecords; ++i) {
      Area a(c);
      int subject = s(rng);
      std::string text = subject % 3 == 0 ? longPrefix + std::to_string(subject % 4) : "subject " + std::to_string(subject);
      if (subject % 5 == 0) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
      a.text("Group", groups[g(rng)]).text("Subject", text);
      a.set<double>("Amount", small(rng) * 0.5);
      a.set<int16_t>("Flag", small(rng) == 0 ? int16_t(-1) : int16_t(0));
      a.set<int32_t>("Id", i);
      std::string error;
      ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
    }
    c.CommitChanges();
    // Some deleted records among the live ones.
    std::string error;
    for (int i = 0; i < kRecords; i += 97) ASSERT_TRUE(c.DeleteRecord(c.Records()[i], error)) << error;
  }

  // The reference: a stable sort with the plain field-by-field comparison,
  // deleted records after the live ones in their order.
  TVelaRecordList Reference(TVelaRecordList list, const TVelaFieldList& fields, bool ci, bool desc) {
    auto liveEnd = std::stable_partition(list.begin(), list.end(), [](const TVelaRecord* r) { return r->Live(); });
    std::stable_sort(list.begin(), liveEnd, [&](const TVelaRecord* a, const TVelaRecord* b) {
      for (const TVelaField* f : fields) {
        int r = c.CompareValues(a->Data, b->Data, *f, ci);
        if (r != 0) return desc ? r > 0 : r < 0;
      }
      return false;
    });
    return list;
  }

  std::string Describe(const TVelaRecordList& list, std::size_t i) {
    return "at " + std::to_string(i) + ": Id " + std::to_string(Get<int32_t>(c, list[i]->Data, "Id")) + " \"" +
           Str(c, list[i]->Data, "Group") + "\" \"" + Str(c, list[i]->Data, "Subject") + "\"";
  }

  void ExpectAsReference(const char* names, unsigned shuffleSeed) {
    auto [ci, desc] = GetParam();
    TVelaFieldList fields = c.ResolveFieldList(names);
    TVelaRecordList start(c.Records().begin(), c.Records().end());
    std::shuffle(start.begin(), start.end(), std::mt19937(shuffleSeed));
    const TVelaRecordList expected = Reference(start, fields, ci, desc);
    for (int run = 0; run < 3; ++run) {
      TVelaRecordList list = start;
      c.SortRecords(list, fields, ci, desc);
      ASSERT_EQ(list.size(), expected.size());
      for (std::size_t i = 0; i < list.size(); ++i)
        ASSERT_EQ(list[i], expected[i]) << names << " run " << run << ": got " << Describe(list, i) << ", expected "
                                        << Describe(expected, i);
    }
  }

  TVelaCursor c;
};

TEST_P(ThreadedSort, TextKeysWithManyTies) {
  ExpectAsReference("Group;Subject", 1);
  ExpectAsReference("Subject", 2);
}

TEST_P(ThreadedSort, FewDistinctValues) {
  ExpectAsReference("Flag;Amount", 3);
  ExpectAsReference("Group", 4);
}

// A list already in order, or in reverse order, still comes out as the reference.
TEST_P(ThreadedSort, OrderedAndReversedInput) {
  auto [ci, desc] = GetParam();
  TVelaFieldList fields = c.ResolveFieldList("Group;Subject");
  TVelaRecordList list(c.Records().begin(), c.Records().end());
  list = Reference(list, fields, ci, !desc);
  const TVelaRecordList expected = Reference(list, fields, ci, desc);
  c.SortRecords(list, fields, ci, desc);
  ASSERT_EQ(list.size(), expected.size());
  for (std::size_t i = 0; i < list.size(); ++i) ASSERT_EQ(list[i], expected[i]) << Describe(list, i);
}

INSTANTIATE_TEST_SUITE_P(CaseAndDirection, ThreadedSort, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "CaseInsensitive" : "CaseSensitive") +
                                  (std::get<1>(info.param) ? "Descending" : "Ascending");
                         });

}  // namespace
